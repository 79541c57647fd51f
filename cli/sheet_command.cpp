#include "cli/sheet_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/picture_output.h"
#include "cli/set_notation_commands.h"
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

}  // namespace

int RunSheet(const Arguments& args, std::ostream&) {
    const int defaultCircles = ReadCircles(args.operands[0]);
    const diagram::RenderOptions options = RenderOptionsOf(args, defaultCircles);
    if (!args.output) throw UsageError{"sheet needs -o FILE"};
    const diagram::PictureFormat* format = diagram::PictureFormatOf(*args.output);
    if (format == nullptr || format->name != "PDF") {
        throw UsageError{"the sheet's FILE must end in .pdf, not \"" + *args.output + "\""};
    }
    const std::string& file = *args.output;
    // Before a line is read: a target that cannot be written would waste the whole run.
    if (const auto refused = files::CheckWritable(file)) {
        std::cerr << "rivo-cli: cannot write the sheet to " << file << ": " << *refused << '\n';
        return 1;
    }
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
    int status = 0;
    // The prefix of a size and its tab come before the expression's own limit.
    while (lines.Next(text, tooLong, expr::kMaxExpressionBytes + 2)) {
        const std::size_t number = lines.LineNumber();
        if (IsSkippedLine(text)) continue;
        const auto prefix = CirclesPrefix(text);
        const std::string_view expression =
            prefix ? std::string_view(text).substr(2) : std::string_view(text);
        if (tooLong || expression.size() > expr::kMaxExpressionBytes) {
            ReportLine(number, expr::kTooLargeMessage);
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
            const auto size = diagram::EulerSizeOf(kind);
            diagrams.push_back(
                {kind, std::string(), 0, diagram::SheetCaption(expression),
                 size ? diagram::HiddenZoneList(*size, diagram::ToZoneSet(reading.set))
                      : std::string(),
                 reading.set});
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
        if (line.drawing) {
            const auto size = diagram::EulerSizeOf(kind);
            diagrams.push_back(
                {kind, line.drawing->regions, line.drawing->zones,
                 diagram::SheetCaption(expression),
                 size ? diagram::HiddenZoneList(*size, line.drawing->zones) : std::string()});
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
    if (diagrams.empty()) {
        std::cerr << "rivo-cli: no diagram for the sheet: the input holds no expression that "
                     "draws; "
                  << file << " is not written\n";
        return 1;
    }

    const QByteArray pdf = diagram::WorksheetPdf(diagrams, options);
    if (const auto failure = files::WriteFileAtomically(
            file, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())))) {
        std::cerr << "rivo-cli: cannot write the sheet to " << file << ": " << *failure << '\n';
        return 1;
    }
    return status;
}

}  // namespace rivo::cli
