#include "cli/picture_output.h"

#include <QPainter>
#include <iostream>

#include "diagram/draw/geometric_renderer.h"
#include "diagram/draw/painter.h"
#include "diagram/draw/picture_writer.h"

namespace rivo::cli {

int WriteDiagramPicture(const Arguments& args, diagram::DiagramSize size, std::string_view regions,
                        QImage& scratch, const std::string& file, expr::RunBudget& budget,
                        files::Sync sync, std::string_view prefix) {
    const diagram::PictureFormat* format = diagram::PictureFormatOf(file);
    const diagram::RenderOptions options{.hatch = args.hatch};
    diagram::Picture picture;
    picture.side = args.size ? PictureSide(*args.size) : diagram::DiagramTemplate(size).width();
    picture.draw = [&](QPainter& painter, const QRectF& target) {
        diagram::RenderDiagram(painter, target, size, regions, options);
    };
    // The raster, and about as much again for its encoding.
    const auto side = static_cast<std::size_t>(picture.side);
    const expr::ScopedCharge charge(budget, 2 * side * side * 4);
    if (format != nullptr && !format->vector) {
        if (args.size || args.hatch) {
            picture.raster = diagram::RenderDiagramImage(size, regions, picture.side, options);
        } else {
            diagram::PaintDiagram(size, regions, scratch);
            picture.raster = scratch;
        }
    }
    if (const auto failure = diagram::WritePicture(picture, file, sync)) {
        std::cerr << "rivo-cli: " << prefix << "cannot write the picture to " << file << ": "
                  << *failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace rivo::cli
