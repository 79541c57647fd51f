#include "cli/zone_commands.h"

#include <iostream>
#include <ostream>
#include <vector>

#include "cli/commands.h"
#include "cli/set_notation_commands.h"
#include "diagram/draw/draw.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace rivo::cli {

namespace {

// The truth set of one expression and its reading note; its listing and stack are gone when
// this returns.
diagram::Drawing TruthSet(int circles, const std::string& text, expr::RunBudget& budget) {
    expr::TreeContainer tree(budget);
    std::vector<std::string> listing;
    return diagram::EvaluateDrawing(circles, text, tree, listing);
}

}  // namespace

std::string RegionColumn(int circles, diagram::Zone zone) {
    const auto size = diagram::DiagramSizeOf(circles);
    const char code = size ? diagram::RegionOfZone(*size, zone) : 0;
    return code == 0 ? std::string("-") : std::string(1, code);
}

void WriteHiddenZoneNote(std::ostream& err, diagram::DiagramSize size, diagram::ZoneSet zones,
                         std::string_view prefix) {
    const std::string hidden = diagram::HiddenZoneList(size, zones);
    if (!hidden.empty()) {
        // One write: standard error is unbuffered, and a batch may note many lines.
        err << std::string(prefix) +
                   "note: the set also holds zones this diagram cannot show: " + hidden + '\n';
    }
}

void WriteReadingNote(std::ostream& err, std::string_view note, std::string_view prefix) {
    if (!note.empty()) err << std::string(prefix) + "note: " + std::string(note) + '\n';
}

int RunZones(const Arguments& args, std::ostream& out) {
    if (InSetNotation(args)) return RunZonesInSetNotation(args, out);
    const int circles = ReadCircles(args.operands[0]);
    expr::RunBudget budget;
    const diagram::Drawing drawing = TruthSet(circles, ReadExpression(args.operands[1]), budget);
    const diagram::ZoneSet zones = drawing.zones;
    std::vector<std::string> lines;
    for (diagram::Zone zone = 1; zone <= diagram::ZoneCount(circles); ++zone) {
        const bool in = (zones & diagram::ZoneBit(zone)) != 0;
        lines.push_back(diagram::ZoneName(zone, " ") + '\t' + RegionColumn(circles, zone) + '\t' +
                        (in ? "in" : "out"));
    }
    WriteLines(budget, out, lines);
    WriteReadingNote(std::cerr, drawing.readingNote);
    return 0;
}

int RunEqual(const Arguments& args, std::ostream& out) {
    if (InSetNotation(args)) return RunEqualInSetNotation(args, out);
    const int circles = ReadCircles(args.operands[0]);
    if (args.operands[1] == "-" && args.operands[2] == "-") {
        throw UsageError{"standard input can be read only once: EXPR1 and EXPR2 cannot both be -"};
    }
    // The two texts are one input: both sides spend one run's work.
    expr::RunBudget budget;
    budget.ShareWorkAcrossRuns();
    const diagram::Drawing firstDrawing =
        TruthSet(circles, ReadExpression(args.operands[1]), budget);
    const diagram::Drawing secondDrawing =
        TruthSet(circles, ReadExpression(args.operands[2]), budget);
    // One line for both sides, each named.
    std::string note;
    if (!firstDrawing.readingNote.empty())
        note = "in the first expression " + firstDrawing.readingNote;
    if (!secondDrawing.readingNote.empty()) {
        note += (note.empty() ? "in the second expression " : "; in the second ") +
                secondDrawing.readingNote;
    }
    WriteReadingNote(std::cerr, note);
    const diagram::ZoneSet first = firstDrawing.zones;
    const diagram::ZoneSet second = secondDrawing.zones;
    if (first == second) {
        out << "equal\n";
        return 0;
    }
    std::vector<std::string> lines{"different"};
    for (diagram::Zone zone = 1; zone <= diagram::ZoneCount(circles); ++zone) {
        const diagram::ZoneSet bit = diagram::ZoneBit(zone);
        if (((first ^ second) & bit) == 0) continue;
        lines.push_back(diagram::ZoneName(zone, " ") + '\t' +
                        ((first & bit) != 0 ? "first" : "second") + '\t' +
                        RegionColumn(circles, zone));
    }
    WriteLines(budget, out, lines);
    return kDifferentStatus;
}

}  // namespace rivo::cli
