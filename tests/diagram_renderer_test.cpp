// The geometric renderer against the template painter, and its hatch mode; its zone pictures of
// both layouts against the zones' label points (diagram/core/zone_places.h).
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <random>
#include <set>
#include <string>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/evaluator.h"
#include "diagram/core/zone_places.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"
#include "expr/m_tree.h"
#include "tests/diagram_geometry.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::LayoutOf;
using rivo::diagram::RenderDiagramImage;
using rivo::diagram::RenderOptions;
using rivo::testing::FarFromOutlines;

// Pixels away from the outlines where the two pictures differ, with the first one named.
int Disagreements(DiagramSize size, const QImage& painted, const QImage& rendered,
                  std::string& first) {
    int count = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (!FarFromOutlines(size, x, y)) continue;
            const QRgb a = painted.pixel(x, y) & 0xFFFFFFu;
            const QRgb b = rendered.pixel(x, y) & 0xFFFFFFu;
            if (a == b) continue;
            if (count++ == 0) {
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): template " +
                        QColor(a).name().toStdString() + ", rendered " +
                        QColor(b).name().toStdString();
            }
        }
    }
    return count;
}

TEST(GeometricRenderer, AgreesWithTheTemplatePainterAwayFromOutlines) {
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        const std::string all(LayoutOf(size).codes);
        std::set<std::string> sets = {"", all};
        for (const char code : all)
            sets.insert(std::string(1, code));
        for (const std::string& regions : sets) {
            SCOPED_TRACE(std::to_string(rivo::diagram::CircleCount(size)) + " circles, \"" +
                         regions + "\"");
            const QImage painted = rivo::diagram::PaintDiagram(size, regions);
            const QImage rendered = RenderDiagramImage(size, regions, 400, RenderOptions{});
            ASSERT_EQ(rendered.size(), painted.size());
            std::string first;
            EXPECT_EQ(Disagreements(size, painted, rendered, first), 0) << first;
        }
    }
}

// The colours among the pixels of one region away from its outlines, and their mean grey.
struct RegionPixels {
    std::set<QRgb> colours;
    double meanGrey = 0;
};

RegionPixels PixelsOfRegion(DiagramSize size, char code, const QImage& picture) {
    // The template painter marks the region: its pixels are the ones its fill changed.
    const QImage template_ = rivo::diagram::DiagramTemplate(size);
    const QImage marked = rivo::diagram::PaintDiagram(size, std::string(1, code));
    RegionPixels pixels;
    int count = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 400; ++x) {
            if (marked.pixel(x, y) == template_.pixel(x, y) || !FarFromOutlines(size, x, y))
                continue;
            const QRgb colour = picture.pixel(x, y) & 0xFFFFFFu;
            pixels.colours.insert(colour);
            pixels.meanGrey += qGray(colour);
            ++count;
        }
    }
    if (count > 0) pixels.meanGrey /= count;
    return pixels;
}

TEST(GeometricRenderer, HatchIsAPatternAndTellsRedFromGreenInGrey) {
    const RenderOptions hatch{.hatch = true};
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        const auto& seeds = LayoutOf(size).seeds;
        const QImage picture = RenderDiagramImage(size, LayoutOf(size).codes, 400, hatch);
        double red = -1;
        double green = -1;
        for (const auto& seed : seeds) {
            SCOPED_TRACE(std::string(1, seed.code));
            const RegionPixels pixels = PixelsOfRegion(size, seed.code, picture);
            // Not a flat fill, and every colour a grey: it prints the same in black and white.
            EXPECT_GT(pixels.colours.size(), 1u);
            for (const QRgb colour : pixels.colours)
                ASSERT_TRUE(qRed(colour) == qGreen(colour) && qGreen(colour) == qBlue(colour));
            if (seed.colour == rivo::diagram::kRed) red = pixels.meanGrey;
            if (seed.colour == rivo::diagram::kGreen) green = pixels.meanGrey;
        }
        if (size == DiagramSize::kFive) {
            ASSERT_GE(red, 0);
            ASSERT_GE(green, 0);
            // Means over whole regions: red's cross-hatch is clearly the darker.
            EXPECT_GT(green - red, 15.0) << "red " << red << ", green " << green;
        }
    }
}

using rivo::diagram::DiagramKind;
using rivo::diagram::LayoutKind;
using rivo::diagram::Zone;
using rivo::diagram::ZoneSet;

// The colour a zone is shaded in: silver up to four circles, for five red in an odd number of
// circles and green in an even one.
QRgb ShadeOf(int circles, Zone zone) {
    if (circles < 5) return 0xC0C0C0u;
    return std::popcount(zone) % 2 != 0 ? 0xFF0000u : 0x008000u;
}

// The colour at a point of the layout, mapped into the picture.
QRgb ColourAt(const QImage& picture, const QTransform& transform, rivo::diagram::VennPoint point,
              double dx = 0, double dy = 0) {
    const QPointF at = transform.map(QPointF(point.x, point.y)) + QPointF(dx, dy);
    return picture.pixel(static_cast<int>(std::floor(at.x())),
                         static_cast<int>(std::floor(at.y()))) &
           0xFFFFFFu;
}

// A random expression over the first `circles` variables and one more (skipped, like d with
// three circles), fully parenthesised; its truth set comes from the evaluator.
std::string RandomText(std::mt19937& random, int circles, int depth) {
    if (depth == 0 || random() % 3 == 0) {
        return std::string(1,
                           static_cast<char>('a' + random() % static_cast<unsigned>(circles + 1)));
    }
    const char ops[] = {'+', '*', '-'};
    return "(" + RandomText(random, circles, depth - 1) + ops[random() % 3] +
           RandomText(random, circles, depth - 1) + ")";
}

// The Venn picture of random expressions, drawn by the renderer at 400 x 400, holds the shade
// of its zone at the label point of every zone of the truth set, and white at every other.
TEST(GeometricRenderer, VennPictureIsShadedExactlyAtTheTruthSetsLabelPoints) {
    std::mt19937 random(2024);
    for (int circles = 2; circles <= 5; ++circles) {
        const DiagramKind kind{circles, LayoutKind::kVenn};
        const auto places = rivo::diagram::ZonePlaces(kind);
        for (int round = 0; round < 8; ++round) {
            const std::string text = RandomText(random, circles, 4);
            rivo::expr::RunBudget budget;
            rivo::expr::TreeContainer tree(budget);
            const ZoneSet truth =
                rivo::diagram::EvaluateZones(rivo::expr::BuildListing(text, tree), circles).zones;
            SCOPED_TRACE(std::to_string(circles) + " " + text);
            const QImage picture = rivo::diagram::RenderZonesImage(
                kind, rivo::diagram::FromZoneSet(truth), 400, RenderOptions{});
            for (Zone zone = 1; zone <= rivo::diagram::ZoneCount(circles); ++zone) {
                const bool in = (truth & rivo::diagram::ZoneBit(zone)) != 0;
                EXPECT_EQ(ColourAt(picture, QTransform(), places[zone - 1].point),
                          in ? ShadeOf(circles, zone) : 0xFFFFFFu)
                    << "zone " << zone;
            }
        }
    }
}

// Each zone painted alone, in both layouts and for every count: the zone's point (what rivo-cli
// layout prints) lies in its shaded pixels, 2.5 pixels round it too, and in no other zone's;
// also with names and a title, through LayoutTransform. The outside zone, in the universe
// frame, shades the frame's corner and no zone's point.
TEST(GeometricRenderer, EveryZonesPointLiesInItsOwnShadingAlone) {
    const RenderOptions decorated{.labels = {"Alpha", "Bravo", "Charlie", "Delta", "Echo"},
                                  .title = "Zones, one at a time"};
    for (const LayoutKind layout : {LayoutKind::kEuler, LayoutKind::kVenn}) {
        for (int circles = 2; circles <= 5; ++circles) {
            const DiagramKind kind = rivo::diagram::KindOf(circles, layout);
            const auto places = rivo::diagram::ZonePlaces(kind);
            RenderOptions options = decorated;
            options.labels.resize(static_cast<std::size_t>(circles));
            for (const RenderOptions& o : {RenderOptions{}, options}) {
                const QTransform transform =
                    rivo::diagram::LayoutTransform(QRectF(0, 0, 400, 400), kind, o);
                for (Zone zone = 1; zone <= rivo::diagram::ZoneCount(circles); ++zone) {
                    SCOPED_TRACE(std::to_string(circles) +
                                 (layout == LayoutKind::kVenn ? " venn " : " euler ") +
                                 std::to_string(zone) + (o.title.empty() ? "" : " named"));
                    if (!places[zone - 1].drawn) continue;
                    const QImage picture = rivo::diagram::RenderZonesImage(
                        kind, rivo::diagram::UniverseSet{1} << zone, 400, o);
                    // The template painter, which paints the plain Euler picture, agrees.
                    if (const auto size = rivo::diagram::EulerSizeOf(kind);
                        size && o.title.empty()) {
                        const QImage painted = rivo::diagram::PaintDiagram(
                            *size, std::string(1, places[zone - 1].region));
                        EXPECT_EQ(ColourAt(painted, transform, places[zone - 1].point),
                                  ShadeOf(circles, zone));
                    }
                    for (Zone other = 1; other <= rivo::diagram::ZoneCount(circles); ++other) {
                        if (!places[other - 1].drawn) continue;
                        const QRgb expected = other == zone ? ShadeOf(circles, zone) : 0xFFFFFFu;
                        EXPECT_EQ(ColourAt(picture, transform, places[other - 1].point), expected)
                            << "at zone " << other;
                    }
                    for (double dy = -2.5; dy <= 2.5; dy += 0.5) {
                        for (double dx = -2.5; dx <= 2.5; dx += 0.5) {
                            if (std::hypot(dx, dy) > 2.5) continue;
                            ASSERT_EQ(ColourAt(picture, transform, places[zone - 1].point, dx, dy),
                                      ShadeOf(circles, zone))
                                << dx << ", " << dy;
                        }
                    }
                }
            }
            const QImage outside = rivo::diagram::RenderZonesImage(
                kind, rivo::diagram::kOutsideZone, 400, RenderOptions{.universe = true});
            EXPECT_EQ(outside.pixel(30, 390) & 0xFFFFFFu, ShadeOf(circles, 0));
            for (const auto& place : places) {
                if (!place.drawn) continue;
                EXPECT_EQ(ColourAt(outside, QTransform(), place.point), 0xFFFFFFu);
            }
        }
    }
}

}  // namespace
