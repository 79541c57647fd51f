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

VennPoint VennOutlineTangent(const VennShape& shape, double t) {
    return OutlineAt(shape, t).tangent;
}

double VennParameterAt(const VennShape& shape, VennPoint point) {
    const double dx = point.x - shape.centre.x;
    const double dy = point.y - shape.centre.y;
    const double c = std::cos(shape.angle);
    const double s = std::sin(shape.angle);
    return std::atan2((dy * c - dx * s) / shape.b, (dx * c + dy * s) / shape.a);
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
    {{193.9805, 227.3389}, 137.4332, 87.9788, 0.807866,
     {0.146376, 0.097322, 0.085927, -0.019710}, {0.101054, -0.080715, -0.129660, 0.004536}},
    {{238.4275, 168.2889}, 137.4332, 87.9788, 1.128107,
     {0.146376, 0.097322, 0.085927, -0.019710}, {0.101054, -0.080715, -0.129660, 0.004536}},
    {{161.5725, 168.2889}, 137.4332, 87.9788, 2.013485,
     {0.146376, 0.097322, 0.085927, -0.019710}, {-0.101054, 0.080715, 0.129660, -0.004536}},
    {{206.0195, 227.3389}, 137.4332, 87.9788, 2.333727,
     {0.146376, 0.097322, 0.085927, -0.019710}, {-0.101054, 0.080715, 0.129660, -0.004536}},
};
constexpr VennNamePlace kNames4[] = {
    {{256.7, 360.4}, {-0.301, 0.954}},
    {{237.4, 43.6}, {0.392, -0.920}},
    {{162.6, 43.6}, {-0.391, -0.920}},
    {{143.3, 360.4}, {0.301, 0.954}},
};
constexpr VennZoneData kZones4[] = {
    {{257.43, 330.55}, 4030},  // A
    {{336.09, 245.77}, 4806},  // B
    {{314.69, 301.22}, 3927},  // AB
    {{63.91, 245.77}, 4806},  // C
    {{110.24, 192.11}, 3985},  // AC
    {{200.00, 98.84}, 6009},  // BC
    {{157.13, 149.21}, 3928},  // ABC
    {{142.57, 330.55}, 4030},  // D
    {{200.00, 297.96}, 4340},  // AD
    {{289.76, 192.11}, 3985},  // BD
    {{264.55, 254.30}, 6374},  // ABD
    {{85.31, 301.22}, 3927},  // CD
    {{135.45, 254.30}, 6374},  // ACD
    {{242.88, 149.21}, 3928},  // BCD
    {{200.00, 207.88}, 6401},  // ABCD
};
constexpr VennShape kShapes5[] = {
    {{200.5710, 166.1808}, 128.0514, 90.4039, 0.962743,
     {0.003550, 0.135663, 0.190271, 0.018215}, {-0.032197, 0.014846, 0.134952, 0.059741}},
    {{236.0058, 191.9257}, 128.0514, 90.4039, 2.219380,
     {0.003550, 0.135663, 0.190271, 0.018215}, {-0.032197, 0.014846, 0.134952, 0.059741}},
    {{222.4709, 233.5818}, 128.0514, 90.4039, -2.807168,
     {0.003550, 0.135663, 0.190271, 0.018215}, {-0.032197, 0.014846, 0.134952, 0.059741}},
    {{178.6711, 233.5818}, 128.0514, 90.4039, -1.550531,
     {0.003550, 0.135663, 0.190271, 0.018215}, {-0.032197, 0.014846, 0.134952, 0.059741}},
    {{165.1363, 191.9257}, 128.0514, 90.4039, -0.293894,
     {0.003550, 0.135663, 0.190271, 0.018215}, {-0.032197, 0.014846, 0.134952, 0.059741}},
};
constexpr VennNamePlace kNames5[] = {
    {{150.4, 47.5}, {-0.357, -0.934}},
    {{316.0, 88.4}, {0.718, -0.696}},
    {{345.7, 277.7}, {0.884, 0.468}},
    {{174.8, 364.4}, {-0.172, 0.985}},
    {{41.7, 242.1}, {-0.985, 0.174}},
};
constexpr VennZoneData kZones5[] = {
    {{140.36, 81.77}, 3546},  // A
    {{297.69, 108.58}, 3546},  // B
    {{257.47, 108.02}, 1912},  // AB
    {{320.80, 266.48}, 3546},  // C
    {{283.95, 284.76}, 2204},  // AC
    {{308.91, 228.06}, 1912},  // BC
    {{273.80, 244.10}, 1902},  // ABC
    {{177.77, 337.27}, 3546},  // D
    {{181.18, 88.24}, 2204},  // AD
    {{148.98, 307.87}, 2204},  // BD
    {{218.10, 104.20}, 1899},  // ABD
    {{210.63, 314.09}, 1912},  // CD
    {{244.72, 294.03}, 1899},  // ACD
    {{184.46, 285.70}, 1902},  // BCD
    {{220.14, 254.84}, 2764},  // ABCD
    {{66.24, 223.10}, 3546},  // E
    {{127.41, 119.84}, 1912},  // AE
    {{303.69, 149.28}, 2203},  // BE
    {{261.90, 146.36}, 1902},  // ABE
    {{85.30, 186.63}, 2204},  // CE
    {{111.60, 156.10}, 1899},  // ACE
    {{300.38, 189.45}, 1899},  // BCE
    {{255.50, 200.72}, 2764},  // ABCE
    {{98.45, 247.20}, 1912},  // DE
    {{165.23, 127.48}, 1902},  // ADE
    {{128.05, 273.42}, 1899},  // BDE
    {{214.96, 150.36}, 2764},  // ABDE
    {{117.43, 213.59}, 1902},  // CDE
    {{154.54, 173.35}, 2764},  // ACDE
    {{157.73, 237.93}, 2764},  // BCDE
    {{200.57, 203.44}, 3549},  // ABCDE
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
