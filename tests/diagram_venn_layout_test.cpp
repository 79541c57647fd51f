// The stored Venn layouts against a 400 x 400 raster of their own point test: every zone one
// 4-connected region, large enough and wide enough for a label, its stored area and label point
// right, every set name's place outside the shapes. Then the drawn forms (Bézier path, polygon)
// against the outline they stand for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

#include "diagram/core/venn_layout.h"

namespace {

using rivo::diagram::VennLayout;
using rivo::diagram::VennLayoutOf;
using rivo::diagram::VennPoint;
using rivo::diagram::Zone;

constexpr int kSide = 400;
// The smallest zone's share of the union, by number of sets.
constexpr double kSmallestShare[] = {0, 0, 0.25, 0.06, 0.03, 0.01};
// A label needs a disc 12 px across clear of 1.5 px outlines; a pixel centre's zone says where
// the outline is to within a pixel.
constexpr double kRoom = 6 + 0.75 + 1;

double DistanceToOutlines(const VennLayout& layout, VennPoint p) {
    double best = 1e300;
    for (const auto& shape : layout.shapes) {
        const auto polygon = rivo::diagram::VennPolygon(shape, kSide, 2048);
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const VennPoint a = polygon[i];
            const VennPoint b = polygon[(i + 1) % polygon.size()];
            const double ex = b.x - a.x, ey = b.y - a.y;
            const double t =
                std::clamp(((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
            best = std::min(best, std::hypot(p.x - a.x - t * ex, p.y - a.y - t * ey));
        }
    }
    return best;
}

TEST(VennLayout, EveryZoneIsOneRoomyRegionWithItsStoredAreaAndLabel) {
    EXPECT_EQ(VennLayoutOf(1), nullptr);
    EXPECT_EQ(VennLayoutOf(6), nullptr);
    for (int sets = 2; sets <= 5; ++sets) {
        SCOPED_TRACE(sets);
        const VennLayout* found = VennLayoutOf(sets);
        ASSERT_NE(found, nullptr);
        const VennLayout& layout = *found;
        const auto zones = static_cast<std::size_t>((1 << sets) - 1);
        ASSERT_EQ(layout.shapes.size(), static_cast<std::size_t>(sets));
        ASSERT_EQ(layout.names.size(), static_cast<std::size_t>(sets));
        ASSERT_EQ(layout.zones.size(), zones);

        std::vector<Zone> raster(kSide * kSide);
        std::vector<long> area(zones + 1, 0);
        int left = kSide, top = kSide, right = 0, bottom = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const Zone z = VennZoneAt(layout, {x + 0.5, y + 0.5});
                raster[static_cast<std::size_t>(y * kSide + x)] = z;
                ++area[z];
                if (z == 0) continue;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
        // Room around the union for the names and a universe frame.
        EXPECT_GE(left, 36);
        EXPECT_GE(top, 44);
        EXPECT_LE(right, 364);
        EXPECT_LE(bottom, 364);
        long unionArea = 0;
        for (std::size_t z = 1; z <= zones; ++z)
            unionArea += area[z];

        // Pieces per zone by flood fill; and whether some pixel centre has a disc of kRoom
        // around it that holds only its own zone's pixels.
        std::vector<int> pieces(zones + 1, 0);
        std::vector<bool> roomy(zones + 1, false);
        std::vector<bool> seen(raster.size(), false);
        std::vector<std::size_t> stack;
        const int reach = static_cast<int>(std::ceil(kRoom));
        for (std::size_t start = 0; start < raster.size(); ++start) {
            const Zone z = raster[start];
            if (!roomy[z]) {
                const int x0 = static_cast<int>(start % kSide),
                          y0 = static_cast<int>(start / kSide);
                bool clear = x0 >= reach && y0 >= reach && x0 + reach < kSide && y0 + reach < kSide;
                for (int dy = -reach; clear && dy <= reach; ++dy) {
                    for (int dx = -reach; clear && dx <= reach; ++dx) {
                        if (std::hypot(dx, dy) >= kRoom) continue;
                        clear = raster[static_cast<std::size_t>((y0 + dy) * kSide + x0 + dx)] == z;
                    }
                }
                roomy[z] = clear;
            }
            if (seen[start]) continue;
            ++pieces[z];
            seen[start] = true;
            stack.assign(1, start);
            while (!stack.empty()) {
                const std::size_t i = stack.back();
                stack.pop_back();
                const std::size_t x = i % kSide, y = i / kSide;
                for (const std::size_t j : {x > 0 ? i - 1 : i, x + 1 < kSide ? i + 1 : i,
                                            y > 0 ? i - kSide : i, y + 1 < kSide ? i + kSide : i}) {
                    if (seen[j] || raster[j] != z) continue;
                    seen[j] = true;
                    stack.push_back(j);
                }
            }
        }

        for (Zone z = 1; z <= zones; ++z) {
            SCOPED_TRACE(z);
            const auto& stored = layout.zones[z - 1];
            EXPECT_EQ(pieces[z], 1);
            EXPECT_GE(static_cast<double>(area[z]),
                      kSmallestShare[sets] * static_cast<double>(unionArea));
            EXPECT_TRUE(roomy[z]);
            EXPECT_NEAR(static_cast<double>(stored.area), static_cast<double>(area[z]),
                        4 + 0.01 * static_cast<double>(area[z]));
            EXPECT_EQ(VennZoneAt(layout, stored.label), z);
            EXPECT_GE(DistanceToOutlines(layout, stored.label), 6.0);
        }
        for (const auto& name : layout.names) {
            EXPECT_EQ(VennZoneAt(layout, name.anchor), 0u);
            EXPECT_TRUE(name.anchor.x > 0 && name.anchor.x < kSide && name.anchor.y > 0 &&
                        name.anchor.y < kSide);
            EXPECT_NEAR(std::hypot(name.outward.x, name.outward.y), 1.0, 0.01);
        }
    }
}

// The drawn forms of each outline against the outline itself: the point test puts a point just
// inside an outline point in and one just outside out; the Bézier path stays within a tenth of a
// pixel of the outline at 4096 px and closes.
TEST(VennLayout, DrawnOutlinesFollowTheShapes) {
    constexpr double kBig = 4096;
    for (int sets = 2; sets <= 5; ++sets) {
        const VennLayout* layout = VennLayoutOf(sets);
        ASSERT_NE(layout, nullptr);
        for (const auto& shape : layout->shapes) {
            const auto polygon = rivo::diagram::VennPolygon(shape, kSide, 720);
            for (const VennPoint p : polygon) {
                const double dx = p.x - shape.centre.x, dy = p.y - shape.centre.y;
                EXPECT_TRUE(VennContains(shape, {p.x - dx * 1e-6, p.y - dy * 1e-6}));
                EXPECT_FALSE(VennContains(shape, {p.x + dx * 1e-6, p.y + dy * 1e-6}));
            }
            const auto path = rivo::diagram::VennBezierPath(shape, kBig);
            constexpr double kStep = 2 * std::numbers::pi / rivo::diagram::kVennCubics;
            VennPoint from = path.start;
            double worst = 0;
            for (std::size_t i = 0; i < path.cubics.size(); ++i) {
                const auto& c = path.cubics[i];
                for (const double u : {0.25, 0.5, 0.75}) {
                    const double v = 1 - u;
                    const VennPoint b{v * v * v * from.x + 3 * v * v * u * c.control1.x +
                                          3 * v * u * u * c.control2.x + u * u * u * c.end.x,
                                      v * v * v * from.y + 3 * v * v * u * c.control1.y +
                                          3 * v * u * u * c.control2.y + u * u * u * c.end.y};
                    const VennPoint exact = rivo::diagram::VennOutlinePoint(
                        shape, kStep * (static_cast<double>(i) + u));
                    worst = std::max(worst, std::hypot(b.x - exact.x * kBig / kSide,
                                                       b.y - exact.y * kBig / kSide));
                }
                from = c.end;
            }
            EXPECT_LT(worst, 0.1);
            EXPECT_DOUBLE_EQ(from.x, path.start.x);
            EXPECT_DOUBLE_EQ(from.y, path.start.y);
        }
    }
}

}  // namespace
