#include "cli/picture_output.h"

#include <iostream>

#include "diagram/core/set_notation.h"
#include "diagram/draw/picture_plan.h"
#include "diagram/draw/picture_writer.h"
#include "expr/error.h"

namespace rivo::cli {

diagram::LayoutKind AskedLayout(const Arguments& args) {
    return args.layout == "venn" ? diagram::LayoutKind::kVenn : diagram::LayoutKind::kEuler;
}

diagram::RenderOptions RenderOptionsOf(const Arguments& args, int circles) {
    diagram::RenderOptions options;
    options.hatch = args.hatch;
    if (args.fill) {
        const Colour colour = FillColour(*args.fill);
        options.fill = QColor(colour.red, colour.green, colour.blue);
    }
    if (args.labels) {
        options.labels = Labels(*args.labels);
        if (options.labels.size() != static_cast<std::size_t>(circles)) {
            throw UsageError{"--labels gives " + std::to_string(options.labels.size()) +
                             (options.labels.size() == 1 ? " name" : " names") + " for " +
                             std::to_string(circles) + " circles"};
        }
    }
    if (args.title) options.title = *args.title;
    return options;
}

namespace {

// The one road of a picture file: the request of `kind` with the options of `args`, its raster
// charged to `budget`, the picture `make` draws for it, written to `file`.
template <typename Make>
int WriteRequestedPicture(const Arguments& args, diagram::DiagramKind kind, bool universe,
                          const std::string& file, expr::RunBudget& budget, files::Sync sync,
                          std::string_view prefix, Make make) {
    diagram::PictureRequest request(kind);
    request.format = diagram::PictureFormatOf(file);
    request.options = RenderOptionsOf(args, kind.circles);
    request.options.universe = universe;
    if (args.size) request.side = PictureSide(*args.size);
    // The raster, and about as much again for its encoding; a vector format draws no raster.
    // What the budget refuses here is the picture, not the expression.
    expr::ScopedCharge charge(budget);
    try {
        charge.Add(2 * diagram::PlanPicture(request).RasterBytes());
    } catch (const expr::PipelineError&) {
        throw expr::PipelineError(kPictureTooLargeMessage);
    }
    const diagram::Picture picture = make(request);
    if (const auto failure = diagram::WritePicture(picture, file, sync)) {
        std::cerr << "rivo-cli: " << prefix << "cannot write the picture to " << file << ": "
                  << *failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int WriteDiagramPicture(const Arguments& args, diagram::DiagramKind kind,
                        const diagram::Drawing& drawing, QImage& scratch, const std::string& file,
                        expr::RunBudget& budget, files::Sync sync, std::string_view prefix) {
    return WriteRequestedPicture(
        args, kind, /*universe=*/false, file, budget, sync, prefix,
        [&](const diagram::PictureRequest& request) {
            return diagram::EulerSizeOf(kind)
                       ? diagram::MakePicture(request, drawing.regions, scratch)
                       : diagram::MakeZonePicture(request, diagram::FromZoneSet(drawing.zones),
                                                  scratch);
        });
}

int WriteUniversePicture(const Arguments& args, diagram::DiagramKind kind, diagram::UniverseSet set,
                         QImage& scratch, const std::string& file, expr::RunBudget& budget,
                         files::Sync sync, std::string_view prefix) {
    return WriteRequestedPicture(args, kind, /*universe=*/true, file, budget, sync, prefix,
                                 [&](const diagram::PictureRequest& request) {
                                     return diagram::MakeZonePicture(request, set, scratch);
                                 });
}

}  // namespace rivo::cli
