#include "diagram/templates/seed_tables.h"

namespace rivo::diagram {

namespace {

constexpr SeedEntry kSeeds3[] = {
    {'1', 116, 119, 0}, {'2', 201, 136, 0}, {'3', 290, 108, 0}, {'4', 147, 216, 0},
    {'5', 188, 185, 0}, {'6', 230, 209, 0}, {'7', 184, 287, 0},
};

constexpr SeedEntry kSeeds4[] = {
    {'A', 192, 85, 0},  {'B', 163, 160, 0}, {'C', 201, 174, 0}, {'D', 254, 158, 0},
    {'E', 168, 206, 0}, {'F', 200, 209, 0}, {'G', 232, 213, 0}, {'H', 93, 207, 0},
    {'I', 143, 265, 0}, {'J', 198, 247, 0}, {'K', 240, 267, 0}, {'L', 324, 214, 0},
    {'M', 177, 321, 0},
};

constexpr SeedEntry kSeeds5[] = {
    {'A', 203, 79, kRed},    {'B', 162, 132, kGreen}, {'C', 208, 158, kRed},
    {'D', 253, 156, kGreen}, {'E', 160, 205, kRed},   {'F', 189, 196, kGreen},
    {'G', 199, 218, kRed},   {'H', 230, 196, kGreen}, {'I', 255, 210, kRed},
    {'J', 180, 233, kGreen}, {'K', 239, 232, kGreen}, {'L', 65, 179, kRed},
    {'M', 336, 198, kRed},   {'N', 117, 256, kGreen}, {'O', 187, 272, kRed},
    {'P', 209, 258, kGreen}, {'Q', 235, 272, kRed},   {'R', 294, 262, kGreen},
    {'S', 118, 324, kRed},   {'T', 220, 333, kGreen}, {'U', 300, 349, kRed},
};

}  // namespace

std::span<const SeedEntry> SeedTable(DiagramSize size) {
    switch (size) {
        case DiagramSize::kThree:
            return kSeeds3;
        case DiagramSize::kFour:
            return kSeeds4;
        case DiagramSize::kFive:
            return kSeeds5;
    }
    return {};
}

const SeedEntry* FindSeed(DiagramSize size, char code) {
    for (const SeedEntry& entry : SeedTable(size)) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace rivo::diagram
