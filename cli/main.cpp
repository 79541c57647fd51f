// rivo-cli: the pipeline and the painter of K.O.B. Rivo without a window.
#include <cstdio>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "expr/error.h"
#include "expr/numbers.h"
#include "expr/text.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: rivo-cli COMMAND [OPTIONS] [--] ARGS\n\ncommands:\n";
    for (const auto& c : rivo::cli::Commands()) {
        std::string head = std::string(c.name) + " " + std::string(c.operands);
        if (head.size() < 26) head.resize(26, ' ');
        out << "  " << head << " " << c.summary << '\n';
    }
    out << "\noptions:\n"
           "  --separator C              decimal separator of numbers, \".\" or \",\"\n"
           "                             (default: the locale's)\n"
           "  -o FILE                    output picture (PNG, or BMP when FILE ends in .bmp)\n"
           "  --key                      with regions: one line per region and its circles\n"
           "  --help                     this text\n"
           "\nOptions may stand before or after the arguments, up to \"--\", which ends them\n"
           "(an expression may begin with \"-\"). An EXPR of \"-\" reads standard input, one\n"
           "trailing newline removed. An EXPR over 1 MiB is refused.\n"
           "Pipeline errors go to standard error with exit status 1; usage errors exit with 2.\n";
}

int UsageFailure(const std::string& reason) {
    std::cerr << "rivo-cli: " << reason << '\n';
    PrintUsage(std::cerr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    rivo::cli::Arguments args;
    try {
        args = rivo::cli::ParseArguments(words);
    } catch (const rivo::cli::UsageError& e) {
        return UsageFailure(e.reason);
    }
    if (args.help) {
        PrintUsage(std::cout);
        return 0;
    }
    if (args.command.empty()) return UsageFailure("no command given");

    const rivo::cli::Command* command = nullptr;
    for (const auto& c : rivo::cli::Commands()) {
        if (c.name == args.command) command = &c;
    }
    if (command == nullptr) return UsageFailure("unknown command " + args.command);
    rivo::expr::SetDecimalSeparator(args.separator ? args.separator->front()
                                                   : rivo::expr::LocaleDecimalSeparator());
    if (args.output && args.command != "paint" && args.command != "draw") {
        return UsageFailure("-o goes with paint and draw, not " + args.command);
    }
    if (args.key && args.command != "regions") {
        return UsageFailure("--key goes with regions, not " + args.command);
    }
    if (static_cast<int>(args.operands.size()) != command->operandCount) {
        return UsageFailure(args.command + " takes " + std::string(command->operands));
    }

    // Output is collected first, so that a failing run prints nothing on standard output.
    std::ostringstream out;
    try {
        const int status = command->run(args, out);
        std::cout << out.str() << std::flush;
        return status;
    } catch (const rivo::cli::UsageError& e) {
        return UsageFailure(e.reason);
    } catch (const rivo::cli::InputError& e) {
        std::cerr << "rivo-cli: " << e.reason << '\n';
        return 1;
    } catch (const rivo::expr::PipelineError& e) {
        std::cerr << rivo::expr::WithFullStop(e.what()) << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << rivo::expr::WithFullStop(rivo::expr::kTooLargeMessage) << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "rivo-cli: internal error: " << e.what() << '\n';
        return 3;
    }
}
