// draw N - -o PATTERN --batch: one picture per line of standard input, in one process.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "cli/arguments.h"

namespace rivo::cli {

// A file name with one integer conversion in the way of printf: "%d", "%5d" or "%05d"
// (at most kMaxNumberWidth wide), "%%" for a literal "%". Read here, never by printf.
class NumberedName {
  public:
    static constexpr int kMaxNumberWidth = 20;

    // Throws UsageError unless `pattern` holds exactly one conversion and nothing else after a
    // "%".
    explicit NumberedName(std::string_view pattern);

    std::string For(std::size_t number) const;

  private:
    std::string before_;
    std::string after_;
    int width_ = 0;
    bool zeros_ = false;
};

int RunDrawBatch(const Arguments& args, std::ostream& out);

}  // namespace rivo::cli
