#include "diagram/core/set_writer.h"

#include <algorithm>
#include <string_view>

#include "expr/m_tree.h"

namespace rivo::diagram {

namespace {

bool IsBinary(SetOp op) {
    return op == SetOp::kUnion || op == SetOp::kIntersection || op == SetOp::kDifference ||
           op == SetOp::kSymmetricDifference;
}

std::string_view SymbolOf(SetOp op) {
    switch (op) {
        case SetOp::kUniverse:
            return "U";
        case SetOp::kEmpty:
            return "∅";
        case SetOp::kComplement:
            return "′";
        case SetOp::kUnion:
            return " ∪ ";
        case SetOp::kIntersection:
            return " ∩ ";
        case SetOp::kDifference:
            return " \\ ";
        case SetOp::kSymmetricDifference:
            return " Δ ";
        default:
            return {};
    }
}

// A chain of one operator reads from the left without parentheses; on the right, only an
// associative operator may leave out the parentheses of its own kind.
bool LeftNeedsParentheses(SetOp op, SetOp operand) {
    return IsBinary(operand) && operand != op;
}

bool RightNeedsParentheses(SetOp op, SetOp operand) {
    return IsBinary(operand) && (operand != op || op == SetOp::kDifference);
}

// Where a node's text lies in the written text, in bytes.
struct Span {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// One piece still to write, kept on an explicit stack: a tree as deep as its text is written
// without recursion.
struct Piece {
    enum Kind : std::uint8_t { kNode, kParenthesizedNode, kOperator, kClose, kEnd };
    SetNodeIndex node;
    Kind kind;
};

// Appends the text of `root`'s subtree to `out`; with `spans` (one per node), records where
// each node's own text lies.
void WriteTree(const SetExpression& expression, SetNodeIndex root, std::string& out,
               std::vector<Span>* spans) {
    const auto& nodes = expression.nodes;
    std::vector<Piece> stack{{root, Piece::kNode}};
    while (!stack.empty()) {
        const Piece piece = stack.back();
        stack.pop_back();
        const SetNode& node = nodes[piece.node];
        switch (piece.kind) {
            case Piece::kParenthesizedNode:
                out += '(';
                stack.push_back({piece.node, Piece::kClose});
                stack.push_back({piece.node, Piece::kNode});
                continue;
            case Piece::kClose:
                out += ')';
                continue;
            case Piece::kOperator:
                out += SymbolOf(node.op);
                continue;
            case Piece::kEnd:
                if (spans) (*spans)[piece.node].end = static_cast<std::uint32_t>(out.size());
                continue;
            case Piece::kNode:
                break;
        }
        if (spans) (*spans)[piece.node].begin = static_cast<std::uint32_t>(out.size());
        stack.push_back({piece.node, Piece::kEnd});
        if (node.op == SetOp::kLetter) {
            out += static_cast<char>('A' + node.letter);
        } else if (node.op == SetOp::kComplement) {
            stack.push_back({piece.node, Piece::kOperator});
            const bool compound = IsBinary(nodes[node.left].op);
            stack.push_back({node.left, compound ? Piece::kParenthesizedNode : Piece::kNode});
        } else if (IsBinary(node.op)) {
            const SetOp left = nodes[node.left].op;
            const SetOp right = nodes[node.right].op;
            stack.push_back({node.right, RightNeedsParentheses(node.op, right)
                                             ? Piece::kParenthesizedNode
                                             : Piece::kNode});
            stack.push_back({piece.node, Piece::kOperator});
            stack.push_back({node.left, LeftNeedsParentheses(node.op, left)
                                            ? Piece::kParenthesizedNode
                                            : Piece::kNode});
        } else {
            out += SymbolOf(node.op);
        }
    }
}

// The text cut after `limit` bytes at a character's end, with "…" when cut.
std::string Cut(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u)
        --end;
    return std::string(text.substr(0, end)) + "…";
}

}  // namespace

std::string WriteSetNotation(const SetExpression& expression) {
    if (expression.nodes.empty()) return {};
    return WriteSetNotation(expression, expression.Root());
}

std::string WriteSetNotation(const SetExpression& expression, SetNodeIndex node) {
    std::string out;
    WriteTree(expression, node, out, nullptr);
    return out;
}

std::size_t StepCount(const SetExpression& expression) {
    return static_cast<std::size_t>(std::count_if(
        expression.nodes.begin(), expression.nodes.end(),
        [](const SetNode& node) { return node.op == SetOp::kComplement || IsBinary(node.op); }));
}

std::vector<SetStep> ReadingSteps(const SetExpression& expression, std::size_t maxSteps) {
    std::vector<SetStep> steps;
    if (expression.nodes.empty() || maxSteps == 0) return steps;
    // A node's text does not depend on where it stands: the parentheses its parent may put
    // around it lie outside it. So every step's text is a part of the whole text.
    std::vector<Span> spans(expression.nodes.size());
    std::string whole;
    WriteTree(expression, expression.Root(), whole, &spans);
    const std::vector<UniverseSet> sets = NodeSets(expression);
    steps.reserve(std::min(maxSteps, StepCount(expression)));
    // The nodes are in reading order already.
    for (SetNodeIndex i = 0; i < expression.nodes.size() && steps.size() < maxSteps; ++i) {
        const SetOp op = expression.nodes[i].op;
        if (op != SetOp::kComplement && !IsBinary(op)) continue;
        const std::string_view text =
            std::string_view(whole).substr(spans[i].begin, spans[i].end - spans[i].begin);
        steps.push_back({i, sets[i], Cut(text, kStepTextBytes)});
    }
    return steps;
}

std::optional<std::string> PlainToSetNotation(std::string_view plainText) {
    if (plainText.empty()) return "∅";
    if (plainText.size() > expr::kMaxExpressionBytes) return std::nullopt;
    // The shunting-yard: operators wait on a stack until one that binds no tighter comes, and
    // each makes its node over the two operands on top, so the nodes come in reading order.
    SetExpression expression;
    expression.circles = kMaxSetCircles;
    std::vector<SetNodeIndex> operands;
    std::vector<char> operators;  // "+", "-", "*" and "("
    const auto precedence = [](char op) { return op == '*' ? 2 : op == '(' ? 0 : 1; };
    const auto reduce = [&] {
        const char op = operators.back();
        operators.pop_back();
        const SetNodeIndex right = operands.back();
        operands.pop_back();
        const SetNodeIndex left = operands.back();
        const SetOp setOp = op == '+'   ? SetOp::kUnion
                            : op == '*' ? SetOp::kIntersection
                                        : SetOp::kDifference;
        expression.nodes.push_back({setOp, 0, left, right});
        operands.back() = static_cast<SetNodeIndex>(expression.nodes.size() - 1);
    };
    bool expectOperand = true;
    for (const char c : plainText) {
        if (c >= 'a' && c <= 'e') {
            if (!expectOperand) return std::nullopt;
            expression.nodes.push_back(
                {SetOp::kLetter, static_cast<std::uint8_t>(c - 'a'), kNoSetNode, kNoSetNode});
            operands.push_back(static_cast<SetNodeIndex>(expression.nodes.size() - 1));
            expectOperand = false;
        } else if (c == '(') {
            if (!expectOperand) return std::nullopt;
            operators.push_back('(');
        } else if (c == ')') {
            if (expectOperand) return std::nullopt;
            while (!operators.empty() && operators.back() != '(')
                reduce();
            if (operators.empty()) return std::nullopt;
            operators.pop_back();
        } else if (c == '+' || c == '-' || c == '*') {
            if (expectOperand) return std::nullopt;
            while (!operators.empty() && precedence(operators.back()) >= precedence(c))
                reduce();
            operators.push_back(c);
            expectOperand = true;
        } else {
            return std::nullopt;
        }
    }
    if (expectOperand) return std::nullopt;
    while (!operators.empty()) {
        if (operators.back() == '(') return std::nullopt;
        reduce();
    }
    return WriteSetNotation(expression);
}

}  // namespace rivo::diagram
