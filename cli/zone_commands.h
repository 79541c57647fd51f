// The zone commands of rivo-cli: every combination of circles, drawn or not, and the
// comparison of two sets over them; and the note that a set holds zones its picture cannot show.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/zones.h"

namespace rivo::cli {

// Writes to `err` the line that tells a reader the set holds zones the diagram cannot show,
// `prefix` in front (e.g. a line number); nothing when every zone of the set is drawn.
void WriteHiddenZoneNote(std::ostream& err, diagram::DiagramSize size, diagram::ZoneSet zones,
                         std::string_view prefix = {});

// Writes to `err` the line that tells a reader what the diagram did not read as written (the
// Drawing's readingNote): "note: " and the note, `prefix` in front; nothing for an empty note.
// It comes before the hidden-zone note, which is about the set the diagram did read.
void WriteReadingNote(std::ostream& err, std::string_view note, std::string_view prefix = {});

// A zone's region code as a column: the code, or "-" where the Euler diagram has none (two
// circles have no codes at all).
std::string RegionColumn(int circles, diagram::Zone zone);

// zones N EXPR: one line per zone in zone order: its circles, a tab, its region code or "-",
// a tab, "in" or "out".
int RunZones(const Arguments& args, std::ostream& out);

// equal N EXPR1 EXPR2: "equal" (status 0), or "different" and one line per zone that one side
// holds and the other does not (status kDifferentStatus).
int RunEqual(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
