// The way back from a shading to an expression: the shortest text in the letters a to e, "+",
// "*", "-" and parentheses whose set, read by the parser and the evaluator, is a given one. No Qt.
#pragma once

#include <string>
#include <string_view>

#include "diagram/core/diagram_size.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"

namespace rivo::diagram {

// An expression whose zones agree with `wanted` on every zone the diagram draws; the zones it
// cannot show are free. Fewest letters first, then fewest parentheses, then the smallest text in
// byte order. Three circles: the shortest of all expressions. Four and five: no longer than the
// best sum of terms «product minus union», common factors pulled out where that saves letters.
// The empty set (on the drawn zones) is the empty text.
std::string ExpressionFor(DiagramSize size, ZoneSet wanted);

// An expression over `circles` circles (2 to 5) whose truth set is exactly `zones`: no zone is
// free, drawn or not. The same order of shortness; two and three circles: the shortest of all
// expressions; four and five: the same search as ExpressionFor with every zone fixed.
std::string ExpressionForZones(int circles, ZoneSet zones);

// The same in set notation, for any set over the zones of `circles` circles (2 to 5), the
// outside zone (bit 0) included: "U" for every zone, "∅" for none; a set without the outside
// zone as ExpressionForZones finds it; a set with it as the complement of the rest, "(A ∪ B)′",
// or that complement carried into its top operator, "A′ ∩ B′", whichever has fewer characters.
// Written as WriteSetNotation writes, so ReadSetNotation reads it back as exactly `set`.
std::string ExpressionInSetNotation(int circles, UniverseSet set);

// Two plain texts joined by `op` ('+', '*' or '-'), each in parentheses where asked: the one
// writer of a binary node for the search above and the exercise generator.
std::string JoinPlainTexts(std::string_view left, char op, std::string_view right, bool wrapLeft,
                           bool wrapRight);

}  // namespace rivo::diagram
