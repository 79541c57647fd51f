// Byte-string helpers of the pipeline: byte tables for scans, and the error report's full stop.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rivo::expr {

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
