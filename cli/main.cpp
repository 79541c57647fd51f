// rivo-cli: the pipeline and the painter of K.O.B. Rivo without a window.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "diagram/picture_writer.h"
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
           "  -o FILE                    output picture, in the format its extension names:\n"
           "                             "
        << rivo::diagram::PictureExtensionList()
        << "\n"
           "  -o PREFIX                  with steps: the picture after step K in PREFIX-K.png\n"
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

// The error report of the pipeline, as the window shows it: the message with its full stop.
int PipelineFailure(const std::string& message) {
    std::cerr << rivo::expr::WithFullStop(message) << '\n';
    return 1;
}

// Standard output is written once, at the end, every write and the close checked: a full disk,
// a failing device or a closed descriptor must not pass for success.
int WriteStandardOutput(std::string_view text, int status) {
    int error = 0;
    while (!text.empty() && error == 0) {
        const ssize_t written = write(STDOUT_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error = written < 0 ? errno : EIO;
        } else {
            text.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    // With nothing to write, a standard output that was never open is no failure.
    if (close(STDOUT_FILENO) != 0 && error == 0 && errno != EBADF) error = errno;
    if (error == 0) return status;
    std::cerr << "rivo-cli: cannot write standard output: "
              << std::generic_category().message(error) << '\n';
    return status == 0 ? 1 : status;
}

// What goes to standard output is left in `out`; a run that fails leaves nothing there.
int RunCommand(int argc, char** argv, std::ostringstream& out);

int Run(int argc, char** argv, std::ostringstream& out) {
    const int status = RunCommand(argc, argv, out);
    if (status != 0) out.str({});
    return status;
}

int RunCommand(int argc, char** argv, std::ostringstream& out) {
    std::vector<std::string> words(argv + 1, argv + argc);
    rivo::cli::Arguments args;
    try {
        args = rivo::cli::ParseArguments(words);
    } catch (const rivo::cli::UsageError& e) {
        return UsageFailure(e.what());
    }
    if (args.help) {
        PrintUsage(out);
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
    if (args.output && args.command != "paint" && args.command != "draw" &&
        args.command != "steps") {
        return UsageFailure("-o goes with paint, draw and steps, not " + args.command);
    }
    if (args.key && args.command != "regions") {
        return UsageFailure("--key goes with regions, not " + args.command);
    }
    if (static_cast<int>(args.operands.size()) != command->operandCount) {
        return UsageFailure(args.command + " takes " + std::string(command->operands));
    }

    try {
        return command->run(args, out);
    } catch (const rivo::cli::UsageError& e) {
        return UsageFailure(e.what());
    } catch (const rivo::cli::InputError& e) {
        std::cerr << "rivo-cli: " << e.what() << '\n';
        return 1;
    } catch (const rivo::expr::PipelineError& e) {
        return PipelineFailure(e.what());
    } catch (const std::bad_alloc&) {
        return PipelineFailure(rivo::expr::kTooLargeMessage);
    } catch (const std::exception& e) {
        std::cerr << "rivo-cli: internal error: " << e.what() << '\n';
        return 3;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Output is collected first, so that a failing run prints nothing on standard output.
    std::ostringstream out;
    const int status = Run(argc, argv, out);
    return WriteStandardOutput(out.str(), status);
}
