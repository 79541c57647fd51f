// A word-for-word transcription of the parser's rules: rescans every node's text, quadratic in
// the input. It serves only as the reference the real parser is checked against.
#pragma once

#include <string_view>

#include "expr/tree.h"

namespace rivo::testing {

void LiteralParseExpression(std::string_view text, expr::TreeContainer& tree, expr::NodeId node);

}  // namespace rivo::testing
