// The picture writer: the format table, the encoders and the way from a picture to its file.
#include "diagram/picture_writer.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

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

WriteFailure EncodePng(const QImage& picture, QByteArray& bytes) {
    return EncodeWithQt(picture, bytes, "PNG", -1);
}

// Near the top of the scale: the flat fills and thin outlines of a diagram show the artefacts
// of lower qualities.
WriteFailure EncodeJpeg(const QImage& picture, QByteArray& bytes) {
    return EncodeWithQt(picture, bytes, "JPEG", 95);
}

WriteFailure EncodeBmp(const QImage& picture, QByteArray& bytes) {
    return EncodeWithQt(picture, bytes, "BMP", -1);
}

constexpr std::string_view kPngExtensions[] = {"png"};
constexpr std::string_view kJpegExtensions[] = {"jpg", "jpeg"};
constexpr std::string_view kBmpExtensions[] = {"bmp"};

// The one table of formats: a new format is a new row.
constexpr std::array kFormats = {
    PictureFormat{"PNG", kPngExtensions, EncodePng},
    PictureFormat{"JPEG", kJpegExtensions, EncodeJpeg},
    PictureFormat{"BMP", kBmpExtensions, EncodeBmp},
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

WriteFailure WritePicture(const QImage& picture, const std::string& file) {
    const PictureFormat* format = PictureFormatOf(file);
    if (format == nullptr) return "the name must end in " + PictureExtensionList();
    QByteArray bytes;
    if (auto failure = format->encode(picture, bytes)) return failure;
    return WriteFileAtomically(
        file, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace rivo::diagram
