// The picture writer: the format table, the encoders and the way from a picture to its file.
#include "diagram/draw/picture_writer.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <vector>

#include "diagram/draw/geometric_renderer.h"

namespace rivo::diagram {

namespace {

// Encodes through Qt's image writer; JPEG comes from Qt's image format plugin.
WriteFailure EncodeWithQt(const QImage& picture, QByteArray& bytes, const char* format,
                          int quality) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (writer.write(picture)) return std::nullopt;
    return "the picture cannot be encoded as " + std::string(format) + ": " +
           writer.errorString().toStdString();
}

// The picture with a palette, when it has at most 256 colours, all opaque; else a null picture.
// Made in one pass: the colours of a diagram (the template's greys and the fills) come in long
// runs, so a pixel is mostly the colour of the one before it.
QImage WithPalette(const QImage& picture) {
    if (picture.format() != QImage::Format_RGB32 || picture.isNull()) return {};
    QImage indexed(picture.size(), QImage::Format_Indexed8);
    QList<QRgb> palette;
    QRgb last = ~picture.pixel(0, 0);
    uchar lastIndex = 0;
    const auto width = static_cast<std::size_t>(picture.width());
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (std::size_t x = 0; x < width; ++x) {
            if (line[x] != last) {
                last = line[x];
                const auto found = std::find(palette.cbegin(), palette.cend(), last);
                const qsizetype index = found - palette.cbegin();
                if (index == palette.size()) {
                    if (index == 256) return {};
                    palette.push_back(last);
                }
                lastIndex = static_cast<uchar>(index);
            }
            out[x] = lastIndex;
        }
    }
    indexed.setColorTable(palette);
    return indexed;
}

// A diagram's PNG with a palette is exact, a third of the bytes and several times faster to
// encode; any other picture is written as it is. PNG is lossless at any quality: Qt's 80 asks
// zlib for its fastest level, which on a diagram's long runs of one colour costs half a
// kilobyte of the file and saves more than half of the encoding time.
WriteFailure EncodePng(const Picture& picture, QByteArray& bytes) {
    const QImage indexed = WithPalette(picture.raster);
    return EncodeWithQt(indexed.isNull() ? picture.raster : indexed, bytes, "PNG", 80);
}

// Near the top of the scale: the flat fills and thin outlines of a diagram show the artefacts
// of lower qualities.
WriteFailure EncodeJpeg(const Picture& picture, QByteArray& bytes) {
    return EncodeWithQt(picture.raster, bytes, "JPEG", 95);
}

WriteFailure EncodeBmp(const Picture& picture, QByteArray& bytes) {
    return EncodeWithQt(picture.raster, bytes, "BMP", -1);
}

// Draws the picture into the square at the origin of a vector device. `draw` paints its own
// opaque ground, as RenderDiagram does; a raster may have transparent pixels, so it gets a white
// one.
void DrawVector(const Picture& picture, QPainter& painter) {
    const QRectF square(0, 0, picture.side, picture.side);
    if (picture.draw) {
        picture.draw(painter, square);
    } else {
        painter.fillRect(square, Qt::white);
        painter.drawImage(square, picture.raster);
    }
}

// Draws the picture on the device `makeDevice` sets up to write into `bytes`: a device that cannot
// begin or finish its file is a failure that names the format.
WriteFailure EncodeVector(const Picture& picture, QByteArray& bytes, std::string_view format,
                          std::unique_ptr<QPaintDevice> (*makeDevice)(QIODevice& out, int side)) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const std::unique_ptr<QPaintDevice> device = makeDevice(buffer, picture.side);
    EnsureFontDatabase();
    QPainter painter;
    const auto failure = "the picture cannot be drawn as " + std::string(format);
    if (!painter.begin(device.get())) return failure;
    DrawVector(picture, painter);
    if (!painter.end()) return failure;
    return std::nullopt;
}

std::unique_ptr<QPaintDevice> SvgDevice(QIODevice& out, int side) {
    auto generator = std::make_unique<QSvgGenerator>();
    generator->setOutputDevice(&out);
    generator->setSize(QSize(side, side));
    generator->setViewBox(QRect(0, 0, side, side));
    // CSS pixels: the file's width in millimetres is then the side in pixels on the web.
    generator->setResolution(96);
    generator->setTitle(QStringLiteral("Diagram"));
    return generator;
}

// One square page of the picture's side in points, the picture edge to edge.
std::unique_ptr<QPaintDevice> PdfDevice(QIODevice& out, int side) {
    auto writer = std::make_unique<QPdfWriter>(&out);
    writer->setResolution(72);
    writer->setPageLayout(QPageLayout(
        QPageSize(QSizeF(side, side), QPageSize::Point, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point, QMarginsF(0, 0, 0, 0)));
    writer->setTitle(QStringLiteral("Diagram"));
    return writer;
}

WriteFailure EncodeSvg(const Picture& picture, QByteArray& bytes) {
    return EncodeVector(picture, bytes, "SVG", SvgDevice);
}

WriteFailure EncodePdf(const Picture& picture, QByteArray& bytes) {
    return EncodeVector(picture, bytes, "PDF", PdfDevice);
}

constexpr std::string_view kPngExtensions[] = {"png"};
constexpr std::string_view kJpegExtensions[] = {"jpg", "jpeg"};
constexpr std::string_view kBmpExtensions[] = {"bmp"};
constexpr std::string_view kSvgExtensions[] = {"svg"};
constexpr std::string_view kPdfExtensions[] = {"pdf"};

// The one table of formats: a new format is a new row.
constexpr std::array kFormats = {
    PictureFormat{"PNG", kPngExtensions, false, EncodePng},
    PictureFormat{"JPEG", kJpegExtensions, false, EncodeJpeg},
    PictureFormat{"BMP", kBmpExtensions, false, EncodeBmp},
    PictureFormat{"SVG", kSvgExtensions, true, EncodeSvg},
    PictureFormat{"PDF", kPdfExtensions, true, EncodePdf},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::span<const PictureFormat> PictureFormats() {
    return kFormats;
}

const PictureFormat* PictureFormatOf(std::string_view file) {
    const std::string_view name = file.substr(file.rfind('/') + 1);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return nullptr;
    const std::string_view extension = name.substr(dot + 1);
    for (const auto& format : kFormats) {
        for (const auto known : format.extensions) {
            if (SameIgnoringCase(extension, known)) return &format;
        }
    }
    return nullptr;
}

std::string PictureExtensionList() {
    std::vector<std::string_view> all;
    for (const auto& format : kFormats)
        all.insert(all.end(), format.extensions.begin(), format.extensions.end());
    std::string list;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0) list += i + 1 == all.size() ? " or " : ", ";
        list += "." + std::string(all[i]);
    }
    return list;
}

WriteFailure WritePicture(const Picture& picture, const std::string& file, Sync sync) {
    const PictureFormat* format = PictureFormatOf(file);
    if (format == nullptr) return "the name must end in " + PictureExtensionList();
    QByteArray bytes;
    if (auto failure = format->encode(picture, bytes)) return failure;
    return files::WriteFileAtomically(
        file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), sync);
}

WriteFailure WritePicture(const QImage& picture, const std::string& file, Sync sync) {
    return WritePicture(Picture{picture, {}, picture.width()}, file, sync);
}

}  // namespace rivo::diagram
