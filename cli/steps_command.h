// rivo-cli steps: the evaluation of an expression one operator step at a time.
#pragma once

#include <iosfwd>

#include "cli/arguments.h"

namespace rivo::cli {

// steps N EXPR [-o PREFIX]: per step, its number, a tab, the operator's sub-expression, a tab
// and the region set computed; with -o, PREFIX-K.png holds the picture after step K.
int RunSteps(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
