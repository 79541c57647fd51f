// The geometric renderer against the template painter, and its hatch mode.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <set>
#include <string>

#include "diagram/core/diagram_layout.h"
#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"
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

}  // namespace
