// A zone's outline built from the arcs of its shapes: every outline is cut where another crosses
// it, each arc knows the zones on its two sides, and a zone's loops are its arcs (forward where
// the zone is inside the shape, backward where it is outside). Each piece is the shape's own
// curve, so a fill meets the drawn outline exactly. The desktop renderer and the web page draw
// their zones from it. No Qt.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "diagram/core/venn_layout.h"
#include "diagram/core/zones.h"

namespace rivo::diagram {

// One stretch of a loop: shape `shape`'s outline from parameter `from` over `sweep` radians
// (negative runs backward), with its two end points.
struct OutlinePiece {
    std::size_t shape = 0;
    double from = 0;
    double sweep = 0;
    VennPoint start;
    VennPoint end;
};

// A closed loop: each piece ends where the next one starts, the last where the first starts.
using OutlineLoop = std::vector<OutlinePiece>;

// The loops of `zone` (its circles as bits, A the lowest) among `shapes`: none for a zone the
// shapes do not form. Zone 0, outside every shape, gives the loops around the shapes, which a
// caller subtracts from its frame (even-odd).
std::vector<OutlineLoop> ZoneOutline(std::span<const VennShape> shapes, Zone zone);

// The loops of every zone at once, zone z at index z (0 the outside zone); one search for the
// crossings serves them all.
std::vector<std::vector<OutlineLoop>> ZoneOutlines(std::span<const VennShape> shapes);

// A piece as cubic Béziers of at most one `perTurn`-th of a turn each (the Hermite cubics of
// VennBezierPath with the default), starting at the piece's start point. A small picture needs
// fewer: the error of each cubic falls with the fourth power of its step.
std::vector<VennCubic> PieceCubics(const VennShape& shape, double from, double sweep,
                                   int perTurn = kVennCubics);

}  // namespace rivo::diagram
