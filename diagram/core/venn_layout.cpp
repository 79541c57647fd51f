#include "diagram/core/venn_layout.h"

#include <cmath>
#include <numbers>

namespace rivo::diagram {

namespace {

// The radius factor f at the angle whose cosine and sine are c1 and s1, and its derivative
// df/dt. The multiples' cosines and sines come from the angle-sum rule, so no trigonometry is
// needed beyond the first.
struct Radius {
    double f;
    double slope;
};

Radius RadiusAt(const VennShape& shape, double c1, double s1) {
    Radius r{1.0, 0.0};
    double ck = c1;
    double sk = s1;
    for (std::size_t k = 0; k < shape.cosine.size(); ++k) {
        const double order = static_cast<double>(k + 1);
        r.f += shape.cosine[k] * ck + shape.sine[k] * sk;
        r.slope += order * (shape.sine[k] * ck - shape.cosine[k] * sk);
        const double next = ck * c1 - sk * s1;
        sk = sk * c1 + ck * s1;
        ck = next;
    }
    return r;
}

// From the shape's frame to layout units, and a direction likewise (turned, not moved).
VennPoint Turned(const VennShape& shape, double u, double v) {
    const double c = std::cos(shape.angle);
    const double s = std::sin(shape.angle);
    return {u * c - v * s, u * s + v * c};
}

struct PointAndTangent {
    VennPoint point;
    VennPoint tangent;  // d(point)/dt
};

PointAndTangent OutlineAt(const VennShape& shape, double t) {
    const double c = std::cos(t);
    const double s = std::sin(t);
    const Radius r = RadiusAt(shape, c, s);
    const VennPoint offset = Turned(shape, r.f * shape.a * c, r.f * shape.b * s);
    const VennPoint tangent = Turned(shape, r.slope * shape.a * c - r.f * shape.a * s,
                                     r.slope * shape.b * s + r.f * shape.b * c);
    return {{shape.centre.x + offset.x, shape.centre.y + offset.y}, tangent};
}

VennPoint Scaled(VennPoint p, double scale) {
    return {p.x * scale, p.y * scale};
}

}  // namespace

VennPoint VennOutlinePoint(const VennShape& shape, double t) {
    return OutlineAt(shape, t).point;
}

bool VennContains(const VennShape& shape, VennPoint point) {
    const double dx = point.x - shape.centre.x;
    const double dy = point.y - shape.centre.y;
    const double c = std::cos(shape.angle);
    const double s = std::sin(shape.angle);
    // Back into the shape's frame, then unstretched: the outline becomes the polar curve f(t).
    const double x = (dx * c + dy * s) / shape.a;
    const double y = (dy * c - dx * s) / shape.b;
    const double rho = std::hypot(x, y);
    if (rho == 0) return true;
    return rho < RadiusAt(shape, x / rho, y / rho).f;
}

Zone VennZoneAt(const VennLayout& layout, VennPoint point) {
    Zone zone = 0;
    for (std::size_t i = 0; i < layout.shapes.size(); ++i) {
        if (VennContains(layout.shapes[i], point)) zone |= Zone{1} << i;
    }
    return zone;
}

std::vector<VennPoint> VennPolygon(const VennShape& shape, double size, int points) {
    const int count = points < 3 ? 3 : points;
    const double scale = size / kVennUnits;
    std::vector<VennPoint> polygon;
    polygon.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double t = 2 * std::numbers::pi * i / count;
        polygon.push_back(Scaled(VennOutlinePoint(shape, t), scale));
    }
    return polygon;
}

// Each segment is the cubic Hermite curve through two outline points with the outline's
// tangents there: its control points lie a third of the parameter step along the tangents.
VennPath VennBezierPath(const VennShape& shape, double size) {
    const double scale = size / kVennUnits;
    const double step = 2 * std::numbers::pi / kVennCubics;
    VennPath path{};
    PointAndTangent from = OutlineAt(shape, 0);
    path.start = Scaled(from.point, scale);
    for (int i = 0; i < kVennCubics; ++i) {
        const PointAndTangent to = OutlineAt(shape, i + 1 == kVennCubics ? 0 : step * (i + 1));
        VennCubic& cubic = path.cubics[static_cast<std::size_t>(i)];
        cubic.control1 = Scaled(
            {from.point.x + from.tangent.x * step / 3, from.point.y + from.tangent.y * step / 3},
            scale);
        cubic.control2 = Scaled(
            {to.point.x - to.tangent.x * step / 3, to.point.y - to.tangent.y * step / 3}, scale);
        cubic.end = Scaled(to.point, scale);
        from = to;
    }
    return path;
}

// ---- The stored layouts, as printed by tools/venn_optimize. ----
namespace {

// @venn-data-begin
constexpr VennShape kShapes2[] = {
    {{140, 200}, 100, 100, 0, {}, {}},
    {{260, 200}, 100, 100, 0, {}, {}},
};
constexpr VennNamePlace kNames2[] = {{{60, 90}, {-0.7, -0.7}}, {{340, 90}, {0.7, -0.7}}};
constexpr VennZoneData kZones2[] = {{{100, 200}, 0}, {{300, 200}, 0}, {{200, 200}, 0}};
// @venn-data-end

constexpr VennLayout kLayouts[] = {
    {2, kShapes2, kNames2, kZones2},
};

}  // namespace

const VennLayout* VennLayoutOf(int sets) {
    for (const VennLayout& layout : kLayouts) {
        if (layout.sets == sets) return &layout;
    }
    return nullptr;
}

}  // namespace rivo::diagram
