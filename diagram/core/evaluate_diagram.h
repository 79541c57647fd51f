// One request's evaluation without pictures: expression text in, truth set and region set out.
// The window (through DrawDiagram) and rivo-cli's commands go through here; painting comes
// after (diagram/draw/draw.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/zones.h"
#include "expr/tree.h"

namespace rivo::diagram {

// What one request drew: the painted region set and the whole truth set, hidden zones included,
// and what the diagram did not read as written (ReadingNote: empty when it read every part).
struct Drawing {
    std::string regions;
    ZoneSet zones = 0;
    std::string readingNote;
};

// Runs the pipeline on `text` (rebuilding the tree in `tree`), replaces the lines of `listing`
// with the new prefix listing and evaluates them for the size. A pipeline error propagates
// before the listing is touched, so it keeps what the previous request left.
Drawing EvaluateDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing);

// The same road over `circles` circles (2 to 5) for the truth set alone: two circles have no
// region codes, and a Venn layout shades zones.
ZoneSet EvaluateZoneSet(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing);

// The truth set, the reading note and, where the circles have an Euler size, its region set;
// two circles leave the regions empty.
Drawing EvaluateDrawing(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing);

}  // namespace rivo::diagram
