// The picture file of paint, draw, steps and draw --batch: which painter makes it, at which size,
// in which layout and format, with which names, title and colours.
#pragma once

#include <QImage>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluate_diagram.h"
#include "diagram/core/set_notation.h"
#include "diagram/draw/geometric_renderer.h"
#include "expr/budget.h"
#include "files/atomic_file.h"

namespace rivo::cli {

// The error of a picture whose raster the run's budget cannot take beside what it holds.
inline constexpr const char* kPictureTooLargeMessage = "Picture is too large";

// The layout --layout asks for: the Euler layout unless it says venn.
diagram::LayoutKind AskedLayout(const Arguments& args);

// How the renderer is to draw a picture of `circles` circles: --hatch, --fill, --labels (one name
// per circle, else a UsageError) and --title.
diagram::RenderOptions RenderOptionsOf(const Arguments& args, int circles);

// Writes the picture of `drawing` to `file` in the format its extension names, made by the
// painter diagram::PlanPicture chooses for it: the Euler layout shades the region set as given
// (exactly as the window paints it), a Venn layout the zones. The template painter paints into
// `scratch` (kept by the caller, so that a run of pictures reuses one buffer). The raster is
// charged to `budget` (kPictureTooLargeMessage when it cannot take it); `sync` as
// WriteFileAtomically takes it. Returns the exit status; a failure to write is reported on
// standard error, `prefix` (such as "line 3: ") in front of it.
int WriteDiagramPicture(const Arguments& args, diagram::DiagramKind kind,
                        const diagram::Drawing& drawing, QImage& scratch, const std::string& file,
                        expr::RunBudget& budget, files::Sync sync = files::Sync::kNow,
                        std::string_view prefix = {});

// The same for a set over every zone, the outside one included: drawn in the universe frame, in
// either layout.
int WriteUniversePicture(const Arguments& args, diagram::DiagramKind kind, diagram::UniverseSet set,
                         QImage& scratch, const std::string& file, expr::RunBudget& budget,
                         files::Sync sync = files::Sync::kNow, std::string_view prefix = {});

}  // namespace rivo::cli
