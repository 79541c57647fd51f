// The picture formats of paint and draw through the real rivo-cli: each file is what its
// extension says, the vector files show the regions, --size and --hatch do what they say.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cstdlib>
#include <set>
#include <string>

#include "diagram/core/diagram_layout.h"
#include "diagram/draw/picture_writer.h"
#include "tests/cli_fixture.h"
#include "tests/read_file.h"
#include "tests/run_process.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

class CliPictureFormats : public rivo::testing::CliFileTest {
  protected:
    // Runs rivo-cli and expects a clean success.
    void Cli(std::vector<std::string> args) const {
        const auto r = RunProcess(kCli, args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
    }
};

bool SvgIsWellFormed(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader xml(&file);
    bool sawSvg = false;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && !sawSvg) {
            if (xml.name() != QStringLiteral("svg")) return false;
            sawSvg = true;
        }
    }
    return sawSvg && !xml.hasError();
}

// Half the five-circle regions: odd ones red, even ones green, the rest white.
const std::string kShaded = "ACEGIKMOQSU";

// A vector file made into a 400 x 400 raster: the PDF by pdftoppm (72 dpi: a point a pixel),
// the SVG by Qt SVG.
QImage Rasterise(const std::string& path, const std::string& extension, const std::string& prefix) {
    if (extension == "svg") {
        QSvgRenderer svg(QString::fromStdString(path));
        QImage picture(400, 400, QImage::Format_RGB32);
        picture.fill(Qt::black);  // the file's own background must cover this
        QPainter painter(&picture);
        svg.render(&painter);
        return picture;
    }
    const auto r =
        RunProcess("/usr/bin/pdftoppm", {"-r", "72", "-png", "-singlefile", path, prefix});
    EXPECT_EQ(r.status, 0) << "pdftoppm: " << r.err;
    return QImage(QString::fromStdString(prefix + ".png"));
}

TEST_F(CliPictureFormats, EachFormatIsWhatItsExtensionSays) {
    const struct {
        std::string extension;
        std::string magic;  // empty: an XML document whose root is <svg>
    } rows[] = {
        {"png", "\x89PNG\r\n\x1a\n"},
        {"jpg", "\xff\xd8\xff"},
        {"jpeg", "\xff\xd8\xff"},
        {"bmp", "BM"},
        {"svg", ""},
        {"pdf", "%PDF-"},
    };
    std::set<std::string> known;
    for (const auto& format : rivo::diagram::PictureFormats())
        known.insert(format.extensions.begin(), format.extensions.end());
    std::set<std::string> tested;
    for (const auto& row : rows)
        tested.insert(row.extension);
    EXPECT_EQ(known, tested);

    for (const auto& row : rows) {
        for (const char* command : {"paint", "draw"}) {
            SCOPED_TRACE(row.extension + " by " + command);
            const std::string file = File(std::string(command) + "." + row.extension);
            // a*b*c holds no zone five circles cannot show, so draw prints no note.
            const std::string operand = command == std::string("paint") ? kShaded : "a*b*c";
            ASSERT_NO_FATAL_FAILURE(Cli({command, "5", operand, "-o", file}));
            if (row.magic.empty()) {
                EXPECT_TRUE(SvgIsWellFormed(file));
            } else {
                EXPECT_EQ(rivo::testing::ReadFile(file).substr(0, row.magic.size()), row.magic);
            }
        }
    }
}

TEST_F(CliPictureFormats, VectorFilesShowTheShadedRegionsOnWhite) {
    for (const std::string extension : {"svg", "pdf"}) {
        SCOPED_TRACE(extension);
        const std::string file = File("shaded." + extension);
        ASSERT_NO_FATAL_FAILURE(Cli({"paint", "5", kShaded, "-o", file}));
        const QImage picture = Rasterise(file, extension, File("shaded-" + extension));
        ASSERT_EQ(picture.size(), QSize(400, 400));
        for (const auto& seed : rivo::diagram::LayoutOf(DiagramSize::kFive).seeds) {
            SCOPED_TRACE(std::string(1, seed.code));
            const QColor want = kShaded.find(seed.code) == std::string::npos
                                    ? QColor(Qt::white)
                                    : QColor(static_cast<int>(seed.colour & 0xFF),
                                             static_cast<int>((seed.colour >> 8) & 0xFF),
                                             static_cast<int>((seed.colour >> 16) & 0xFF));
            const QColor got = picture.pixelColor(seed.x, seed.y);
            // Renderers round colours a step or two differently.
            EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                          std::abs(got.blue() - want.blue()),
                      6)
                << got.name().toStdString() << " for " << want.name().toStdString();
        }
        // A corner is the opaque white background.
        EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white));
    }
}

TEST_F(CliPictureFormats, SizeSetsTheRasterAndHatchIsNoFlatFill) {
    for (const std::string extension : {"png", "jpg", "bmp"}) {
        const std::string file = File("sized." + extension);
        ASSERT_NO_FATAL_FAILURE(Cli({"draw", "4", "a*b", "--size", "123", "-o", file}));
        EXPECT_EQ(QImage(QString::fromStdString(file)).size(), QSize(123, 123)) << extension;
    }
    // Around the seed of region A of three circles (in A alone), scaled to 800 pixels.
    const std::string file = File("hatch.png");
    ASSERT_NO_FATAL_FAILURE(Cli({"paint", "3", "1", "--hatch", "--size", "800", "-o", file}));
    const QImage picture(QString::fromStdString(file));
    ASSERT_EQ(picture.size(), QSize(800, 800));
    const auto& seed = rivo::diagram::LayoutOf(DiagramSize::kThree).seeds[0];
    std::set<QRgb> colours;
    for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx)
            colours.insert(picture.pixel(2 * seed.x + dx, 2 * seed.y + dy));
    }
    EXPECT_GT(colours.size(), 2u);
}

TEST_F(CliPictureFormats, SizeOutOfBoundsIsAUsageError) {
    for (const std::string size : {"15", "4097", "0", "-1", "12x", "", "99999999999"}) {
        SCOPED_TRACE(size);
        const auto r = RunProcess(kCli, {"paint", "3", "1", "--size", size, "-o", File("x.png")});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("--size must be a whole number of pixels from 16 to 4096"),
                  std::string::npos)
            << r.err;
    }
    const auto r = RunProcess(kCli, {"regions", "3", "a", "--hatch"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--hatch goes with paint, draw and sheet"), std::string::npos) << r.err;
}

}  // namespace
