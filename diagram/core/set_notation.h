// Set notation as textbooks write it (A ∪ B′, (A ∩ B) \ C, U, ∅), read strictly: a second input
// language beside the plain one, evaluated straight to a truth set over every zone, the outside
// zone included. It never goes through the plain parser or its listing. No Qt; the standard
// library only, so that it builds for WebAssembly as well.
//
// The language: the sets A to E (or a to e) up to the diagram's circle count, U and ∅;
// union ∪; intersection ∩; difference \, ∖, − or -; symmetric difference Δ, △ or ⊕; the
// complement as a postfix ′, ' or ᶜ (relative to U, binding tightest); parentheses; white space
// between tokens. A chain of one binary operator reads from the left (A \ B \ C is (A \ B) \ C);
// two different binary operators at one level are an error, since textbooks disagree on which
// binds tighter and a strict reader must not guess. Anything else is an error with a column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/zones.h"

namespace rivo::diagram {

// A set over every zone, the outside zone included: bit z for zone z (its circles as bits, A the
// lowest), bit 0 the outside zone "none", in no circle. The 32 zones of five circles fill a word.
// A ZoneSet is the same set without the outside zone, shifted down by one.
using UniverseSet = std::uint32_t;

inline constexpr int kMinSetCircles = 2;
inline constexpr int kMaxSetCircles = 5;

// The outside zone's bit.
inline constexpr UniverseSet kOutsideZone = 1;

// Every zone of a diagram of `circles` circles (2 to 5), the outside zone included.
constexpr UniverseSet UniverseOf(int circles) {
    const int zones = 1 << circles;
    return zones >= 32 ? ~UniverseSet{0} : (UniverseSet{1} << zones) - 1;
}

// The zones inside circle `circle` (0 for A) of a diagram of `circles` circles.
constexpr UniverseSet CircleSet(int circles, int circle) {
    constexpr UniverseSet kWithBit[] = {0xAAAAAAAAu, 0xCCCCCCCCu, 0xF0F0F0F0u, 0xFF00FF00u,
                                        0xFFFF0000u};
    return kWithBit[circle] & UniverseOf(circles);
}

// The set without its outside zone, as the plain language's zone sets hold it.
constexpr ZoneSet ToZoneSet(UniverseSet set) {
    return set >> 1;
}

// A zone set of the plain language, which never holds the outside zone.
constexpr UniverseSet FromZoneSet(ZoneSet zones) {
    return UniverseSet{zones} << 1;
}

// What a node of a set-notation tree is.
enum class SetOp : std::uint8_t {
    kLetter,               // one of the circles' sets
    kUniverse,             // U
    kEmpty,                // ∅
    kComplement,           // its operand's complement in U
    kUnion,                // ∪
    kIntersection,         // ∩
    kDifference,           // \ (and ∖, −, -)
    kSymmetricDifference,  // Δ (and △, ⊕)
};

using SetNodeIndex = std::uint32_t;
inline constexpr SetNodeIndex kNoSetNode = ~SetNodeIndex{0};

// One node. A complement's operand is `left`; a binary node has both; leaves have neither.
struct SetNode {
    SetOp op = SetOp::kEmpty;
    std::uint8_t letter = 0;  // the circle of a kLetter node, 0 for A
    SetNodeIndex left = kNoSetNode;
    SetNodeIndex right = kNoSetNode;

    friend bool operator==(const SetNode&, const SetNode&) = default;
};

// A set-notation tree. Every node comes after its operands, in reading order (left to right,
// each operator after its operands), so the root is the last node and one pass in order
// evaluates it.
struct SetExpression {
    int circles = 3;
    std::vector<SetNode> nodes;

    SetNodeIndex Root() const { return static_cast<SetNodeIndex>(nodes.size() - 1); }
    friend bool operator==(const SetExpression&, const SetExpression&) = default;
};

// Why a text does not read: the 1-based column of the offending token, counting characters (code
// points; a byte that is not UTF-8 counts as one), and a message for the reader of the text.
// Column 0 is the text as a whole (too large).
struct SetNotationError {
    std::size_t column = 0;
    std::string message;

    friend bool operator==(const SetNotationError&, const SetNotationError&) = default;
};

// What ReadSetNotation makes of a text: its tree and truth set, or the error.
struct SetReading {
    std::optional<SetNotationError> error;
    SetExpression expression;  // no nodes when there is an error
    UniverseSet set = 0;
};

// Reads `text` for a diagram of `circles` circles (2 to 5). Texts over kMaxExpressionBytes are
// refused as the plain language refuses them ("Expression is too large", column 0). Time and
// memory are linear in the text; nesting is kept on explicit stacks, so depth costs no stack.
SetReading ReadSetNotation(std::string_view text, int circles);

// The truth set of every node, in node order: the set of a node's sub-expression.
std::vector<UniverseSet> NodeSets(const SetExpression& expression);

// The truth set of the whole expression (its root's).
UniverseSet EvaluateSetExpression(const SetExpression& expression);

// Whether the text holds a symbol of set notation that the plain language has no use for: ∪ ∩
// ∖ \ − Δ △ ⊕, the complement marks ′ ' ᶜ, or ∅ (not "-", which both languages share, nor U).
// A text in the plain language that holds one was most likely meant in set notation.
bool HoldsSetNotationSymbol(std::string_view text);

// The three lines a command-line tool prints for an error, each ending in a newline:
// `prefix` (such as "rivo-cli: ") + "column K: " + message; the text; a caret under column K.
// The text is shown as a terminal can show it (bytes that are not UTF-8 and control characters
// as U+FFFD, line breaks as spaces); the caret line keeps the text's white space (tabs, wide
// spaces) in its padding, so the caret lines up under the character, and a text longer than a
// line is shown as an excerpt around the column, cut with "…". An error of column 0 gets the
// first line only, without the column.
std::string FormatSetNotationError(std::string_view prefix, std::string_view text,
                                   const SetNotationError& error);

}  // namespace rivo::diagram
