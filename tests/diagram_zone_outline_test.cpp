// Zone outlines against the zone places worked out independently (by sampling the shapes): every
// drawn zone has loops, a zone the picture cannot show has none, each zone's label point lies
// inside its own outline and no other's, and the area the loops enclose is the zone's area.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/zone_outline.h"
#include "diagram/core/zone_places.h"

namespace rivo::diagram {
namespace {

// The loops as polygons: each cubic flattened at eight points.
std::vector<std::vector<VennPoint>> Polygons(std::span<const VennShape> shapes,
                                             const std::vector<OutlineLoop>& loops) {
    std::vector<std::vector<VennPoint>> polygons;
    for (const OutlineLoop& loop : loops) {
        std::vector<VennPoint>& polygon = polygons.emplace_back();
        for (const OutlinePiece& piece : loop) {
            VennPoint from = piece.start;
            for (const VennCubic& c : PieceCubics(shapes[piece.shape], piece.from, piece.sweep)) {
                for (int k = 1; k <= 8; ++k) {
                    const double t = k / 8.0, u = 1 - t;
                    const auto at = [&](double p0, double p1, double p2, double p3) {
                        return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 +
                               t * t * t * p3;
                    };
                    polygon.push_back({at(from.x, c.control1.x, c.control2.x, c.end.x),
                                       at(from.y, c.control1.y, c.control2.y, c.end.y)});
                }
                from = c.end;
            }
        }
    }
    return polygons;
}

// Even-odd: inside an odd number of the loops.
bool Inside(const std::vector<std::vector<VennPoint>>& polygons, VennPoint p) {
    bool inside = false;
    for (const auto& polygon : polygons) {
        for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
            const VennPoint a = polygon[i], b = polygon[j];
            if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
    }
    return inside;
}

double Area(const std::vector<std::vector<VennPoint>>& polygons) {
    double area = 0;
    for (const auto& polygon : polygons) {
        double twice = 0;
        for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
            twice += polygon[j].x * polygon[i].y - polygon[i].x * polygon[j].y;
        area += twice / 2;  // loops around a hole run the other way and subtract
    }
    return std::abs(area);
}

TEST(ZoneOutline, AgreesWithTheZonePlacesOfEveryLayout) {
    std::vector<DiagramKind> kinds;
    for (int circles = 2; circles <= 5; ++circles)
        kinds.push_back({circles, LayoutKind::kVenn});
    for (int circles = 3; circles <= 5; ++circles)
        kinds.push_back({circles, LayoutKind::kEuler});
    for (const DiagramKind kind : kinds) {
        const std::string name =
            (kind.layout == LayoutKind::kVenn ? "venn " : "euler ") + std::to_string(kind.circles);
        const std::span<const VennShape> shapes = ShapesOf(kind);
        const std::span<const ZonePlace> places = ZonePlaces(kind);
        const auto outlines = ZoneOutlines(shapes);
        ASSERT_EQ(outlines.size(), places.size() + 1) << name;
        std::vector<std::vector<std::vector<VennPoint>>> polygons;
        for (const auto& loops : outlines)
            polygons.push_back(Polygons(shapes, loops));
        for (Zone zone = 1; zone < outlines.size(); ++zone) {
            const ZonePlace& place = places[zone - 1];
            EXPECT_EQ(!outlines[zone].empty(), place.drawn) << name << " zone " << zone;
            if (!place.drawn) continue;
            for (Zone other = 1; other < outlines.size(); ++other)
                EXPECT_EQ(Inside(polygons[other], place.point), other == zone)
                    << name << " zone " << zone << " in the outline of " << other;
            // The outside zone's loops surround every drawn zone.
            EXPECT_TRUE(Inside(polygons[0], place.point)) << name << " zone " << zone;
            EXPECT_NEAR(Area(polygons[zone]), place.area, 0.03 * place.area + 40)
                << name << " zone " << zone;
        }
        EXPECT_FALSE(Inside(polygons[0], {6, 6})) << name;
        EXPECT_EQ(ZoneOutline(shapes, 3).size(), outlines[3].size()) << name;
    }
}

}  // namespace
}  // namespace rivo::diagram
