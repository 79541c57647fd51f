// The infix writer: a node's subtree as the text of the expression language, with only the
// parentheses the parser needs to read that text back as the same subtree. Leaves and numbers
// are written as they stand. A subtree no text parses into (a leaf that begins with "-", a call
// without a name, an operator with fewer than two operands) is written all the same, but it
// does not read back as itself.
#pragma once

#include <cstddef>
#include <string>

#include "expr/budget.h"
#include "expr/tree.h"

namespace rivo::expr {

// The length of the text WriteInfix makes; the walk's stack is charged to `budget`.
std::size_t InfixLength(const TreeContainer& tree, NodeId node, RunBudget& budget);

// Appends the text to `out`; reserve InfixLength first to allocate once.
void AppendInfix(const TreeContainer& tree, NodeId node, RunBudget& budget, std::string& out);

// The text on its own. The string is charged to `budget` before it is allocated and stays
// charged until the run ends: a chain's text is as long as the input.
std::string WriteInfix(const TreeContainer& tree, NodeId node, RunBudget& budget);

}  // namespace rivo::expr
