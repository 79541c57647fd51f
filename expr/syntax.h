// The split operators of the expression language, shared by the parser and the infix writer,
// which must agree byte for byte on what splits a text.
#pragma once

#include <cstddef>
#include <string_view>

namespace rivo::expr::syntax {

inline bool IsOneOf(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}

// The split operators of the table, each a class of depth-zero positions to search.
enum OperatorClass {
    kSemicolon,   // ";"
    kColon,       // ":"
    kAssign,      // "=" that is not part of "==", "!=", ">=", "<="
    kComparison,  // where "==", "!=", ">=", "<=", "<" or ">" starts
    kAddSub,      // "+" "-"
    kMulDiv,      // "*" "/"
    kPower,       // "^"
    kClassCount
};

// The class of the byte at j, or kClassCount for a byte that splits nothing.
inline int ClassAt(std::string_view text, std::size_t j) {
    const char c = text[j];
    const char next = j + 1 < text.size() ? text[j + 1] : '\0';
    const char prev = j > 0 ? text[j - 1] : '\0';
    switch (c) {
        case ';':
            return kSemicolon;
        case ':':
            return kColon;
        case '+':
        case '-':
            return kAddSub;
        case '*':
        case '/':
            return kMulDiv;
        case '^':
            return kPower;
        case '<':
        case '>':
            return kComparison;
        case '=':
            if (next == '=') return kComparison;
            if (IsOneOf(prev, "=!<>")) return kClassCount;
            return kAssign;
        case '!':
            return next == '=' ? kComparison : kClassCount;
        default:
            return kClassCount;
    }
}

}  // namespace rivo::expr::syntax
