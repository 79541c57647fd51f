// The command line of rivo-cli: COMMAND [OPTIONS] [--] ARGS, options anywhere before "--".
//
// Every option is one row of one table, Options(): its names, its argument, the commands that
// take it and its help text. The parser, the check that the command takes what it was given and
// `rivo-cli --help` all read that row, and tests/cli_manual_test.cpp holds the manual page and
// the README to it. Adding an option is a member of Arguments for its value and a row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
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
    std::optional<std::string> size;   // --size PX as given and checked; PictureSide reads it
    std::optional<std::string> order;  // steps: "evaluation" (the default) or "reading"
    bool hatch = false;                // patterns instead of flat colours
    bool key = false;
    bool batch = false;  // draw: one picture per line of standard input
    bool help = false;
    std::optional<std::string> layout;    // --layout euler|venn
    std::optional<std::string> zones;     // --zones LIST: zone names instead of REGIONS
    std::optional<std::string> labels;    // --labels NAMES, checked; Labels reads it
    std::optional<std::string> title;     // --title TEXT, checked
    std::optional<std::string> fill;      // --fill #rrggbb, checked; FillColour reads it
    std::optional<std::string> notation;  // --notation plain|set: the language of the texts
    std::optional<std::string> answers;   // sheet: "after" (the default) or "separate"
    std::optional<std::string> random;    // sheet --random K, checked; RandomCount reads it
    std::optional<std::string> seed;      // sheet --seed S, checked; Seed reads it
};

// One option of rivo-cli. A flag names the member it sets in `flag`, an option with a value the
// member that keeps its value in `value`.
struct Option {
    std::string_view name = {};      // as messages and the help show it first: "-o", "--size"
    std::string_view alias = {};     // another name for it, or empty: "--output", "-h"
    std::string_view argument = {};  // the help's name for the value, "PX"; empty for a flag
    // The commands that take it, blank-separated; empty for every command.
    std::string_view commands = {};
    // The help text, one paragraph; --help adds "with COMMANDS: " in front and wraps it.
    // "{extensions}" stands for the picture formats' extensions.
    std::string_view help = {};
    bool Arguments::*flag = nullptr;
    std::optional<std::string> Arguments::*value = nullptr;
    // The only values it takes, blank-separated, or empty for any (then `check`, if set, judges
    // the value and throws a UsageError for a bad one).
    std::string_view choices = {};
    void (*check)(const std::string& value) = nullptr;
};

// Every option, in the order --help lists them.
std::span<const Option> Options();

// The words of a blank-separated list of a row ("paint draw" -> "paint", "draw").
std::vector<std::string_view> Words(std::string_view list);

// "a", "a and b", "a, b and c"; with `last` " or ": "a, b or c"; each word in double quotes if
// `quoted`.
std::string Joined(std::span<const std::string_view> words, std::string_view last = " and ",
                   bool quoted = false);

// Thrown for a command line that cannot be run; what() is the one-line reason.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the command line (without the program's name). A word starting with "-" before "--" is
// an option: an unknown one, a missing or refused value, a value given to a flag and an option
// with a value given twice are usage errors; a flag may be given again and stays set. The
// first other word is the command.
Arguments ParseArguments(const std::vector<std::string>& argv);

// An option given to a command that does not take it, as the reason of a usage error
// ("--hatch goes with paint, draw and sheet, not regions").
std::optional<std::string> MisplacedOption(const Arguments& args);

// The side of --size PX: a whole number from kMinPictureSide to kMaxPictureSide, else a
// UsageError.
int PictureSide(const std::string& text);

// The names of --labels NAMES: separated by commas, blanks around each dropped; each from 1 to
// diagram::kMaxLabelBytes bytes of UTF-8 without control characters, else a UsageError.
std::vector<std::string> Labels(const std::string& text);

// The longest --title of a sheet, in characters: its pages' heading has a line of its own.
inline constexpr std::size_t kMaxSheetTitleCharacters = 80;

// The title of --title TEXT: UTF-8, at most `limit` characters, one line (no control
// characters), else a UsageError. The limit is diagram::kMaxTitleCharacters above a picture,
// kMaxSheetTitleCharacters for a sheet (TitleLimit).
void CheckTitle(const std::string& text, std::size_t limit);
std::size_t TitleLimit(std::string_view command);

// The count of sheet --random K: a whole number from 1 to diagram::kMaxGeneratedExercises, else
// a UsageError.
int RandomCount(const std::string& text);

// The seed of sheet --seed S: a whole number from 0 to 2^64 - 1, else a UsageError.
std::uint64_t Seed(const std::string& text);

// The colour of --fill: "#rrggbb" in hexadecimal digits of either case, as (red, green, blue),
// else a UsageError.
struct Colour {
    int red;
    int green;
    int blue;
};
Colour FillColour(const std::string& text);

}  // namespace rivo::cli
