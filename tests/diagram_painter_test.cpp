// The painter against the circle geometry, and the surface fill on hand-made pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <map>
#include <string>

#include "diagram/core/diagram_layout.h"
#include "diagram/draw/flood_fill.h"
#include "diagram/draw/painter.h"
#include "tests/diagram_geometry.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::PaintDiagram;
using rivo::testing::CirclesAt;
using rivo::testing::DifferentPixels;
using rivo::testing::IsWhite;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 128, 0);

// What a painted picture must show, worked out from the geometry alone: a white pixel of the
// template takes the fill colour when the region its circles make up is in the set (silver, or
// for five circles red for an odd and green for an even number of circles); everything else
// keeps the template's colour.
QImage Expected(DiagramSize size, const std::string& regions) {
    std::map<std::string, char> codeOfCircles;
    for (const auto& seed : rivo::diagram::LayoutOf(size).seeds)
        codeOfCircles[CirclesAt(size, seed.x, seed.y)] = seed.code;
    QImage picture = rivo::diagram::DiagramTemplate(size).copy();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (!IsWhite(picture.pixel(x, y))) continue;
            const std::string circles = CirclesAt(size, x, y);
            const auto code = codeOfCircles.find(circles);
            if (code == codeOfCircles.end() || regions.find(code->second) == std::string::npos) {
                continue;
            }
            const QRgb fill = size != DiagramSize::kFive ? kSilver
                              : circles.size() % 2 == 1  ? kRed
                                                         : kGreen;
            picture.setPixel(x, y, fill);
        }
    }
    return picture;
}

int CountColour(const QImage& picture, QRgb colour) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            count += picture.pixel(x, y) == colour ? 1 : 0;
    }
    return count;
}

TEST(PaintDiagram, FillsExactlyTheRegionsOfTheSet) {
    struct Case {
        const char* name;
        DiagramSize size;
        std::string regions;
    };
    const Case cases[] = {
        {"empty set, three circles", DiagramSize::kThree, ""},
        {"empty set, five circles", DiagramSize::kFive, ""},
        {"regions 1 and 4", DiagramSize::kThree, "14"},
        {"all of circle A", DiagramSize::kThree, "1245"},
        {"inside exactly two circles", DiagramSize::kThree, "246"},
        {"every three-circle region", DiagramSize::kThree, "1234567"},
        {"every four-circle region", DiagramSize::kFour, "ABCDEFGHIJKLM"},
        {"four circles, variable C", DiagramSize::kFour, "MIJKEFG"},
        {"five circles, the middle", DiagramSize::kFive, "G"},
        {"five circles, A B D E only", DiagramSize::kFive, "F"},
        {"five circles, all of A", DiagramSize::kFive, "ABCDEFGHIJK"},
        {"five circles, stored set of B", DiagramSize::kFive, "CDMFHIGKPQR"},
        {"every five-circle region", DiagramSize::kFive, "ABCDEFGHIJKLMNOPQRSTU"},
        {"duplicates and any order", DiagramSize::kThree, "5115"},
        {"codes without a seed skipped", DiagramSize::kThree,
         std::string("0a\xff\0"
                     "28",
                     6)},
        {"four-circle codes on three circles", DiagramSize::kThree, "ABC"},
        {"beyond the five-circle codes", DiagramSize::kFive, "VZa1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage picture = PaintDiagram(c.size, c.regions);
        ASSERT_EQ(picture.size(), QSize(400, 400));
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        EXPECT_EQ(DifferentPixels(picture, Expected(c.size, c.regions)), 0);
    }
}

TEST(PaintDiagram, UsesTheTableColours) {
    struct Case {
        const char* name;
        DiagramSize size;
        char code;
        QRgb colour;
    };
    const Case cases[] = {
        {"three circles: silver", DiagramSize::kThree, '5', kSilver},
        {"four circles: silver", DiagramSize::kFour, 'F', kSilver},
        {"five circles, in all five: red", DiagramSize::kFive, 'G', kRed},
        {"five circles, in four: green", DiagramSize::kFive, 'F', kGreen},
        {"five circles, in one: red", DiagramSize::kFive, 'U', kRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage picture = PaintDiagram(c.size, std::string(1, c.code));
        const auto* seed = rivo::diagram::FindSeed(c.size, c.code);
        ASSERT_NE(seed, nullptr);
        EXPECT_EQ(picture.pixel(seed->x, seed->y), c.colour);
        EXPECT_GT(CountColour(picture, c.colour),
                  CountColour(rivo::diagram::DiagramTemplate(c.size), c.colour) + 100);
    }
}

TEST(PaintDiagram, EachDrawStartsFromACleanTemplate) {
    QImage picture;
    PaintDiagram(DiagramSize::kFive, "ABCDEFGHIJKLMNOPQRSTU", picture);
    PaintDiagram(DiagramSize::kThree, "", picture);
    EXPECT_EQ(DifferentPixels(picture, rivo::diagram::DiagramTemplate(DiagramSize::kThree)), 0);

    PaintDiagram(DiagramSize::kFive, "ABCDEFGHIJKLMNOPQRSTU", picture);
    PaintDiagram(DiagramSize::kFive, "G", picture);
    EXPECT_EQ(DifferentPixels(picture, Expected(DiagramSize::kFive, "G")), 0);

    const QImage once = PaintDiagram(DiagramSize::kFour, "BDIK");
    PaintDiagram(DiagramSize::kFour, "BDIK", picture);
    PaintDiagram(DiagramSize::kFour, "BDIK", picture);
    EXPECT_EQ(DifferentPixels(picture, once), 0);

    // Whatever picture the caller hands in becomes a 400 x 400 true-colour one.
    QImage small(7, 3, QImage::Format_Indexed8);
    PaintDiagram(DiagramSize::kThree, "246", small);
    EXPECT_EQ(small.format(), QImage::Format_RGB32);
    EXPECT_EQ(DifferentPixels(small, Expected(DiagramSize::kThree, "246")), 0);
}

TEST(PaintDiagram, PaintingIntoASharedPictureLeavesTheOtherCopyAlone) {
    QImage picture = PaintDiagram(DiagramSize::kThree, "246");
    const QImage shown = picture;  // shares its pixels, as a picture handed to a widget does
    PaintDiagram(DiagramSize::kThree, "1357", picture);
    EXPECT_EQ(DifferentPixels(shown, Expected(DiagramSize::kThree, "246")), 0);
    EXPECT_EQ(DifferentPixels(picture, Expected(DiagramSize::kThree, "1357")), 0);
}

TEST(PaintDiagram, LeavesTheTemplateItselfAlone) {
    const QImage before = rivo::diagram::DiagramTemplate(DiagramSize::kThree).copy();
    QImage picture = PaintDiagram(DiagramSize::kThree, "1234567");
    picture.fill(Qt::black);
    EXPECT_EQ(DifferentPixels(rivo::diagram::DiagramTemplate(DiagramSize::kThree), before), 0);
}

QImage WhitePicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(kWhite);
    return picture;
}

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

TEST(SurfaceFill, SpreadsOnlyThroughSideNeighbours) {
    // A wall that is closed only diagonally: the pixels of the diagonal touch at their corners.
    QImage picture = WhitePicture(20, 20);
    for (int i = 0; i < 20; ++i)
        picture.setPixel(i, i, kBlack);
    rivo::diagram::SurfaceFill(picture, 15, 2, kWhite, kBlue);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            const QRgb want = x == y ? kBlack : x > y ? kBlue : kWhite;
            ASSERT_EQ(picture.pixel(x, y), want);
        }
    }
}

TEST(SurfaceFill, ChangesNothingFromABadStart) {
    struct Case {
        const char* name;
        int x;
        int y;
        QRgb brush;
    };
    const Case cases[] = {
        {"start on a wall", 3, 3, kBlue},
        {"left of the picture", -1, 5, kBlue},
        {"below the picture", 5, 10, kBlue},
        {"far outside", 1 << 30, -(1 << 30), kBlue},
        {"brush of the surface colour", 1, 7, kWhite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage picture = WhitePicture(10, 10);
        for (int i = 0; i < 10; ++i)
            picture.setPixel(3, i, kBlack);
        const QImage before = picture.copy();
        rivo::diagram::SurfaceFill(picture, c.x, c.y, kWhite, c.brush);
        EXPECT_EQ(DifferentPixels(picture, before), 0);
    }
}

TEST(SurfaceFill, FollowsALongWindingCorridor) {
    // Walls from alternate ends make one corridor that turns 199 times: a fill that recursed per
    // pixel or per run would go very deep here.
    QImage picture = WhitePicture(400, 400);
    for (int x = 1; x < 400; x += 2) {
        const bool fromTop = x % 4 == 1;
        for (int y = 0; y < 399; ++y)
            picture.setPixel(x, fromTop ? y : y + 1, kBlack);
    }
    const int walls = CountColour(picture, kBlack);
    rivo::diagram::SurfaceFill(picture, 0, 0, kWhite, kBlue);
    EXPECT_EQ(CountColour(picture, kBlack), walls);
    EXPECT_EQ(CountColour(picture, kBlue), 400 * 400 - walls);
}

TEST(SurfaceFill, ReplacesOnlyTheSurfaceColour) {
    QImage picture(12, 4, QImage::Format_ARGB32);
    picture.fill(kWhite);
    const QRgb kYellow = qRgb(255, 255, 0);
    for (int x = 4; x < 8; ++x)
        picture.setPixel(x, 1, kYellow);
    for (int y = 0; y < 4; ++y)
        picture.setPixel(9, y, kBlack);
    rivo::diagram::SurfaceFill(picture, 0, 0, kWhite, kBlue);
    EXPECT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(CountColour(picture, kYellow), 4);
    EXPECT_EQ(picture.pixel(5, 0), kBlue);
    EXPECT_EQ(picture.pixel(5, 2), kBlue);
    EXPECT_EQ(picture.pixel(10, 0), kWhite);  // beyond the wall
    EXPECT_EQ(CountColour(picture, kBlue), 9 * 4 - 4);
}

}  // namespace
