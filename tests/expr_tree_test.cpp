// The tree container, the number test and the subtree copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/error.h"
#include "expr/notation.h"
#include "expr/tree.h"

namespace {

using rivo::expr::FormatSubtree;
using rivo::expr::kNoNode;
using rivo::expr::NodeId;
using rivo::expr::PipelineError;
using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;

TEST(TreeContainer, BuildsAnOrderedForest) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("+");
    const NodeId a = tree.AppendChild(root, "a");
    const NodeId b = tree.AppendChild(root, "b");
    const NodeId extra = tree.AppendChild(kNoNode, "scratch");
    const NodeId first = tree.AddFirstTopLevel("first");
    EXPECT_EQ(tree.FirstTopLevel(), first);
    EXPECT_EQ(tree.TopLevelCount(), 3);
    EXPECT_EQ(tree.NextSibling(first), root);
    EXPECT_EQ(tree.NextSibling(root), extra);
    EXPECT_EQ(tree.Parent(a), root);
    EXPECT_EQ(tree.Parent(root), kNoNode);
    EXPECT_EQ(tree.ChildCount(root), 2);
    EXPECT_EQ(tree.Child(root, 0), a);
    EXPECT_EQ(tree.Child(root, 1), b);
    tree.SetLabel(a, "x");
    EXPECT_EQ(FormatSubtree(tree, root), R"~("+"("x", "b"))~");
    EXPECT_EQ(tree.NodeCount(), 5u);
    tree.Clear();
    EXPECT_EQ(tree.NodeCount(), 0u);
    EXPECT_EQ(tree.FirstTopLevel(), kNoNode);
}

TEST(TreeContainer, MissingChildGivesTheIndexError) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("pow @F");
    tree.AppendChild(root, "x");
    struct Case {
        int index;
        const char* message;
    };
    for (const Case c :
         {Case{1, "List index out of bounds (0)"}, Case{3, "List index out of bounds (2)"},
          Case{-1, "List index out of bounds (-2)"}}) {
        SCOPED_TRACE(c.index);
        try {
            (void)tree.Child(root, c.index);
            FAIL() << "no error";
        } catch (const PipelineError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(TreeContainer, DeletingInTheMiddleShiftsLaterSiblings) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("f @F");
    std::vector<NodeId> kids;
    for (const char* label : {"a", "b", "c", "d"})
        kids.push_back(tree.AppendChild(root, label));
    tree.AppendChild(kids[1], "under b");
    tree.Delete(kids[1]);
    EXPECT_EQ(tree.ChildCount(root), 3);
    EXPECT_EQ(tree.Child(root, 1), kids[2]);
    EXPECT_EQ(tree.Child(root, 2), kids[3]);
    EXPECT_FALSE(tree.IsAlive(kids[1]));
    EXPECT_EQ(tree.NodeCount(), 4u);
    EXPECT_EQ(FormatSubtree(tree, root), R"~("f @F"("a", "c", "d"))~");
    // Handles of the survivors stay valid while new nodes reuse the freed slots.
    const NodeId e = tree.AppendChild(root, "e");
    EXPECT_EQ(tree.Label(kids[3]), "d");
    EXPECT_EQ(tree.Child(root, 3), e);
    tree.Delete(kids[0]);
    tree.Delete(e);
    EXPECT_EQ(FormatSubtree(tree, root), R"~("f @F"("c", "d"))~");
}

TEST(CopySubtree, AppendsAfterTheDestinationsOwnChildren) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId src = tree.AddFirstTopLevel("*");
    const NodeId plus = tree.AppendChild(src, "+");
    tree.AppendChild(plus, "a");
    tree.AppendChild(plus, "b");
    tree.AppendChild(src, "c");
    const NodeId dst = tree.AppendChild(kNoNode, "old");
    tree.AppendChild(dst, "kept");
    tree.CopySubtree(src, dst);
    EXPECT_EQ(FormatSubtree(tree, dst), R"~("*"("kept", "+"("a", "b"), "c"))~");
    EXPECT_EQ(FormatSubtree(tree, src), R"~("*"("+"("a", "b"), "c"))~");
}

// The label is set first, then the children seen at that moment are copied: the copy ends.
TEST(CopySubtree, IntoItsOwnSubtreeEnds) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId src = tree.AddFirstTopLevel("f");
    const NodeId leaf = tree.AppendChild(src, "x");
    tree.CopySubtree(src, leaf);
    EXPECT_EQ(FormatSubtree(tree, src), R"~("f"("f"("f")))~");
}

TEST(TreeContainer, MoveChildrenRelinksWholeSubtrees) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId from = tree.AddFirstTopLevel("from");
    const NodeId inner = tree.AppendChild(from, "g @F");
    tree.AppendChild(inner, "y");
    tree.AppendChild(from, "z");
    const NodeId to = tree.AppendChild(kNoNode, "to");
    tree.AppendChild(to, "first");
    tree.MoveChildren(from, to);
    EXPECT_EQ(FormatSubtree(tree, to), R"~("to"("first", "g @F"("y"), "z"))~");
    EXPECT_EQ(tree.ChildCount(from), 0);
    EXPECT_EQ(tree.Parent(inner), to);
}

TEST(TreeContainer, MoveChildrenToFrontPutsThemBeforeTheOthers) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId from = tree.AddFirstTopLevel("from");
    const NodeId inner = tree.AppendChild(from, "g @F");
    tree.AppendChild(inner, "y");
    tree.AppendChild(from, "z");
    const NodeId to = tree.AppendChild(kNoNode, "to");
    tree.AppendChild(to, "last");
    tree.MoveChildrenToFront(from, to);
    EXPECT_EQ(FormatSubtree(tree, to), R"~("to"("g @F"("y"), "z", "last"))~");
    EXPECT_EQ(tree.ChildCount(from), 0);
    EXPECT_EQ(tree.Parent(inner), to);
    EXPECT_EQ(tree.Child(to, 2), tree.LastChild(to));
    tree.MoveChildrenToFront(to, to);
    EXPECT_EQ(FormatSubtree(tree, to), R"~("to"("g @F"("y"), "z", "last"))~");
    const NodeId empty = tree.AppendChild(kNoNode, "empty");
    tree.MoveChildrenToFront(to, empty);
    EXPECT_EQ(FormatSubtree(tree, empty), R"~("empty"("g @F"("y"), "z", "last"))~");
}

// Into a childless node the whole child list changes hands at once; the children must then
// report their new parent, also after the slots involved were freed and handed out again.
TEST(TreeContainer, MoveChildrenIntoAChildlessNodeKeepsParentLinksRight) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("root");
    const NodeId from = tree.AppendChild(root, "from");
    const NodeId a = tree.AppendChild(from, "a");
    const NodeId b = tree.AppendChild(from, "b");
    tree.AppendChild(a, "a1");
    const NodeId to = tree.AppendChild(root, "to");
    tree.MoveChildren(from, to);
    EXPECT_EQ(FormatSubtree(tree, root), R"~("root"("from", "to"("a"("a1"), "b")))~");
    EXPECT_EQ(tree.Parent(a), to);
    EXPECT_EQ(tree.Parent(b), to);
    EXPECT_EQ(tree.Parent(tree.Child(a, 0)), a);

    // `from` got the family `to` had; new children of either must find the right parent.
    const NodeId c = tree.AppendChild(from, "c");
    const NodeId d = tree.AppendChild(to, "d");
    EXPECT_EQ(tree.Parent(c), from);
    EXPECT_EQ(tree.Parent(d), to);

    // Free `from` and `to`'s old slots and reuse them: parents stay what they are.
    tree.Delete(from);
    const NodeId e = tree.AppendChild(root, "e");
    const NodeId f = tree.AppendChild(e, "f");
    EXPECT_EQ(tree.Parent(f), e);
    EXPECT_EQ(tree.Parent(b), to);
    tree.Delete(b);
    EXPECT_EQ(FormatSubtree(tree, root), R"~("root"("to"("a"("a1"), "d"), "e"("f")))~");
    tree.MoveChildren(to, to);
    EXPECT_EQ(tree.ChildCount(to), 2);
}

TEST(TreeContainer, EnforcesTheNodeAndLabelBudgets) {
    RunBudget budget({.nodes = 3, .labelBytes = 10});
    TreeContainer small(budget);
    const NodeId root = small.AddFirstTopLevel("r");
    small.AppendChild(root, "a");
    small.AppendChild(root, "b");
    EXPECT_THROW(small.AppendChild(root, "c"), PipelineError);
    EXPECT_THROW(small.SetLabel(root, "twelve bytes"), PipelineError);
    EXPECT_EQ(small.Label(root), "r");  // a refused change leaves the node as it was
    small.SetLabel(root, "");
    small.SetLabel(root, "8 bytes!");
    try {
        small.SetLabel(root, "much more than ten");
        FAIL() << "no error";
    } catch (const PipelineError& e) {
        EXPECT_STREQ(e.what(), "Expression is too large");
    }
}

TEST(TreeContainer, WorkBudgetCountsChurnAndClearResetsIt) {
    RunBudget budget({.nodes = 100, .labelBytes = 1000, .work = 50});
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("r");
    // Nodes made and deleted again never exceed the node budget, but they do cost work.
    EXPECT_THROW(for (int i = 0; i < 100; ++i) tree.Delete(tree.AppendChild(root, "x")),
                 PipelineError);
    EXPECT_EQ(tree.NodeCount(), 1u);
    tree.Clear();
    tree.AddFirstTopLevel("r");
    budget.ChargeWork(48);
    EXPECT_THROW(budget.ChargeWork(2), PipelineError);
}

TEST(TreeContainer, MemoryBudgetCountsSlotsLabelsChargesAndHeldMemory) {
    const auto tooLarge = [](auto&& step) {
        try {
            step();
        } catch (const PipelineError& e) {
            return std::string(e.what()) == "Expression is too large";
        }
        return false;
    };
    RunBudget probeBudget;
    TreeContainer probe(probeBudget);
    probe.AddFirstTopLevel("r");
    const std::size_t chunk = probeBudget.MemoryBytes();  // the first block of node slots
    ASSERT_GT(chunk, 0u);

    RunBudget budget({.memory = chunk + 100});
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("r");
    budget.ChargeMemory(70);
    EXPECT_TRUE(tooLarge([&] { budget.ChargeMemory(31); }));
    EXPECT_EQ(budget.MemoryBytes(), chunk + 70);  // a refused charge is not kept
    // A label of more than 15 bytes needs a heap block, 32 bytes for 16 to 23.
    EXPECT_TRUE(tooLarge([&] { tree.SetLabel(root, std::string(20, 'x')); }));
    EXPECT_EQ(tree.Label(root), "r");
    budget.ReleaseMemory(70);
    tree.SetLabel(root, std::string(20, 'x'));
    EXPECT_EQ(budget.MemoryBytes(), chunk + 32);
    tree.SetLabel(root, "short");
    EXPECT_EQ(budget.MemoryBytes(), chunk);

    // Held memory stays across Clear; charges do not.
    budget.ChargeMemory(50);
    budget.SetHeldMemory(90);
    EXPECT_TRUE(tooLarge([&] { budget.ChargeMemory(20); }));
    tree.Clear();
    EXPECT_EQ(budget.MemoryBytes(), chunk + 90);
    EXPECT_TRUE(tooLarge([&] { budget.ChargeMemory(20); }));
    budget.SetHeldMemory(0);
    budget.ChargeMemory(20);
    // Another block of slots is refused before it is allocated.
    for (int i = 0; i < 4096; ++i)
        tree.AppendChild(kNoNode, "");
    EXPECT_TRUE(tooLarge([&] { tree.AppendChild(kNoNode, ""); }));
    EXPECT_EQ(budget.MemoryBytes(), chunk + 20);
}

TEST(TreeContainer, ClearKeepsSlotsButNothingOfTheOldTree) {
    RunBudget budget;
    TreeContainer tree(budget);
    NodeId node = tree.AddFirstTopLevel(std::string(40, 'a'));
    for (int i = 0; i < 10000; ++i)
        node = tree.AppendChild(node, i % 2 == 0 ? std::string(30, 'b') : "c");
    tree.Clear();
    EXPECT_EQ(tree.NodeCount(), 0u);
    EXPECT_EQ(budget.LabelBytes(), 0u);
    EXPECT_EQ(tree.FirstTopLevel(), kNoNode);
    EXPECT_FALSE(tree.IsAlive(0));
    const NodeId root = tree.AddFirstTopLevel("");
    const NodeId child = tree.AppendChild(root, "x");
    EXPECT_EQ(FormatSubtree(tree, root), R"~(""("x"))~");
    EXPECT_EQ(tree.Parent(child), root);
    EXPECT_EQ(tree.ChildCount(child), 0);
}

TEST(TreeContainer, DeepTreesAreCopiedAndDestroyedWithoutRecursion) {
    constexpr int kDepth = 300000;
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("neg @F");
    NodeId node = root;
    for (int i = 0; i < kDepth; ++i)
        node = tree.AppendChild(node, i + 1 == kDepth ? "x" : "-");
    const NodeId copy = tree.AppendChild(kNoNode, "");
    tree.CopySubtree(root, copy);
    EXPECT_EQ(tree.NodeCount(), 2u * (kDepth + 1));
    NodeId walk = copy;
    int depth = 0;
    while (tree.ChildCount(walk) == 1) {
        walk = tree.Child(walk, 0);
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(tree.Label(walk), "x");
    EXPECT_EQ(FormatSubtree(tree, root).size(), FormatSubtree(tree, copy).size());
    tree.Delete(root);
    EXPECT_EQ(tree.NodeCount(), static_cast<std::size_t>(kDepth + 1));
    EXPECT_EQ(tree.FirstTopLevel(), copy);
}

}  // namespace
