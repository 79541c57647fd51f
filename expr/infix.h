// The infix writer: a node's subtree as the text of the expression language, with only the
// parentheses the parser needs to read that text back as the same subtree. Leaves and numbers
// are written as they stand. A subtree no text parses into (a leaf that begins with "-", a call
// without a name, an operator with fewer than two operands) is written all the same, but it
// does not read back as itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "expr/budget.h"
#include "expr/tree.h"

namespace rivo::expr {

// Appends the text to `out`, or its first `limit` bytes when it is longer (a UTF-8 character
// of a label may be cut); true when the whole text fit. Whatever `out` grows by is charged to
// `budget` before it is allocated and stays charged until the run ends, and each node written
// is a work step: the texts of every sub-expression of a long chain add up to the square of
// its length, and the run ends with "Expression is too large" instead.
bool AppendInfix(const TreeContainer& tree, NodeId node, RunBudget& budget, std::string& out,
                 std::size_t limit = SIZE_MAX);

// The text of a node written before: whole, or its first bytes, at least as many as the limit
// of the writing that reads it.
struct KnownText {
    std::string_view text;
    bool whole;
};

// AppendInfix for texts that hold nodes written before (the steps of an evaluation, each an
// operand of a later one): a node that `known` has a text for is written from it, one work
// step, instead of being walked again, so that writing every step's first `limit` bytes costs
// what they hold.
bool AppendInfix(const TreeContainer& tree, NodeId node, RunBudget& budget, std::string& out,
                 std::size_t limit, const std::function<std::optional<KnownText>(NodeId)>& known);

// The whole text on its own.
std::string WriteInfix(const TreeContainer& tree, NodeId node, RunBudget& budget);

}  // namespace rivo::expr
