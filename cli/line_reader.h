// Lines of a text stream, one at a time, each held only up to the longest expression: a file of
// any size, or an endless pipe, is read in flat memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "diagram/core/diagram_size.h"
#include "diagram/draw/draw.h"

namespace rivo::cli {

class LineReader {
  public:
    // Reads `fd`, which it neither owns nor closes.
    explicit LineReader(int fd) : fd_(fd) {}

    // The next line into `text`, without its newline and without one carriage return before it
    // (a file saved with CRLF line ends reads as any other). False at the end of the input. A
    // line longer than `limit` bytes leaves `text` holding its first bytes only and sets
    // `tooLong`; the rest of it is read and dropped. A failed read throws InputError.
    bool Next(std::string& text, bool& tooLong, std::size_t limit);

    // The number of the line Next gave last, from 1.
    std::size_t LineNumber() const { return lineNumber_; }

  private:
    bool Fill();

    int fd_;
    char buffer_[1 << 16];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    std::size_t lineNumber_ = 0;
};

// A line of a worksheet or batch that asks for no diagram: blank (nothing but blanks) or a
// comment, its first byte "#".
bool IsSkippedLine(const std::string& text);

// The report of a line that draws nothing, on standard error:
// "rivo-cli: line 4: Floating point division by zero."
void ReportLine(std::size_t line, const std::string& message);

// The whole road for the expression of one line, on a tree and budget of its own, so that
// nothing a failed line leaves behind reaches the next. A pipeline error (or memory running
// out) is reported with the line's number and gives nothing.
std::optional<diagram::Drawing> DrawLine(diagram::DiagramSize size, std::string_view text,
                                         std::size_t line);

}  // namespace rivo::cli
