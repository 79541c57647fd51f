// The seed tables: for each diagram size, one white pixel inside each region of its template,
// from which the painter fills the region. They are the seeds of the size's row in
// diagram/diagram_layout.h.
#pragma once

#include <span>

#include "diagram/diagram_layout.h"

namespace rivo::diagram {

// All entries of a size's table, in code order.
constexpr std::span<const SeedEntry> SeedTable(DiagramSize size) {
    return LayoutOf(size).seeds;
}

// The entry of one code, or nullptr when the size's table has none.
constexpr const SeedEntry* FindSeed(DiagramSize size, char code) {
    for (const SeedEntry& entry : SeedTable(size)) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace rivo::diagram
