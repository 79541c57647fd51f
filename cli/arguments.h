// The command line of rivo-cli: COMMAND [OPTIONS] [--] ARGS, options anywhere before "--".
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace rivo::cli {

struct Arguments {
    std::string command;
    std::vector<std::string> operands;  // after the command, in order
    std::optional<std::string> separator;
    std::optional<std::string> output;
    bool key = false;
    bool batch = false;  // draw: one picture per line of standard input
    bool hatch = false;  // sheet: shade with patterns
    bool help = false;
};

// Thrown for a command line that cannot be run; what() is the one-line reason.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Arguments ParseArguments(const std::vector<std::string>& argv);

}  // namespace rivo::cli
