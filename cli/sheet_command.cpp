#include "cli/sheet_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <tuple>
#include <vector>

#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/picture_output.h"
#include "cli/set_notation_commands.h"
#include "diagram/core/exercise_generator.h"
#include "diagram/core/express.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"
#include "diagram/draw/picture_writer.h"
#include "diagram/draw/worksheet.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/text.h"
#include "files/atomic_file.h"

namespace rivo::cli {

namespace {

// The input of the sheet: FILE opened for reading, or standard input for "-".
class InputFile {
  public:
    explicit InputFile(const std::string& name) {
        if (name == "-") return;
        do {
            fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        } while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0) {
            throw InputError{"cannot read " + name + ": " +
                             std::error_code(errno, std::generic_category()).message()};
        }
    }
    ~InputFile() {
        if (fd_ != STDIN_FILENO) ::close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_ = STDIN_FILENO;
};

// A line's own circles: "2" to "5" and a tab before the expression.
std::optional<int> CirclesPrefix(const std::string& line) {
    if (line.size() < 2 || line[1] != '\t' || !diagram::IsCircleCount(line[0] - '0')) {
        return std::nullopt;
    }
    return line[0] - '0';
}

// The shortest expression of what a "write the expression" exercise shows: an Euler diagram of
// four or five circles shows only its drawn zones, so the others are free.
std::string ShortestAnswer(diagram::DiagramKind kind, diagram::ZoneSet zones) {
    if (const auto size = diagram::EulerSizeOf(kind);
        size && diagram::DrawnZones(*size) != diagram::AllZones(*size)) {
        return diagram::ExpressionFor(*size, zones);
    }
    return diagram::ExpressionForZones(kind.circles, zones);
}

diagram::SheetDiagram SheetDiagramOf(diagram::DiagramKind kind, const diagram::Drawing& drawing,
                                     std::string_view expression, bool reverse) {
    const auto size = diagram::EulerSizeOf(kind);
    diagram::SheetDiagram sheet{
        kind,
        drawing.regions,
        drawing.zones,
        diagram::SheetCaption(expression),
        size ? diagram::HiddenZoneList(*size, drawing.zones) : std::string(),
    };
    if (reverse) {
        sheet.reverse = true;
        // The exercise asks about the picture: a zone it does not show is no part of it.
        sheet.hidden.clear();
    }
    return sheet;
}

// A set in set notation, drawn in the universe frame: the answer of a reverse exercise is its
// shortest text in set notation.
diagram::SheetDiagram SetSheetDiagramOf(diagram::DiagramKind kind, diagram::UniverseSet set,
                                        std::string_view expression, bool reverse) {
    const auto size = diagram::EulerSizeOf(kind);
    diagram::SheetDiagram sheet{
        kind,
        std::string(),
        0,
        diagram::SheetCaption(expression),
        size ? diagram::HiddenZoneList(*size, diagram::ToZoneSet(set)) : std::string(),
        set,
    };
    if (reverse) {
        sheet.reverse = true;
        sheet.hidden.clear();
    }
    return sheet;
}

// Whether the diagram of `set` shows any of it: a reverse exercise needs a shading to ask about.
bool ShowsShading(diagram::DiagramKind kind, diagram::UniverseSet set) {
    const auto size = diagram::EulerSizeOf(kind);
    const diagram::ZoneSet drawn = size ? diagram::DrawnZones(*size) : ~diagram::ZoneSet{0};
    return (set & diagram::kOutsideZone) != 0 || (diagram::ToZoneSet(set) & drawn) != 0;
}

void ReportNothingShaded(std::size_t number) {
    ReportLine(number,
               "its diagram has nothing shaded (the set is empty, or holds only zones the "
               "diagram cannot show), so there is no expression to write; the line is left out "
               "of the sheet");
}

// The diagrams of the lines of FILE; `status` becomes 1 when a line is left out.
std::vector<diagram::SheetDiagram> DiagramsOfLines(const Arguments& args, int defaultCircles,
                                                   int& status) {
    InputFile input(args.operands[1]);
    LineReader lines(input.fd());
    // The lines are one input: one tree serves them in turn, and they share the work of one
    // expression, so that no file of lines takes longer than its longest expression could.
    expr::RunBudget budget;
    budget.ShareWorkAcrossRuns();
    expr::TreeContainer tree(budget);
    std::vector<diagram::SheetDiagram> diagrams;
    std::string text;
    bool tooLong = false;
    // The prefixes of a reverse exercise and of a size, with their tabs, come before the
    // expression's own limit.
    while (lines.Next(text, tooLong, expr::kMaxExpressionBytes + 4)) {
        const std::size_t number = lines.LineNumber();
        if (IsSkippedLine(text)) continue;
        const bool reverse = text.starts_with("?\t");
        std::string_view rest = std::string_view(text).substr(reverse ? 2 : 0);
        const auto prefix = CirclesPrefix(std::string(rest.substr(0, 2)));
        const std::string_view expression = prefix ? rest.substr(2) : rest;
        if (tooLong || expression.size() > expr::kMaxExpressionBytes) {
            ReportLine(number, expr::kTooLargeMessage);
            status = 1;
            continue;
        }
        if (reverse && IsSkippedLine(expression)) {
            ReportLine(number,
                       "no expression follows the \"?\" and its tab; the line is left out "
                       "of the sheet");
            status = 1;
            continue;
        }
        if (diagrams.size() == diagram::kMaxSheetDiagrams) {
            std::cerr << "rivo-cli: line " << number << ": a sheet holds at most "
                      << diagram::kMaxSheetDiagrams
                      << " diagrams; this line and the rest of the input are left out\n";
            status = 1;
            break;
        }
        const int circles = prefix.value_or(defaultCircles);
        const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
        if (InSetNotation(args)) {
            // The reader is linear in the text: its bytes are the line's work, so that a sheet
            // of set notation is bounded as one of plain lines is.
            try {
                budget.ChargeWork(expression.size() + kLineWork);
            } catch (const expr::PipelineError&) {
                std::cerr << "rivo-cli: line " << number
                          << ": the lines before it spent the work of the whole sheet (as much "
                             "as one expression may take); this line and the rest of the input "
                             "are left out\n";
                status = 1;
                break;
            }
            const diagram::SetReading reading = diagram::ReadSetNotation(expression, circles);
            if (reading.error) {
                if (reading.error->column == 0) {
                    ReportLine(number, reading.error->message);
                } else {
                    std::cerr << diagram::FormatSetNotationError(
                        "rivo-cli: line " + std::to_string(number) + ": ", expression,
                        *reading.error);
                }
                status = 1;
                continue;
            }
            if (reverse && !ShowsShading(kind, reading.set)) {
                ReportNothingShaded(number);
                status = 1;
                continue;
            }
            diagrams.push_back(SetSheetDiagramOf(kind, reading.set, expression, reverse));
            continue;
        }
        const bool spentBefore = budget.WorkDone() > 0;
        const LineDrawing line = DrawLine(circles, expression, number, tree);
        if (line.drawing && !line.drawing->readingNote.empty()) {
            // An answer key must show what the line says: a line the diagram did not read as
            // written is refused as a failing one is.
            ReportLine(number, line.drawing->readingNote +
                                   ", so the line is left out of the sheet" +
                                   (diagram::HoldsSetNotationSymbol(expression)
                                        ? "; for set notation use --notation set"
                                        : ""));
            status = 1;
            continue;
        }
        if (line.drawing && reverse &&
            !ShowsShading(kind, diagram::FromZoneSet(line.drawing->zones))) {
            ReportNothingShaded(number);
            status = 1;
            continue;
        }
        if (line.drawing) {
            diagrams.push_back(SheetDiagramOf(kind, *line.drawing, expression, reverse));
            continue;
        }
        status = 1;
        if (line.tooLarge && budget.OutOfWork() && spentBefore) {
            std::cerr << "rivo-cli: line " << number
                      << ": the lines before it spent the work of the whole sheet (as much as "
                         "one expression may take); this line and the rest of the input are "
                         "left out\n";
            break;
        }
    }
    return diagrams;
}

// The diagrams of --random K: made up from the seed, which is told when it was not given, so
// that the same sheet can be made again.
std::vector<diagram::SheetDiagram> GeneratedDiagrams(const Arguments& args, int circles) {
    const int count = RandomCount(*args.random);
    std::uint64_t seed = 0;
    if (args.seed) {
        seed = Seed(*args.seed);
    } else {
        std::random_device device;
        seed = (std::uint64_t{device()} << 32) ^ device();
        std::cerr << "rivo-cli: seed " << seed << '\n';
    }
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    const auto size = diagram::EulerSizeOf(kind);
    std::vector<diagram::SheetDiagram> diagrams;
    // What the picture cannot show cannot make two exercises differ, nor one worth asking.
    const diagram::ZoneSet shown = size ? diagram::DrawnZones(*size) : diagram::AllZones(circles);
    for (const diagram::GeneratedExercise& exercise :
         diagram::GenerateExercises(circles, count, seed, shown)) {
        if (InSetNotation(args)) {
            diagrams.push_back(
                SetSheetDiagramOf(kind, exercise.truth, exercise.set, exercise.reverse));
            continue;
        }
        diagram::Drawing drawing;
        drawing.zones = diagram::ToZoneSet(exercise.truth);
        if (size) drawing.regions = diagram::RegionsOfZones(*size, drawing.zones);
        diagrams.push_back(SheetDiagramOf(kind, drawing, exercise.plain, exercise.reverse));
    }
    if (diagrams.size() < static_cast<std::size_t>(count)) {
        std::cerr << "rivo-cli: " << circles << " circles have only " << diagrams.size()
                  << " different sets to shade (neither empty nor every zone), so the sheet "
                     "holds "
                  << diagrams.size() << " exercises, not " << count << '\n';
    }
    return diagrams;
}

// The answers of the reverse exercises: the shortest expression of each shading, which for five
// circles takes from one to about ten milliseconds, so that they are worked out on two threads,
// and each shading once however often the sheet asks it.
void FillAnswers(std::vector<diagram::SheetDiagram>& diagrams) {
    // A shading: its circles, layout, notation and set.
    using Shading = std::tuple<int, diagram::LayoutKind, bool, diagram::UniverseSet>;
    std::map<Shading, std::vector<diagram::SheetDiagram*>> asked;
    for (auto& sheet : diagrams) {
        if (sheet.reverse)
            asked[{sheet.kind.circles, sheet.kind.layout, sheet.set.has_value(),
                   sheet.set.value_or(sheet.zones)}]
                .push_back(&sheet);
    }
    std::vector<const std::vector<diagram::SheetDiagram*>*> shadings;
    for (const auto& [shading, sheets] : asked)
        shadings.push_back(&sheets);
    const auto answer = [&shadings](std::size_t first) {
        for (std::size_t i = first; i < shadings.size(); i += 2) {
            const diagram::SheetDiagram& sheet = *shadings[i]->front();
            const std::string text = diagram::SheetCaption(
                sheet.set ? diagram::ExpressionInSetNotation(sheet.kind.circles, *sheet.set)
                          : ShortestAnswer(sheet.kind, sheet.zones));
            for (diagram::SheetDiagram* same : *shadings[i])
                same->answer = text;
        }
    };
    if (shadings.size() < 16) {
        answer(0);
        answer(1);
        return;
    }
    std::future<void> other;
    try {
        other = std::async(std::launch::async, answer, std::size_t{1});
    } catch (const std::system_error&) {
        // No second thread to be had: one does it all.
        answer(1);
    }
    answer(0);
    if (other.valid()) other.get();
}

// OUT.pdf -> OUT-answers.pdf: beside it, with the same extension.
std::string AnswersFileOf(const std::string& file) {
    const auto dot = file.rfind('.');
    const auto slash = file.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return file + "-answers";
    }
    return file.substr(0, dot) + "-answers" + file.substr(dot);
}

std::string_view BytesOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

int RunSheet(const Arguments& args, std::ostream&) {
    const int defaultCircles = ReadCircles(args.operands[0]);
    const diagram::RenderOptions options = RenderOptionsOf(args, defaultCircles);
    if (!args.output) throw UsageError{"sheet needs -o FILE"};
    const diagram::PictureFormat* format = diagram::PictureFormatOf(*args.output);
    if (format == nullptr || format->name != "PDF") {
        throw UsageError{"the sheet's FILE must end in .pdf, not \"" + *args.output + "\""};
    }
    if (args.seed && !args.random) throw UsageError{"--seed goes with --random"};
    const std::string& file = *args.output;
    const bool separate = args.answers == "separate";
    std::vector<std::string> targets = {file};
    if (separate) targets.push_back(AnswersFileOf(file));
    // Before a line is read: a target that cannot be written would waste the whole run.
    for (const std::string& target : targets) {
        if (const auto refused = files::CheckWritable(target)) {
            std::cerr << "rivo-cli: cannot write the sheet to " << target << ": " << *refused
                      << '\n';
            return 1;
        }
    }
    int status = 0;
    std::vector<diagram::SheetDiagram> diagrams =
        args.random ? GeneratedDiagrams(args, defaultCircles)
                    : DiagramsOfLines(args, defaultCircles, status);
    FillAnswers(diagrams);
    if (diagrams.empty()) {
        std::cerr << "rivo-cli: no diagram for the sheet: the input holds no expression that "
                     "draws; "
                  << file << " is not written\n";
        return 1;
    }

    const diagram::WorksheetFiles pdfs = diagram::WorksheetPdfs(
        diagrams, options,
        separate ? diagram::AnswerPlacement::kSeparate : diagram::AnswerPlacement::kAfter);
    if (!separate) {
        if (const auto failure = files::WriteFileAtomically(file, BytesOf(pdfs.exercises))) {
            std::cerr << "rivo-cli: cannot write the sheet to " << file << ": " << *failure << '\n';
            return 1;
        }
        return status;
    }
    const files::FileBytes written[] = {{targets[0], BytesOf(pdfs.exercises)},
                                        {targets[1], BytesOf(pdfs.answers)}};
    if (const auto failure = files::WriteFilesAtomically(written)) {
        std::cerr << "rivo-cli: cannot write the sheet to " << targets[failure->index] << ": "
                  << failure->reason;
        // The reason names a file that could not be put back; the others are as they were.
        if (failure->restored)
            std::cerr << "; neither " << targets[0] << " nor " << targets[1] << " is written";
        std::cerr << '\n';
        return 1;
    }
    return status;
}

}  // namespace rivo::cli
