// Symbolic differentiation: every call diff(expression; variable) in a tree is replaced, in
// place, by the derivative of the expression, written in the labels the parser makes so that
// the simplifier and the listing treat it like typed input.
#pragma once

#include <string>
#include <string_view>

#include "expr/tree.h"

namespace rivo::expr {

// Expands every "diff @F" node in the node's subtree, the node included, innermost first.
void ExpandDiff(TreeContainer& tree, NodeId node);

// Rewrites the node's subtree, in place, into its derivative with respect to `variable`, a
// label compared whole and case-sensitively.
void Differentiate(TreeContainer& tree, NodeId node, const std::string& variable);

// A name that is a constant to the pass: no "@", operator character or backslash, no number.
bool IsPlainName(std::string_view label);

}  // namespace rivo::expr
