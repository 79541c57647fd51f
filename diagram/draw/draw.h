// One draw request without widgets: expression text in, painted picture out. The window goes
// through here; rivo-cli evaluates with EvaluateDiagram and draws the picture its options ask
// for.
#pragma once

#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluate_diagram.h"
#include "expr/tree.h"

namespace rivo::diagram {

// EvaluateDiagram, then the result painted into `picture`, which a pipeline error leaves as it
// was.
Drawing DrawDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                    std::vector<std::string>& listing, QImage& picture);

}  // namespace rivo::diagram
