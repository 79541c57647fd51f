// Everything that differs between the three diagram sizes, one row per size: the region codes,
// the variables' region sets, the seed points with their fill colours, the stored template and
// the circles and letters it shows. A diagram is changed here and nowhere else. No Qt here: the
// evaluator reads the sets, and colours are plain 32-bit values the painter converts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "diagram/core/diagram_size.h"

namespace rivo::diagram {

// Colours as stored in the table: 32-bit values with red in the low byte, then green, then
// blue, the top byte 0.
inline constexpr std::uint32_t kSilver = 0xC0C0C0;
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kGreen = 0x008000;

struct SeedEntry {
    char code;
    std::int32_t x;
    std::int32_t y;
    // The fill colour of the region: silver for three and four circles; for five, red for an
    // odd number of circles and green for an even one.
    std::uint32_t colour;
};

// Inclusive pixel box: the leftmost, topmost, rightmost and bottommost pixel columns and rows.
struct PixelBox {
    int left;
    int top;
    int right;
    int bottom;
};

struct CircleOutline {
    char name;  // the set variable the circle stands for, 'A' to 'E'
    PixelBox box;
};

struct LetterPlace {
    char letter;
    PixelBox box;  // the box of the letter's black pixels
};

struct DiagramLayout {
    DiagramSize size;
    // The region codes, in order: one region of the picture each.
    std::string_view codes;
    // The region sets of the variables A, B, ... in that order, as written, not canonical: the
    // evaluator hands a lone variable's set out as it stands here. The membership they encode is
    // also the geometry of the template.
    std::span<const std::string_view> variableSets;
    // One white pixel inside each region of the template, in code order, from which the painter
    // fills the region.
    std::span<const SeedEntry> seeds;
    // File name of the stored template, e.g. "circles3.bmp".
    std::string_view templateFile;
    // What the template shows, by the inclusive pixel boxes it is drawn to.
    std::span<const CircleOutline> circles;
    std::span<const LetterPlace> letters;
};

namespace layout_data {

inline constexpr std::string_view kSets3[] = {"1245", "2356", "4567"};
inline constexpr std::string_view kSets4[] = {"ABCDEFG", "CDFGJKL", "MIJKEFG", "HBCEFIJ"};
inline constexpr std::string_view kSets5[] = {"ABCDEFGHIJK", "CDMFHIGKPQR", "JGHIKOPQRTU",
                                              "NEFJGKOPQST", "LBCNEFHJGOP"};

inline constexpr SeedEntry kSeeds3[] = {
    {'1', 116, 119, kSilver}, {'2', 201, 136, kSilver}, {'3', 290, 108, kSilver},
    {'4', 147, 216, kSilver}, {'5', 188, 185, kSilver}, {'6', 230, 209, kSilver},
    {'7', 184, 287, kSilver},
};

inline constexpr SeedEntry kSeeds4[] = {
    {'A', 192, 85, kSilver},  {'B', 163, 160, kSilver}, {'C', 201, 174, kSilver},
    {'D', 254, 158, kSilver}, {'E', 168, 206, kSilver}, {'F', 200, 209, kSilver},
    {'G', 232, 213, kSilver}, {'H', 93, 207, kSilver},  {'I', 143, 265, kSilver},
    {'J', 198, 247, kSilver}, {'K', 240, 267, kSilver}, {'L', 324, 214, kSilver},
    {'M', 177, 321, kSilver},
};

inline constexpr SeedEntry kSeeds5[] = {
    {'A', 203, 79, kRed},    {'B', 162, 132, kGreen}, {'C', 208, 158, kRed},
    {'D', 253, 156, kGreen}, {'E', 160, 205, kRed},   {'F', 189, 196, kGreen},
    {'G', 199, 218, kRed},   {'H', 230, 196, kGreen}, {'I', 255, 210, kRed},
    {'J', 180, 233, kGreen}, {'K', 239, 232, kGreen}, {'L', 65, 179, kRed},
    {'M', 336, 198, kRed},   {'N', 117, 256, kGreen}, {'O', 187, 272, kRed},
    {'P', 209, 258, kGreen}, {'Q', 235, 272, kRed},   {'R', 294, 262, kGreen},
    {'S', 118, 324, kRed},   {'T', 220, 333, kGreen}, {'U', 300, 349, kRed},
};

inline constexpr CircleOutline kCircles3[] = {
    {'A', {39, 57, 222, 240}},
    {'B', {159, 58, 342, 241}},
    {'C', {99, 162, 282, 345}},
};

inline constexpr CircleOutline kCircles4[] = {
    {'A', {109, 48, 292, 231}},
    {'B', {179, 118, 361, 301}},
    {'C', {109, 187, 292, 370}},
    {'D', {40, 118, 223, 301}},
};

inline constexpr CircleOutline kCircles5[] = {
    {'A', {110, 43, 311, 244}}, {'B', {182, 96, 383, 297}}, {'C', {155, 181, 356, 382}},
    {'D', {65, 181, 266, 382}}, {'E', {38, 96, 239, 296}},
};

inline constexpr LetterPlace kLetters3[] = {
    {'A', {41, 56, 58, 72}},
    {'B', {333, 60, 346, 76}},
    {'C', {73, 301, 87, 317}},
};

inline constexpr LetterPlace kLetters4[] = {
    {'A', {191, 22, 208, 38}},
    {'B', {371, 162, 384, 178}},
    {'C', {281, 348, 295, 364}},
    {'D', {23, 258, 38, 274}},
};

inline constexpr LetterPlace kLetters5[] = {
    {'A', {239, 18, 258, 37}}, {'B', {371, 100, 388, 119}}, {'C', {360, 331, 377, 350}},
    {'D', {45, 358, 65, 377}}, {'E', {7, 144, 23, 163}},
};

}  // namespace layout_data

// In the order of kDiagramSizes.
inline constexpr DiagramLayout kDiagramLayouts[] = {
    {DiagramSize::kThree, "1234567", layout_data::kSets3, layout_data::kSeeds3, "circles3.bmp",
     layout_data::kCircles3, layout_data::kLetters3},
    {DiagramSize::kFour, "ABCDEFGHIJKLM", layout_data::kSets4, layout_data::kSeeds4, "circles4.bmp",
     layout_data::kCircles4, layout_data::kLetters4},
    {DiagramSize::kFive, "ABCDEFGHIJKLMNOPQRSTU", layout_data::kSets5, layout_data::kSeeds5,
     "circles5.bmp", layout_data::kCircles5, layout_data::kLetters5},
};

// The position of a size in kDiagramSizes, and so of its row in kDiagramLayouts.
constexpr std::size_t SizeIndex(DiagramSize size) {
    for (std::size_t i = 0; i < std::size(kDiagramSizes); ++i) {
        if (kDiagramSizes[i] == size) return i;
    }
    throw std::invalid_argument("no such diagram size");
}

constexpr const DiagramLayout& LayoutOf(DiagramSize size) {
    return kDiagramLayouts[SizeIndex(size)];
}

// The stored region set of a set variable (letter 'A' to 'E') in a diagram size, or nothing
// when the variable does not exist in that size. Stored as written, not canonical.
constexpr std::optional<std::string_view> VariableSet(DiagramSize size, char letter) {
    const auto sets = LayoutOf(size).variableSets;
    if (letter < 'A' || static_cast<std::size_t>(letter - 'A') >= sets.size()) return std::nullopt;
    return sets[static_cast<std::size_t>(letter - 'A')];
}

// The seed of one code, or nullptr when the size has no region of that code.
constexpr const SeedEntry* FindSeed(DiagramSize size, char code) {
    for (const SeedEntry& entry : LayoutOf(size).seeds) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

namespace layout_checks {

constexpr bool Holds(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// Each row is whole and agrees with itself: one circle, letter and variable set per circle,
// every set drawn from the size's codes, and a seed for every code in code order.
constexpr bool RowIsConsistent(const DiagramLayout& layout) {
    const auto circles = static_cast<std::size_t>(CircleCount(layout.size));
    if (layout.variableSets.size() != circles || layout.circles.size() != circles ||
        layout.letters.size() != circles || layout.seeds.size() != layout.codes.size()) {
        return false;
    }
    for (std::size_t i = 0; i < circles; ++i) {
        const char name = static_cast<char>('A' + i);
        if (layout.circles[i].name != name || layout.letters[i].letter != name) return false;
        for (const char code : layout.variableSets[i]) {
            if (!Holds(layout.codes, code)) return false;
        }
    }
    for (std::size_t i = 0; i < layout.codes.size(); ++i) {
        if (layout.seeds[i].code != layout.codes[i]) return false;
    }
    return true;
}

constexpr bool TableIsConsistent() {
    if (std::size(kDiagramLayouts) != std::size(kDiagramSizes)) return false;
    for (std::size_t i = 0; i < std::size(kDiagramSizes); ++i) {
        if (kDiagramLayouts[i].size != kDiagramSizes[i]) return false;
        if (!RowIsConsistent(kDiagramLayouts[i])) return false;
    }
    return true;
}

static_assert(TableIsConsistent());

}  // namespace layout_checks

}  // namespace rivo::diagram
