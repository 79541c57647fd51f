// express N REGIONS: the way back from a shading to an expression.
#pragma once

#include <iosfwd>

#include "cli/arguments.h"

namespace rivo::cli {

int RunExpress(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
