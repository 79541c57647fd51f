// The infix writer against the parser: every subtree of a parsed or built tree, written back,
// parses into the same subtree, and no pair of parentheses in the written text can go.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "expr/error.h"
#include "expr/infix.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"
#include "expr/walk.h"
#include "tests/separator_scope.h"

namespace {

using rivo::expr::NodeId;
using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;

// A random text of the language: every operator class, unary minus, redundant parentheses,
// calls and indexing with argument lists, lists as operands and empty operands where the
// parser makes a node of them. Test texts are shallow, so plain recursion is fine here.
std::string RandomText(std::mt19937& rng, int depth) {
    static const char* kLeaves[] = {"a", "b", "c", "d", "e", "x", "2", "0.5", "sin", "a b", "e1"};
    static const char* kOperators[] = {":", "=", "==", "!=", "<=", ">=", "<", ">",
                                       "+", "-", "*",  "/",  "^",  "+",  "-", "*"};
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    if (depth == 0 || pick(5) == 0) return kLeaves[pick(std::size(kLeaves))];
    switch (pick(8)) {
        case 0:
            return "(" + RandomText(rng, depth - 1) + ")";
        case 1:
            return "-" + RandomText(rng, depth - 1);
        case 2: {
            std::string call = pick(4) == 0 ? "m[" : "f(";
            call += RandomText(rng, depth - 1);
            if (pick(2) == 0) call += ";" + RandomText(rng, depth - 1);
            return call + (call[1] == '[' ? "]" : ")");
        }
        case 3:
            return "(" + RandomText(rng, depth - 1) + ";" + RandomText(rng, depth - 1) + ")" +
                   kOperators[8 + pick(5)] + RandomText(rng, depth - 1);
        default: {
            const std::string op = kOperators[pick(std::size(kOperators))];
            // "+", "-", "*", "/" and "^" take an empty operand as a node of their own; "=" and
            // the comparisons would leave the text a leaf.
            const bool mayBeEmpty =
                op.size() == 1 && std::string("+-*/^").find(op) != std::string::npos;
            std::string left = mayBeEmpty && pick(10) == 0 ? "" : RandomText(rng, depth - 1);
            std::string right = mayBeEmpty && pick(10) == 0 ? "" : RandomText(rng, depth - 1);
            return left + op + right;
        }
    }
}

std::string ParsedNotation(const std::string& text, int* topLevelCount) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    rivo::expr::ParseExpression(text, tree, root);
    *topLevelCount = tree.TopLevelCount();
    return rivo::expr::FormatSubtree(tree, root);
}

// The written text of the node reads back as its subtree, and every pair of parentheses in it
// is needed: without it the text parses into another tree.
void ExpectRoundTrip(TreeContainer& tree, NodeId node, const std::string& source,
                     bool checkEveryPair = true) {
    const std::string expected = rivo::expr::FormatSubtree(tree, node);
    const std::string text = rivo::expr::WriteInfix(tree, node, tree.Budget());
    int count = 0;
    ASSERT_EQ(ParsedNotation(text, &count), expected) << "from " << source << " wrote " << text;
    ASSERT_EQ(count, 1) << text;
    // Cut at a limit: the text's beginning, and whether all of it fit.
    for (const std::size_t limit : {text.size(), text.size() / 2}) {
        std::string cut;
        EXPECT_EQ(rivo::expr::AppendInfix(tree, node, tree.Budget(), cut, limit),
                  limit == text.size());
        EXPECT_EQ(cut, text.substr(0, limit));
    }
    if (!checkEveryPair) return;
    std::vector<std::size_t> open;
    for (std::size_t j = 0; j < text.size(); ++j) {
        if (text[j] == '(') open.push_back(j);
        if (text[j] != ')' || open.empty()) continue;
        std::string without = text;
        without.erase(j, 1);
        without.erase(open.back(), 1);
        open.pop_back();
        EXPECT_FALSE(ParsedNotation(without, &count) == expected && count == 1)
            << "from " << source << ": the parentheses of " << text << " at " << j
            << " are not needed";
    }
}

// Whether some text parses into the subtree: the passes leave trees no text makes, such as a
// negative number as a leaf, a folded number that kept an operand, or an argument list
// that begins with an empty argument.
bool SomeTextMakes(const TreeContainer& tree, NodeId node) {
    static const std::string kOperators[] = {":", "=", "==", "!=", "<=", ">=", "<",
                                             ">", "+", "-",  "*",  "/",  "^"};
    bool made = true;
    rivo::expr::ForEachPreOrder(tree, node, [&](NodeId n) {
        const std::string& label = tree.Label(n);
        if (tree.ChildCount(n) == 0) {
            if (label.find_first_of("+-*/^=<>!:;") != std::string::npos) made = false;
        } else if (std::find(std::begin(kOperators), std::end(kOperators), label) ==
                   std::end(kOperators)) {
            if (label.size() < 3 || (label.substr(label.size() - 3) != " @F" &&
                                     label.substr(label.size() - 3) != " @A")) {
                made = false;
            }
            // An argument list cannot begin with an empty argument: ";x" stays one label.
            const NodeId first = tree.FirstChild(n);
            if (tree.ChildCount(n) > 1 && tree.Label(first).empty() && tree.ChildCount(first) == 0)
                made = false;
        }
    });
    return made;
}

TEST(InfixWriter, EverySubtreeOfARandomTextReadsBack) {
    const rivo::testing::SeparatorScope dot('.');
    std::mt19937 rng(20261208);
    for (int round = 0; round < 600; ++round) {
        const std::string text = RandomText(rng, 1 + round % 6);
        RunBudget budget;
        TreeContainer tree(budget);
        tree.AddFirstTopLevel("");
        rivo::expr::ParseExpression(text, tree, tree.FirstTopLevel());
        for (NodeId top = tree.FirstTopLevel(); top != rivo::expr::kNoNode;
             top = tree.NextSibling(top)) {
            rivo::expr::ForEachPreOrder(tree, top,
                                        [&](NodeId node) { ExpectRoundTrip(tree, node, text); });
        }
        // After the passes (numbers folded, "neg" calls), wherever no leaf is a negative number
        // or another text the parser would split.
        // ("" as a number is a pipeline error, as the window reports it.)
        try {
            rivo::expr::BuildTree(text, tree);
        } catch (const rivo::expr::PipelineError&) {
            continue;
        }
        rivo::expr::ForEachPreOrder(tree, tree.FirstTopLevel(), [&](NodeId node) {
            if (SomeTextMakes(tree, node)) ExpectRoundTrip(tree, node, text);
        });
        if (HasFatalFailure() || HasFailure()) return;
    }
}

// Shapes as deep as the input allows: the writer keeps its own stack.
TEST(InfixWriter, DeepTreesReadBack) {
    const int n = 20000;
    std::string leftChain = "a";
    std::string rightNest;
    std::string powers;
    std::string calls;
    for (int i = 0; i < n; ++i) {
        leftChain += "-b";
        rightNest += "a-(";
        powers += "(";
        calls += "f(";
    }
    rightNest += "b" + std::string(n, ')');
    powers += "a" + std::string(n, ')');
    for (int i = 0; i < n; ++i)
        powers += "^b";
    calls += "c" + std::string(n, ')');
    for (const std::string& text : {leftChain, rightNest, powers, calls}) {
        RunBudget budget;
        TreeContainer tree(budget);
        tree.AddFirstTopLevel("");
        rivo::expr::ParseExpression(text, tree, tree.FirstTopLevel());
        ExpectRoundTrip(tree, tree.FirstTopLevel(), text.substr(0, 20), false);
    }
}

}  // namespace
