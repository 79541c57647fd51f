// Lines of a text stream, one at a time, each held only up to the longest expression: a file of
// any size, or an endless pipe, is read in flat memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluate_diagram.h"
#include "expr/tree.h"

namespace rivo::cli {

class LineReader {
  public:
    // How far a line over the limit is skipped in search of its end: past this, the input is
    // taken for one without line ends (a device such as /dev/zero) and refused as a whole.
    static constexpr std::size_t kMaxSkippedBytes = std::size_t{64} << 20;

    // Reads `fd`, which it neither owns nor closes.
    explicit LineReader(int fd) : fd_(fd) {}

    // The next line into `text`, without its newline and without one carriage return before it
    // (a file saved with CRLF line ends reads as any other). False at the end of the input. A
    // line longer than `limit` bytes is given up as soon as that is known, with `text` holding
    // its first `limit` bytes and `tooLong` set; the next call skips the rest of it, holding
    // none of it, and throws InputError when it finds no end within kMaxSkippedBytes. A failed
    // read throws InputError.
    bool Next(std::string& text, bool& tooLong, std::size_t limit);

    // The number of the line Next gave last, from 1.
    std::size_t LineNumber() const { return lineNumber_; }

  private:
    bool Fill();
    void SkipRestOfLine();

    int fd_;
    char buffer_[1 << 16];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    bool skipping_ = false;  // the line given last was cut short
    std::size_t lineNumber_ = 0;
};

// A line of a worksheet or batch that asks for no diagram: blank (nothing but white space:
// the ASCII blanks, tab, vertical tab, form feed and carriage return, and in UTF-8 the Unicode
// space separators, such as the no-break space, and the byte-order mark) or a comment, its
// first byte "#".
bool IsSkippedLine(std::string_view text);

// The report of a line that draws nothing, on standard error:
// "rivo-cli: line 4: Floating point division by zero."
void ReportLine(std::size_t line, const std::string& message);

// How the expression of one line came out.
struct LineDrawing {
    std::optional<diagram::Drawing> drawing;  // nothing after a pipeline error
    bool tooLarge = false;                    // the error was the size one
};

// What a line costs beside the work of its expression, in work steps of the budget: starting
// its run, and the error and its report when it fails, take some microseconds, so that a file
// of many short failing lines is no cheaper than one long expression.
inline constexpr std::size_t kLineWork = 256;

// The whole road for the expression of one line, in `tree`, which every line rebuilds from
// nothing (so that nothing a failed line leaves behind reaches the next) and whose budget the
// line's run and kLineWork are charged to. A pipeline error (or memory running out) is reported
// with the line's number.
// Over `circles` circles (2 to 5); the drawing's region set is empty for two.
LineDrawing DrawLine(int circles, std::string_view text, std::size_t line,
                     expr::TreeContainer& tree);

inline LineDrawing DrawLine(diagram::DiagramSize size, std::string_view text, std::size_t line,
                            expr::TreeContainer& tree) {
    return DrawLine(diagram::CircleCount(size), text, line, tree);
}

}  // namespace rivo::cli
