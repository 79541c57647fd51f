// The one picture writer of rivo-cli and the window: the file name's extension picks the format,
// the picture is encoded whole in memory, and the file is replaced only once every byte of the
// new one is on disk.
#pragma once

#include <QByteArray>
#include <QImage>
#include <span>
#include <string>
#include <string_view>

#include "diagram/atomic_file.h"

namespace rivo::diagram {

// One picture format and the extensions that ask for it.
struct PictureFormat {
    std::string_view name;                         // as the user reads it, "PNG"
    std::span<const std::string_view> extensions;  // lower case, without the dot
    // The picture as the bytes of a file of this format; a failure when it cannot be encoded.
    WriteFailure (*encode)(const QImage& picture, QByteArray& bytes);
};

// Every format a picture can be written in, in the order a user is offered them.
std::span<const PictureFormat> PictureFormats();

// The format the extension of the file name asks for, in any case; nothing for a name without
// one of the extensions of PictureFormats().
const PictureFormat* PictureFormatOf(std::string_view file);

// The extensions of PictureFormats() as a reader is told them: ".png, .jpg, .jpeg or .bmp".
std::string PictureExtensionList();

// Encodes `picture` in the format of the extension of `file` and writes it there as
// WriteFileAtomically does. An unknown extension is a failure that names the known ones.
WriteFailure WritePicture(const QImage& picture, const std::string& file, Sync sync = Sync::kNow);

}  // namespace rivo::diagram
