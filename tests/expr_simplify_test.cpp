// The simplifier: the worked examples, the rule order, the errors, deep and wide inputs, moving
// subtrees, and the fixed point it leaves.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "expr/error.h"
#include "expr/m_macros_optimize.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"
#include "tests/separator_scope.h"

namespace {

using namespace rivo::expr;
using rivo::testing::SeparatorScope;

// Every node of the subtree, in pre-order.
std::vector<NodeId> Nodes(const TreeContainer& tree, NodeId root) {
    std::vector<NodeId> out;
    std::vector<NodeId> stack{root};
    while (!stack.empty()) {
        const NodeId n = stack.back();
        stack.pop_back();
        out.push_back(n);
        for (NodeId c = tree.LastChild(n); c != kNoNode; c = tree.PreviousSibling(c))
            stack.push_back(c);
    }
    return out;
}

// "\" never comes from the parser; the quotient cases are run again with it.
void RelabelQuotients(TreeContainer& tree, NodeId root) {
    for (const NodeId n : Nodes(tree, root))
        if (tree.Label(n) == "/") tree.SetLabel(n, "\\");
}

// The root's tree after the simplifier, or the error's text after "error: ".
std::string Simplified(const std::string& text, bool backslash = false) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    ParseExpression(text, tree, root);
    if (backslash) RelabelQuotients(tree, root);
    try {
        SimplifyTree(tree, root);
    } catch (const PipelineError& e) {
        return std::string("error: ") + e.what();
    }
    EXPECT_EQ(tree.FirstTopLevel(), root);
    return FormatSubtree(tree, root);
}

struct Case {
    const char* name;
    std::string text;
    std::string tree;
};

void Check(const std::vector<Case>& cases, bool backslash = false) {
    SeparatorScope dot('.');
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.text);
        EXPECT_EQ(Simplified(c.text, backslash), c.tree);
    }
}

TEST(SimplifyTree, WorkedExamples) {
    Check({
        {"set expression", "a*b+b*c+a*c-a*b*c",
         R"~("-"("+"("+"("*"("a", "b"), "*"("b", "c")), "*"("a", "c")), "*"("*"("a", "b"), "c")))~"},
        {"equal factors stay", "a*a", R"~("*"("a", "a"))~"},
        {"equal terms stay", "a+a", R"~("+"("a", "a"))~"},
        {"equal difference stays", "a-a", R"~("-"("a", "a"))~"},
        {"rule 18", "a*1", R"~("a")~"},
        {"rule 17", "1*a", R"~("a")~"},
        {"rule 3", "a+0", R"~("a")~"},
        {"rule 2", "0+a", R"~("a")~"},
        {"rule 6", "a-0", R"~("a")~"},
        {"rule 19", "0*a", R"~("0")~"},
        {"rules 19, then 3", "a+b*0", R"~("a")~"},
        {"rule 5", "-a", R"~("neg @F"("a"))~"},
        {"rule 5 over a product", "-a*b", R"~("neg @F"("*"("a", "b")))~"},
        {"rule 5 twice, then 22", "(-a)*(-b)", R"~("*"("a", "b"))~"},
        {"rules 5, then 23", "(-a)*b", R"~("neg @F"("*"("a", "b")))~"},
        {"rule 11", "2*a*3", R"~("*"("a", "6"))~"},
        {"rule 1", "2+3", R"~("5")~"},
        {"rule 7", "1/4", R"~("0.25")~"},
        {"rule 27", "sqr(sqr(x))", R"~("sqr2 @F"("x"))~"},
        {"rules 4, then 30", "sqrt(-4)", R"~("2")~"},
        {"rule 26", "pow(x;0)", R"~("1")~"},
    });
}

TEST(SimplifyTree, RulesInTheirOrder) {
    Check({
        {"rule 9", "2*(3*a)", R"~("*"("6", "a"))~"},
        {"rule 10", "2*(a*3)", R"~("*"("6", "a"))~"},
        {"rule 12", "(a*2)*3", R"~("*"("a", "6"))~"},
        {"rule 12 twice along a chain", "2*a*3*4", R"~("*"("a", "24"))~"},
        {"rule 13", "(2*a)*(3*b)", R"~("*"("*"("6", "a"), "b"))~"},
        {"rule 14", "(2*a)*(b*3)", R"~("*"("*"("6", "a"), "b"))~"},
        {"rule 15", "(a*2)*(3*b)", R"~("*"("*"("a", "6"), "b"))~"},
        {"rule 16", "(a*2)*(b*3)", R"~("*"("*"("a", "6"), "b"))~"},
        // The inner product that rule 13 refilled is not tried again: its "1" stays.
        {"rule 13 leaves a refilled 1", "(2*a)*(0.5*b)", R"~("*"("*"("1", "a"), "b"))~"},
        {"rule 8 before 19", "0*5", R"~("0")~"},
        {"rule 20", "1/sqr(x)", R"~("sqr @F"("/"("1", "x")))~"},
        {"rule 21 on a folded -1", "(0-1)/sqr(x)", R"~("neg @F"("sqr @F"("/"("1", "x"))))~"},
        // Rule 20 builds the inner "/" after its operand was simplified, and never retries it.
        {"rule 20 node is not tried again", "1/sqr(-x)", R"~("sqr @F"("/"("1", "neg @F"("x"))))~"},
        {"rule 22 on a quotient", "(-a)/(-b)", R"~("/"("a", "b"))~"},
        {"rule 24", "a/(-b)", R"~("neg @F"("/"("a", "b")))~"},
        {"rule 23 along a chain", "(-a)*b*c", R"~("neg @F"("*"("*"("a", "b"), "c")))~"},
        {"rule 25", "pow(x;1)", R"~("x")~"},
        {"rule 26 for power", "power(x;0)", R"~("1")~"},
        {"rule 28", "-(-a)", R"~("a")~"},
        {"rule 29 after the inner square", "sqr(sqr(2))", R"~("16")~"},
        {"sqr", "sqr(3)", R"~("9")~"},
        {"cos", "cos(0)", R"~("1")~"},
        {"exp", "exp(1)", R"~("2.71828182845905")~"},
        {"exp beyond the double range", "exp(1000)", R"~("1.97007111401705E434")~"},
        {"sin at 2^63", "sin(9223372036854775808)", R"~("0")~"},
        {"cos at 2^63", "cos(9223372036854775808)", R"~("0")~"},
        // Only the two children are deleted; a third from a ";" list stays below the result.
        {"fold keeps a third child", "(1;2)+3", R"~("3"("3"))~"},
        {"a number label with a child is no number leaf", "((1;2)+3)+1", R"~("+"("3"("3"), "1"))~"},
    });
}

TEST(SimplifyTree, EdgeCases) {
    Check({
        {"scientific leaf stops folding", "1000000000*1000000*2", R"~("*"("1E15", "2"))~"},
        {"E- leaf keeps folding", "1/100000*2", R"~("2E-5")~"},
        {"zero result feeds rule 19", "(2-2)*a", R"~("0")~"},
        {"negative zero is 0", "0*(0-1)", R"~("0")~"},
        {"1.0 is not 1", "a*1.0", R"~("*"("a", "1.0"))~"},
        {"0.0 is not 0", "a+0.0", R"~("+"("a", "0.0"))~"},
        {"00 is not 0", "a*00", R"~("*"("a", "00"))~"},
        {"no rule for ^", "x^1", R"~("^"("x", "1"))~"},
        {"no rule for a quotient by 1", "a/1", R"~("/"("a", "1"))~"},
        {"no rule for a quotient of 0", "0/a", R"~("/"("0", "a"))~"},
        {"a negated number stays", "neg(5)", R"~("neg @F"("5"))~"},
        {"1.0 is not 1 for pow", "pow(x;1.0)", R"~("pow @F"("x", "1.0"))~"},
    });
}

TEST(SimplifyTree, BackslashIsAQuotient) {
    Check({{"rule 7", "6/3", R"~("2")~"},
           {"rule 20 writes /", "1/sqr(x)", R"~("sqr @F"("/"("1", "x")))~"},
           {"rule 22", "(-a)/(-b)", R"~("\\"("a", "b"))~"},
           {"rule 23 keeps the label", "(-a)/b", R"~("neg @F"("\\"("a", "b")))~"},
           {"division by zero", "1/0", "error: Floating point division by zero"}},
          true);
}

TEST(SimplifyTree, ErrorsEndThePassAtOnce) {
    struct ErrorCase {
        const char* text;
        char separator;
        std::string message;
        std::string left;  // the tree as the error left it
    };
    const ErrorCase cases[] = {
        {"2,5+1", '.', "'2,5' is not a valid floating point value", R"~("+"("2,5", "1"))~"},
        {"2.5+1", ',', "'2.5' is not a valid floating point value", R"~("+"("2.5", "1"))~"},
        {"1.2.3*2", '.', "'1.2.3' is not a valid floating point value", R"~("*"("1.2.3", "2"))~"},
        {"1+", '.', "'' is not a valid floating point value", R"~("+"("1", ""))~"},
        {"2*(a*1.2.3)", '.', "'1.2.3' is not a valid floating point value",
         R"~("*"("2", "*"("a", "1.2.3")))~"},
        {"1/0", '.', "Floating point division by zero", R"~("/")~"},
        {"0/0", '.', "Invalid floating point operation", R"~("/")~"},
        {"exp(11357)", '.', "Floating point overflow", R"~("exp @F")~"},
        {"pow(x)", '.', "List index out of bounds (0)", R"~("pow @F"("x"))~"},
        // The later sibling is never visited.
        {"1/0+(2+3)", '.', "Floating point division by zero", R"~("+"("/", "+"("2", "3")))~"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SeparatorScope scope(c.separator);
        RunBudget budget;
        TreeContainer tree(budget);
        const NodeId root = tree.AddFirstTopLevel("");
        ParseExpression(c.text, tree, root);
        try {
            SimplifyTree(tree, root);
            ADD_FAILURE() << "no error";
        } catch (const PipelineError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_EQ(FormatSubtree(tree, root), c.left);
    }
}

TEST(SimplifyTree, CommaSeparator) {
    SeparatorScope comma(',');
    EXPECT_EQ(Simplified("2,5+1"), R"~("3,5")~");
    EXPECT_EQ(Simplified("1/4"), R"~("0,25")~");
    EXPECT_EQ(Simplified("2,5+1+1"), R"~("4,5")~");  // its own results fold again
}

TEST(SimplifyTree, DeepAndWideInputs) {
    constexpr int kTerms = 20000;
    std::string chain = "a", ones = "1", negations, wide = "f(1";
    for (int i = 1; i < kTerms; ++i) {
        chain += "+a";
        ones += "+1";
        wide += ";1";
    }
    wide += ")";
    for (int i = 0; i < kTerms; ++i)
        wide += "*1";
    for (int i = 0; i < kTerms; ++i)
        negations += "-(";
    negations += "a" + std::string(kTerms, ')');

    RunBudget parsedBudget;
    TreeContainer parsed(parsedBudget);
    ParseExpression(chain, parsed, parsed.AddFirstTopLevel(""));
    EXPECT_EQ(Simplified(chain), FormatSubtree(parsed, parsed.FirstTopLevel()));
    EXPECT_EQ(Simplified(ones), R"~("20000")~");
    EXPECT_EQ(Simplified(negations), R"~("a")~");
    EXPECT_EQ(Simplified("-(" + negations + ")"), R"~("neg @F"("a"))~");
    const std::string nested = std::string(kTerms, '(') + "2*a*3" + std::string(kTerms, ')');
    EXPECT_EQ(Simplified(nested), R"~("*"("a", "6"))~");
    // A wide call lifted up a long chain of "*1": rule 18 each time.
    const std::string lifted = Simplified(wide);
    EXPECT_EQ(lifted.size(), std::string(R"~("f @F"())~").size() + 3 * kTerms + 2 * (kTerms - 1));
    EXPECT_EQ(lifted.rfind(R"~("f @F"("1", "1", )~", 0), 0u);
}

TEST(SimplifyTree, FormattingFarFromOneCountsAgainstTheWorkBudget) {
    // The digits of e^-11390, near the bottom of the extended range, take far longer to find
    // than those of e^-1; a budget that a thousand of the second fit in must stop the first.
    const auto sum = [](const std::string& term) {
        std::string text = term;
        for (int i = 1; i < 1000; ++i)
            text += "+" + term;
        return text;
    };
    const auto run = [](const std::string& text, std::size_t workBudget) {
        RunBudget budget({.work = workBudget});
        TreeContainer tree(budget);
        const NodeId root = tree.AddFirstTopLevel("");
        ParseExpression(text, tree, root);
        SimplifyTree(tree, root);
        return budget.WorkDone();
    };
    SeparatorScope dot('.');
    const std::size_t budget = 2 * run(sum("exp(-1)"), kWorkBudget);
    EXPECT_EQ(run(sum("exp(-1)"), budget), budget / 2);
    try {
        run(sum("exp(-11390)"), budget);
        ADD_FAILURE() << "within " << budget << " steps";
    } catch (const PipelineError& e) {
        EXPECT_STREQ(e.what(), kTooLargeMessage);
    }
}

TEST(ReplaceWithSubtree, RelinksFromBelowAndFromElsewhere) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("root");
    const NodeId target = tree.AppendChild(root, "t");
    const NodeId middle = tree.AppendChild(target, "m");
    const NodeId source = tree.AppendChild(middle, "s");
    const NodeId p = tree.AppendChild(source, "p");
    tree.AppendChild(p, "p1");
    tree.AppendChild(source, "q");
    tree.AppendChild(target, "other");
    const NodeId elsewhere = tree.AppendChild(root, "e");
    tree.AppendChild(elsewhere, "e1");

    ReplaceWithSubtree(tree, source, target);  // a grandchild into its grandparent
    EXPECT_EQ(FormatSubtree(tree, root), R"~("root"("s"("p"("p1"), "q"), "e"("e1")))~");
    EXPECT_EQ(tree.Child(root, 0), target);
    EXPECT_EQ(tree.Parent(p), target);
    EXPECT_FALSE(tree.IsAlive(source));
    EXPECT_FALSE(tree.IsAlive(middle));

    ReplaceWithSubtree(tree, elsewhere, p);  // a sibling's subtree into a node below
    EXPECT_EQ(FormatSubtree(tree, root), R"~("root"("s"("e"("e1"), "q")))~");
    EXPECT_EQ(tree.FirstTopLevel(), root);
    EXPECT_EQ(tree.TopLevelCount(), 1);  // the scratch node is gone
    EXPECT_EQ(tree.NodeCount(), 5u);
}

TEST(SimplifyNode, AnswersWhetherARuleFired) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    ParseExpression("1/sqr(-x)", tree, root);
    SimplifyTree(tree, root);
    EXPECT_FALSE(SimplifyNode(tree, root));
    // The "/" that rule 20 built was never tried; tried now, rule 24 fires on it.
    const NodeId built = tree.Child(root, 0);
    EXPECT_TRUE(SimplifyNode(tree, built));
    EXPECT_EQ(FormatSubtree(tree, root), R"~("sqr @F"("neg @F"("/"("1", "x"))))~");
    EXPECT_FALSE(SimplifyNode(tree, built));
}

// Random expressions over the labels the rules read; `withMinus` adds minus signs and "neg".
std::string RandomExpression(std::mt19937& rng, int depth, bool withMinus) {
    static const char* const kLeaves[] = {"a", "b", "x", "0", "1", "2", "3", "0.5", "1.0", "00"};
    static const char* const kOperators[] = {"+", "*", "/", "^", "-"};
    static const char* const kFunctions[] = {"sqr", "sqrt", "sin", "cos", "exp", "neg"};
    const int signs = withMinus ? 1 : 0;
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto sub = [&] { return RandomExpression(rng, depth - 1, withMinus); };
    if (depth == 0 || pick(4) == 0) return kLeaves[pick(10)];
    switch (pick(4 + signs)) {
        case 0:
            return std::string(kFunctions[pick(5 + signs)]) + "(" + sub() + ")";
        case 1:
            return std::string(pick(2) ? "pow(" : "power(") + sub() + ";" + sub() + ")";
        case 4:
            return "-(" + sub() + ")";
        default:
            return "(" + sub() + ")" + kOperators[pick(4 + signs)] + "(" + sub() + ")";
    }
}

// The plain recursive walk, as a reference: children by index, each to its end, then the node until
// no rule fires.
void LiteralSimplifyTree(TreeContainer& tree, NodeId node) {
    const int n = tree.ChildCount(node);
    for (int i = 0; i < n; ++i)
        LiteralSimplifyTree(tree, tree.Child(node, i));
    while (SimplifyNode(tree, node)) {
    }
}

std::string RunWalk(void (*walk)(TreeContainer&, NodeId), const std::string& text) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    ParseExpression(text, tree, root);
    try {
        walk(tree, root);
    } catch (const PipelineError& e) {
        return std::string("error: ") + e.what() + " leaving " + FormatSubtree(tree, root);
    }
    return FormatSubtree(tree, root);
}

TEST(SimplifyTree, WalksLikeItsDefinition) {
    SeparatorScope dot('.');
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = RandomExpression(rng, 6, true);
        SCOPED_TRACE(text);
        EXPECT_EQ(RunWalk(SimplifyTree, text), RunWalk(LiteralSimplifyTree, text));
    }
}

// A product whose operand is "0" or "1" is one that rules 13 to 16 refilled after the walk had
// passed it. Without minus signs nothing else is left untried (the "/" of rule 20 then never
// fits a rule), so every other result is a fixed point.
bool HasRefilledProduct(const TreeContainer& tree, NodeId root) {
    for (const NodeId n : Nodes(tree, root)) {
        if (tree.Label(n) != "*" || tree.ChildCount(n) < 2) continue;
        for (const NodeId c : {tree.Child(n, 0), tree.Child(n, 1)})
            if (tree.Label(c) == "0" || tree.Label(c) == "1") return true;
    }
    return false;
}

TEST(SimplifyTree, SimplifyingTwiceChangesNothing) {
    SeparatorScope dot('.');
    std::mt19937 rng(20240611);
    int checked = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string text = RandomExpression(rng, 6, false);
        SCOPED_TRACE(text);
        RunBudget budget;
        TreeContainer tree(budget);
        const NodeId root = tree.AddFirstTopLevel("");
        ParseExpression(text, tree, root);
        try {
            SimplifyTree(tree, root);
        } catch (const PipelineError&) {
            continue;  // division by zero, overflow
        }
        if (HasRefilledProduct(tree, root)) continue;
        ++checked;
        const std::string once = FormatSubtree(tree, root);
        for (const NodeId n : Nodes(tree, root)) {
            // Each node on a copy, so the tree stays as the pass left it.
            const NodeId copy = tree.AppendChild(kNoNode, "");
            tree.CopySubtree(n, copy);
            EXPECT_FALSE(SimplifyNode(tree, copy)) << FormatSubtree(tree, n);
            tree.Delete(copy);
        }
        SimplifyTree(tree, root);
        EXPECT_EQ(FormatSubtree(tree, root), once);
    }
    EXPECT_GT(checked, 2000);
}

}  // namespace
