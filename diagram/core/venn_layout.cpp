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

// One row per shape and zone, as printed.
// clang-format off
// @venn-data-begin
constexpr VennShape kShapes2[] = {
    {{153.9632, 204.0000}, 113.9632, 113.9632, 0.000000, {}, {}},
    {{246.0368, 204.0000}, 113.9632, 113.9632, 0.000000, {}, {}},
};
constexpr VennNamePlace kNames2[] = {
    {{140.2, 82.8}, {-0.113, -0.994}},
    {{259.8, 82.8}, {0.113, -0.994}},
};
constexpr VennZoneData kZones2[] = {
    {{86.04, 203.35}, 20401},  // A
    {{313.96, 203.35}, 20401},  // B
    {{200.00, 204.00}, 20401},  // AB
};
constexpr VennShape kShapes3[] = {
    {{153.9408, 164.1116}, 113.9408, 113.9408, 0.000000, {}, {}},
    {{246.0592, 164.1116}, 113.9408, 113.9408, 0.000000, {}, {}},
    {{200.0000, 243.8884}, 113.9408, 113.9408, 0.000000, {}, {}},
};
constexpr VennNamePlace kNames3[] = {
    {{140.1, 43.0}, {-0.113, -0.994}},
    {{259.9, 43.0}, {0.113, -0.994}},
    {{203.2, 365.8}, {0.026, 1.000}},
};
constexpr VennZoneData kZones3[] = {
    {{92.80, 128.80}, 13878},  // A
    {{307.20, 128.80}, 13878},  // B
    {{200.00, 97.22}, 6528},  // AB
    {{200.00, 314.49}, 13878},  // C
    {{119.04, 237.45}, 6528},  // AC
    {{280.96, 237.45}, 6528},  // BC
    {{200.00, 190.70}, 13852},  // ABC
};
constexpr VennShape kShapes4[] = {
    {{149.9548, 234.3607}, 135.7717, 103.5283, 0.973680,
     {0.032327, -0.003388, -0.155675, 0.000000}, {-0.037144, -0.005716, -0.109268, 0.000000}},
    {{191.9593, 168.6398}, 157.4840, 89.7570, 0.649478,
     {0.018778, 0.096921, 0.081806, 0.000000}, {-0.014572, 0.044046, 0.130446, 0.000000}},
    {{208.0407, 168.6398}, 157.4840, 89.7570, 2.492115,
     {0.018778, 0.096921, 0.081806, 0.000000}, {0.014572, -0.044046, -0.130446, -0.000000}},
    {{250.0452, 234.3607}, 135.7717, 103.5283, 2.167913,
     {0.032327, -0.003388, -0.155675, 0.000000}, {0.037144, 0.005716, 0.109268, -0.000000}},
};
constexpr VennNamePlace kNames4[] = {
    {{114.4, 365.3}, {-0.219, 0.976}},
    {{137.0, 42.5}, {-0.168, -0.986}},
    {{263.0, 42.5}, {0.168, -0.986}},
    {{285.6, 365.3}, {0.219, 0.976}},
};
constexpr VennZoneData kZones4[] = {
    {{115.09, 334.45}, 5643},  // A
    {{135.84, 75.26}, 5313},  // B
    {{89.95, 129.93}, 5317},  // AB
    {{264.16, 75.26}, 5313},  // C
    {{82.63, 280.17}, 5320},  // AC
    {{200.00, 104.67}, 6419},  // BC
    {{149.02, 155.94}, 5319},  // ABC
    {{284.91, 334.45}, 5643},  // D
    {{200.00, 302.82}, 5906},  // AD
    {{317.38, 280.17}, 5320},  // BD
    {{255.71, 260.78}, 5316},  // ABD
    {{310.05, 129.93}, 5317},  // CD
    {{144.29, 260.78}, 5316},  // ACD
    {{250.98, 155.94}, 5319},  // BCD
    {{200.00, 208.91}, 6875},  // ABCD
};
constexpr VennShape kShapes5[] = {
    {{196.5487, 164.6861}, 131.1966, 90.8559, 1.007112,
     {0.008402, 0.107501, 0.209905, 0.024314}, {-0.035639, -0.037207, 0.108122, 0.053435}},
    {{231.1077, 189.7947}, 131.1966, 90.8559, 2.263749,
     {0.008402, 0.107501, 0.209905, 0.024314}, {-0.035639, -0.037207, 0.108122, 0.053435}},
    {{217.9074, 230.4213}, 131.1966, 90.8559, -2.762799,
     {0.008402, 0.107501, 0.209905, 0.024314}, {-0.035639, -0.037207, 0.108122, 0.053435}},
    {{175.1900, 230.4213}, 131.1966, 90.8559, -1.506162,
     {0.008402, 0.107501, 0.209905, 0.024314}, {-0.035639, -0.037207, 0.108122, 0.053435}},
    {{161.9897, 189.7947}, 131.1966, 90.8559, -0.249525,
     {0.008402, 0.107501, 0.209905, 0.024314}, {-0.035639, -0.037207, 0.108122, 0.053435}},
};
constexpr VennNamePlace kNames5[] = {
    {{153.2, 47.3}, {-0.334, -0.942}},
    {{274.0, 52.0}, {0.452, -0.892}},
    {{338.0, 276.3}, {0.816, 0.579}},
    {{173.8, 360.4}, {-0.300, 0.954}},
    {{41.6, 264.0}, {-0.962, 0.271}},
};
constexpr VennZoneData kZones5[] = {
    {{138.59, 79.34}, 3234},  // A
    {{294.37, 108.29}, 3233},  // B
    {{253.94, 103.94}, 2001},  // AB
    {{314.96, 265.41}, 3233},  // C
    {{281.88, 283.34}, 1922},  // AC
    {{306.62, 225.60}, 2001},  // BC
    {{271.49, 239.66}, 1923},  // ABC
    {{171.91, 333.54}, 3233},  // D
    {{175.90, 84.27}, 1921},  // AD
    {{144.49, 307.67}, 1921},  // BD
    {{213.39, 96.02}, 1922},  // ABD
    {{207.19, 313.30}, 2001},  // CD
    {{244.64, 295.88}, 1922},  // ACD
    {{182.96, 284.24}, 1923},  // BCD
    {{219.73, 253.58}, 3126},  // ABCD
    {{62.91, 218.54}, 3234},  // E
    {{121.95, 116.45}, 2001},  // AE
    {{301.21, 145.30}, 1921},  // BE
    {{256.45, 141.69}, 1923},  // ABE
    {{79.13, 184.59}, 1922},  // CE
    {{101.88, 152.55}, 1922},  // ACE
    {{301.62, 184.59}, 1922},  // BCE
    {{253.69, 195.25}, 3126},  // ABCE
    {{93.05, 245.84}, 2001},  // DE
    {{158.63, 125.70}, 1923},  // ADE
    {{121.20, 276.07}, 1922},  // BDE
    {{208.71, 144.89}, 3126},  // ABDE
    {{113.15, 213.78}, 1923},  // CDE
    {{146.92, 172.11}, 3126},  // ACDE
    {{153.71, 239.28}, 3126},  // BCDE
    {{196.55, 201.02}, 3708},  // ABCDE
};
// @venn-data-end
// clang-format on

constexpr VennLayout kLayouts[] = {
    {2, kShapes2, kNames2, kZones2},
    {3, kShapes3, kNames3, kZones3},
    {4, kShapes4, kNames4, kZones4},
    {5, kShapes5, kNames5, kZones5},
};

}  // namespace

const VennLayout* VennLayoutOf(int sets) {
    for (const VennLayout& layout : kLayouts) {
        if (layout.sets == sets) return &layout;
    }
    return nullptr;
}

}  // namespace rivo::diagram
