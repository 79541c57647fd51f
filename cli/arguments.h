// The command line of rivo-cli: COMMAND [OPTIONS] [--] ARGS, options anywhere before "--".
#pragma once

#include <exception>
#include <optional>
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
    bool help = false;
};

// Thrown for a command line that cannot be run; what() is the one-line reason.
class UsageError : public std::exception {
  public:
    explicit UsageError(std::string reason) : reason_(std::move(reason)) {}
    const char* what() const noexcept override { return reason_.c_str(); }

  private:
    std::string reason_;
};

Arguments ParseArguments(const std::vector<std::string>& argv);

}  // namespace rivo::cli
