// The differentiation pass on its own: known derivatives, the rule order, surplus arguments,
// the f_ family and every error.
#include <gtest/gtest.h>

#include <string>

#include "expr/error.h"
#include "expr/m_macros_diff.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"
#include "tests/separator_scope.h"

namespace {

using rivo::expr::ExpandDiff;
using rivo::expr::FormatSubtree;
using rivo::expr::IsPlainName;
using rivo::expr::NodeId;
using rivo::expr::ParseExpression;
using rivo::expr::PipelineError;
using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;

// The root node's tree after parsing and expanding the diff calls.
std::string Expand(const std::string& text) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    ParseExpression(text, tree, root);
    ExpandDiff(tree, root);
    EXPECT_EQ(tree.FirstTopLevel(), root);
    EXPECT_EQ(tree.TopLevelCount(), 1) << "a scratch node was left behind";
    return FormatSubtree(tree, root);
}

struct Case {
    const char* name;
    const char* text;
    const char* tree;
};

void CheckAll(std::initializer_list<Case> cases) {
    const rivo::testing::SeparatorScope dot('.');
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.text);
        EXPECT_EQ(Expand(c.text), c.tree);
    }
}

TEST(ExpandDiff, LabelAndInPlaceRules) {
    CheckAll({
        {"the variable", "diff(x;x)", R"~("1")~"},
        {"another name", "diff(a;x)", R"~("0")~"},
        {"a number", "diff(5;x)", R"~("0")~"},
        {"product", "diff(x*x;x)", R"~("+"("*"("1", "x"), "*"("x", "1")))~"},
        {"unary minus", "diff(-x;x)", R"~("-"("0", "1"))~"},
        {"whole labels, case-sensitive", "diff(x1+X;x)", R"~("+"("0", "0"))~"},
        {"a number as the variable", "diff(2*x;2)", R"~("+"("*"("1", "x"), "*"("2", "0")))~"},
        {"blank in the variable", "diff(x*x; x)", R"~("+"("*"("0", "x"), "*"("x", "0")))~"},
        {"power operator is a plain name", "diff(x^2;x)", R"~("0"("x", "2"))~"},
        {"no rule for max", "diff(max(x;1);x)", R"~("max @F"("x", "1"))~"},
        {"no rule for comparisons", "diff(x<1;x)", R"~("<"("x", "1"))~"},
        {"no rule for arrays", "diff(m[x];x)", R"~("m @A"("x"))~"},
        {"nothing outside diff changes", "x*diff(x;x)", R"~("*"("x", "1"))~"},
        {"differentiation stops at a ruleless node", "diff(max(x)+x;x)",
         R"~("+"("max @F"("x"), "1"))~"},
    });
}

TEST(ExpandDiff, RebuildingRules) {
    CheckAll({
        {"quotient", "diff(x/a;x)", R"~("/"("-"("*"("1", "a"), "*"("x", "0")), "sqr @F"("a")))~"},
        {"sin", "diff(sin(x);x)", R"~("*"("cos @F"("x"), "1"))~"},
        {"cos", "diff(cos(x);x)", R"~("*"("neg @F"("sin @F"("x")), "1"))~"},
        {"tan", "diff(tan(x);x)", R"~("/"("1", "sqr @F"("cos @F"("x"))))~"},
        {"tg", "diff(tg(x);x)", R"~("/"("1", "sqr @F"("cos @F"("x"))))~"},
        {"ctan", "diff(ctan(x);x)", R"~("neg @F"("/"("1", "sqr @F"("sin @F"("x")))))~"},
        {"ctg", "diff(ctg(x);x)", R"~("neg @F"("/"("1", "sqr @F"("sin @F"("x")))))~"},
        {"asin", "diff(asin(x);x)", R"~("/"("1", "sqrt @F"("-"("1", "sqr @F"("x")))))~"},
        {"arcsin", "diff(arcsin(x);x)", R"~("/"("1", "sqrt @F"("-"("1", "sqr @F"("x")))))~"},
        {"acos", "diff(acos(x);x)", R"~("neg @F"("/"("1", "sqrt @F"("-"("1", "sqr @F"("x"))))))~"},
        {"arccos", "diff(arccos(x);x)",
         R"~("neg @F"("/"("1", "sqrt @F"("-"("1", "sqr @F"("x"))))))~"},
        {"atan", "diff(atan(x);x)", R"~("/"("1", "+"("1", "sqr @F"("x"))))~"},
        {"atg", "diff(atg(x);x)", R"~("/"("1", "+"("1", "sqr @F"("x"))))~"},
        {"actan", "diff(actan(x);x)", R"~("neg @F"("/"("1", "+"("1", "sqr @F"("x")))))~"},
        {"actg", "diff(actg(x);x)", R"~("neg @F"("/"("1", "+"("1", "sqr @F"("x")))))~"},
        {"pow with a number", "diff(pow(x;3);x)", R"~("*"("3", "*"("pow @F"("x", "2"), "1")))~"},
        {"power is written pow", "diff(power(x;2.5);x)",
         R"~("*"("2.5", "*"("pow @F"("x", "1.5"), "1")))~"},
        {"exponent below one", "diff(pow(x;0.5);x)",
         R"~("*"("0.5", "*"("pow @F"("x", "-0.5"), "1")))~"},
        {"exponent one", "diff(pow(x;1);x)", R"~("*"("1", "*"("pow @F"("x", "0"), "1")))~"},
        {"pow with a name", "diff(power(x;y);x)",
         R"~("*"("pow @F"("x", "y"), "+"("*"("0", "ln @F"("x")), "/"("*"("y", "1"), "x"))))~"},
        {"negative exponent is an expression", "diff(pow(x;-1);x)",
         R"~("*"("pow @F"("x", "-"("0", "1")), "+"("*"("-"("0", "0"), "ln @F"("x")), )~"
         R"~("/"("*"("-"("0", "1"), "1"), "x"))))~"},
        {"abs", "diff(abs(x);x)", R"~("*"("1", "sgn @F"("x")))~"},
        {"sqr", "diff(sqr(x);x)", R"~("*"("1", "*"("2", "x")))~"},
        {"sqr2", "diff(sqr2(x);x)", R"~("*"("1", "*"("4", "*"("x", "sqr @F"("x")))))~"},
        {"sqrt", "diff(sqrt(x);x)", R"~("/"("1", "*"("2", "sqrt @F"("x"))))~"},
        {"sqrt3", "diff(sqrt3(x);x)", R"~("/"("1", "*"("3", "sqrt3 @F"("sqr @F"("x")))))~"},
        {"sh", "diff(sh(x);x)", R"~("*"("ch @F"("x"), "1"))~"},
        {"ch", "diff(ch(x);x)", R"~("*"("sh @F"("x"), "1"))~"},
        {"th", "diff(th(x);x)", R"~("/"("1", "sqr @F"("ch @F"("x"))))~"},
        {"exp", "diff(exp(x);x)", R"~("*"("1", "exp @F"("x")))~"},
        {"ln", "diff(ln(x);x)", R"~("/"("1", "x"))~"},
        {"lg", "diff(lg(x);x)", R"~("/"("1", "*"("x", "ln @F"("10"))))~"},
        {"log2", "diff(log2(x);x)", R"~("/"("1", "*"("x", "ln @F"("2"))))~"},
        {"lg2", "diff(lg2(x);x)", R"~("/"("1", "*"("x", "ln @F"("2"))))~"},
        {"chain rule copies the operand", "diff(sin(x*x);x)",
         R"~("*"("cos @F"("*"("x", "x")), "+"("*"("1", "x"), "*"("x", "1"))))~"},
    });
}

TEST(ExpandDiff, NestingSurplusArgumentsAndTheFFamily) {
    CheckAll({
        {"nested calls innermost first", "diff(diff(x*x;x);x)",
         R"~("+"("+"("*"("0", "x"), "*"("1", "1")), "+"("*"("1", "1"), "*"("x", "0"))))~"},
        {"diff in the variable argument", "diff(1;diff(y;y))", R"~("1")~"},
        {"surplus argument stays in front", "diff(x;x;a)", R"~("1"("a"))~"},
        {"surplus arguments of nested calls, the outer ones first", "diff(diff(f(a;b);x;s);x;t)",
         R"~("f @F"("t", "s", "a", "b"))~"},
        {"nested calls around a wide call", "diff(diff(diff(f(a;b;c;d);x);x);x)",
         R"~("f @F"("a", "b", "c", "d"))~"},
        {"surplus operand of a function", "diff(sin(x;a);x)", R"~("*"("a", "cos @F"("x"), "1"))~"},
        {"f_0", "diff(f_0;x)", R"~("f_1")~"},
        {"f twice", "diff(diff(f_0;x);x)", R"~("f_2")~"},
        {"f_ without a number", "diff(f_x;x)", R"~("f_x")~"},
        {"f_ before the variable test", "diff(f_1;f_1)", R"~("f_2")~"},
        {"leading zeros", "diff(f_007;x)", R"~("f_8")~"},
        {"largest order", "diff(f_2147483646;x)", R"~("f_2147483647")~"},
        {"a diff node in the expression", "diff(diff(x;y)*x;x)",
         R"~("+"("*"("0", "x"), "*"("0", "1")))~"},
    });
}

TEST(ExpandDiff, QuotientWithBackslashKeepsItsLabel) {
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("diff @F");
    const NodeId quotient = tree.AppendChild(root, "\\");
    tree.AppendChild(quotient, "x");
    tree.AppendChild(quotient, "2");
    tree.AppendChild(root, "x");
    ExpandDiff(tree, root);
    EXPECT_EQ(FormatSubtree(tree, root),
              R"~("\\"("-"("*"("1", "2"), "*"("x", "0")), "sqr @F"("2")))~");
}

TEST(ExpandDiff, Errors) {
    const rivo::testing::SeparatorScope dot('.');
    const Case cases[] = {
        {"diff with one argument", "diff(x)", "List index out of bounds (0)"},
        {"diff with no argument", "diff()", "List index out of bounds (0)"},
        {"pow with one argument", "diff(pow(x);x)", "List index out of bounds (0)"},
        {"fractional order", "diff(f_1.5;x)", "'1.5' is not a valid integer value"},
        {"empty order", "diff(f_;x)", "'' is not a valid integer value"},
        {"order past 32 bits", "diff(f_99999999999;x)",
         "'99999999999' is not a valid integer value"},
        {"order that would overflow", "diff(f_2147483647;x)", "Integer overflow"},
        {"exponent with two separators", "diff(pow(x;1.2.3);x)",
         "'1.2.3' is not a valid floating point value"},
        {"empty exponent", "diff(pow(x;);x)", "'' is not a valid floating point value"},
        {"order split at its minus", "diff(f_-5;x)", "'' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.text);
        try {
            Expand(c.text);
            ADD_FAILURE() << "no error";
        } catch (const PipelineError& e) {
            EXPECT_STREQ(e.what(), c.tree);
        }
    }
}

TEST(ExpandDiff, ExponentialBlowUpEndsWithTheBudgetError) {
    std::string text = "x*x*x*sin(x)";
    for (int i = 0; i < 20; ++i)
        text = "diff(" + text + ";x)";
    try {
        Expand(text);
        ADD_FAILURE() << "no error";
    } catch (const PipelineError& e) {
        EXPECT_STREQ(e.what(), "Expression is too large");
    }
}

TEST(ExpandDiff, DeepInputsNeedNoRecursion) {
    constexpr int kDepth = 20000;
    std::string chain = "x";
    for (int i = 0; i < kDepth; ++i)
        chain += "+x";
    RunBudget budget;
    TreeContainer tree(budget);
    const NodeId root = tree.AddFirstTopLevel("");
    ParseExpression("diff(" + chain + ";x)", tree, root);
    ExpandDiff(tree, root);
    NodeId node = root;
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(tree.Label(tree.Child(node, 1)), "1");
        node = tree.Child(node, 0);
    }
    EXPECT_EQ(tree.Label(node), "1");

    // Nested calls rework the whole result at every level: two thousand end with the right
    // tree, twenty thousand (a hundred million steps) with the budget error, not a freeze.
    auto nestedNegations = [](int depth) {
        std::string nested = "x";
        for (int i = 0; i < depth; ++i)
            nested = "diff(neg(" + nested + ");x)";
        return nested;
    };
    std::string negations;
    for (int i = 0; i < 2000; ++i)
        negations += R"~("neg @F"()~";
    EXPECT_EQ(Expand(nestedNegations(2000)), negations + R"~("0")~" + std::string(2000, ')'));
    try {
        Expand(nestedNegations(kDepth));
        ADD_FAILURE() << "no error";
    } catch (const PipelineError& e) {
        EXPECT_STREQ(e.what(), "Expression is too large");
    }
}

TEST(IsPlainName, RejectsOperatorsFunctionsAndNumbers) {
    struct NameCase {
        const char* label;
        bool plain;
    };
    const NameCase cases[] = {
        {"a", true},       {"x1", true},    {"alpha", true}, {"^", true},    {":", true},
        {"sin @F", false}, {"m @A", false}, {"+", false},    {"-", false},   {"*", false},
        {"/", false},      {"\\", false},   {"=", false},    {"==", false},  {"!=", false},
        {"<", false},      {">=", false},   {"2", false},    {"1.5", false}, {"", false},
        {"a!", true},      {"x y", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(IsPlainName(c.label), c.plain);
    }
}

}  // namespace
