// Fuzzes the files of many lines that sheet and draw --batch read, and what rivo-cli makes of a
// line besides its picture: the line reader over a stream, with a short line limit so that
// long lines are common; the blank test; each line drawn on one tree whose budget the lines
// share, as a sheet's do; the texts of the steps of a line; the expression back from its
// shading (express). The first byte picks the diagram size, the decimal separator and the line
// limit; the rest is the file. The pipeline's own error is an answer; any other exception, a
// sanitizer report, a hang, a memory blow-up or a broken invariant is a finding. Invariants:
// the reader gives the lines that splitting the bytes at each newline gives, one carriage
// return before it dropped, each cut to the limit exactly when it is longer; a line drawn on
// the shared tree has the zones a fresh tree gives it; each step's text is the infix writer's
// text of its node, cut to the limit with an ellipsis; the expression for a line's shading has
// the same zones wherever the diagram draws one.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/line_reader.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluate_diagram.h"
#include "diagram/core/express.h"
#include "diagram/core/reading_note.h"
#include "diagram/core/steps.h"
#include "diagram/core/zones.h"
#include "expr/error.h"
#include "expr/infix.h"
#include "expr/m_tree.h"
#include "expr/numbers.h"
#include "fuzz/fuzz_support.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::ZoneSet;
using rivo::fuzz::Require;

// The lines by plain splitting: what the reader must give, with whether each was too long.
struct Line {
    std::string text;
    bool tooLong;
};

std::vector<Line> SplitLines(std::string_view file, std::size_t limit) {
    std::vector<Line> lines;
    while (!file.empty()) {
        const std::size_t newline = file.find('\n');
        std::string_view line = file.substr(0, newline);
        file.remove_prefix(newline == std::string_view::npos ? file.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back({std::string(line.substr(0, limit)), line.size() > limit});
    }
    return lines;
}

// The zones of a text on a tree and budget of its own; nothing after a pipeline error.
std::optional<ZoneSet> FreshZones(DiagramSize size, std::string_view text) {
    try {
        rivo::expr::RunBudget budget(rivo::fuzz::kFuzzLimits);
        rivo::expr::TreeContainer tree(budget);
        std::vector<std::string> listing;
        return rivo::diagram::EvaluateDiagram(size, text, tree, listing).zones;
    } catch (const rivo::expr::PipelineError&) {
        return std::nullopt;
    }
}

// The step texts of a line against the infix writer's whole texts, cut; the steps in reading
// order the same steps; the reading note one printable line of bounded length.
void CheckSteps(DiagramSize size, std::string_view text) {
    constexpr std::size_t kLimit = 24;
    rivo::expr::RunBudget budget(rivo::fuzz::kFuzzLimits);
    rivo::expr::TreeContainer tree(budget);
    try {
        const rivo::expr::Listing listing = rivo::expr::BuildListing(text, tree);
        rivo::expr::ScopedCharge held(budget);
        rivo::diagram::ReadingReport report;
        const auto steps = rivo::diagram::EvaluationStepsOf(tree, listing, size, held, &report);
        const std::string note = rivo::diagram::ReadingNote(listing, report);
        // Eight quoted parts of 24 characters, each at most 16 bytes when escaped.
        Require(note.size() < 8192, "the reading note is not bounded");
        for (const char c : note) {
            const auto byte = static_cast<unsigned char>(c);
            Require(byte >= 0x20 && byte != 0x7F, "the reading note holds a control byte");
        }
        auto reading = steps;
        rivo::diagram::PutInReadingOrder(tree, reading, held);
        const auto byNode = [](std::vector<rivo::diagram::TreeStep> list) {
            std::sort(list.begin(), list.end(),
                      [](const auto& a, const auto& b) { return a.node < b.node; });
            return list;
        };
        const auto sortedSteps = byNode(steps);
        const auto sortedReading = byNode(reading);
        Require(sortedReading.size() == sortedSteps.size(), "reading order lost a step");
        for (std::size_t i = 0; i < sortedSteps.size(); ++i) {
            Require(sortedReading[i].node == sortedSteps[i].node &&
                        sortedReading[i].zones == sortedSteps[i].zones,
                    "reading order changed a step");
        }
        const auto texts = rivo::diagram::StepTextsOf(tree, steps, size, kLimit, held);
        Require(texts.size() == steps.size(), "not one text per step");
        for (std::size_t i = 0; i < steps.size(); ++i) {
            std::string whole = rivo::expr::WriteInfix(tree, steps[i].node, budget);
            if (whole.size() > kLimit) {
                std::size_t end = kLimit;
                while (end > 0 && (static_cast<unsigned char>(whole[end]) & 0xC0) == 0x80)
                    --end;
                whole = whole.substr(0, end) + "\u2026";
            }
            Require(texts[i].text == whole, "a step's text is not its sub-expression, cut");
        }
    } catch (const rivo::expr::PipelineError&) {
        // Too large for the fuzz budgets, or an error of the text: an answer.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t bytes) {
    if (bytes == 0) return 0;
    // The reports of failing lines are answers, not findings; they would flood the log.
    static const bool quiet = [] {
        std::cerr.rdbuf(nullptr);
        return true;
    }();
    (void)quiet;
    const DiagramSize size = rivo::diagram::kDiagramSizes[data[0] % 3];
    rivo::expr::SetDecimalSeparator((data[0] & 4) != 0 ? ',' : '.');
    const std::size_t limit = 8 + (data[0] >> 3);
    const std::string_view file(reinterpret_cast<const char*>(data + 1), bytes - 1);

    const int fd = memfd_create("lines", MFD_CLOEXEC);
    Require(fd >= 0, "no memory file for the input");
    Require(write(fd, file.data(), file.size()) == static_cast<ssize_t>(file.size()) &&
                lseek(fd, 0, SEEK_SET) == 0,
            "the input cannot be written to the memory file");
    const std::vector<Line> expected = SplitLines(file, limit);
    rivo::cli::LineReader reader(fd);
    rivo::expr::RunBudget budget(rivo::fuzz::kFuzzLimits);
    budget.ShareWorkAcrossRuns();
    rivo::expr::TreeContainer tree(budget);
    std::string text;
    bool tooLong = false;
    std::size_t count = 0;
    std::size_t expressed = 0;
    while (reader.Next(text, tooLong, limit)) {
        Require(count < expected.size() && text == expected[count].text &&
                    tooLong == expected[count].tooLong && reader.LineNumber() == count + 1,
                "the reader gives another line than splitting the input does");
        ++count;
        if (tooLong || rivo::cli::IsSkippedLine(text)) continue;
        const rivo::cli::LineDrawing line = rivo::cli::DrawLine(size, text, count, tree);
        if (!line.drawing) continue;
        Require(FreshZones(size, text) == line.drawing->zones,
                "a line drawn on the shared tree has other zones than on a fresh one");
        CheckSteps(size, text);
        // The expression back from the shading; a few lines an input, express being the dearest.
        if (expressed++ < 4) {
            const std::string back = rivo::diagram::ExpressionFor(size, line.drawing->zones);
            const auto zones = FreshZones(size, back);
            const ZoneSet drawn = rivo::diagram::DrawnZones(size);
            Require(zones && (*zones & drawn) == (line.drawing->zones & drawn),
                    "the expression for a shading has other zones where the diagram draws");
        }
    }
    Require(count == expected.size(), "the reader ends before the input's last line");
    close(fd);
    return 0;
}
