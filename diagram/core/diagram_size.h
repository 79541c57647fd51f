// The three diagram sizes: three, four or five circles.
#pragma once

#include <optional>

namespace rivo::diagram {

enum class DiagramSize { kThree = 3, kFour = 4, kFive = 5 };

inline constexpr DiagramSize kDiagramSizes[] = {DiagramSize::kThree, DiagramSize::kFour,
                                                DiagramSize::kFive};

constexpr int CircleCount(DiagramSize size) {
    return static_cast<int>(size);
}

// The size with that many circles, or nothing for any other count.
constexpr std::optional<DiagramSize> DiagramSizeOf(int circles) {
    for (const DiagramSize size : kDiagramSizes) {
        if (CircleCount(size) == circles) return size;
    }
    return std::nullopt;
}

}  // namespace rivo::diagram
