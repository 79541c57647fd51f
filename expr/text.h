// Byte-string helpers for rules written with 1-based positions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rivo::expr {

// The substring of `length` bytes starting at 1-based `position`; the empty text when it starts
// past the end or the length is zero or less. Keeps every "position - 1" in one place.
std::string CopyText(std::string_view text, std::int64_t position, std::int64_t length);

// The byte at 1-based `position`, or '\0' outside the text.
char CharAt(std::string_view text, std::int64_t position);

// A flag per byte value, set for the bytes of `members`: a membership test in one lookup, for
// scans that run over every label.
constexpr std::array<bool, 256> ByteTable(std::string_view members) {
    std::array<bool, 256> table{};
    for (const char c : members)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}

// Adds the full stop of the error report: only when the last byte sorts after '.'.
std::string WithFullStop(std::string message);

}  // namespace rivo::expr
