#include "diagram/draw/painter.h"

#include <array>
#include <cstring>
#include <stdexcept>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/template_layout.h"
#include "diagram/draw/flood_fill.h"

// The templates are compiled into this static library; a static library's resources have to
// be registered by hand, from the global namespace.
static void RegisterTemplateResources() {
    Q_INIT_RESOURCE(rivo_diagram_templates);
}

namespace rivo::diagram {

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

QImage LoadTemplate(DiagramSize size) {
    RegisterTemplateResources();
    const QString path = TemplateResourcePath(size);
    QImage image(path);
    if (image.width() != kTemplateWidth || image.height() != kTemplateHeight) {
        throw std::runtime_error("diagram template missing or damaged: " + path.toStdString());
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QString TemplateResourcePath(DiagramSize size) {
    const std::string_view name = LayoutOf(size).templateFile;
    return QStringLiteral(":/diagram/templates/") +
           QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

const QImage& DiagramTemplate(DiagramSize size) {
    static const auto templates = [] {
        std::array<QImage, std::size(kDiagramSizes)> images;
        for (std::size_t i = 0; i < images.size(); ++i)
            images[i] = LoadTemplate(kDiagramSizes[i]);
        return images;
    }();
    return templates[SizeIndex(size)];
}

void PaintDiagram(DiagramSize size, std::string_view regionSet, QImage& picture) {
    // The template covers the whole picture, so copying it also removes every earlier fill.
    // A picture of the template's size and format takes the copy into its own pixels: a new
    // 640 KB block for every draw would cost more than the fills.
    const QImage& pattern = DiagramTemplate(size);
    if (picture.size() != pattern.size() || picture.format() != pattern.format() ||
        picture.bytesPerLine() != pattern.bytesPerLine()) {
        picture = pattern.copy();
    } else {
        std::memcpy(picture.bits(), pattern.constBits(),
                    static_cast<std::size_t>(pattern.sizeInBytes()));
        picture.setDotsPerMeterX(pattern.dotsPerMeterX());
        picture.setDotsPerMeterY(pattern.dotsPerMeterY());
        picture.setOffset(pattern.offset());
        picture.setDevicePixelRatio(pattern.devicePixelRatio());
    }
    for (const char code : regionSet) {
        const SeedEntry* seed = FindSeed(size, code);
        if (seed == nullptr) continue;
        SurfaceFill(picture, seed->x, seed->y, kWhite, FromTableColour(seed->colour));
    }
}

QRgb FromTableColour(std::uint32_t colour) {
    return qRgb(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                static_cast<int>((colour >> 16) & 0xFFu));
}

QImage PaintDiagram(DiagramSize size, std::string_view regionSet) {
    QImage picture;
    PaintDiagram(size, regionSet, picture);
    return picture;
}

}  // namespace rivo::diagram
