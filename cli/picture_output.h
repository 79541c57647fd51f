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

// The error of a picture whose raster the run's budget cannot take beside what it holds.
inline constexpr const char* kPictureTooLargeMessage = "Picture is too large";

// Writes the picture of `regions` to `file` in the format its extension names, made by the
// painter diagram::PlanPicture chooses for it; the template painter paints into `scratch` (kept
// by the caller, so that a run of pictures reuses one buffer). The raster is charged to
// `budget` (kPictureTooLargeMessage when it cannot take it); `sync` as WriteFileAtomically
// takes it. Returns the exit status; a failure to write is reported on standard error, `prefix`
// (such as "line 3: ") in front of it.
int WriteDiagramPicture(const Arguments& args, diagram::DiagramSize size, std::string_view regions,
                        QImage& scratch, const std::string& file, expr::RunBudget& budget,
                        files::Sync sync = files::Sync::kNow, std::string_view prefix = {});

}  // namespace rivo::cli
