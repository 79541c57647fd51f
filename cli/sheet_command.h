// sheet N FILE -o OUT.pdf: a worksheet of the expressions of FILE, one a line.
#pragma once

#include <iosfwd>

#include "cli/arguments.h"

namespace rivo::cli {

int RunSheet(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
