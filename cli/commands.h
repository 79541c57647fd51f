// The commands of rivo-cli, one table row each.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"

namespace rivo::cli {

struct Command {
    std::string_view name;
    std::string_view operands;  // as the usage shows them, e.g. "N EXPR"
    int operandCount;
    std::string_view summary;
    int (*run)(const Arguments& args, std::ostream& out);
};

std::span<const Command> Commands();

// An EXPR operand: the text itself, or standard input for "-" (one trailing newline removed).
std::string ReadExpression(const std::string& operand);

}  // namespace rivo::cli
