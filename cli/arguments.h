// The command line of rivo-cli: COMMAND [OPTIONS] [--] ARGS, options anywhere before "--".
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace rivo::cli {

// The bounds of --size: below, the letters are a few pixels; above, a raster of 4096 x 4096
// (64 MiB) and its encoding already take most of a run's memory budget.
inline constexpr int kMinPictureSide = 16;
inline constexpr int kMaxPictureSide = 4096;

struct Arguments {
    std::string command;
    std::vector<std::string> operands;  // after the command, in order
    std::optional<std::string> separator;
    std::optional<std::string> output;
    std::optional<std::string> size;  // --size PX as given; PictureSide reads it
    bool hatch = false;               // patterns instead of flat colours
    bool key = false;
    bool batch = false;  // draw: one picture per line of standard input
    bool help = false;
};

// Thrown for a command line that cannot be run; what() is the one-line reason.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Arguments ParseArguments(const std::vector<std::string>& argv);

// The side of --size PX: a whole number from kMinPictureSide to kMaxPictureSide, else a
// UsageError.
int PictureSide(const std::string& text);

}  // namespace rivo::cli
