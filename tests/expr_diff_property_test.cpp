// Derivatives checked numerically: for random expressions in x the pass's result, before and
// after the simplifier, agrees with a central finite difference of the expression itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>

#include "expr/error.h"
#include "expr/m_macros_diff.h"
#include "expr/m_macros_optimize.h"
#include "expr/m_tree.h"
#include "expr/tree.h"
#include "tests/separator_scope.h"

namespace {

using rivo::expr::NodeId;
using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;

constexpr double kPi = 3.14159265358979323846;

// Evaluates a tree as the functions' names mean; unknown labels give NaN. Test trees are
// shallow, so plain recursion is fine here.
double Evaluate(const TreeContainer& tree, NodeId node, double x) {
    const std::string& label = tree.Label(node);
    auto arg = [&](int i) { return Evaluate(tree, tree.Child(node, i), x); };
    if (tree.ChildCount(node) == 0) {
        if (label == "x") return x;
        if (rivo::expr::IsNumber(label) && !label.empty())
            return std::strtod(label.c_str(), nullptr);
        return NAN;
    }
    static const std::map<std::string, std::function<double(double)>> kUnary = {
        {"neg @F", [](double u) { return -u; }},
        {"sqr @F", [](double u) { return u * u; }},
        {"sqr2 @F", [](double u) { return u * u * u * u; }},
        {"sqrt @F", [](double u) { return std::sqrt(u); }},
        {"sqrt3 @F", [](double u) { return std::cbrt(u); }},
        {"sin @F", [](double u) { return std::sin(u); }},
        {"cos @F", [](double u) { return std::cos(u); }},
        {"tan @F", [](double u) { return std::tan(u); }},
        {"ctan @F", [](double u) { return 1 / std::tan(u); }},
        {"asin @F", [](double u) { return std::asin(u); }},
        {"acos @F", [](double u) { return std::acos(u); }},
        {"atan @F", [](double u) { return std::atan(u); }},
        {"actan @F", [](double u) { return kPi / 2 - std::atan(u); }},
        {"abs @F", [](double u) { return std::fabs(u); }},
        {"sgn @F", [](double u) { return u > 0   ? 1.0
                                         : u < 0 ? -1.0
                                                 : 0.0; }},
        {"sh @F", [](double u) { return std::sinh(u); }},
        {"ch @F", [](double u) { return std::cosh(u); }},
        {"th @F", [](double u) { return std::tanh(u); }},
        {"exp @F", [](double u) { return std::exp(u); }},
        {"ln @F", [](double u) { return std::log(u); }},
        {"lg @F", [](double u) { return std::log10(u); }},
        {"log2 @F", [](double u) { return std::log2(u); }},
    };
    if (const auto f = kUnary.find(label); f != kUnary.end() && tree.ChildCount(node) == 1) {
        return f->second(arg(0));
    }
    if (tree.ChildCount(node) != 2) return NAN;
    if (label == "+") return arg(0) + arg(1);
    if (label == "-") return arg(0) - arg(1);
    if (label == "*") return arg(0) * arg(1);
    if (label == "/") return arg(0) / arg(1);
    if (label == "pow @F") return std::pow(arg(0), arg(1));
    return NAN;
}

std::string RandomExpression(std::mt19937& rng, int depth) {
    static const char* kFunctions[] = {"sin",   "cos", "tan", "ctan", "asin", "acos",  "atan",
                                       "actan", "abs", "sqr", "sqr2", "sqrt", "sqrt3", "sh",
                                       "ch",    "th",  "exp", "ln",   "lg",   "log2"};
    std::uniform_int_distribution<int> pick(0, 99);
    const int choice = depth <= 0 ? pick(rng) % 30 : pick(rng);
    if (choice < 18) return "x";
    if (choice < 30) {
        static const char* kNumbers[] = {"2", "3", "0.5", "1.5", "7"};
        return kNumbers[pick(rng) % 5];
    }
    const std::string a = RandomExpression(rng, depth - 1);
    if (choice < 60) {
        return std::string(kFunctions[pick(rng) % 20]) + "(" + a + ")";
    }
    const std::string b = RandomExpression(rng, depth - 1);
    if (choice < 66) return "pow(" + a + ";" + b + ")";
    if (choice < 70) return "-(" + a + ")";
    const char op = "+-*/"[pick(rng) % 4];
    return "(" + a + ")" + op + "(" + b + ")";
}

struct Prepared {
    RunBudget budget;
    TreeContainer tree{budget};
    NodeId root;
};

void Prepare(Prepared& p, const std::string& text, bool simplify) {
    p.root = p.tree.AddFirstTopLevel("");
    rivo::expr::ParseExpression(text, p.tree, p.root);
    rivo::expr::ExpandDiff(p.tree, p.root);
    if (simplify) rivo::expr::SimplifyTree(p.tree, p.root);
}

TEST(Differentiate, AgreesWithFiniteDifferences) {
    const rivo::testing::SeparatorScope dot('.');
    std::mt19937 rng(1207);
    std::uniform_real_distribution<double> point(-2.5, 2.5);
    int compared = 0;
    for (int i = 0; i < 400; ++i) {
        const std::string f = RandomExpression(rng, 3);
        Prepared original;
        Prepare(original, f, false);
        Prepared raw;
        Prepare(raw, "diff(" + f + ";x)", false);
        Prepared simplified;
        try {
            Prepare(simplified, "diff(" + f + ";x)", true);
        } catch (const rivo::expr::PipelineError&) {
            continue;  // folding a constant can fault (ln of a negative number is no error, 1/0 is)
        }
        for (int k = 0; k < 5; ++k) {
            const double x = point(rng);
            auto fd = [&](double h) {
                return (Evaluate(original.tree, original.root, x + h) -
                        Evaluate(original.tree, original.root, x - h)) /
                       (2 * h);
            };
            const double coarse = fd(1e-4);
            const double fine = fd(5e-5);
            const double d1 = Evaluate(raw.tree, raw.root, x);
            const double d2 = Evaluate(simplified.tree, simplified.root, x);
            if (!std::isfinite(coarse) || !std::isfinite(fine) || !std::isfinite(d1) ||
                !std::isfinite(d2)) {
                continue;
            }
            const double scale = std::max(1.0, std::fabs(fine));
            // Near a kink or a pole the two steps disagree: no smooth derivative to compare.
            if (std::fabs(coarse - fine) > 1e-4 * scale || scale > 1e6) continue;
            EXPECT_NEAR(d1, fine, 1e-4 * scale) << f << " at x = " << x;
            EXPECT_NEAR(d2, d1, 1e-9 * std::max(1.0, std::fabs(d1))) << f << " at x = " << x;
            ++compared;
        }
    }
    EXPECT_GT(compared, 600);  // most points are smooth; a broken generator would show here
}

}  // namespace
