#include "cli/set_notation_commands.h"

#include <iostream>
#include <ostream>
#include <vector>

#include "cli/batch_command.h"
#include "cli/commands.h"
#include "cli/picture_output.h"
#include "cli/steps_command.h"
#include "cli/zone_commands.h"
#include "diagram/core/express.h"
#include "diagram/core/set_writer.h"
#include "diagram/core/zone_list.h"
#include "diagram/core/zones.h"
#include "diagram/draw/picture_writer.h"
#include "expr/error.h"

namespace rivo::cli {

bool InSetNotation(const Arguments& args) {
    return args.notation == "set";
}

diagram::SetReading ReadSetText(std::string_view text, int circles) {
    diagram::SetReading reading = diagram::ReadSetNotation(text, circles);
    if (reading.error) {
        // Too large is the plain language's error, reported as it reports it.
        if (reading.error->column == 0) throw expr::PipelineError(reading.error->message);
        throw SetNotationFailure(
            diagram::FormatSetNotationError("rivo-cli: ", text, *reading.error));
    }
    return reading;
}

std::string UniverseZoneList(diagram::UniverseSet set) {
    const std::string inside = diagram::ZoneListText(diagram::ToZoneSet(set));
    if ((set & diagram::kOutsideZone) == 0) return inside;
    return std::string(diagram::kOutsideZoneName) + (inside.empty() ? "" : ",") + inside;
}

namespace {

// The note of the zones a set holds that the Euler diagram cannot show; the outside zone is
// always shown, within the frame.
void WriteHiddenNote(diagram::DiagramKind kind, diagram::UniverseSet set,
                     std::string_view prefix = {}) {
    if (const auto size = diagram::EulerSizeOf(kind))
        WriteHiddenZoneNote(std::cerr, *size, diagram::ToZoneSet(set), prefix);
}

// The line of the outside zone, as the zone commands write it: its name, no region code.
std::string OutsideLine(std::string_view last) {
    return std::string(diagram::kOutsideZoneName) + "\t-\t" + std::string(last);
}

}  // namespace

int RunDrawInSetNotation(const Arguments& args, std::ostream&) {
    const int circles = ReadCircles(args.operands[0]);
    if (!args.output) throw UsageError{"draw needs -o FILE"};
    if (args.output->empty()) throw UsageError{"the output file name is empty"};
    if (!diagram::PictureFormatOf(*args.output)) {
        throw UsageError{"FILE must end in " + diagram::PictureExtensionList() + ", not \"" +
                         *args.output + "\""};
    }
    RenderOptionsOf(args, circles);
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    const diagram::UniverseSet set = ReadSetText(ReadExpression(args.operands[1]), circles).set;
    expr::RunBudget budget;
    QImage picture;
    const int status = WriteUniversePicture(args, kind, set, picture, *args.output, budget);
    if (status == 0) WriteHiddenNote(kind, set);
    return status;
}

int RunZonesInSetNotation(const Arguments& args, std::ostream& out) {
    const int circles = ReadCircles(args.operands[0]);
    const diagram::UniverseSet set = ReadSetText(ReadExpression(args.operands[1]), circles).set;
    std::vector<std::string> lines{OutsideLine((set & diagram::kOutsideZone) != 0 ? "in" : "out")};
    for (diagram::Zone zone = 1; zone <= diagram::ZoneCount(circles); ++zone) {
        const bool in = (set & (diagram::UniverseSet{1} << zone)) != 0;
        lines.push_back(diagram::ZoneName(zone, " ") + '\t' + RegionColumn(circles, zone) + '\t' +
                        (in ? "in" : "out"));
    }
    expr::RunBudget budget;
    WriteLines(budget, out, lines);
    return 0;
}

int RunEqualInSetNotation(const Arguments& args, std::ostream& out) {
    const int circles = ReadCircles(args.operands[0]);
    if (args.operands[1] == "-" && args.operands[2] == "-") {
        throw UsageError{"standard input can be read only once: EXPR1 and EXPR2 cannot both be -"};
    }
    const diagram::UniverseSet first = ReadSetText(ReadExpression(args.operands[1]), circles).set;
    const diagram::UniverseSet second = ReadSetText(ReadExpression(args.operands[2]), circles).set;
    if (first == second) {
        out << "equal\n";
        return 0;
    }
    std::vector<std::string> lines{"different"};
    const auto side = [&](diagram::UniverseSet bit) {
        return (first & bit) != 0 ? "first" : "second";
    };
    if (((first ^ second) & diagram::kOutsideZone) != 0)
        lines.push_back(std::string(diagram::kOutsideZoneName) + '\t' +
                        side(diagram::kOutsideZone) + "\t-");
    for (diagram::Zone zone = 1; zone <= diagram::ZoneCount(circles); ++zone) {
        const diagram::UniverseSet bit = diagram::UniverseSet{1} << zone;
        if (((first ^ second) & bit) == 0) continue;
        lines.push_back(diagram::ZoneName(zone, " ") + '\t' + side(bit) + '\t' +
                        RegionColumn(circles, zone));
    }
    expr::RunBudget budget;
    WriteLines(budget, out, lines);
    return kDifferentStatus;
}

int RunExpressInSetNotation(const Arguments& args, std::ostream& out) {
    std::string line;
    if (args.zones) {
        const int circles = ReadCircles(args.operands[0]);
        const diagram::ZoneListReading reading =
            diagram::ReadZoneList(*args.zones, circles, /*outside=*/true);
        if (reading.error) throw UsageError{"--zones: " + *reading.error};
        line = diagram::ExpressionInSetNotation(circles, reading.zones);
    } else {
        // A region set never holds the outside zone, and the hidden zones are free as in the
        // plain answer, which the way back spells in set notation.
        const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
        const std::string& regions = args.operands[1];
        CheckRegionCodes(size, regions);
        const std::string plain =
            diagram::ExpressionFor(size, diagram::ZonesOfRegions(size, regions));
        line = diagram::PlainToSetNotation(plain).value_or(std::string());
    }
    expr::RunBudget budget;
    WriteLines(budget, out, {&line, 1});
    return 0;
}

int RunStepsInSetNotation(const Arguments& args, std::ostream& out) {
    const int circles = ReadCircles(args.operands[0]);
    if (args.order == "evaluation") {
        throw UsageError{"the steps of set notation come in reading order only"};
    }
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    const std::string text = ReadExpression(args.operands[1]);
    const diagram::SetReading reading = ReadSetText(text, circles);
    const std::size_t count = diagram::StepCount(reading.expression);
    if (args.output && count > kMaxStepPictures) {
        throw expr::PipelineError("The expression has " + std::to_string(count) +
                                  " steps, more than the " + std::to_string(kMaxStepPictures) +
                                  " that get a picture each");
    }
    // Each step's text is a part of the whole, at most kStepTextBytes and its "…"; charged
    // before it is made, as the plain steps are: the texts, the stream and main's copy of it.
    const std::size_t line = std::min(text.size(), diagram::kStepTextBytes) + 64;
    expr::RunBudget budget;
    budget.ChargeMemory(4 * count * line);
    const std::vector<diagram::SetStep> steps = diagram::ReadingSteps(reading.expression);
    for (std::size_t i = 0; i < steps.size(); ++i)
        out << i + 1 << '\t' << steps[i].text << '\t' << UniverseZoneList(steps[i].set) << '\n';
    if (args.output) {
        QImage picture;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const std::string file = *args.output + "-" + std::to_string(i + 1) + ".png";
            const int status =
                WriteUniversePicture(args, kind, steps[i].set, picture, file, budget);
            if (status != 0) return status;
        }
    }
    return 0;
}

}  // namespace rivo::cli
