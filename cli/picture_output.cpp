#include "cli/picture_output.h"

#include <iostream>

#include "diagram/draw/picture_plan.h"
#include "diagram/draw/picture_writer.h"
#include "expr/error.h"

namespace rivo::cli {

int WriteDiagramPicture(const Arguments& args, diagram::DiagramSize size, std::string_view regions,
                        QImage& scratch, const std::string& file, expr::RunBudget& budget,
                        files::Sync sync, std::string_view prefix) {
    diagram::PictureRequest request(size);
    request.format = diagram::PictureFormatOf(file);
    request.hatch = args.hatch;
    if (args.size) request.side = PictureSide(*args.size);
    // The raster, and about as much again for its encoding; a vector format draws no raster.
    // What the budget refuses here is the picture, not the expression.
    expr::ScopedCharge charge(budget);
    try {
        charge.Add(2 * diagram::PlanPicture(request).RasterBytes());
    } catch (const expr::PipelineError&) {
        throw expr::PipelineError(kPictureTooLargeMessage);
    }
    const diagram::Picture picture = diagram::MakePicture(request, std::string(regions), scratch);
    if (const auto failure = diagram::WritePicture(picture, file, sync)) {
        std::cerr << "rivo-cli: " << prefix << "cannot write the picture to " << file << ": "
                  << *failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace rivo::cli
