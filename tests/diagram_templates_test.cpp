// The three stored templates, checked from the pictures themselves: the stored form, the
// outlines against the circle table, the letters, the seed points and the white areas.
#include <gtest/gtest.h>

#include <QFile>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/template_layout.h"
#include "diagram/draw/painter.h"
#include "tests/diagram_geometry.h"
#include "tests/read_file.h"
#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::kDiagramSizes;
using rivo::testing::CirclesAt;

constexpr int kSide = 400;

std::string SizeName(DiagramSize size) {
    return std::to_string(rivo::diagram::CircleCount(size)) + " circles";
}

std::string StoredBytes(DiagramSize size) {
    QFile file(rivo::diagram::TemplateResourcePath(size));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

constexpr std::array<QRgb, 16> kStandardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
constexpr int kBlackIndex = 0;
constexpr int kWhiteIndex = 15;

// Palette indices straight from the file: rows bottom-up, left pixel in the high nibble.
struct Indices {
    std::vector<int> at;
    int operator()(int x, int y) const { return at[static_cast<std::size_t>(y * kSide + x)]; }
};

Indices Decode(const std::string& bytes) {
    Indices indices;
    indices.at.resize(kSide * kSide);
    for (int y = 0; y < kSide; ++y) {
        const std::size_t row = 118 + static_cast<std::size_t>((kSide - 1 - y) * 200);
        for (int x = 0; x < kSide; ++x) {
            const auto byte =
                static_cast<unsigned char>(bytes[row + static_cast<std::size_t>(x / 2)]);
            indices.at[static_cast<std::size_t>(y * kSide + x)] =
                x % 2 == 0 ? byte >> 4 : byte & 15;
        }
    }
    return indices;
}

bool IsOutline(int index) {
    return index != kWhiteIndex && index != kBlackIndex;
}

double DistanceFromCurve(const rivo::diagram::PixelBox& box, int x, int y) {
    return rivo::diagram::CurveDistance(rivo::diagram::CurveOf(box), x, y);
}

bool InBox(const rivo::diagram::PixelBox& b, int x, int y) {
    return x >= b.left && x <= b.right && y >= b.top && y <= b.bottom;
}

struct BoxFinder {
    rivo::diagram::PixelBox box{kSide, kSide, -1, -1};
    void Add(int x, int y) {
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
               std::max(box.bottom, y)};
    }
};

void ExpectBox(const rivo::diagram::PixelBox& got, const rivo::diagram::PixelBox& want) {
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

TEST(DiagramTemplates, AreResourcesInTheStoredForm) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        ASSERT_TRUE(QFile::exists(rivo::diagram::TemplateResourcePath(size)));
        const std::string bytes = StoredBytes(size);
        ASSERT_EQ(bytes.size(), 80118u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(Le(bytes, 2, 4), 80118u);
        EXPECT_EQ(Le(bytes, 6, 4), 0u);
        EXPECT_EQ(Le(bytes, 10, 4), 118u);
        EXPECT_EQ(Le(bytes, 14, 4), 40u);
        EXPECT_EQ(Le(bytes, 18, 4), 400u);
        EXPECT_EQ(Le(bytes, 22, 4), 400u);  // positive height: rows bottom-up
        EXPECT_EQ(Le(bytes, 26, 2), 1u);
        EXPECT_EQ(Le(bytes, 28, 2), 4u);
        EXPECT_EQ(Le(bytes, 30, 4), 0u);
        EXPECT_EQ(Le(bytes, 34, 4), 80000u);
        EXPECT_EQ(Le(bytes, 38, 4), 3780u);
        EXPECT_EQ(Le(bytes, 42, 4), 3780u);
        EXPECT_EQ(Le(bytes, 46, 4), 16u);
        for (std::size_t i = 0; i < 16; ++i) {
            SCOPED_TRACE("palette entry " + std::to_string(i));
            // Stored as blue, green, red, 0.
            EXPECT_EQ(Le(bytes, 54 + 4 * i, 4), kStandardPalette[i]);
        }
    }
}

TEST(DiagramTemplates, DecodeToTheStoredPixels) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const Indices indices = Decode(StoredBytes(size));
        const QImage& picture = rivo::diagram::DiagramTemplate(size);
        ASSERT_EQ(picture.size(), QSize(kSide, kSide));
        EXPECT_EQ(picture.format(), QImage::Format_RGB32);
        int mismatches = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const QRgb want = kStandardPalette[static_cast<std::size_t>(indices(x, y))];
                if ((picture.pixel(x, y) & 0xFFFFFFu) != want) ++mismatches;
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(DiagramTemplates, OutlinesFollowTheCircleTable) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const Indices indices = Decode(StoredBytes(size));
        const auto circles = rivo::diagram::LayoutOf(size).circles;
        std::vector<BoxFinder> boxes(circles.size());
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                if (!IsOutline(indices(x, y))) continue;
                std::size_t nearest = 0;
                for (std::size_t k = 1; k < circles.size(); ++k) {
                    if (DistanceFromCurve(circles[k].box, x, y) <
                        DistanceFromCurve(circles[nearest].box, x, y)) {
                        nearest = k;
                    }
                }
                // Every outline pixel hugs a curve: the line is one to two pixels wide.
                ASSERT_LE(DistanceFromCurve(circles[nearest].box, x, y), 1.25)
                    << "stray pixel at " << x << "," << y;
                boxes[nearest].Add(x, y);
            }
        }
        for (std::size_t k = 0; k < circles.size(); ++k) {
            SCOPED_TRACE(std::string("circle ") + circles[k].name);
            ExpectBox(boxes[k].box, circles[k].box);
        }
    }
}

// Each outline on its own seals its inside: with only the pixels along that circle as walls, a
// side-to-side fill from the centre stays strictly inside and covers about the circle's area.
TEST(DiagramTemplates, EachOutlineIsClosedToASideStepFill) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const Indices indices = Decode(StoredBytes(size));
        for (const auto& circle : rivo::diagram::LayoutOf(size).circles) {
            SCOPED_TRACE(std::string("circle ") + circle.name);
            QImage walls(kSide, kSide, QImage::Format_RGB32);
            walls.fill(Qt::white);
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    if (indices(x, y) != kWhiteIndex &&
                        DistanceFromCurve(circle.box, x, y) <= 1.25) {
                        walls.setPixel(x, y, qRgb(0, 0, 0));
                    }
                }
            }
            const auto areas = rivo::testing::FindWhiteAreas(walls);
            const auto curve = rivo::diagram::CurveOf(circle.box);
            const int inside = areas.At(static_cast<int>(curve.cx), static_cast<int>(curve.cy));
            ASSERT_GE(inside, 0);
            ASSERT_NE(inside, areas.At(0, 0));
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    if (areas.At(x, y) == inside) {
                        ASSERT_TRUE(rivo::diagram::InsideCircle(circle.box, x, y)) << x << "," << y;
                    }
                }
            }
            const double area = 3.14159265 * curve.rx * curve.ry;
            EXPECT_NEAR(areas.size[static_cast<std::size_t>(inside)], area, 0.03 * area);
        }
    }
}

TEST(DiagramTemplates, LettersStandInTheirBoxesOutsideTheCircles) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const Indices indices = Decode(StoredBytes(size));
        const auto letters = rivo::diagram::LayoutOf(size).letters;
        std::vector<BoxFinder> boxes(letters.size());
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                if (indices(x, y) != kBlackIndex) continue;
                int owners = 0;
                for (std::size_t k = 0; k < letters.size(); ++k) {
                    if (InBox(letters[k].box, x, y)) {
                        boxes[k].Add(x, y);
                        ++owners;
                    }
                }
                ASSERT_EQ(owners, 1) << "black pixel at " << x << "," << y;
                ASSERT_EQ(CirclesAt(size, x, y), "") << x << "," << y;
            }
        }
        for (std::size_t k = 0; k < letters.size(); ++k) {
            SCOPED_TRACE(std::string("letter ") + letters[k].letter);
            ExpectBox(boxes[k].box, letters[k].box);
        }
    }
}

// The circles each region lies in, as the seed tables list them.
const std::map<char, std::string>& ExpectedCircles(DiagramSize size) {
    static const std::map<char, std::string> three = {
        {'1', "A"}, {'2', "AB"}, {'3', "B"}, {'4', "AC"}, {'5', "ABC"}, {'6', "BC"}, {'7', "C"},
    };
    static const std::map<char, std::string> four = {
        {'A', "A"},    {'B', "AD"},  {'C', "ABD"}, {'D', "AB"}, {'E', "ACD"},
        {'F', "ABCD"}, {'G', "ABC"}, {'H', "D"},   {'I', "CD"}, {'J', "BCD"},
        {'K', "BC"},   {'L', "B"},   {'M', "C"},
    };
    static const std::map<char, std::string> five = {
        {'A', "A"},     {'B', "AE"},   {'C', "ABE"}, {'D', "AB"},   {'E', "ADE"},  {'F', "ABDE"},
        {'G', "ABCDE"}, {'H', "ABCE"}, {'I', "ABC"}, {'J', "ACDE"}, {'K', "ABCD"}, {'L', "E"},
        {'M', "B"},     {'N', "DE"},   {'O', "CDE"}, {'P', "BCDE"}, {'Q', "BCD"},  {'R', "BC"},
        {'S', "D"},     {'T', "CD"},   {'U', "C"},
    };
    static const std::map<DiagramSize, const std::map<char, std::string>*> bySize = {
        {DiagramSize::kThree, &three}, {DiagramSize::kFour, &four}, {DiagramSize::kFive, &five}};
    return *bySize.at(size);
}

TEST(DiagramTemplates, SeedsAreWhiteClearOfOutlinesAndInTheirCircles) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const Indices indices = Decode(StoredBytes(size));
        const auto seeds = rivo::diagram::LayoutOf(size).seeds;
        ASSERT_EQ(seeds.size(), ExpectedCircles(size).size());
        for (const auto& seed : seeds) {
            SCOPED_TRACE(std::string("region ") + seed.code);
            EXPECT_EQ(indices(seed.x, seed.y), kWhiteIndex);
            EXPECT_EQ(CirclesAt(size, seed.x, seed.y), ExpectedCircles(size).at(seed.code));
            double nearest = kSide;
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    if (IsOutline(indices(x, y))) {
                        nearest = std::min(nearest, std::hypot(x - seed.x, y - seed.y));
                    }
                }
            }
            EXPECT_GE(nearest, 3.0);
        }
    }
}

// Each seed's white area lies inside exactly its circles and holds no other seed; every other
// enclosed white area is a counter of a letter or a pixel or so shut in where outlines meet.
TEST(DiagramTemplates, EveryEnclosedAreaIsOneRegion) {
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const QImage& picture = rivo::diagram::DiagramTemplate(size);
        const auto areas = rivo::testing::FindWhiteAreas(picture);
        const int outside = areas.At(0, 0);
        std::map<int, char> seedOfArea;
        for (const auto& seed : rivo::diagram::LayoutOf(size).seeds) {
            const int area = areas.At(seed.x, seed.y);
            ASSERT_GE(area, 0);
            ASSERT_NE(area, outside) << seed.code;
            ASSERT_EQ(seedOfArea.count(area), 0u)
                << seed.code << " shares with " << seedOfArea[area];
            seedOfArea[area] = seed.code;
        }
        const auto letters = rivo::diagram::LayoutOf(size).letters;
        std::map<int, bool> inLetter;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const int area = areas.At(x, y);
                if (area < 0) continue;
                const std::string circles = CirclesAt(size, x, y);
                if (area == outside) {
                    ASSERT_EQ(circles, "") << x << "," << y;
                } else if (const auto seed = seedOfArea.find(area); seed != seedOfArea.end()) {
                    ASSERT_EQ(circles, ExpectedCircles(size).at(seed->second)) << x << "," << y;
                } else {
                    bool inside = false;
                    for (const auto& letter : letters)
                        inside = inside || InBox(letter.box, x, y);
                    inLetter.try_emplace(area, true).first->second &= inside;
                }
            }
        }
        int shutIn = 0;
        for (const auto& [area, letter] : inLetter) {
            if (letter) continue;
            EXPECT_LE(areas.size[static_cast<std::size_t>(area)], 3);
            ++shutIn;
        }
        EXPECT_LE(shutIn, 3);
    }
}

TEST(DiagramTemplates, GeneratorRedrawsTheStoredFilesExactly) {
    const rivo::testing::TempDirectory temp;
    const std::filesystem::path& directory = temp.path();
    const auto run = rivo::testing::RunProcess(RIVO_MAKE_TEMPLATES_PATH, {directory.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const DiagramSize size : kDiagramSizes) {
        SCOPED_TRACE(SizeName(size));
        const std::string name(rivo::diagram::LayoutOf(size).templateFile);
        const std::string fresh = rivo::testing::ReadFile(directory / name);
        EXPECT_EQ(fresh.size(), 80118u);
        EXPECT_TRUE(fresh ==
                    rivo::testing::ReadFile(std::filesystem::path(RIVO_TEMPLATE_DIR) / name))
            << name << " differs from a fresh run; redraw with the rivo_update_templates target";
        EXPECT_TRUE(fresh == StoredBytes(size)) << "the compiled-in " << name << " is stale";
    }
}

}  // namespace
