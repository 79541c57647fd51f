#include "cli/arguments.h"

#include <algorithm>
#include <charconv>

namespace rivo::cli {

namespace {

void CheckPictureSide(const std::string& value) {
    PictureSide(value);
}

constexpr Option kOptions[] = {
    // Only "." and ",": the number test of the passes knows no other separator, and any other
    // byte is either part of a number or an operator already, or makes numbers that the passes
    // write but cannot read back.
    {.name = "--separator",
     .argument = "C",
     .help = "decimal separator of numbers, \".\" or \",\" (default: the locale's)",
     .value = &Arguments::separator,
     .choices = ". ,"},
    {.name = "-o",
     .alias = "--output",
     .argument = "FILE",
     .commands = "paint draw sheet steps",
     .help = "the picture, in the format its extension names ({extensions}); with sheet the "
             "PDF, OUT.pdf; with draw --batch a pattern with one %d, %Nd or %0Nd for the line's "
             "number; with steps a PREFIX, the picture after step K in PREFIX-K.png",
     .value = &Arguments::output},
    {.name = "--size",
     .argument = "PX",
     .commands = "paint draw",
     .help = "a PX x PX picture drawn from the circles (16 to 4096; for .svg and .pdf the side "
             "in pixels or points; default 400, and without it .png, .jpg and .bmp are the "
             "template picture itself)",
     .value = &Arguments::size,
     .check = CheckPictureSide},
    {.name = "--hatch",
     .commands = "paint draw sheet",
     .help = "patterns instead of colours, for black-and-white printing",
     .flag = &Arguments::hatch},
    {.name = "--key",
     .commands = "regions",
     .help = "one line per region and its circles",
     .flag = &Arguments::key},
    {.name = "--order",
     .argument = "ORDER",
     .commands = "steps",
     .help = "the order of the steps: \"evaluation\" (the default), as the evaluator performs "
             "them, reading the listing from its end; or \"reading\", as a reader follows the "
             "text, left to right, each operator after its operands",
     .value = &Arguments::order,
     .choices = "evaluation reading"},
    {.name = "--batch",
     .commands = "draw",
     .help = "EXPR is -, one picture per line of standard input; a failing line is reported "
             "and skipped",
     .flag = &Arguments::batch},
    {.name = "--help", .alias = "-h", .help = "this text", .flag = &Arguments::help},
};

// The row a word names, and its "=VALUE" part if it has one ("--size=40").
const Option* FindOption(std::string_view word, std::optional<std::string>& attached) {
    const auto equals = word.find('=');
    std::string_view name = word;
    if (word.rfind("--", 0) == 0 && equals != std::string_view::npos) {
        name = word.substr(0, equals);
        attached = std::string(word.substr(equals + 1));
    }
    for (const Option& option : kOptions) {
        if (name == option.name || name == option.alias) return &option;
    }
    return nullptr;
}

void CheckValue(const Option& option, const std::string& value) {
    if (!option.choices.empty()) {
        const auto choices = Words(option.choices);
        if (std::ranges::find(choices, value) != choices.end()) return;
        throw UsageError{std::string(option.name) + " must be " + Joined(choices, " or ", true) +
                         ", not \"" + value + "\""};
    }
    if (option.check != nullptr) option.check(value);
}

}  // namespace

std::span<const Option> Options() {
    return kOptions;
}

std::vector<std::string_view> Words(std::string_view list) {
    std::vector<std::string_view> words;
    while (!list.empty()) {
        const auto blank = list.find(' ');
        if (blank != 0) words.push_back(list.substr(0, blank));
        if (blank == std::string_view::npos) break;
        list.remove_prefix(blank + 1);
    }
    return words;
}

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
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> attached;
        const Option* option = FindOption(word, attached);
        if (option == nullptr) throw UsageError{"unknown option " + word};
        if (option->flag != nullptr) {
            if (attached) throw UsageError{std::string(option->name) + " takes no value"};
            // Saying it twice says the same.
            args.*option->flag = true;
            continue;
        }
        // Two values for one thing: which was meant is a guess, and a script's mistake.
        if ((args.*option->value).has_value()) {
            throw UsageError{std::string(option->name) + " is given twice"};
        }
        if (!attached) {
            if (i + 1 >= argv.size()) throw UsageError{"option " + word + " needs a value"};
            attached = argv[++i];
        }
        CheckValue(*option, *attached);
        args.*option->value = std::move(attached);
    }
    if (!positional.empty()) {
        args.command = positional.front();
        args.operands.assign(positional.begin() + 1, positional.end());
    }
    return args;
}

std::optional<std::string> MisplacedOption(const Arguments& args) {
    for (const Option& option : kOptions) {
        const bool given =
            option.flag != nullptr ? args.*option.flag : (args.*option.value).has_value();
        if (!given || option.commands.empty()) continue;
        const auto takers = Words(option.commands);
        if (std::ranges::find(takers, args.command) != takers.end()) continue;
        return std::string(option.name) + " goes with " + Joined(takers) + ", not " + args.command;
    }
    return std::nullopt;
}

std::string Joined(std::span<const std::string_view> words, std::string_view last, bool quoted) {
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) joined += i + 1 == words.size() ? last : ", ";
        if (quoted) joined += '"';
        joined += words[i];
        if (quoted) joined += '"';
    }
    return joined;
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
