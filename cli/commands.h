// The commands of rivo-cli, one table row each.
#pragma once

#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "diagram/diagram_size.h"
#include "expr/budget.h"

class QImage;

namespace rivo::cli {

struct Command {
    std::string_view name;
    std::string_view operands;  // as the usage shows them, e.g. "N EXPR"
    int operandCount;
    std::string_view summary;
    int (*run)(const Arguments& args, std::ostream& out);
};

std::span<const Command> Commands();

// Thrown when an operand's source cannot be read; what() names the source and the cause.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An EXPR operand: the text itself, or standard input for "-" (one trailing newline removed).
// A text over the size limit is refused with "Expression is too large" as soon as that is
// known, before the rest of standard input is read; a failed read throws InputError.
std::string ReadExpression(const std::string& operand);

// The N operand: 3, 4 or 5; a UsageError for anything else.
diagram::DiagramSize ReadDiagramSize(const std::string& operand);

// The -o FILE of a command that writes one picture; a UsageError without one, or for a name
// whose extension names no picture format.
const std::string& OutputFile(const Arguments& args, const std::string& command);

// Writes the picture to the file; on failure says why on standard error and returns 1.
int WritePicture(const QImage& picture, const std::string& file);

// Writes the lines to `out`, each with its newline, once the budget has paid for them.
void WriteLines(expr::RunBudget& budget, std::ostream& out, std::span<const std::string> lines);

}  // namespace rivo::cli
