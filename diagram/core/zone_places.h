// Where each zone of a picture lies, for the Euler and the Venn layouts alike: the shapes, the
// zone of a point, and per zone the point where its label or tooltip belongs (the centre of the
// largest disc inside it) and its area. Layout units are those of the 400 x 400 picture, x to the
// right, y down; a pixel (x, y) covers [x, x + 1] x [y, y + 1]. No Qt.
#pragma once

#include <span>

#include "diagram/core/diagram_size.h"
#include "diagram/core/venn_layout.h"
#include "diagram/core/zones.h"

namespace rivo::diagram {

struct ZonePlace {
    // The zone's region code in the Euler layout; 0 in a Venn layout, and for a zone the Euler
    // diagram has no region for.
    char region = 0;
    // Whether the picture has a region for the zone; if not, point and area mean nothing.
    bool drawn = false;
    // Inside the zone, as far from every outline as the zone allows.
    VennPoint point;
    // In pixels of the 400 x 400 picture.
    double area = 0;
};

// The circles of the Euler layout of a size as shapes: each the curve the renderer draws for its
// box in the outline table (through the middles of the box's outermost pixels).
std::span<const VennShape> EulerShapes(DiagramSize size);

// The shapes of a picture, A first: the Euler circles or the Venn layout's curves.
std::span<const VennShape> ShapesOf(DiagramKind kind);

// The zone of a point: the bits of the shapes that contain it, A the lowest; 0 outside them all.
Zone ZoneAt(DiagramKind kind, VennPoint point);

// One place per zone, zone z at index z - 1. A Venn layout's are its stored label points and
// areas. The Euler layout's are worked out once per size from its circles: the largest disc's
// centre to a hundredth of a unit, the area from 4 x 4 samples per pixel.
std::span<const ZonePlace> ZonePlaces(DiagramKind kind);

}  // namespace rivo::diagram
