// rivo-cli: the pipeline and the painter of K.O.B. Rivo without a window.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/set_notation_commands.h"
#include "expr/error.h"
#include "expr/numbers.h"
#include "expr/text.h"

namespace {

constexpr int kInternalErrorStatus = 4;

int UsageFailure(const std::string& reason) {
    std::cerr << "rivo-cli: " << reason << "\nTry 'rivo-cli --help' for more information.\n";
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
    return status == 0 || status == rivo::cli::kDifferentStatus ? 1 : status;
}

// What goes to standard output is left in `out`; a run that fails leaves nothing there.
int RunCommand(int argc, char** argv, std::ostringstream& out);

int Run(int argc, char** argv, std::ostringstream& out) {
    const int status = RunCommand(argc, argv, out);
    if (status != 0 && status != rivo::cli::kDifferentStatus) out.str({});
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
        rivo::cli::PrintHelp(out);
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
    if (const auto misplaced = rivo::cli::MisplacedOption(args)) return UsageFailure(*misplaced);
    if (static_cast<int>(args.operands.size()) != rivo::cli::OperandCount(*command, args)) {
        const bool zones = args.zones && !command->zonesOperands.empty();
        const bool random = args.random && !command->randomOperands.empty();
        return UsageFailure(args.command + " takes " +
                            std::string(zones    ? command->zonesOperands
                                        : random ? command->randomOperands
                                                 : command->operands));
    }

    try {
        // The title's length is the command's to judge: a sheet's heading has more room.
        if (args.title) rivo::cli::CheckTitle(*args.title, rivo::cli::TitleLimit(args.command));
        return command->run(args, out);
    } catch (const rivo::cli::UsageError& e) {
        return UsageFailure(e.what());
    } catch (const rivo::cli::SetNotationFailure& e) {
        std::cerr << e.what();
        return 1;
    } catch (const rivo::cli::InputError& e) {
        std::cerr << "rivo-cli: " << e.what() << '\n';
        return 1;
    } catch (const rivo::expr::PipelineError& e) {
        return PipelineFailure(e.what());
    } catch (const std::bad_alloc&) {
        return PipelineFailure(rivo::expr::kTooLargeMessage);
    } catch (const std::exception& e) {
        // Kept apart from equal's "different" (3), which a script reads as an answer.
        std::cerr << "rivo-cli: internal error: " << e.what() << '\n';
        return kInternalErrorStatus;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Output is collected first, so that a failing run prints nothing on standard output.
    std::ostringstream out;
    const int status = Run(argc, argv, out);
    return WriteStandardOutput(out.str(), status);
}
