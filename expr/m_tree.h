// The parser of the expression language: text in, expression tree out.
#pragma once

#include <string>
#include <string_view>

#include "expr/tree.h"

namespace rivo::expr {

// The text without parentheses that enclose all of it: «((a))» gives "a", «(a)+(b)» stays
// whole, "()" stays "()" and «(())» gives the empty text.
std::string StripOuterParens(std::string_view text);

// Fills `node`, which already belongs to the tree, from the text: its label, its children and,
// for a ";" list, further nodes after it at its own level. Every text yields a tree.
void ParseExpression(std::string_view text, TreeContainer& tree, NodeId node);

}  // namespace rivo::expr
