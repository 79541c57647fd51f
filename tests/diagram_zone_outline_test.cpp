// Zone outlines against the zone places worked out independently (by sampling the shapes): every
// drawn zone has loops, a zone the picture cannot show has none, each zone's label point lies
// inside its own outline and no other's, and the area the loops enclose is the zone's area.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
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

// Fewer cubics a turn for a small picture: each ends on the outline, and the largest distance
// between a cubic's middle and the outline's point there falls with the fourth power of the step,
// down to a tenth of a pixel of a 4096-pixel picture at the full count.
TEST(ZoneOutline, CoarserCubicsStayOnTheOutline) {
    const std::span<const VennShape> shapes = ShapesOf({5, LayoutKind::kVenn});
    const double sweep = 2 * std::numbers::pi;
    std::vector<double> worst;
    for (const int perTurn : {16, 32, kVennCubics}) {
        double far = 0;
        for (const VennShape& shape : shapes) {
            const std::vector<VennCubic> cubics = PieceCubics(shape, 1, sweep, perTurn);
            ASSERT_EQ(cubics.size(), static_cast<std::size_t>(perTurn));
            VennPoint from = VennOutlinePoint(shape, 1);
            for (std::size_t i = 0; i < cubics.size(); ++i) {
                const VennCubic& c = cubics[i];
                const double t = 1 + sweep * static_cast<double>(i + 1) / perTurn;
                const VennPoint end = VennOutlinePoint(shape, t);
                EXPECT_NEAR(c.end.x, end.x, 1e-9);
                EXPECT_NEAR(c.end.y, end.y, 1e-9);
                const VennPoint mid = VennOutlinePoint(shape, t - sweep / perTurn / 2);
                far = std::max(
                    far, std::hypot(
                             (from.x + 3 * c.control1.x + 3 * c.control2.x + c.end.x) / 8 - mid.x,
                             (from.y + 3 * c.control1.y + 3 * c.control2.y + c.end.y) / 8 - mid.y));
                from = c.end;
            }
        }
        worst.push_back(far);
    }
    EXPECT_LT(worst[1], worst[0] / 10);
    EXPECT_LT(worst[2], worst[1] / 10);
    EXPECT_LT(worst[2] * 4096 / kVennUnits, 0.1);
}

}  // namespace
}  // namespace rivo::diagram
