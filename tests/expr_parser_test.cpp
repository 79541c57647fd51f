// The parser: known trees, edge cases, deep inputs, and the fast parser against the literal one.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"
#include "oracle/literal_parser.h"
#include "tests/expression_shapes.h"

namespace {

using rivo::expr::FormatForest;
using rivo::expr::kNoNode;
using rivo::expr::NodeId;
using rivo::expr::ParseExpression;
using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;
using rivo::testing::StripOuterParens;

std::vector<std::string> Parse(const std::string& text) {
    RunBudget budget;
    TreeContainer tree(budget);
    ParseExpression(text, tree, tree.AddFirstTopLevel(""));
    return FormatForest(tree);
}

std::vector<std::string> ParseLiterally(const std::string& text) {
    RunBudget budget;
    TreeContainer tree(budget);
    rivo::testing::LiteralParseExpression(text, tree, tree.AddFirstTopLevel(""));
    return FormatForest(tree);
}

TEST(StripOuterParens, RemovesOnlyParenthesesAroundEverything) {
    struct Case {
        const char* text;
        const char* stripped;
    };
    const Case cases[] = {
        {"((a))", "a"},
        {"(a)+(b)", "(a)+(b)"},
        {"()", "()"},
        {"(())", ""},
        {"(a", "(a"},
        {"a)", "a)"},
        {"(()", "("},
        {"[a]", "[a]"},
        {"((a)+(b))", "(a)+(b)"},
        {"(", "("},
        {"", ""},
        {"(a))", "(a))"},
        {"((a)", "(a"},
        {"(x[)])", "(x[)])"},
        {"(((a)))b", "(((a)))b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StripOuterParens(c.text), c.stripped);
    }
}

struct TreeCase {
    const char* name;
    std::string text;
    std::vector<std::string> forest;
};

void CheckTrees(const std::vector<TreeCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.text);
        EXPECT_EQ(Parse(c.text), c.forest);
        EXPECT_EQ(ParseLiterally(c.text), c.forest);
    }
}

TEST(ParseExpression, WorkedExamples) {
    CheckTrees({
        {"default text",
         "a*b+b*c+a*c-a*b*c",
         {R"~("-"("+"("+"("*"("a", "b"), "*"("b", "c")), "*"("a", "c")), "*"("*"("a", "b"), "c")))~"}},
        {"diff call", "diff(x^2;x)", {R"~("diff @F"("^"("x", "2"), "x"))~"}},
        {"product first", "a*b+c", {R"~("+"("*"("a", "b"), "c"))~"}},
        {"product last", "a+b*c", {R"~("+"("a", "*"("b", "c")))~"}},
        {"left associative", "a-b-c", {R"~("-"("-"("a", "b"), "c"))~"}},
        {"parentheses", "(a+b)*c", {R"~("*"("+"("a", "b"), "c"))~"}},
        {"unary minus binds loosely", "-a*b", {R"~("-"("0", "*"("a", "b")))~"}},
        {"unary minus before parentheses", "-(a+b)", {R"~("-"("0", "+"("a", "b")))~"}},
        {"call with three arguments", "f(x;y;z)", {R"~("f @F"("x", "y", "z"))~"}},
        {"index", "m[i;j]+1", {R"~("+"("m @A"("i", "j"), "1"))~"}},
        {"call in product", "sin(x)*2", {R"~("*"("sin @F"("x"), "2"))~"}},
        {"assignment over comparison", "x=a>=b", {R"~("="("x", ">="("a", "b")))~"}},
        {"equality", "a==b", {R"~("=="("a", "b"))~"}},
        {"assignment of parenthesised sides", "(a)=(b)", {R"~("="("a", "b"))~"}},
        {"list operand adds children", "(a;b)+c", {R"~("+"("a", "b", "c"))~"}},
        {"list as right operand", "a+(c;d)", {R"~("+"("a", "c", "d"))~"}},
        {"empty right operand", "a+", {R"~("+"("a", ""))~"}},
        {"exponent sign splits", "1E-5", {R"~("-"("1E", "5"))~"}},
    });
}

TEST(ParseExpression, EdgeCases) {
    CheckTrees({
        {"empty text", "", {R"~("")~"}},
        {"empty left operand", "+a", {R"~("+"("", "a"))~"}},
        {"empty product operand", "a*", {R"~("*"("a", ""))~"}},
        {"unmatched open falls to call", "(a+b", {R"~(" @F"("+"("a", "")))~"}},
        {"unmatched close hides the operator", "a)+b", {R"~("a)+b")~"}},
        {"nested empty parentheses", "(())", {R"~("")~"}},
        {"text after the call", "f(x)y", {R"~("f @F"("x)"))~"}},
        {"empty parentheses are a call", "()", {R"~(" @F"(""))~"}},
        {"leaf cut to 23", "abcdefghijklmnopqrstuvwxyz012", {R"~("abcdefghijklmnopqrstuvw")~"}},
        {"leaf of exactly 23", "abcdefghijklmnopqrstuvw", {R"~("abcdefghijklmnopqrstuvw")~"}},
        {"function name kept whole",
         "abcdefghijklmnopqrstuvwxyz012(x)",
         {R"~("abcdefghijklmnopqrstuvwxyz012 @F"("x"))~"}},
        {"list with empty first element", ";b", {R"~(";b")~", R"~("b")~"}},
        {"top-level list", "a;b", {R"~("a")~", R"~("b")~"}},
        {"three elements", "a;b;c", {R"~("a")~", R"~("b")~", R"~("c")~"}},
        {"parenthesised list at top", "(a;b);c", {R"~("a")~", R"~("b")~", R"~("c")~"}},
        {"long list label is cut",
         ";abcdefghijklmnopqrstuvwxyz",
         {R"~(";abcdefghijklmnopqrstuv")~", R"~("abcdefghijklmnopqrstuvw")~"}},
        {"blank in the variable", "diff(x^2; x)", {R"~("diff @F"("^"("x", "2"), " x"))~"}},
        {"greater or equal", "a>=b", {R"~(">="("a", "b"))~"}},
        {"less or equal", "a<=b", {R"~("<="("a", "b"))~"}},
        {"not equal", "a!=b", {R"~("!="("a", "b"))~"}},
        {"equals then less", "a=<b", {R"~("="("a", "<b"))~"}},
        {"triple equals", "a===b", {R"~("=="("a=", "b"))~"}},
        {"comparison never first", "<a", {R"~("<a")~"}},
        {"comparison never last", "a<", {R"~("a<")~"}},
        {"assignment never first", "=a", {R"~("=a")~"}},
        {"double minus", "a--b", {R"~("-"("-"("a", ""), "b"))~"}},
        {"blank before parenthesis", "a * (b + c)", {R"~("*"("a ", "  @F"("+"("b ", " c"))))~"}},
        {"blanks kept", "a + b", {R"~("+"("a ", " b"))~"}},
        {"blank in call name", "sin (x)", {R"~("sin  @F"("x"))~"}},
        {"case kept", "A+b", {R"~("+"("A", "b"))~"}},
        {"nested parentheses", "((a))", {R"~("a")~"}},
        {"colon chain", "x:y:z", {R"~(":"(":"("x", "y"), "z"))~"}},
        {"power chain", "a^b^c", {R"~("^"("^"("a", "b"), "c"))~"}},
        {"lone minus", "-", {R"~("-"("0", ""))~"}},
        {"minus in argument", "f(-x)", {R"~("f @F"("-"("0", "x")))~"}},
        {"unmatched close bracket", "a]+b", {R"~("a]+b")~"}},
        {"open bracket becomes index", "a[+b", {R"~("a @A"("+"("", "")))~"}},
        {"bracket inside parentheses ignored", "a(]+b", {R"~("a @F"("]+"))~"}},
        {"mixed unbalanced", "[a)+(b]", {R"~(" @A"("a)+ @F"("")))~"}},
        {"control byte kept", "a\tb", {R"~("a\x09b")~"}},
        {"quote escaped", "\"+\\", {R"~("+"("\"", "\\"))~"}},
    });
}

TEST(ParseExpression, LongChainsAndDeepNesting) {
    constexpr int kTerms = 20000;
    std::string chain = "a";
    for (int i = 1; i < kTerms; ++i)
        chain += "+a";
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    ParseExpression(chain, tree, root);
    NodeId node = root;
    for (int i = 1; i < kTerms; ++i) {
        ASSERT_EQ(tree.Label(node), "+");
        ASSERT_EQ(tree.ChildCount(node), 2);
        ASSERT_EQ(tree.Label(tree.Child(node, 1)), "a");
        node = tree.Child(node, 0);
    }
    EXPECT_EQ(tree.Label(node), "a");
    EXPECT_EQ(tree.NodeCount(), static_cast<std::size_t>(2 * kTerms - 1));

    const std::string nested = std::string(kTerms, '(') + "a+b" + std::string(kTerms, ')');
    EXPECT_EQ(Parse(nested), std::vector<std::string>{R"~("+"("a", "b"))~"});

    // a+(a+(a+...)): as deep to the right as the chain was to the left.
    std::string right = "a";
    for (int i = 1; i < kTerms; ++i)
        right = "a+(" + right;
    right += std::string(kTerms - 1, ')');
    RunBudget deepBudget;
    TreeContainer deep(deepBudget);
    const NodeId top = deep.AddFirstTopLevel("");
    ParseExpression(right, deep, top);
    node = top;
    int depth = 0;
    while (deep.ChildCount(node) == 2) {
        ASSERT_EQ(deep.Label(deep.Child(node, 0)), "a");
        node = deep.Child(node, 1);
        ++depth;
    }
    EXPECT_EQ(depth, kTerms - 1);
    EXPECT_EQ(deep.Label(node), "a");

    std::string calls;
    for (int i = 0; i < kTerms; ++i)
        calls += "f(";
    calls += "x" + std::string(kTerms, ')');
    const auto forest = Parse(calls);
    ASSERT_EQ(forest.size(), 1u);
    EXPECT_EQ(forest[0].size(), std::string(R"~("f @F"()~").size() * kTerms + 3 + kTerms);
}

// Random texts over the language's bytes and tokens, balanced and unbalanced alike.
std::string RandomText(std::mt19937& rng, std::size_t pieces) {
    static const std::vector<std::string> kTokens = {
        "a",
        "b",
        "x",
        "1",
        "2.5",
        ",",
        "(",
        ")",
        "(",
        ")",
        "[",
        "]",
        ";",
        ":",
        "=",
        "==",
        "!=",
        "<",
        ">",
        "<=",
        ">=",
        "!",
        "+",
        "-",
        "*",
        "/",
        "^",
        " ",
        "f(",
        "sin(",
        "m[",
        "E-",
        "()",
        "--",
        "-(",
        "=<",
        "abcdefghijklmnopqrstuvwxyz",
        "\\",
        "@F",
        "diff(",
        "a;b",
        "(a)",
        "+-",
    };
    std::uniform_int_distribution<std::size_t> pick(0, kTokens.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i)
        text += kTokens[pick(rng)];
    return text;
}

TEST(ParseExpression, AgreesWithTheLiteralRulesOnRandomTexts) {
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<std::size_t> length(0, 40);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomText(rng, length(rng));
        ASSERT_EQ(Parse(text), ParseLiterally(text)) << "text: " << text;
    }
    for (int i = 0; i < 20; ++i) {
        const std::string text = RandomText(rng, 2000);
        ASSERT_EQ(Parse(text), ParseLiterally(text)) << "text: " << text;
    }
}

// Texts built to reach the corners of the fast parser's index: long runs of one operator class,
// nesting that does not balance, minus runs, names around the 23-byte cut, and blanks.
std::string AdversarialText(std::mt19937& rng) {
    static const std::vector<std::string> kOperators = {";",  ":",   "=",   "==", "!=", "<", ">",
                                                        "<=", ">=",  "+",   "-",  "*",  "/", "^",
                                                        "=<", "===", " + ", "--", "+-"};
    static const std::vector<std::string> kOperands = {
        "a",
        "b",
        "",
        "1",
        "2.5",
        "x y",
        "-a",
        "(a)",
        "[b]",
        "f(x)",
        "m[i;j]",
        "(a;b)",
        "f(",
        ")",
        "]",
        "(",
        "[",
        "-(",
        "abcdefghijklmnopqrstuv",
        "abcdefghijklmnopqrstuvw",
        "abcdefghijklmnopqrstuvwx",
        "sin (x)",
        "(()",
        "())",
        "diff(x^2;x)",
        " ",
    };
    auto pick = [&rng](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
    };
    auto count = [&rng](std::size_t most) {
        return std::uniform_int_distribution<std::size_t>(0, most)(rng);
    };
    std::string text;
    switch (count(4)) {
        case 0: {  // a long chain of one operator, now and then another
            const std::string op = pick(kOperators);
            text = pick(kOperands);
            for (std::size_t i = count(200); i > 0; --i)
                text += (count(9) == 0 ? pick(kOperators) : op) + pick(kOperands);
            break;
        }
        case 1: {  // nesting whose opening and closing counts differ
            const std::string open = pick({"(", "[", "f(", "m[", "-(", "a+(", "(a;"});
            const std::string close = pick({")", "]", ")+b", "];c", ")*2"});
            const std::size_t depth = count(150);
            for (std::size_t i = 0; i < depth; ++i)
                text += open;
            text += pick(kOperands);
            for (std::size_t i = depth + count(4); i > 2; --i)
                text += close;
            break;
        }
        case 2:  // minus runs before, between and after operands
            text = std::string(count(50), '-') + pick(kOperands) + std::string(count(5), '-') +
                   pick(kOperands) + std::string(count(50), '-');
            break;
        case 3: {  // pieces of the other shapes glued together
            for (std::size_t i = count(30); i > 0; --i)
                text += pick(kOperands) + pick(kOperators);
            break;
        }
        default:  // a shape of the limit tests, short enough for the literal parser
            text = rivo::testing::ShapedText(
                rivo::testing::kRoadShapes[count(std::size(rivo::testing::kRoadShapes) - 1)],
                16 + count(600));
            break;
    }
    return text;
}

TEST(ParseExpression, AgreesWithTheLiteralRulesOnAdversarialTexts) {
    std::mt19937 rng(8);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = AdversarialText(rng);
        ASSERT_EQ(Parse(text), ParseLiterally(text)) << "text: " << text;
    }
}

TEST(ParseExpression, FillsAGivenChildNodeAndItsSiblingsBelowTheParent) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("f @F");
    const NodeId child = tree.AppendChild(root, "");
    ParseExpression("a;b", tree, child);
    ASSERT_EQ(tree.ChildCount(root), 2);
    EXPECT_EQ(tree.Label(tree.Child(root, 0)), "a");
    EXPECT_EQ(tree.Label(tree.Child(root, 1)), "b");
    EXPECT_EQ(tree.TopLevelCount(), 1);
    EXPECT_EQ(tree.Parent(tree.Child(root, 1)), root);
    EXPECT_NE(tree.Child(root, 1), kNoNode);
}

}  // namespace
