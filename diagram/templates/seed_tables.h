// The seed tables: for each diagram size, one white pixel inside each region of its template,
// from which the painter fills the region.
#pragma once

#include <cstdint>
#include <span>

#include "diagram/diagram_size.h"

namespace rivo::diagram {

// Colours as stored in the tables: 32-bit values with red in the low byte, then green, then
// blue, the top byte 0.
inline constexpr std::uint32_t kSilver = 0xC0C0C0;
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kGreen = 0x008000;

struct SeedEntry {
    char code;
    std::int32_t x;
    std::int32_t y;
    // The fill colour of the region; only the five-circle table stores one (red for an odd
    // number of circles, green for an even one). The three- and four-circle tables hold 0.
    std::uint32_t colour;
};

// All entries of a size's table, in code order.
std::span<const SeedEntry> SeedTable(DiagramSize size);

// The entry of one code, or nullptr when the size's table has none.
const SeedEntry* FindSeed(DiagramSize size, char code);

}  // namespace rivo::diagram
