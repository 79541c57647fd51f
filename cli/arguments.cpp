#include "cli/arguments.h"

#include <charconv>

namespace rivo::cli {

Arguments ParseArguments(const std::vector<std::string>& argv) {
    Arguments args;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& word = argv[i];
        const bool looksLikeOption = word.size() > 1 && word[0] == '-';
        if (optionsEnded || !looksLikeOption) {
            positional.push_back(word);
            continue;
        }
        auto value = [&](const std::string& name) -> std::string {
            if (i + 1 >= argv.size()) throw UsageError{"option " + name + " needs a value"};
            return argv[++i];
        };
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            args.help = true;
        } else if (word == "--key") {
            args.key = true;
        } else if (word == "--batch") {
            args.batch = true;
        } else if (word == "--hatch") {
            args.hatch = true;
        } else if (word == "-o" || word == "--output") {
            args.output = value(word);
        } else if (word.rfind("--output=", 0) == 0) {
            args.output = word.substr(9);
        } else if (word == "--size") {
            args.size = value(word);
        } else if (word.rfind("--size=", 0) == 0) {
            args.size = word.substr(7);
        } else if (word == "--separator") {
            args.separator = value(word);
        } else if (word.rfind("--separator=", 0) == 0) {
            args.separator = word.substr(12);
        } else {
            throw UsageError{"unknown option " + word};
        }
    }
    // Only these two: the number test of the passes knows no other separator, and any other
    // byte is either part of a number or an operator already, or makes numbers that the passes
    // write but cannot read back.
    if (args.separator && *args.separator != "." && *args.separator != ",") {
        throw UsageError{"the decimal separator must be \".\" or \",\""};
    }
    if (!positional.empty()) {
        args.command = positional.front();
        args.operands.assign(positional.begin() + 1, positional.end());
    }
    return args;
}

int PictureSide(const std::string& text) {
    int side = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    if (error != std::errc{} || end != text.data() + text.size() || side < kMinPictureSide ||
        side > kMaxPictureSide) {
        throw UsageError{"--size must be a whole number of pixels from " +
                         std::to_string(kMinPictureSide) + " to " +
                         std::to_string(kMaxPictureSide) + ", not \"" + text + "\""};
    }
    return side;
}

}  // namespace rivo::cli
