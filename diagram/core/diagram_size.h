// The three diagram sizes of the Euler layout (three, four or five circles), and what a picture
// shows: how many sets, in which layout.
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

// The circle counts that zones, truth sets and the Venn layouts know: two to five. Region codes,
// templates and the Euler layout exist for three to five only (DiagramSize).
inline constexpr int kMinCircles = 2;
inline constexpr int kMaxCircles = 5;

constexpr bool IsCircleCount(int circles) {
    return circles >= kMinCircles && circles <= kMaxCircles;
}

// How a picture lays out its sets: the Euler layout (the templates' circles, with region codes;
// four and five circles cannot show every zone) or a Venn layout (every zone one region).
enum class LayoutKind { kEuler, kVenn };

// What a picture shows: `circles` sets (2 to 5) in a layout. Two sets are drawn only as two
// overlapping circles, their Venn layout.
struct DiagramKind {
    int circles = 3;
    LayoutKind layout = LayoutKind::kEuler;

    friend constexpr bool operator==(const DiagramKind&, const DiagramKind&) = default;
};

// The kind a request for `circles` sets in the `asked` layout gets: the Venn layout for two.
constexpr DiagramKind KindOf(int circles, LayoutKind asked) {
    return {circles, circles == 2 ? LayoutKind::kVenn : asked};
}

// The Euler picture of a size.
constexpr DiagramKind KindOf(DiagramSize size) {
    return {CircleCount(size), LayoutKind::kEuler};
}

// The Euler size of a kind, or nothing for a Venn layout.
constexpr std::optional<DiagramSize> EulerSizeOf(DiagramKind kind) {
    if (kind.layout != LayoutKind::kEuler) return std::nullopt;
    return DiagramSizeOf(kind.circles);
}

}  // namespace rivo::diagram
