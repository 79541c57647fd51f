// The set-notation writer: a tree as textbook text with only the parentheses the strict reader
// needs to read it back as the same set; the steps of an evaluation in reading order with their
// texts; and the plain language's letter expressions spelled in set notation. No Qt.
//
// The spelling: capital letters, U and ∅; one space on either side of ∪, ∩, \ and Δ (one
// symbol each: \ is the difference of ISO 80000-2 and on every keyboard, where − would look
// like the plain language's "-"); the complement mark ′ straight after its operand. Parentheses
// go around a binary operand of a different operator, around the right operand of \ when it is
// a difference itself, and around a compound that is complemented: (A ∪ B)′. Chains of ∪, ∩ or
// Δ are written flat whichever way they group, since each of them is associative.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/set_notation.h"

namespace rivo::diagram {

// The text of the whole expression, or of one node's sub-expression.
std::string WriteSetNotation(const SetExpression& expression);
std::string WriteSetNotation(const SetExpression& expression, SetNodeIndex node);

// One step of an evaluation: an operator node, the set it computed, and its sub-expression as
// the writer writes it, cut after kStepTextBytes bytes (at a character's end) with "…".
struct SetStep {
    SetNodeIndex node = kNoSetNode;
    UniverseSet set = 0;
    std::string text;
};

inline constexpr std::size_t kStepTextBytes = 300;

// How many steps the expression has: its operator nodes (complements and binary operators).
std::size_t StepCount(const SetExpression& expression);

// The first `maxSteps` steps in reading order: left to right, each operator after its operands,
// as a teacher works them out. The whole text is written once and each step's text is a part
// of it, so the cost is linear in the expression plus at most kStepTextBytes per step returned;
// a caller that shows a bounded number of steps passes that number.
std::vector<SetStep> ReadingSteps(const SetExpression& expression, std::size_t maxSteps = SIZE_MAX);

// A text of the plain language made only of the letters a to e, "+", "*", "-" and parentheses
// (as the way back from a shading writes it), spelled in set notation. The plain language's "*"
// binds tighter than "+" and "-", which group from the left, so "a+b*c" becomes "A ∪ (B ∩ C)"
// and "a-b+c" becomes "(A \ B) ∪ C". The empty text, the plain language's
// empty set, is "∅". Nothing for any other text.
std::optional<std::string> PlainToSetNotation(std::string_view plainText);

}  // namespace rivo::diagram
