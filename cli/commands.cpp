#include "cli/commands.h"

#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <iostream>
#include <ostream>
#include <system_error>

#include "cli/batch_command.h"
#include "cli/express_command.h"
#include "cli/picture_output.h"
#include "cli/set_notation_commands.h"
#include "cli/sheet_command.h"
#include "cli/steps_command.h"
#include "cli/zone_commands.h"
#include "diagram/core/diagram_layout.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluator.h"
#include "diagram/core/zone_list.h"
#include "diagram/core/zone_places.h"
#include "diagram/core/zones.h"
#include "diagram/draw/draw.h"
#include "diagram/draw/painter.h"
#include "diagram/draw/picture_writer.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"

namespace rivo::cli {

// Writes the lines, each with its newline, once the run's budget has paid for them: main
// collects standard output in a string stream and copies it out when the run has succeeded, so
// the stream (which doubles as it grows) and that copy can hold the text three times over.
void WriteLines(expr::RunBudget& budget, std::ostream& out, std::span<const std::string> lines) {
    std::size_t bytes = 0;
    for (const auto& line : lines)
        bytes += line.size() + 1;
    budget.ChargeMemory(3 * bytes);
    for (const auto& line : lines)
        out << line << '\n';
}

diagram::DiagramSize ReadDiagramSize(const std::string& operand) {
    if (operand.size() == 1) {
        if (const auto size = diagram::DiagramSizeOf(operand[0] - '0')) return *size;
    }
    throw UsageError{"N must be 3, 4 or 5, not \"" + operand + "\""};
}

int ReadCircles(const std::string& operand) {
    if (operand.size() == 1 && diagram::IsCircleCount(operand[0] - '0')) return operand[0] - '0';
    throw UsageError{"N must be 2, 3, 4 or 5, not \"" + operand + "\""};
}

diagram::ZoneSet ReadZones(const Arguments& args, int circles) {
    const diagram::ZoneListReading reading = diagram::ReadZoneList(*args.zones, circles);
    if (reading.error) throw UsageError{"--zones: " + *reading.error};
    return diagram::ToZoneSet(reading.zones);
}

int OperandCount(const Command& command, const Arguments& args) {
    const bool replaced = (args.zones && !command.zonesOperands.empty()) ||
                          (args.random && !command.randomOperands.empty());
    return command.operandCount - (replaced ? 1 : 0);
}

namespace {

// parse EXPR: the forest exactly as the parser left it, before any pass.
int RunParse(const Arguments& args, std::ostream& out) {
    const std::string text = ReadExpression(args.operands[0]);
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    const expr::NodeId root = tree.AddFirstTopLevel("");
    expr::ParseExpression(text, tree, root);
    WriteLines(budget, out, expr::FormatForest(tree, &budget));
    return 0;
}

// The -o FILE of paint and draw; its extension must name a picture format.
const std::string& OutputFile(const Arguments& args, const std::string& command) {
    if (!args.output) throw UsageError{command + " needs -o FILE"};
    if (args.output->empty()) throw UsageError{"the output file name is empty"};
    if (!diagram::PictureFormatOf(*args.output)) {
        throw UsageError{"FILE must end in " + diagram::PictureExtensionList() + ", not \"" +
                         *args.output + "\""};
    }
    return *args.output;
}

}  // namespace

// A byte that is no code would paint nothing, which is the bare template passed off as the
// picture asked for.
void CheckRegionCodes(diagram::DiagramSize size, const std::string& regions) {
    std::string foreign;
    for (const char code : regions) {
        if (diagram::FindSeed(size, code) == nullptr && foreign.find(code) == std::string::npos) {
            foreign += code;
        }
    }
    if (foreign.empty()) return;
    const auto table = diagram::LayoutOf(size).seeds;
    throw UsageError{"REGIONS holds codes that " + std::to_string(diagram::CircleCount(size)) +
                     " circles do not have: " + expr::QuoteLabel(foreign) + " (theirs are " +
                     table.front().code + " to " + table.back().code + ")"};
}

namespace {

// paint N --zones LIST -o FILE: the zones, in the Venn layout; in the Euler layout when it is
// asked for and shows every one of them.
int RunPaintZones(const Arguments& args) {
    const int circles = ReadCircles(args.operands[0]);
    const std::string& file = OutputFile(args, "paint");
    const diagram::ZoneSet zones = ReadZones(args, circles);
    RenderOptionsOf(args, circles);
    diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    if (const auto size = diagram::EulerSizeOf(kind)) {
        if (const std::string hidden = diagram::HiddenZoneList(*size, zones); !hidden.empty()) {
            std::cerr << "rivo-cli: note: the Euler diagram of " << circles
                      << " circles cannot show " << hidden << "; drawn with the Venn layout\n";
            kind.layout = diagram::LayoutKind::kVenn;
        }
    }
    const std::optional<diagram::DiagramSize> size = diagram::EulerSizeOf(kind);
    const diagram::Drawing drawing{
        .regions = size ? diagram::RegionsOfZones(*size, zones) : std::string(),
        .zones = zones,
        .readingNote = {}};
    expr::RunBudget budget;
    QImage picture;
    return WriteDiagramPicture(args, kind, drawing, picture, file, budget);
}

// paint N REGIONS -o FILE: the region set as given, painted over the N-circle template.
int RunPaint(const Arguments& args, std::ostream&) {
    if (args.zones) return RunPaintZones(args);
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    const std::string& file = OutputFile(args, "paint");
    CheckRegionCodes(size, args.operands[1]);
    if (AskedLayout(args) == diagram::LayoutKind::kVenn) {
        throw UsageError{
            "region codes are those of the Euler layout; --layout venn paints "
            "--zones LIST"};
    }
    RenderOptionsOf(args, diagram::CircleCount(size));
    expr::RunBudget budget;
    QImage picture;
    return WriteDiagramPicture(args, diagram::KindOf(size),
                               {.regions = args.operands[1], .zones = 0, .readingNote = {}},
                               picture, file, budget);
}

// tree EXPR: the root node's tree after the passes, on one line.
int RunTree(const Arguments& args, std::ostream& out) {
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    expr::BuildTree(ReadExpression(args.operands[0]), tree);
    const std::string line = expr::FormatSubtree(tree, tree.FirstTopLevel(), &budget);
    WriteLines(budget, out, {&line, 1});
    return 0;
}

// listing EXPR: the prefix listing, one line each, the bytes exactly.
int RunListing(const Arguments& args, std::ostream& out) {
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    WriteLines(budget, out, expr::BuildListing(ReadExpression(args.operands[0]), tree));
    return 0;
}

// regions N EXPR [--key]: the region set on one line (empty for the empty set); with --key, one
// more line per code: the code, a tab, and the circles it lies in.
int RunRegions(const Arguments& args, std::ostream& out) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    std::vector<std::string> listing;
    const diagram::Drawing drawing =
        diagram::EvaluateDiagram(size, ReadExpression(args.operands[1]), tree, listing);
    out << drawing.regions << '\n';
    if (args.key) {
        for (const char code : drawing.regions)
            out << code << '\t' << diagram::CirclesOf(size, code, " ") << '\n';
    }
    WriteReadingNote(std::cerr, drawing.readingNote);
    WriteHiddenZoneNote(std::cerr, size, drawing.zones);
    return 0;
}

// draw N EXPR -o FILE: the picture the window shows for that text and size, or its Venn layout.
int RunDraw(const Arguments& args, std::ostream& out) {
    if (args.batch) return RunDrawBatch(args, out);
    if (InSetNotation(args)) return RunDrawInSetNotation(args, out);
    const int circles = ReadCircles(args.operands[0]);
    const std::string& file = OutputFile(args, "draw");
    RenderOptionsOf(args, circles);
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    std::vector<std::string> listing;
    const diagram::Drawing drawing =
        diagram::EvaluateDrawing(circles, ReadExpression(args.operands[1]), tree, listing);
    QImage picture;
    const int status = WriteDiagramPicture(args, kind, drawing, picture, file, budget);
    if (status == 0) {
        WriteReadingNote(std::cerr, drawing.readingNote);
        if (const auto size = diagram::EulerSizeOf(kind))
            WriteHiddenZoneNote(std::cerr, *size, drawing.zones);
    }
    return status;
}

// Writes a number with one decimal, whatever the locale: 86.0.
std::string OneDecimal(double value) {
    char digits[32];
    const auto result =
        std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::fixed, 1);
    return std::string(digits, result.ptr);
}

// layout N: per zone its circles, its region code or "-", the point for its label and its area
// in the PX x PX picture.
int RunLayout(const Arguments& args, std::ostream& out) {
    const int circles = ReadCircles(args.operands[0]);
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    const double side = args.size ? PictureSide(*args.size) : diagram::kVennUnits;
    const double scale = side / diagram::kVennUnits;
    const auto places = diagram::ZonePlaces(kind);
    std::vector<std::string> lines;
    for (diagram::Zone zone = 1; zone <= diagram::ZoneCount(circles); ++zone) {
        const diagram::ZonePlace& place = places[zone - 1];
        std::string line = diagram::ZoneName(zone, "") + '\t' +
                           (place.region != 0 ? std::string(1, place.region) : "-") + '\t';
        if (place.drawn) {
            line += OneDecimal(place.point.x * scale) + '\t' + OneDecimal(place.point.y * scale) +
                    '\t' + std::to_string(std::lround(place.area * scale * scale));
        } else {
            line += "-\t-\t-";
        }
        lines.push_back(std::move(line));
    }
    expr::RunBudget budget;
    WriteLines(budget, out, lines);
    return 0;
}

constexpr Command kCommands[] = {
    {"parse", "EXPR", 1, "the forest the parser built, one line per top-level node", RunParse},
    {"tree", "EXPR", 1, "the root node's tree after the passes, one line", RunTree},
    {"listing", "EXPR", 1, "the prefix listing, one line each", RunListing},
    {"regions", "N EXPR", 2,
     "the region set for N = 3, 4 or 5 circles, one line (--key: then one line per region: "
     "code, tab, its circles)",
     RunRegions},
    {"paint", "N REGIONS -o FILE", 2,
     "paint a region set given by its codes (--zones LIST instead of REGIONS: zones, N = 2 to 5, "
     "in the Venn layout)",
     RunPaint, "N --zones LIST -o FILE"},
    {"draw", "N EXPR -o FILE", 2,
     "the picture the window would show, N = 2 to 5 (--batch: EXPR is -, one picture per line, "
     "FILE a pattern)",
     RunDraw},
    {"sheet",
     "N FILE -o OUT.pdf",
     2,
     "a worksheet PDF of the expressions in FILE, one a line (\"?\" and a tab first: write the "
     "expression of the shading); --random K instead of FILE: K exercises made up",
     RunSheet,
     {},
     "N --random K -o OUT.pdf"},
    {"steps", "N EXPR [-o PREFIX]", 2,
     "one line per operator step: number, tab, sub-expression, tab, region set (zones for N = 2; "
     "-o: PREFIX-1.png, ... after each step; --order reading: as the text reads)",
     RunSteps},
    {"express", "N REGIONS", 2,
     "a shortest expression for a region set (of all for N = 3; of sums of a*b-(c+d) terms for "
     "4 and 5); --zones LIST instead of REGIONS: for exactly those zones, N = 2 to 5",
     RunExpress, "N --zones LIST"},
    {"zones", "N EXPR", 2,
     "one line per combination of circles: circles, tab, region code or -, tab, in or out",
     RunZones},
    {"equal", "N EXPR1 EXPR2", 3,
     "equal, or different and the zones where they differ (exit status 3)", RunEqual},
    {"layout", "N", 1,
     "one line per zone: circles, tab, region code or -, tab, x, tab, y (a point for its label), "
     "tab, area in pixels of the picture",
     RunLayout},
};

// Columns of --help: an entry's head from column 3, its text from kHelpIndent + 1, lines of at
// most kHelpWidth.
constexpr std::size_t kHelpIndent = 29;
constexpr std::size_t kHelpWidth = 80;

// One entry of --help: the head, then the text wrapped at blanks beside and under it.
void PrintEntry(std::ostream& out, const std::string& head, const std::string& text) {
    std::string line = "  " + head;
    if (line.size() + 1 > kHelpIndent) {
        out << line << '\n';
        line.clear();
    }
    line.resize(kHelpIndent, ' ');
    std::size_t column = kHelpIndent;
    for (const std::string_view word : Words(text)) {
        if (column > kHelpIndent && column + 1 + word.size() > kHelpWidth) {
            out << line << '\n';
            line.assign(kHelpIndent, ' ');
            column = kHelpIndent;
        }
        if (column > kHelpIndent) line += ' ';
        line += word;
        column = line.size();
    }
    out << line << '\n';
}

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

void PrintHelp(std::ostream& out) {
    out << "usage: rivo-cli COMMAND [OPTIONS] [--] ARGS\n\ncommands:\n";
    for (const Command& command : kCommands) {
        PrintEntry(out, std::string(command.name) + " " + std::string(command.operands),
                   std::string(command.summary));
    }
    out << "\noptions:\n";
    for (const Option& option : Options()) {
        // The short name first, as in "-o, --output FILE".
        std::string head(option.name);
        if (!option.alias.empty()) {
            head = option.alias.rfind("--", 0) == 0 ? head + ", " + std::string(option.alias)
                                                    : std::string(option.alias) + ", " + head;
        }
        if (!option.argument.empty()) head += " " + std::string(option.argument);
        std::string text(option.help);
        if (!option.commands.empty()) text = "with " + Joined(Words(option.commands)) + ": " + text;
        if (const auto at = text.find("{extensions}"); at != std::string::npos) {
            text.replace(at, 12, diagram::PictureExtensionList());
        }
        PrintEntry(out, head, text);
    }
    out << "\nOptions may stand before or after the arguments, up to \"--\", which ends them\n"
           "(an expression may begin with \"-\"); an option with a value may be given once.\n"
           "An EXPR of \"-\" reads standard input, one trailing newline removed. An EXPR over\n"
           "1 MiB is refused.\n"
           "sheet and draw --batch read one expression a line (blank lines and lines starting\n"
           "with # skipped; in sheet, \"2\" to \"5\" and a tab first choose that line's\n"
           "number of circles); a failing line goes to standard error as \"rivo-cli: line N:\n"
           "message\", the others are still drawn, and the exit status is 1.\n"
           "A zone is one combination of circles; regions and draw note on standard error\n"
           "the zones a set holds that the diagram cannot show; the Venn layout (--layout\n"
           "venn) shows every zone. N is 3, 4 or 5 for regions and paint REGIONS, 2 to 5\n"
           "otherwise.\n"
           "regions, draw, zones, equal and steps note on standard error what the diagram\n"
           "did not read as written (a part it skipped, a name read as its first letter),\n"
           "before any hidden-zone note; sheet leaves such a line out.\n"
           "With --notation set, the sets include the outside zone, \"none\", and a text that\n"
           "does not read goes to standard error as \"rivo-cli: column K: message\", the text\n"
           "and a caret under column K, with exit status 1.\n"
           "Pipeline errors go to standard error with exit status 1; usage errors exit with 2;\n"
           "equal exits with 3 when the sets differ; an internal error exits with 4.\n";
}

std::string ReadExpression(const std::string& operand) {
    if (operand != "-") {
        expr::CheckExpressionSize(operand);
        return operand;
    }
    // Standard input is read up to the longest text it may hold and one byte more, which is
    // enough to refuse it: an endless stream is never read to its end. The byte after a text of
    // the largest size is a newline when the text ends with one; only then is one more byte
    // read, to tell whether that newline ends the input.
    std::string text;
    std::size_t wanted = expr::kMaxExpressionBytes + 1;
    char buffer[1 << 16];
    while (text.size() < wanted) {
        const ssize_t got =
            ::read(STDIN_FILENO, buffer, std::min(sizeof buffer, wanted - text.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            throw InputError{"cannot read standard input: " +
                             std::error_code(errno, std::generic_category()).message()};
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() == expr::kMaxExpressionBytes + 1 && text.back() == '\n') ++wanted;
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
    expr::CheckExpressionSize(text);
    return text;
}

}  // namespace rivo::cli
