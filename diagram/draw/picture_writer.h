// The one picture writer of rivo-cli and the window: the file name's extension picks the format,
// the picture is encoded whole in memory, and the file is replaced only once every byte of the
// new one is on disk.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "files/atomic_file.h"

class QPainter;

namespace rivo::diagram {

// The file writer's words, which every caller of the picture writer speaks too.
using files::Sync;
using files::WriteFailure;

// A picture to write: the raster the raster formats encode, and for the vector formats a way to
// draw it into a square, opaque ground included, with the side the file gives that square (SVG
// pixels, PDF points).
// Without `draw` a vector format draws the raster, scaled to the side.
struct Picture {
    QImage raster;
    std::function<void(QPainter& painter, const QRectF& target)> draw;
    int side = 400;
};

// One picture format and the extensions that ask for it.
struct PictureFormat {
    std::string_view name;                         // as the user reads it, "PNG"
    std::span<const std::string_view> extensions;  // lower case, without the dot
    bool vector;  // drawn (Picture::draw) rather than encoded from the raster
    // The picture as the bytes of a file of this format; a failure when it cannot be encoded.
    WriteFailure (*encode)(const Picture& picture, QByteArray& bytes);
};

// Every format a picture can be written in, in the order a user is offered them.
std::span<const PictureFormat> PictureFormats();

// The format the extension of the file name asks for, in any case; nothing for a name without
// one of the extensions of PictureFormats().
const PictureFormat* PictureFormatOf(std::string_view file);

// The extensions of PictureFormats() as a reader is told them: ".png, .jpg, .jpeg, .bmp, .svg
// or .pdf".
std::string PictureExtensionList();

// Encodes `picture` in the format of the extension of `file` and writes it there as
// WriteFileAtomically does. An unknown extension is a failure that names the known ones.
WriteFailure WritePicture(const Picture& picture, const std::string& file, Sync sync = Sync::kNow);

// A raster alone: the vector formats draw it scaled to its width.
WriteFailure WritePicture(const QImage& picture, const std::string& file, Sync sync = Sync::kNow);

}  // namespace rivo::diagram
