// The picture file of paint and draw: which painter makes it, at which size, in which format.
#pragma once

#include <QImage>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "diagram/core/diagram_size.h"
#include "expr/budget.h"
#include "files/atomic_file.h"

namespace rivo::cli {

// Writes the picture of `regions` to `file` in the format its extension names. A raster format
// without --size and --hatch gets the template painter's picture, painted into `scratch` (kept by
// the caller, so that a run of pictures reuses one buffer); everything else (any --size or
// --hatch, and the vector formats always) comes from the geometric renderer, and nothing is
// painted. The raster is charged to `budget`; `sync` as WriteFileAtomically takes it. Returns
// the exit status; a failure to write is reported on standard error, `prefix` (such as
// "line 3: ") in front of it.
int WriteDiagramPicture(const Arguments& args, diagram::DiagramSize size, std::string_view regions,
                        QImage& scratch, const std::string& file, expr::RunBudget& budget,
                        files::Sync sync = files::Sync::kNow, std::string_view prefix = {});

}  // namespace rivo::cli
