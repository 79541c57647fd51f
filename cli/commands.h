// The commands of rivo-cli, one table row each; the options they take are rows of Options().
#pragma once

#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/zones.h"
#include "expr/budget.h"

namespace rivo::cli {

struct Command {
    std::string_view name;
    std::string_view operands;  // as the usage shows them, e.g. "N EXPR"
    int operandCount;
    std::string_view summary;  // one paragraph; --help wraps it
    int (*run)(const Arguments& args, std::ostream& out);
    // For a command whose last operand --zones LIST may replace, the operands then, e.g.
    // "N --zones LIST"; empty for the others.
    std::string_view zonesOperands = {};
    // For a command whose last operand --random K may replace, the operands then; empty for the
    // others.
    std::string_view randomOperands = {};
};

// The operands the command takes with these arguments: one fewer where --zones or --random
// replaces the last.
int OperandCount(const Command& command, const Arguments& args);

std::span<const Command> Commands();

// The text of --help: the commands, the options of Options(), and how they are read.
void PrintHelp(std::ostream& out);

// The exit status of `equal` for two different sets: an answer, not a failure, so standard
// output keeps what the command wrote.
inline constexpr int kDifferentStatus = 3;

// Thrown when an operand's source cannot be read; what() names the source and the cause.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An EXPR operand: the text itself, or standard input for "-" (one trailing newline removed).
// A text over the size limit is refused with "Expression is too large" as soon as that is
// known, before the rest of standard input is read; a failed read throws InputError.
std::string ReadExpression(const std::string& operand);

// The diagram size of an N operand of the commands that speak region codes: "3", "4" or "5";
// anything else is a usage error.
diagram::DiagramSize ReadDiagramSize(const std::string& operand);

// The circles of an N operand of the commands that work on zones: "2" to "5"; anything else is
// a usage error.
int ReadCircles(const std::string& operand);

// The zones of --zones LIST for `circles` circles; a name that is no zone of theirs is a usage
// error that quotes it.
diagram::ZoneSet ReadZones(const Arguments& args, int circles);

// A REGIONS operand: every byte a code of the size's diagram, in any order and repeated at will;
// a usage error names the foreign ones.
void CheckRegionCodes(diagram::DiagramSize size, const std::string& regions);

// Writes the lines to `out`, each with its newline, once `budget` has paid for them.
void WriteLines(expr::RunBudget& budget, std::ostream& out, std::span<const std::string> lines);

}  // namespace rivo::cli
