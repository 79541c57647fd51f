#include "expr/notation.h"

namespace rivo::expr {

std::string QuoteLabel(std::string_view label) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(label.size() + 2);
    out += '"';
    for (const char ch : label) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

std::string FormatSubtree(const TreeContainer& tree, NodeId node) {
    // Besides node handles the stack holds two marks for the punctuation still to write.
    constexpr NodeId kClose = -2;
    constexpr NodeId kComma = -3;
    std::string out;
    std::vector<NodeId> pending{node};
    while (!pending.empty()) {
        const NodeId id = pending.back();
        pending.pop_back();
        if (id == kClose) {
            out += ')';
        } else if (id == kComma) {
            out += ", ";
        } else {
            out += QuoteLabel(tree.Label(id));
            if (tree.ChildCount(id) == 0) continue;
            out += '(';
            pending.push_back(kClose);
            for (NodeId c = tree.LastChild(id); c != kNoNode; c = tree.PreviousSibling(c)) {
                pending.push_back(c);
                if (tree.PreviousSibling(c) != kNoNode) pending.push_back(kComma);
            }
        }
    }
    return out;
}

std::vector<std::string> FormatForest(const TreeContainer& tree) {
    std::vector<std::string> lines;
    for (NodeId n = tree.FirstTopLevel(); n != kNoNode; n = tree.NextSibling(n)) {
        lines.push_back(FormatSubtree(tree, n));
    }
    return lines;
}

}  // namespace rivo::expr
