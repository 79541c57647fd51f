// The writer reverses the parser's split table (expr/m_tree.h): an operand is put in
// parentheses exactly when, written bare, one of its own operators would be the one the parser
// splits its parent's text at. A left operand may hold its parent's class at depth zero, since
// every class splits at its last occurrence; a right operand may not.
#include "expr/infix.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "expr/syntax.h"

namespace rivo::expr {

using namespace syntax;

namespace {

// The class of a text with no split operator at its depth zero: a leaf, a call, or anything
// in parentheses.
constexpr int kAtom = kClassCount;

constexpr std::array<std::string_view, 13> kOperators = {":", "=", "==", "!=", "<=", ">=", "<",
                                                         ">", "+", "-",  "*",  "/",  "^"};

// The class of a two-operand node, kAtom for any other.
int OperatorClassOf(const TreeContainer& tree, NodeId node) {
    if (tree.ChildCount(node) < 2) return kAtom;
    const std::string& label = tree.Label(node);
    if (std::find(kOperators.begin(), kOperators.end(), label) == kOperators.end()) return kAtom;
    return ClassAt(label, 0);
}

// "(" or "[" for a call or an index with its arguments, 0 for any other node.
char CallBracketOf(const TreeContainer& tree, NodeId node) {
    const std::string& label = tree.Label(node);
    if (tree.ChildCount(node) == 0 || label.size() < 3) return 0;
    const std::string_view suffix = std::string_view(label).substr(label.size() - 3);
    if (suffix == " @F") return '(';
    if (suffix == " @A") return '[';
    return 0;
}

// The loosest class at depth zero of a leaf's label, as the parser would find it there.
int LeafClassOf(std::string_view label) {
    int loosest = kAtom;
    int paren = 0;
    int bracket = 0;
    for (std::size_t j = 0; j < label.size(); ++j) {
        const char c = label[j];
        if (c == '(') ++paren;
        if (c == ')') --paren;
        if (paren == 0 && c == '[') ++bracket;
        if (paren == 0 && c == ']') --bracket;
        if (paren == 0 && bracket == 0) loosest = std::min(loosest, ClassAt(label, j));
    }
    return loosest;
}

// The loosest class at depth zero of the node's text written bare.
int TextClassOf(const TreeContainer& tree, NodeId node) {
    if (const int cls = OperatorClassOf(tree, node); cls != kAtom) return cls;
    if (CallBracketOf(tree, node) != 0) return kAtom;
    return LeafClassOf(tree.Label(node));
}

bool IsLeafEndingIn(const TreeContainer& tree, NodeId node, std::string_view bytes, bool last) {
    if (tree.ChildCount(node) != 0) return false;
    const std::string& label = tree.Label(node);
    if (label.empty()) return false;
    return bytes.find(last ? label.back() : label.front()) != std::string_view::npos;
}

// One piece still to write: a node (in parentheses or bare), or a fixed text when node is
// kNoNode.
struct Piece {
    NodeId node;
    bool parenthesized;
    std::string_view text;
};

// Emits the text in order, keeping the pieces still to come on an explicit stack charged to the
// budget: a tree as deep as its input is written without recursion.
// The walk ends early, returning false, once emit returns false. Each node written is a work
// step of the run: the steps of a long chain write its text over and over.
template <typename Emit, typename Known>
bool WalkInfix(const TreeContainer& tree, NodeId root, RunBudget& budget, Emit&& emit,
               Known&& known) {
    ScopedCharge charge(budget);
    std::vector<Piece> stack;
    auto push = [&](const Piece& piece) {
        MakeRoom(stack, 1, charge);
        stack.push_back(piece);
    };
    auto pushText = [&](std::string_view text) { push({kNoNode, false, text}); };
    push({root, false, {}});
    while (!stack.empty()) {
        const Piece piece = stack.back();
        stack.pop_back();
        if (piece.node == kNoNode) {
            if (!emit(piece.text)) return false;
            continue;
        }
        const NodeId node = piece.node;
        budget.ChargeWork(1);
        if (piece.parenthesized) {
            if (!emit("(")) return false;
            pushText(")");
            push({node, false, {}});
            continue;
        }
        // A node's text written bare is the same wherever it stands.
        if (const std::optional<KnownText> text = known(node)) {
            if (!emit(text->text)) return false;
            if (!text->whole) return false;
            continue;
        }
        const std::string& label = tree.Label(node);
        if (const int cls = OperatorClassOf(tree, node); cls != kAtom) {
            const NodeId left = tree.FirstChild(node);
            const NodeId right = tree.LastChild(node);
            // A bare "=" next to an operand's "=", "!", "<" or ">" would make another operator.
            const bool rightJoins =
                label.back() != ':' && IsLeafEndingIn(tree, right, "=", false) &&
                std::string_view("=<>").find(label.back()) != std::string_view::npos;
            const bool leftJoins = label.front() == '=' && IsLeafEndingIn(tree, left, "=!<>", true);
            const Piece rightPiece{right, rightJoins || TextClassOf(tree, right) <= cls, {}};
            if (tree.ChildCount(node) == 2) {
                push(rightPiece);
                pushText(label);
                push({left, leftJoins || TextClassOf(tree, left) < cls, {}});
                continue;
            }
            // More operands come from a list: (a;b)+c is "+" with a, b and c. The list goes
            // in parentheses on the left, unless its first element is empty, which a list
            // cannot begin with: then +(b;c) for "+" with "", b and c.
            const bool listOnTheRight = tree.ChildCount(left) == 0 && tree.Label(left).empty();
            const NodeId first = listOnTheRight ? tree.NextSibling(left) : left;
            const NodeId last = listOnTheRight ? right : tree.PreviousSibling(right);
            if (!listOnTheRight) {
                push(rightPiece);
                pushText(label);
            }
            pushText(")");
            for (NodeId child = last;; child = tree.PreviousSibling(child)) {
                push({child, false, {}});
                if (child == first) break;
                pushText(";");
            }
            pushText("(");
            if (listOnTheRight) pushText(label);  // after the empty left operand
            continue;
        }
        if (const char bracket = CallBracketOf(tree, node); bracket != 0) {
            pushText(bracket == '(' ? ")" : "]");
            for (NodeId child = tree.LastChild(node); child != kNoNode;
                 child = tree.PreviousSibling(child)) {
                push({child, false, {}});
                if (child != tree.FirstChild(node)) pushText(";");
            }
            if (!emit(std::string_view(label).substr(0, label.size() - 3)) ||
                !emit(bracket == '(' ? "(" : "[")) {
                return false;
            }
            continue;
        }
        if (!emit(label)) return false;
    }
    return true;
}

}  // namespace

bool AppendInfix(const TreeContainer& tree, NodeId node, RunBudget& budget, std::string& out,
                 std::size_t limit, const std::function<std::optional<KnownText>(NodeId)>& known) {
    const std::size_t end = out.size() > SIZE_MAX - limit ? SIZE_MAX : out.size() + limit;
    return WalkInfix(
        tree, node, budget,
        [&](std::string_view text) {
            const bool fits = text.size() <= end - out.size();
            if (!fits) text = text.substr(0, end - out.size());
            if (out.capacity() - out.size() < text.size()) {
                // The string grows as a vector does, each new block charged before it is taken.
                const std::size_t capacity = std::max(2 * out.capacity(), out.size() + text.size());
                budget.ChargeMemory(StringHeapBytes(capacity));
                out.reserve(capacity);
            }
            out += text;
            return fits;
        },
        [&](NodeId written) { return known ? known(written) : std::nullopt; });
}

bool AppendInfix(const TreeContainer& tree, NodeId node, RunBudget& budget, std::string& out,
                 std::size_t limit) {
    return AppendInfix(tree, node, budget, out, limit, {});
}

std::string WriteInfix(const TreeContainer& tree, NodeId node, RunBudget& budget) {
    std::string out;
    AppendInfix(tree, node, budget, out);
    return out;
}

}  // namespace rivo::expr
