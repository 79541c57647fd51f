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

// The node and its subtree on one line.
std::string FormatSubtree(const TreeContainer& tree, NodeId node);

// One line per top-level node, in order.
std::vector<std::string> FormatForest(const TreeContainer& tree);

}  // namespace rivo::expr
