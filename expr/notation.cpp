#include "expr/notation.h"

namespace rivo::expr {

namespace {

bool NeedsHex(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

std::size_t QuotedSize(std::string_view label) {
    std::size_t size = label.size() + 2;
    for (const char ch : label) {
        if (ch == '"' || ch == '\\') size += 1;
        if (NeedsHex(static_cast<unsigned char>(ch))) size += 3;
    }
    return size;
}

void AppendQuoted(std::string& out, std::string_view label) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (const char ch : label) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (NeedsHex(byte)) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += ch;
        }
    }
    out += '"';
}

// The pre-order walk of the notation, following the sibling and parent links, so it needs no
// stack: `label` for every node, `punctuation` for each "(", ", " and ")" between them.
template <typename Label, typename Punctuation>
void WalkNotation(const TreeContainer& tree, NodeId node, Label label, Punctuation punctuation) {
    NodeId current = node;
    while (true) {
        label(tree.Label(current));
        if (const NodeId first = tree.FirstChild(current); first != kNoNode) {
            punctuation("(");
            current = first;
            continue;
        }
        while (current != node && tree.NextSibling(current) == kNoNode) {
            punctuation(")");
            current = tree.Parent(current);
        }
        if (current == node) return;
        punctuation(", ");
        current = tree.NextSibling(current);
    }
}

}  // namespace

std::string QuoteLabel(std::string_view label) {
    std::string out;
    out.reserve(QuotedSize(label));
    AppendQuoted(out, label);
    return out;
}

std::string FormatSubtree(const TreeContainer& tree, NodeId node, RunBudget* budget) {
    // Measured first, so that the whole line is charged and allocated once.
    std::size_t size = 0;
    WalkNotation(
        tree, node, [&](std::string_view label) { size += QuotedSize(label); },
        [&](std::string_view text) { size += text.size(); });
    if (budget != nullptr) budget->ChargeMemory(StringHeapBytes(size));
    std::string out;
    out.reserve(size);
    WalkNotation(
        tree, node, [&](std::string_view label) { AppendQuoted(out, label); },
        [&](std::string_view text) { out += text; });
    return out;
}

std::vector<std::string> FormatForest(const TreeContainer& tree, RunBudget* budget) {
    std::vector<std::string> lines;
    const auto count = static_cast<std::size_t>(tree.TopLevelCount());
    if (budget != nullptr) budget->ChargeMemory(count * sizeof(std::string));
    lines.reserve(count);
    for (NodeId n = tree.FirstTopLevel(); n != kNoNode; n = tree.NextSibling(n)) {
        lines.push_back(FormatSubtree(tree, n, budget));
    }
    return lines;
}

}  // namespace rivo::expr
