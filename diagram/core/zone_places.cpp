#include "diagram/core/zone_places.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "diagram/core/diagram_layout.h"

namespace rivo::diagram {

namespace {

constexpr std::size_t kEulerSizes = std::size(kDiagramSizes);

VennShape CircleShape(const PixelBox& box) {
    VennShape shape;
    shape.a = (box.right - box.left) / 2.0;
    shape.b = (box.bottom - box.top) / 2.0;
    shape.centre = {box.left + 0.5 + shape.a, box.top + 0.5 + shape.b};
    return shape;
}

// How far inside a zone a point lies: the least distance to the outlines, negative outside the
// zone. The circles are nearly round, so the distance to each is that of a circle of their mean
// radius.
double Depth(std::span<const VennShape> circles, Zone zone, double x, double y) {
    double depth = 1e300;
    for (std::size_t i = 0; i < circles.size(); ++i) {
        const VennShape& c = circles[i];
        const double level = std::hypot((x - c.centre.x) / c.a, (y - c.centre.y) / c.b);
        const double inside = (1 - level) * (c.a + c.b) / 2;
        depth = std::min(depth, (zone >> i & 1u) != 0 ? inside : -inside);
    }
    return depth;
}

// The centre of the largest disc inside the zone: the deepest point of a 2-unit grid, then
// polished by a pattern search with halving steps.
VennPoint DeepestPoint(std::span<const VennShape> circles, Zone zone) {
    VennPoint best{0, 0};
    double bestDepth = -1e300;
    for (double y = 1; y < kVennUnits; y += 2) {
        for (double x = 1; x < kVennUnits; x += 2) {
            const double depth = Depth(circles, zone, x, y);
            if (depth > bestDepth) {
                bestDepth = depth;
                best = {x, y};
            }
        }
    }
    for (double step = 1; step > 0.005; step /= 2) {
        for (bool moved = true; moved;) {
            moved = false;
            for (const auto& [dx, dy] : {std::pair{step, 0.0}, std::pair{-step, 0.0},
                                         std::pair{0.0, step}, std::pair{0.0, -step}}) {
                const double depth = Depth(circles, zone, best.x + dx, best.y + dy);
                if (depth > bestDepth) {
                    bestDepth = depth;
                    best = {best.x + dx, best.y + dy};
                    moved = true;
                }
            }
        }
    }
    return {std::round(best.x * 100) / 100, std::round(best.y * 100) / 100};
}

std::vector<ZonePlace> EulerPlaces(DiagramSize size) {
    const std::span<const VennShape> circles = EulerShapes(size);
    std::vector<ZonePlace> places(ZoneCount(size));
    // Areas first: one pass of samples over the picture.
    constexpr int kSamples = 4;
    constexpr int kRow = static_cast<int>(kVennUnits) * kSamples;
    std::vector<long> counts(ZoneCount(size) + 1, 0);
    for (int y = 0; y < kRow; ++y) {
        for (int x = 0; x < kRow; ++x) {
            const double px = (x + 0.5) / kSamples;
            const double py = (y + 0.5) / kSamples;
            Zone zone = 0;
            for (std::size_t i = 0; i < circles.size(); ++i) {
                const VennShape& c = circles[i];
                const double u = (px - c.centre.x) / c.a;
                const double v = (py - c.centre.y) / c.b;
                if (u * u + v * v < 1) zone |= Zone{1} << i;
            }
            ++counts[zone];
        }
    }
    for (Zone zone = 1; zone <= ZoneCount(size); ++zone) {
        ZonePlace& place = places[zone - 1];
        place.region = RegionOfZone(size, zone);
        place.drawn = place.region != 0;
        if (!place.drawn) continue;
        place.point = DeepestPoint(circles, zone);
        place.area = static_cast<double>(counts[zone]) / (kSamples * kSamples);
    }
    return places;
}

std::vector<ZonePlace> VennPlaces(int circles) {
    const VennLayout& layout = *VennLayoutOf(circles);
    std::vector<ZonePlace> places;
    for (const VennZoneData& zone : layout.zones)
        places.push_back({0, true, zone.label, static_cast<double>(zone.area)});
    return places;
}

}  // namespace

std::span<const VennShape> EulerShapes(DiagramSize size) {
    static const auto shapes = [] {
        std::array<std::vector<VennShape>, kEulerSizes> all;
        for (std::size_t i = 0; i < kEulerSizes; ++i) {
            for (const CircleOutline& circle : LayoutOf(kDiagramSizes[i]).circles)
                all[i].push_back(CircleShape(circle.box));
        }
        return all;
    }();
    return shapes[SizeIndex(size)];
}

std::span<const VennShape> ShapesOf(DiagramKind kind) {
    if (const auto size = EulerSizeOf(kind)) return EulerShapes(*size);
    return VennLayoutOf(kind.circles)->shapes;
}

Zone ZoneAt(DiagramKind kind, VennPoint point) {
    const std::span<const VennShape> shapes = ShapesOf(kind);
    Zone zone = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (VennContains(shapes[i], point)) zone |= Zone{1} << i;
    }
    return zone;
}

std::span<const ZonePlace> ZonePlaces(DiagramKind kind) {
    if (const auto size = EulerSizeOf(kind)) {
        static const auto euler = [] {
            std::array<std::vector<ZonePlace>, kEulerSizes> all;
            for (std::size_t i = 0; i < kEulerSizes; ++i)
                all[i] = EulerPlaces(kDiagramSizes[i]);
            return all;
        }();
        return euler[SizeIndex(*size)];
    }
    static const auto venn = [] {
        std::array<std::vector<ZonePlace>, kMaxCircles + 1> all;
        for (int circles = kMinCircles; circles <= kMaxCircles; ++circles)
            all[static_cast<std::size_t>(circles)] = VennPlaces(circles);
        return all;
    }();
    return venn[static_cast<std::size_t>(kind.circles)];
}

}  // namespace rivo::diagram
