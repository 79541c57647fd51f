#include "expr/m_macros_optimize.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "expr/numbers.h"
#include "expr/walk.h"

namespace rivo::expr {

namespace {

using Tree = TreeContainer;

// Child 0 and child 1: the left and right operand, or the first and second argument. A missing
// child is the index error of the container.
NodeId L(const Tree& t, NodeId n) {
    return t.Child(n, 0);
}
NodeId R(const Tree& t, NodeId n) {
    return t.Child(n, 1);
}

// Labels compare as whole, exact text: "1.0" is not "1".
bool Is(const Tree& t, NodeId n, std::string_view label) {
    return t.Label(n) == label;
}

bool IsNumberLeaf(const Tree& t, NodeId n) {
    return t.ChildCount(n) == 0 && IsNumber(t.Label(n));
}

bool BothNumbers(const Tree& t, NodeId n) {
    return IsNumberLeaf(t, L(t, n)) && IsNumberLeaf(t, R(t, n));
}

long double Value(const Tree& t, NodeId n) {
    return ParseNumber(t.Label(n));
}

// fmt(value), its cost charged to the run: a value far from 1 takes up to a hundred steps.
std::string Formatted(Tree& t, long double value) {
    t.Budget().ChargeWork(FormatWork(value));
    return FormatNumber(value);
}

using Binary = long double (*)(long double, long double);
using Unary = long double (*)(long double);

// Leaf fmt(v(L) op v(R)): both values are read first, so a bad number leaves the node as it
// was; then R and L go, and only then is the result computed, so an arithmetic fault leaves a
// childless node under its old label.
void FoldTwo(Tree& t, NodeId n, Binary op) {
    const NodeId l = L(t, n);
    const NodeId r = R(t, n);
    const long double a = Value(t, l);
    const long double b = Value(t, r);
    t.Delete(r);
    t.Delete(l);
    t.SetLabel(n, Formatted(t, op(a, b)));
}

// Leaf fmt(f(v(L))) for the one-argument functions, in the same order.
void FoldOne(Tree& t, NodeId n, Unary f) {
    const NodeId l = L(t, n);
    const long double a = Value(t, l);
    t.Delete(l);
    t.SetLabel(n, Formatted(t, f(a)));
}

long double Square(long double a) {
    return Product(a, a);
}

// Both children deleted (R first, then L), and the label set.
void BecomeConstant(Tree& t, NodeId n, std::string label) {
    t.Delete(R(t, n));
    t.Delete(L(t, n));
    t.SetLabel(n, std::move(label));
}

// A number operand and an inner product holding a number: the product of the two is written
// into the outer number leaf, the inner number leaf goes, and the inner product becomes its
// remaining child. The outer value is read first, so a bad outer number is the one reported.
template <int OuterSide, int InnerNumber>
void GatherIntoOuter(Tree& t, NodeId n) {
    const NodeId outer = t.Child(n, OuterSide);
    const NodeId inner = t.Child(n, 1 - OuterSide);
    const NodeId number = t.Child(inner, InnerNumber);
    const long double a = Value(t, outer);
    const long double b = Value(t, number);
    t.SetLabel(outer, Formatted(t, Product(a, b)));
    t.Delete(number);
    ReplaceWithSubtree(t, L(t, inner), inner);
}

// The condition of GatherIntoOuter, on the same sides; the children are asked for in this
// order, so a missing one fails at the same point whichever rule asks.
template <int OuterSide, int InnerNumber>
bool CanGatherIntoOuter(const Tree& t, NodeId n) {
    return IsNumberLeaf(t, t.Child(n, OuterSide)) && Is(t, t.Child(n, 1 - OuterSide), "*") &&
           IsNumberLeaf(t, t.Child(t.Child(n, 1 - OuterSide), InnerNumber));
}

// Two inner products, each holding a number: R first becomes the child that stays out of the
// product, then the product is written into L's number leaf.
template <int LeftNumber, int RightNumber>
void GatherIntoLeft(Tree& t, NodeId n) {
    const NodeId l = L(t, n);
    const NodeId r = R(t, n);
    const NodeId a = t.Child(l, LeftNumber);
    const long double left = Value(t, a);
    const long double right = Value(t, t.Child(r, RightNumber));
    const long double product = Product(left, right);
    ReplaceWithSubtree(t, t.Child(r, 1 - RightNumber), r);
    t.SetLabel(a, Formatted(t, product));
}

// The condition of GatherIntoLeft, on the same sides: both operands products, then the number
// in L, then the one in R.
template <int LeftNumber, int RightNumber>
bool CanGatherIntoLeft(const Tree& t, NodeId n) {
    return Is(t, L(t, n), "*") && Is(t, R(t, n), "*") &&
           IsNumberLeaf(t, t.Child(L(t, n), LeftNumber)) &&
           IsNumberLeaf(t, t.Child(R(t, n), RightNumber));
}

// "/"("1", "sqr @F"(X)) -> "sqr @F"("/"("1", X)), and with `negated`
// "/"("-1", "sqr @F"(X)) -> "neg @F"("sqr @F"("/"("1", X))). The new nodes go after the old
// children, X moves into a placeholder, then the two old children go. The result is not tried
// again, so rules on the new "/" never run.
void InvertUnderSquare(Tree& t, NodeId n, bool negated) {
    const NodeId holder = negated ? t.AppendChild(n, "sqr @F") : n;
    const NodeId quotient = t.AppendChild(holder, "/");
    t.AppendChild(quotient, "1");
    const NodeId placeholder = t.AppendChild(quotient, "x");
    ReplaceWithSubtree(t, L(t, R(t, n)), placeholder);
    t.Delete(L(t, n));
    t.Delete(L(t, n));
    t.SetLabel(n, negated ? "neg @F" : "sqr @F");
}

// op(neg(X), Y) -> neg(op(X, Y)) and op(X, neg(Y)) -> neg(op(X, Y)), op the node's own label.
// The new op node gets the placeholders "a" and "b", the operands move into them in order, and
// the emptied negation, by then child 0, goes.
void PullNegationOut(Tree& t, NodeId n, int negatedSide) {
    std::string op = t.Label(n);
    t.SetLabel(n, "neg @F");
    const NodeId inner = t.AppendChild(n, std::move(op));
    const NodeId a = t.AppendChild(inner, "a");
    const NodeId b = t.AppendChild(inner, "b");
    if (negatedSide == 0) {
        ReplaceWithSubtree(t, L(t, L(t, n)), a);
        ReplaceWithSubtree(t, R(t, n), b);
    } else {
        ReplaceWithSubtree(t, L(t, n), a);
        ReplaceWithSubtree(t, L(t, L(t, n)), b);
    }
    t.Delete(L(t, n));
}

using Condition = bool (*)(const Tree&, NodeId);
using Rewrite = void (*)(Tree&, NodeId);

struct Rule {
    std::span<const std::string_view> labels;  // the node labels the rule is for
    Condition condition;
    Rewrite rewrite;
};

constexpr std::string_view kSum[] = {"+"};
constexpr std::string_view kDifference[] = {"-"};
constexpr std::string_view kProduct[] = {"*"};
// "\" is a quotient like "/" everywhere.
constexpr std::string_view kQuotient[] = {"/", "\\"};
constexpr std::string_view kProductOrQuotient[] = {"*", "/", "\\"};
constexpr std::string_view kPower[] = {"pow @F", "power @F"};
constexpr std::string_view kSqr[] = {"sqr @F"};
constexpr std::string_view kNeg[] = {"neg @F"};
constexpr std::string_view kSqrt[] = {"sqrt @F"};
constexpr std::string_view kSin[] = {"sin @F"};
constexpr std::string_view kCos[] = {"cos @F"};
constexpr std::string_view kExp[] = {"exp @F"};

// In the comments N and M are number leaves, X and Y any subtrees, v() a value, fmt() the
// formatted number. The first rule whose label and condition hold is applied.
const Rule kRules[] = {
    // 1  "+"(N, M) -> fmt(v(N) + v(M))
    {kSum, BothNumbers, [](Tree& t, NodeId n) { FoldTwo(t, n, Sum); }},
    // 2  "+"("0", X) -> X
    {kSum, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "0"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, R(t, n), n); }},
    // 3  "+"(X, "0") -> X
    {kSum, [](const Tree& t, NodeId n) { return Is(t, R(t, n), "0"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, L(t, n), n); }},
    // 4  "-"(N, M) -> fmt(v(N) - v(M))
    {kDifference, BothNumbers, [](Tree& t, NodeId n) { FoldTwo(t, n, Difference); }},
    // 5  "-"("0", X) -> "neg @F"(X): relabelled first, then "0" deleted
    {kDifference, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "0"); },
     [](Tree& t, NodeId n) {
         t.SetLabel(n, "neg @F");
         t.Delete(L(t, n));
     }},
    // 6  "-"(X, "0") -> X
    {kDifference, [](const Tree& t, NodeId n) { return Is(t, R(t, n), "0"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, L(t, n), n); }},
    // 7  "/"(N, M) -> fmt(v(N) / v(M))
    {kQuotient, BothNumbers, [](Tree& t, NodeId n) { FoldTwo(t, n, Quotient); }},
    // 8  "*"(N, M) -> fmt(v(N) * v(M))
    {kProduct, BothNumbers, [](Tree& t, NodeId n) { FoldTwo(t, n, Product); }},
    // 9  "*"(N, "*"(M, X)) -> "*"(fmt(v(N) * v(M)), X)
    {kProduct, CanGatherIntoOuter<0, 0>, GatherIntoOuter<0, 0>},
    // 10 "*"(N, "*"(X, M)) -> "*"(fmt(v(N) * v(M)), X)
    {kProduct, CanGatherIntoOuter<0, 1>, GatherIntoOuter<0, 1>},
    // 11 "*"("*"(M, X), N) -> "*"(X, fmt(v(N) * v(M)))
    {kProduct, CanGatherIntoOuter<1, 0>, GatherIntoOuter<1, 0>},
    // 12 "*"("*"(X, M), N) -> "*"(X, fmt(v(N) * v(M)))
    {kProduct, CanGatherIntoOuter<1, 1>, GatherIntoOuter<1, 1>},
    // 13 "*"("*"(N, X), "*"(M, Y)) -> "*"("*"(fmt(v(N) * v(M)), X), Y)
    {kProduct, CanGatherIntoLeft<0, 0>, GatherIntoLeft<0, 0>},
    // 14 "*"("*"(N, X), "*"(Y, M)) -> "*"("*"(fmt(v(N) * v(M)), X), Y)
    {kProduct, CanGatherIntoLeft<0, 1>, GatherIntoLeft<0, 1>},
    // 15 "*"("*"(X, N), "*"(M, Y)) -> "*"("*"(X, fmt(v(N) * v(M))), Y)
    {kProduct, CanGatherIntoLeft<1, 0>, GatherIntoLeft<1, 0>},
    // 16 "*"("*"(X, N), "*"(Y, M)) -> "*"("*"(X, fmt(v(N) * v(M))), Y)
    {kProduct, CanGatherIntoLeft<1, 1>, GatherIntoLeft<1, 1>},
    // 17 "*"("1", X) -> X
    {kProduct, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "1"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, R(t, n), n); }},
    // 18 "*"(X, "1") -> X
    {kProduct, [](const Tree& t, NodeId n) { return Is(t, R(t, n), "1"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, L(t, n), n); }},
    // 19 "*"("0", X) -> "0" and "*"(X, "0") -> "0"
    {kProduct, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "0") || Is(t, R(t, n), "0"); },
     [](Tree& t, NodeId n) { BecomeConstant(t, n, "0"); }},
    // 20 "/"("1", "sqr @F"(X)) -> "sqr @F"("/"("1", X))
    {kQuotient,
     [](const Tree& t, NodeId n) { return Is(t, L(t, n), "1") && Is(t, R(t, n), "sqr @F"); },
     [](Tree& t, NodeId n) { InvertUnderSquare(t, n, false); }},
    // 21 "/"("-1", "sqr @F"(X)) -> "neg @F"("sqr @F"("/"("1", X)))
    {kQuotient,
     [](const Tree& t, NodeId n) { return Is(t, L(t, n), "-1") && Is(t, R(t, n), "sqr @F"); },
     [](Tree& t, NodeId n) { InvertUnderSquare(t, n, true); }},
    // 22 op("neg @F"(X), "neg @F"(Y)) -> op(X, Y), op one of "*", "/", "\"
    {kProductOrQuotient,
     [](const Tree& t, NodeId n) { return Is(t, L(t, n), "neg @F") && Is(t, R(t, n), "neg @F"); },
     [](Tree& t, NodeId n) {
         const NodeId l = L(t, n);
         const NodeId r = R(t, n);
         ReplaceWithSubtree(t, L(t, l), l);
         ReplaceWithSubtree(t, L(t, r), r);
     }},
    // 23 op("neg @F"(X), Y) -> "neg @F"(op(X, Y))
    {kProductOrQuotient, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "neg @F"); },
     [](Tree& t, NodeId n) { PullNegationOut(t, n, 0); }},
    // 24 op(X, "neg @F"(Y)) -> "neg @F"(op(X, Y))
    {kProductOrQuotient, [](const Tree& t, NodeId n) { return Is(t, R(t, n), "neg @F"); },
     [](Tree& t, NodeId n) { PullNegationOut(t, n, 1); }},
    // 25 "pow @F"(X, "1") -> X
    {kPower, [](const Tree& t, NodeId n) { return Is(t, R(t, n), "1"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, L(t, n), n); }},
    // 26 "pow @F"(X, "0") -> "1"
    {kPower, [](const Tree& t, NodeId n) { return Is(t, R(t, n), "0"); },
     [](Tree& t, NodeId n) { BecomeConstant(t, n, "1"); }},
    // 27 "sqr @F"("sqr @F"(X)) -> "sqr2 @F"(X): relabelled first, then the inner square goes
    {kSqr, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "sqr @F"); },
     [](Tree& t, NodeId n) {
         t.SetLabel(n, "sqr2 @F");
         const NodeId l = L(t, n);
         ReplaceWithSubtree(t, L(t, l), l);
     }},
    // 28 "neg @F"("neg @F"(X)) -> X
    {kNeg, [](const Tree& t, NodeId n) { return Is(t, L(t, n), "neg @F"); },
     [](Tree& t, NodeId n) { ReplaceWithSubtree(t, L(t, L(t, n)), n); }},
    // 29 "sqr @F"(N) -> fmt(v(N) * v(N))
    {kSqr, [](const Tree& t, NodeId n) { return IsNumberLeaf(t, L(t, n)); },
     [](Tree& t, NodeId n) { FoldOne(t, n, Square); }},
    // 30 "sqrt @F"(N) -> fmt(sqrt(|v(N)|))
    {kSqrt, [](const Tree& t, NodeId n) { return IsNumberLeaf(t, L(t, n)); },
     [](Tree& t, NodeId n) { FoldOne(t, n, SquareRootOfMagnitude); }},
    // 31 "sin @F"(N) -> fmt(sin(v(N))), 0 from 2^63 on
    {kSin, [](const Tree& t, NodeId n) { return IsNumberLeaf(t, L(t, n)); },
     [](Tree& t, NodeId n) { FoldOne(t, n, Sine); }},
    // 32 "cos @F"(N) -> fmt(cos(v(N))), 0 from 2^63 on
    {kCos, [](const Tree& t, NodeId n) { return IsNumberLeaf(t, L(t, n)); },
     [](Tree& t, NodeId n) { FoldOne(t, n, Cosine); }},
    // 33 "exp @F"(N) -> fmt(e^v(N))
    {kExp, [](const Tree& t, NodeId n) { return IsNumberLeaf(t, L(t, n)); },
     [](Tree& t, NodeId n) { FoldOne(t, n, Exponential); }},
};

// The rules for one label, in the order of kRules. Every rule is for an operator of one byte or a
// function, so other labels are turned away by their length or ending alone.
std::span<const Rule* const> RulesFor(std::string_view label) {
    struct Entry {
        std::string_view label;
        std::vector<const Rule*> rules;
    };
    static const std::vector<Entry> byLabel = [] {
        std::vector<Entry> entries;
        for (const Rule& rule : kRules) {
            for (const std::string_view name : rule.labels) {
                auto found = std::find_if(entries.begin(), entries.end(),
                                          [&](const Entry& e) { return e.label == name; });
                if (found == entries.end()) found = entries.insert(entries.end(), {name, {}});
                found->rules.push_back(&rule);
            }
        }
        return entries;
    }();
    // One-byte labels by their byte.
    static const auto byByte = [] {
        std::array<std::span<const Rule* const>, 256> table{};
        for (const Entry& entry : byLabel) {
            if (entry.label.size() == 1) {
                table[static_cast<unsigned char>(entry.label[0])] = entry.rules;
            }
        }
        return table;
    }();
    if (label.size() == 1) return byByte[static_cast<unsigned char>(label[0])];
    if (!label.ends_with(" @F")) return {};
    for (const Entry& entry : byLabel) {
        if (entry.label == label) return entry.rules;
    }
    return {};
}

}  // namespace

bool SimplifyNode(TreeContainer& tree, NodeId node) {
    for (const Rule* rule : RulesFor(tree.Label(node))) {
        if (!rule->condition(tree, node)) continue;
        rule->rewrite(tree, node);
        return true;
    }
    return false;
}

void SimplifyTree(TreeContainer& tree, NodeId node) {
    // A rewrite changes only the node's label and descendants, never its parent's child list,
    // as the walk requires.
    ForEachPostOrder(tree, node, [&tree](NodeId current) {
        while (SimplifyNode(tree, current)) {
        }
    });
}

void ReplaceWithSubtree(TreeContainer& tree, NodeId source, NodeId target) {
    // The source's children wait on a scratch node while the target's children go, since the
    // source is usually one of them or below one. The scratch node stands last at the top level,
    // so the root stays the first top-level node. The label may be as long as the text: its copy
    // is charged first.
    const ScopedCharge copy(tree.Budget(), StringHeapBytes(tree.Label(source).size()));
    std::string label = tree.Label(source);
    const NodeId scratch = tree.AppendChild(kNoNode, "");
    tree.MoveChildren(source, scratch);
    tree.Delete(source);
    while (tree.LastChild(target) != kNoNode)
        tree.Delete(tree.LastChild(target));
    tree.MoveChildren(scratch, target);
    tree.SetLabel(target, std::move(label));
    tree.Delete(scratch);
}

}  // namespace rivo::expr
