// Venn layouts for two to five sets: closed curves on which every zone (every non-empty
// combination of the sets) is one connected region, with each zone's label point and area and
// each set name's place. The shapes were found by tools/venn_optimize and are stored data; this
// file only reads them. Layout units are those of a 400 x 400 picture, x to the right, y down.
// No Qt: desktop, command line and web draw from the same table.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "diagram/core/zones.h"

namespace rivo::diagram {

// The side of the square picture the layouts are stored for.
inline constexpr double kVennUnits = 400.0;
// The most harmonics a shape's radius may carry.
inline constexpr int kVennHarmonics = 4;
// Cubic Bézier segments per outline: smooth to a tenth of a pixel at 4096 px.
inline constexpr int kVennCubics = 64;

struct VennPoint {
    double x = 0;
    double y = 0;
};

// A smooth simple closed curve: a wavy circle stretched into an ellipse. In the shape's own frame
// the outline at parameter t is f(t) * (a cos t, b sin t) with
//   f(t) = 1 + sum over k of (cosine[k-1] cos kt + sine[k-1] sin kt),   f > 0,
// so every ray from the centre crosses it once and it cannot cross itself. The frame is turned
// by `angle` radians (from the x axis towards the y axis: clockwise on screen) and moved to
// `centre`. With every harmonic 0 it is an ellipse, and with a == b a circle.
struct VennShape {
    VennPoint centre;
    double a = 0;
    double b = 0;
    double angle = 0;
    std::array<double, kVennHarmonics> cosine{};
    std::array<double, kVennHarmonics> sine{};
};

// Where a set's name goes: a point outside every shape, next to the name's own shape, and the
// unit direction away from the shapes in which the name's box extends from it.
struct VennNamePlace {
    VennPoint anchor;
    VennPoint outward;
};

// The centre of a name's box of the given size (layout units): the box touches the anchor and
// lies on its outward side, so a box above a shape sits on the anchor, one to the left ends at
// it. The stored places keep a short name's box (40 x 16) inside the picture and off the shapes.
constexpr VennPoint VennNameCentre(const VennNamePlace& place, double width, double height) {
    return {place.anchor.x + place.outward.x * width / 2,
            place.anchor.y + place.outward.y * height / 2};
}

// A zone's label point, the centre of the largest disc inside the zone, and its area in pixels
// of the 400 x 400 picture.
struct VennZoneData {
    VennPoint label;
    int area = 0;
};

struct VennLayout {
    int sets = 0;
    std::span<const VennShape> shapes;     // A first
    std::span<const VennNamePlace> names;  // one per shape
    std::span<const VennZoneData> zones;   // zone z at index z - 1 (see Zone in zones.h)
};

// The stored layout of 2 to 5 sets (it lives as long as the program); null for any other count.
const VennLayout* VennLayoutOf(int sets);

// The outline point at parameter t (radians; one turn goes round once), in layout units.
VennPoint VennOutlinePoint(const VennShape& shape, double t);

// The outline's derivative by t at parameter t: its tangent, as long as the outline moves per
// radian.
VennPoint VennOutlineTangent(const VennShape& shape, double t);

// The parameter of the outline point on the ray from the centre through `point` (in (-pi, pi]):
// every ray crosses the outline once, at the parameter of the ray's angle in the shape's frame.
double VennParameterAt(const VennShape& shape, VennPoint point);

// Whether a point (layout units) lies inside the shape; points on the outline do not.
bool VennContains(const VennShape& shape, VennPoint point);

// The zone of a point (layout units): the bits of the shapes that contain it, A the lowest;
// 0 outside every shape.
Zone VennZoneAt(const VennLayout& layout, VennPoint point);

// The outline as a closed polygon of `points` corners (at least 3; the last does not repeat the
// first), scaled to a square picture `size` pixels wide.
std::vector<VennPoint> VennPolygon(const VennShape& shape, double size, int points = 512);

// The outline as a closed path of cubic Béziers, scaled to a square picture `size` pixels wide:
// move to `start`, then one curve per segment, from the previous segment's end through its two
// control points to its end; the last end is `start`. QPainterPath::cubicTo and SVG's "C" take
// the segments as they stand.
struct VennCubic {
    VennPoint control1;
    VennPoint control2;
    VennPoint end;
};
struct VennPath {
    VennPoint start;
    std::array<VennCubic, kVennCubics> cubics;
};
VennPath VennBezierPath(const VennShape& shape, double size);

}  // namespace rivo::diagram
