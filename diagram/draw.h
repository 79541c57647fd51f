// One draw request without widgets: expression text in, painted picture out. The window and
// rivo-cli both go through here.
#pragma once

#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/diagram_size.h"
#include "diagram/zones.h"
#include "expr/tree.h"

namespace rivo::diagram {

// What one request drew: the painted region set and the whole truth set, hidden zones included.
struct Drawing {
    std::string regions;
    ZoneSet zones = 0;
};

// Runs the pipeline on `text` (rebuilding the tree in `tree`), replaces the lines of `listing`
// with the new prefix listing and evaluates them for the size. A pipeline error propagates
// before the listing is touched, so it keeps what the previous request left.
Drawing EvaluateDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing);

// EvaluateDiagram, then the result painted into `picture`, which a pipeline error leaves as it
// was.
Drawing DrawDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                    std::vector<std::string>& listing, QImage& picture);

}  // namespace rivo::diagram
