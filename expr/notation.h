// The one-line notation of a tree, shared by rivo-cli and the tests:
// "+"("*"("a", "b"), "c") is a node "+" with the children "*"("a", "b") and "c".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "expr/tree.h"

namespace rivo::expr {

// A label in double quotes, with \" \\ and \xNN for bytes below 0x20 and 0x7F.
std::string QuoteLabel(std::string_view label);

// The node and its subtree on one line. With a budget (the tree's own, as a rule), the line counts
// against its run's memory before it is allocated and stays counted until the run ends: a 1 MiB
// text can make a line many times its size.
std::string FormatSubtree(const TreeContainer& tree, NodeId node, RunBudget* budget = nullptr);

// One line per top-level node, in order; the budget as above, for the lines and their list.
std::vector<std::string> FormatForest(const TreeContainer& tree, RunBudget* budget = nullptr);

}  // namespace rivo::expr
