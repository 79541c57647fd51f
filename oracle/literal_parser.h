// A word-for-word transcription of the language table at the top of expr/m_tree.h: rescans
// every node's text, quadratic in the input. It serves only as the reference the real parser is
// checked against.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "expr/tree.h"

namespace rivo::testing {

// The text without parentheses that enclose all of it: «((a))» gives "a", «(a)+(b)» stays
// whole, "()" stays "()" and «(())» gives the empty text.
std::string StripOuterParens(std::string_view text);

// The substring of `length` bytes starting at 1-based `position`; the empty text when it starts
// past the end or the length is zero or less.
std::string CopyText(std::string_view text, std::int64_t position, std::int64_t length);

void LiteralParseExpression(std::string_view text, expr::TreeContainer& tree, expr::NodeId node);

}  // namespace rivo::testing
