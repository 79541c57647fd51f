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
#include "diagram/draw/picture_writer.h"
#include "expr/error.h"
#include "expr/numbers.h"
#include "expr/text.h"

namespace {

constexpr int kInternalErrorStatus = 4;

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
           "                             (with sheet: the PDF, OUT.pdf; with draw --batch: a\n"
           "                             pattern with one %d, %Nd or %0Nd for the line's number;\n"
           "                             with steps: a PREFIX, the picture after step K in\n"
           "                             PREFIX-K.png)\n"
           "  --size PX                  with paint and draw: a PX x PX picture drawn from the\n"
           "                             circles (16 to 4096; for .svg and .pdf the side in\n"
           "                             pixels or points; default 400, and without it .png,\n"
           "                             .jpg and .bmp are the template picture itself)\n"
           "  --hatch                    with paint, draw and sheet: patterns instead of\n"
           "                             colours, for black-and-white printing\n"
           "  --key                      with regions: one line per region and its circles\n"
           "  --batch                    with draw: EXPR is -, one picture per line of standard\n"
           "                             input; a failing line is reported and skipped\n"
           "  --help                     this text\n"
           "\nOptions may stand before or after the arguments, up to \"--\", which ends them\n"
           "(an expression may begin with \"-\"). An EXPR of \"-\" reads standard input, one\n"
           "trailing newline removed. An EXPR over 1 MiB is refused.\n"
           "sheet and draw --batch read one expression a line (blank lines and lines starting\n"
           "with # skipped; in sheet, \"3\", \"4\" or \"5\" and a tab first choose that line's\n"
           "size); a failing line goes to standard error as \"rivo-cli: line N: message\", the\n"
           "others are still drawn, and the exit status is 1.\n"
           "A zone is one combination of circles; regions and draw note on standard error\n"
           "the zones a set holds that the diagram cannot show.\n"
           "Pipeline errors go to standard error with exit status 1; usage errors exit with 2;\n"
           "equal exits with 3 when the sets differ; an internal error exits with 4.\n";
}

// An option given to a command that does not take it, as the reason of a usage error.
std::optional<std::string> MisplacedOption(const rivo::cli::Arguments& args) {
    using rivo::cli::CommandOption;
    struct Use {
        std::string_view option;
        bool given;
        CommandOption bit;
    };
    const Use uses[] = {
        {"-o", args.output.has_value(), rivo::cli::kOutputOption},
        {"--batch", args.batch, rivo::cli::kBatchOption},
        {"--hatch", args.hatch, rivo::cli::kHatchOption},
        {"--size", args.size.has_value(), rivo::cli::kSizeOption},
        {"--key", args.key, rivo::cli::kKeyOption},
    };
    for (const Use& use : uses) {
        if (!use.given) continue;
        std::vector<std::string_view> takers;  // the commands that take the option
        for (const auto& command : rivo::cli::Commands()) {
            if ((command.options & use.bit) != 0) takers.push_back(command.name);
        }
        if (std::ranges::find(takers, args.command) != takers.end()) continue;
        std::string reason = std::string(use.option) + " goes with ";
        for (std::size_t i = 0; i < takers.size(); ++i) {
            if (i > 0) reason += i + 1 == takers.size() ? " and " : ", ";
            reason += takers[i];
        }
        return reason + ", not " + args.command;
    }
    return std::nullopt;
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
    if (const auto misplaced = MisplacedOption(args)) return UsageFailure(*misplaced);
    if (args.size) {
        try {
            rivo::cli::PictureSide(*args.size);
        } catch (const rivo::cli::UsageError& e) {
            return UsageFailure(e.what());
        }
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
