// The command line of rivo-cli: COMMAND [OPTIONS] [--] ARGS, options anywhere before "--".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rivo::cli {

struct Arguments {
    std::string command;
    std::vector<std::string> operands;  // after the command, in order
    std::optional<std::string> separator;
    std::optional<std::string> output;
    bool key = false;
    bool help = false;
};

// Thrown for a command line that cannot be run; the message is the one-line reason.
struct UsageError {
    std::string reason;
};

Arguments ParseArguments(const std::vector<std::string>& argv);

}  // namespace rivo::cli
