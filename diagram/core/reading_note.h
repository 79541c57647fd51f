// The note that tells a reader what the diagram did not read as written: the parts of the
// expression the evaluator skipped and the names it read as their first letter. The picture
// stays as the plain language defines it; the note only says so, in one line. No Qt.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/evaluator.h"

namespace rivo::diagram {

// The most parts of an expression a note quotes; it counts the others.
inline constexpr std::size_t kMaxNotedParts = ReadingReport::kQuoted;

// A quoted part is cut after this many characters, then "…": a call's name may be as long as
// the whole text.
inline constexpr std::size_t kMaxNotedCharacters = 24;

// The report of `listing` (the lines EvaluateZones read) as one line, without a full stop:
//   the diagram skipped "^", "d" and 2 more; read "apple" as a, "cos(" as c
// At most kMaxNotedParts parts are quoted, the skipped ones first and at least one of each
// kind; each as the text holds it
// (without the listing's " @F" or " @N", a call as its name and "(", the unary minus as "-", an
// empty operand in words), and with every byte a terminal could act on written as \xNN.
// Empty when the report is, and for an empty text (the empty set, as asked).
std::string ReadingNote(const std::vector<std::string>& listing, const ReadingReport& report);

// A part of the expression as the note quotes it: QuotedPart("cos @F") is "\"cos(\"".
std::string QuotedPart(std::string_view line);

}  // namespace rivo::diagram
