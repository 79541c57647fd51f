// The differentiation pass. Each rebuilding rule is written as the derivative's shape in a small
// bracket notation (a label, then its children in brackets: "*"["cos @F"[u], D(u)]), compiled
// once into a flat build list. Every walk keeps an explicit stack; the order of work is exactly
// that of a depth-first recursion, so errors surface at the same point.
#include "expr/m_macros_diff.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "expr/error.h"
#include "expr/numbers.h"
#include "expr/text.h"
#include "expr/walk.h"

namespace rivo::expr {

namespace {

// One node of a derivative's shape, in pre-order. Index 0 is the rewritten node itself; pieces
// whose parent is 0 become its new children.
struct Piece {
    enum Kind {
        kFixed,        // a node with this label
        kOwnLabel,     // the root only: the node keeps its label
        kExponent,     // the leaf N: the exponent minus one
        kCopyU,        // u: a copy of the first child
        kCopyV,        // v: a copy of the second child
        kDerivativeU,  // D(u): a copy of the first child, differentiated afterwards
        kDerivativeV,  // D(v)
    };
    Kind kind;
    std::string label;
    std::size_t parent;
};

struct Shape {
    std::vector<Piece> pieces;
    bool usesV = false;
    bool usesExponent = false;
};

// Parses a shape such as "/"[D(u), "sqr @F"[v]] or L[...]; the texts are fixed, so a malformed
// one is a programming error.
Shape CompileShape(std::string_view text) {
    Shape shape;
    std::vector<std::size_t> open;  // pieces whose "[" is still open
    std::size_t i = 0;
    auto expect = [&](std::string_view word) {
        if (text.substr(i, word.size()) != word) throw std::logic_error("bad derivative shape");
        i += word.size();
    };
    while (i < text.size()) {
        const std::size_t parent = open.empty() ? 0 : open.back();
        Piece piece{Piece::kFixed, {}, parent};
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) throw std::logic_error("bad derivative shape");
            piece.label = std::string(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (text[i] == 'L') {
            piece.kind = Piece::kOwnLabel;
            ++i;
        } else if (text[i] == 'N') {
            piece.kind = Piece::kExponent;
            ++i;
        } else if (text[i] == 'u' || text[i] == 'v') {
            piece.kind = text[i] == 'u' ? Piece::kCopyU : Piece::kCopyV;
            ++i;
        } else {
            expect("D(");
            piece.kind = text[i] == 'u' ? Piece::kDerivativeU : Piece::kDerivativeV;
            ++i;
            expect(")");
        }
        if (piece.kind == Piece::kCopyV || piece.kind == Piece::kDerivativeV) shape.usesV = true;
        if (piece.kind == Piece::kExponent) shape.usesExponent = true;
        shape.pieces.push_back(piece);
        if (i < text.size() && text[i] == '[') {
            open.push_back(shape.pieces.size() - 1);
            ++i;
        }
        while (i < text.size() && (text[i] == ']' || text[i] == ',' || text[i] == ' ')) {
            if (text[i] == ']') open.pop_back();
            ++i;
        }
    }
    return shape;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

using Labels = std::vector<std::string_view>;

bool HasNumericExponent(const TreeContainer& tree, NodeId node) {
    return IsNumber(tree.Label(tree.Child(node, 1)));
}

struct RebuildRule {
    Labels labels;
    bool (*applies)(const TreeContainer&, NodeId);  // nullptr: the label alone decides
    int consumed;                                   // operands deleted after the build
    Shape shape;
};

// Rules 7 to 30, in the order of the rows below; the first whose label (and condition) matches
// is applied.
const std::vector<RebuildRule>& RebuildRules() {
    static const std::vector<RebuildRule> rules = [] {
        struct Row {
            Labels labels;
            bool (*applies)(const TreeContainer&, NodeId);
            int consumed;
            std::string_view shape;
        };
        const Row rows[] = {
            // 7: (uv)' = u'v + uv'
            {{"*"}, nullptr, 2, R"("+"["*"[D(u), v], "*"[u, D(v)]])"},
            // 8: (u/v)' = (u'v - uv') / v^2, the node keeping "/" or "\"
            {{"/", "\\"}, nullptr, 2, R"(L["-"["*"[D(u), v], "*"[u, D(v)]], "sqr @F"[v]])"},
            // 9: sin u -> cos u * u'
            {{"sin @F"}, nullptr, 1, R"("*"["cos @F"[u], D(u)])"},
            // 10: cos u -> -sin u * u'
            {{"cos @F"}, nullptr, 1, R"("*"["neg @F"["sin @F"[u]], D(u)])"},
            // 11: tan u -> u' / cos^2 u
            {{"tan @F", "tg @F"}, nullptr, 1, R"("/"[D(u), "sqr @F"["cos @F"[u]]])"},
            // 12: ctan u -> -u' / sin^2 u
            {{"ctan @F", "ctg @F"}, nullptr, 1, R"("neg @F"["/"[D(u), "sqr @F"["sin @F"[u]]]])"},
            // 13: asin u -> u' / sqrt(1 - u^2)
            {{"asin @F", "arcsin @F"},
             nullptr,
             1,
             R"("/"[D(u), "sqrt @F"["-"["1", "sqr @F"[u]]]])"},
            // 14: acos u -> -u' / sqrt(1 - u^2)
            {{"acos @F", "arccos @F"},
             nullptr,
             1,
             R"("neg @F"["/"[D(u), "sqrt @F"["-"["1", "sqr @F"[u]]]]])"},
            // 15: atan u -> u' / (1 + u^2)
            {{"atan @F", "atg @F"}, nullptr, 1, R"("/"[D(u), "+"["1", "sqr @F"[u]]])"},
            // 16: actan u -> -u' / (1 + u^2)
            {{"actan @F", "actg @F"}, nullptr, 1, R"("neg @F"["/"[D(u), "+"["1", "sqr @F"[u]]]])"},
            // 17: pow(u; c) with a number c -> c * (pow(u; c-1) * u')
            {{"power @F", "pow @F"}, HasNumericExponent, 2, R"("*"[v, "*"["pow @F"[u, N], D(u)]])"},
            // 18: pow(u; v) -> pow(u; v) * (v' ln u + v u' / u)
            {{"power @F", "pow @F"},
             nullptr,
             2,
             R"("*"["pow @F"[u, v], "+"["*"[D(v), "ln @F"[u]], "/"["*"[v, D(u)], u]]])"},
            // 19: abs u -> u' * sgn u
            {{"abs @F"}, nullptr, 1, R"("*"[D(u), "sgn @F"[u]])"},
            // 20: sqr u -> u' * (2 * u)
            {{"sqr @F"}, nullptr, 1, R"("*"[D(u), "*"["2", u]])"},
            // 21: sqr2 u -> u' * (4 * (u * sqr u))
            {{"sqr2 @F"}, nullptr, 1, R"("*"[D(u), "*"["4", "*"[u, "sqr @F"[u]]]])"},
            // 22: sqrt u -> u' / (2 * sqrt u)
            {{"sqrt @F"}, nullptr, 1, R"("/"[D(u), "*"["2", "sqrt @F"[u]]])"},
            // 23: sqrt3 u -> u' / (3 * sqrt3(sqr u))
            {{"sqrt3 @F"}, nullptr, 1, R"("/"[D(u), "*"["3", "sqrt3 @F"["sqr @F"[u]]]])"},
            // 24: sh u -> ch u * u'
            {{"sh @F"}, nullptr, 1, R"("*"["ch @F"[u], D(u)])"},
            // 25: ch u -> sh u * u'
            {{"ch @F"}, nullptr, 1, R"("*"["sh @F"[u], D(u)])"},
            // 26: th u -> u' / ch^2 u
            {{"th @F"}, nullptr, 1, R"("/"[D(u), "sqr @F"["ch @F"[u]]])"},
            // 27: exp u -> u' * exp u
            {{"exp @F"}, nullptr, 1, R"("*"[D(u), "exp @F"[u]])"},
            // 28: ln u -> u' / u
            {{"ln @F"}, nullptr, 1, R"("/"[D(u), u])"},
            // 29: lg u -> u' / (u * ln 10)
            {{"lg @F"}, nullptr, 1, R"("/"[D(u), "*"[u, "ln @F"["10"]]])"},
            // 30: log2 u -> u' / (u * ln 2)
            {{"log2 @F", "lg2 @F"}, nullptr, 1, R"("/"[D(u), "*"[u, "ln @F"["2"]]])"},
        };
        std::vector<RebuildRule> out;
        for (const Row& row : rows) {
            out.push_back({row.labels, row.applies, row.consumed, CompileShape(row.shape)});
        }
        return out;
    }();
    return rules;
}

// The rebuilding rules by node label, each list in row order (only "pow @F" and "power @F"
// have two: rule 17 before rule 18).
const std::unordered_map<std::string_view, std::vector<const RebuildRule*>>& RulesByLabel() {
    static const auto byLabel = [] {
        std::unordered_map<std::string_view, std::vector<const RebuildRule*>> map;
        for (const RebuildRule& rule : RebuildRules()) {
            for (const std::string_view label : rule.labels)
                map[label].push_back(&rule);
        }
        return map;
    }();
    return byLabel;
}

// Rule 1: f_n -> f_(n+1). A rest that is no number leaves the label alone; one that is a
// number but no 32-bit integer is an error. An order of 2147483647 is a valid integer whose
// successor is not: the 32-bit addition overflows.
std::string NextDerivativeOrder(const std::string& label) {
    const std::string rest = label.substr(2);
    std::int32_t order = 0;
    const char* first = rest.data();
    const char* last = rest.data() + rest.size();
    const auto [end, error] = std::from_chars(first, last, order);
    if (rest.empty() || error != std::errc() || end != last) {
        throw PipelineError("'" + rest + "' is not a valid integer value");
    }
    if (order == std::numeric_limits<std::int32_t>::max()) throw PipelineError("Integer overflow");
    return "f_" + std::to_string(order + 1);
}

// Relabels the node, appends the rule's shape after its children and deletes the operands it
// consumed; collects the derivative slots in pre-order, which is also the order in which they
// are differentiated afterwards.
void Rebuild(TreeContainer& tree, NodeId node, const RebuildRule& rule,
             std::vector<NodeId>& slots) {
    // Both operands are looked up before anything changes, so a node lacking one fails with
    // the index error and stays as it was.
    const NodeId u = tree.Child(node, 0);
    const NodeId v = rule.shape.usesV || rule.consumed == 2 ? tree.Child(node, 1) : kNoNode;
    std::string exponent;
    if (rule.shape.usesExponent) {
        const long double lowered = Difference(ParseNumber(tree.Label(v)), 1);
        tree.Budget().ChargeWork(FormatWork(lowered));
        exponent = FormatNumber(lowered);
    }

    const auto& pieces = rule.shape.pieces;
    if (pieces[0].kind != Piece::kOwnLabel) tree.SetLabel(node, pieces[0].label);
    std::vector<NodeId> built(pieces.size(), node);
    for (std::size_t k = 1; k < pieces.size(); ++k) {
        const Piece& piece = pieces[k];
        const NodeId parent = built[piece.parent];
        switch (piece.kind) {
            case Piece::kFixed:
                built[k] = tree.AppendChild(parent, piece.label);
                break;
            case Piece::kExponent:
                built[k] = tree.AppendChild(parent, exponent);
                break;
            case Piece::kCopyU:
            case Piece::kCopyV:
            case Piece::kDerivativeU:
            case Piece::kDerivativeV: {
                const bool first = piece.kind == Piece::kCopyU || piece.kind == Piece::kDerivativeU;
                built[k] = tree.AppendChild(parent, "");
                tree.CopySubtree(first ? u : v, built[k]);
                if (piece.kind == Piece::kDerivativeU || piece.kind == Piece::kDerivativeV) {
                    slots.push_back(built[k]);
                }
                break;
            }
            case Piece::kOwnLabel:
                throw std::logic_error("own label below the root");
        }
    }
    tree.Delete(u);
    if (rule.consumed == 2) tree.Delete(v);
}

// Applies the first rule that matches the node and collects the nodes still to differentiate.
void ApplyFirstRule(TreeContainer& tree, NodeId node, const std::string& variable,
                    std::vector<NodeId>& slots) {
    const std::string& label = tree.Label(node);  // read before any change to the node
    // 1: f_n -> f_(n+1), when the rest is a number
    if (StartsWith(label, "f_")) {
        if (IsNumber(std::string_view(label).substr(2))) {
            tree.SetLabel(node, NextDerivativeOrder(label));
        }
        return;
    }
    // 2: the variable -> "1"
    if (label == variable) {
        tree.SetLabel(node, "1");
        return;
    }
    // 3: a plain name or a number -> "0"
    if (IsPlainName(label) || IsNumber(label)) {
        tree.SetLabel(node, "0");
        return;
    }
    // 4: "neg @F"[D(u)]; 5: "rad @F"[D(u)]
    if (label == "neg @F" || label == "rad @F") {
        slots.push_back(tree.Child(node, 0));
        return;
    }
    // 6: "+"[D(u), D(v)], "-"[D(u), D(v)]
    if (label == "+" || label == "-") {
        slots.push_back(tree.Child(node, 0));
        slots.push_back(tree.Child(node, 1));
        return;
    }
    if (const auto found = RulesByLabel().find(label); found != RulesByLabel().end()) {
        for (const RebuildRule* rule : found->second) {
            if (rule->applies != nullptr && !rule->applies(tree, node)) continue;
            Rebuild(tree, node, *rule, slots);
            return;
        }
    }
    // 31: any other label: the node and its subtree stay as they are.
}

}  // namespace

bool IsPlainName(std::string_view label) {
    // A table, not find_first_of: this runs for every node of every derivative.
    static constexpr auto kMarks = ByteTable("@+-*/\\><=");
    for (const char c : label) {
        if (kMarks[static_cast<unsigned char>(c)]) return false;
    }
    return !IsNumber(label);
}

void Differentiate(TreeContainer& tree, NodeId node, const std::string& variable) {
    // Each node adds at most a few slots, but the pending stack grows with the derivative: it
    // grows only once the budget has room.
    ScopedCharge charge(tree.Budget());
    std::vector<NodeId> pending;
    MakeRoom(pending, 1, charge);
    pending.push_back(node);
    std::vector<NodeId> slots;
    while (!pending.empty()) {
        const NodeId current = pending.back();
        pending.pop_back();
        tree.Budget().ChargeWork(1);
        slots.clear();
        ApplyFirstRule(tree, current, variable, slots);
        // Last slot pushed first: the first one, with everything below it, is finished before
        // the second is begun, as a recursion would.
        MakeRoom(pending, slots.size(), charge);
        pending.insert(pending.end(), slots.rbegin(), slots.rend());
    }
}

void ExpandDiff(TreeContainer& tree, NodeId node) {
    // Innermost first: an argument's own calls are expanded before the call that holds it.
    ForEachPostOrder(tree, node, [&tree](NodeId current) {
        if (tree.Label(current) != "diff @F") return;

        // Labels may be as long as the text: each copy is charged before it is made.
        const ScopedCharge variableCopy(tree.Budget(),
                                        StringHeapBytes(tree.Label(tree.Child(current, 1)).size()));
        const std::string variable = tree.Label(tree.Child(current, 1));
        const NodeId expression = tree.Child(current, 0);
        Differentiate(tree, expression, variable);
        // The node takes the derivative's label and children, after any surplus arguments;
        // relinking instead of copying changes nothing visible. The derivative's children are
        // handed over as one list, through a scratch node, and only the surplus arguments move
        // one by one: nested calls around a wide derivative would otherwise relink all of its
        // children again at every level.
        {
            const ScopedCharge labelCopy(tree.Budget(),
                                         StringHeapBytes(tree.Label(expression).size()));
            tree.SetLabel(current, tree.Label(expression));
        }
        tree.Delete(tree.Child(current, 1));
        const NodeId scratch = tree.AppendChild(kNoNode, "");  // last: the root stays first
        tree.MoveChildren(expression, scratch);
        tree.Delete(expression);
        tree.MoveChildrenToFront(current, scratch);
        tree.MoveChildren(scratch, current);
        tree.Delete(scratch);
    });
}

}  // namespace rivo::expr
