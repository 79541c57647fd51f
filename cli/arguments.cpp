#include "cli/arguments.h"

#include <algorithm>
#include <charconv>

#include "diagram/core/exercise_generator.h"
#include "diagram/core/utf8.h"
#include "diagram/draw/geometric_renderer.h"

namespace rivo::cli {

namespace {

void CheckPictureSide(const std::string& value) {
    PictureSide(value);
}

void CheckLabels(const std::string& value) {
    Labels(value);
}

void CheckFill(const std::string& value) {
    FillColour(value);
}

// The longest a title may be for any command; each command's own limit is checked where the
// command is known.
void CheckAnyTitle(const std::string& value) {
    CheckTitle(value, std::max(diagram::kMaxTitleCharacters, kMaxSheetTitleCharacters));
}

void CheckRandomCount(const std::string& value) {
    RandomCount(value);
}

void CheckSeed(const std::string& value) {
    Seed(value);
}

// A text a picture shows: UTF-8 with no control character (a line break or a tab included).
// Nothing when it is one, else what is wrong with it.
std::optional<std::string> TextFault(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const diagram::utf8::CodePoint c = diagram::utf8::DecodeAt(text, i);
        if (!c.valid) return "is not UTF-8";
        if (c.value < 0x20 || (c.value >= 0x7F && c.value < 0xA0) || c.value == 0x2028 ||
            c.value == 0x2029) {
            return "holds a line break, a tab or another control character";
        }
        i += c.length;
    }
    return std::nullopt;
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
     .commands = "paint draw layout",
     .help = "a PX x PX picture drawn from the circles (16 to 4096; for .svg and .pdf the side "
             "in pixels or points; default 400, and without it .png, .jpg and .bmp are the "
             "template picture itself); with layout the picture the points and areas are of",
     .value = &Arguments::size,
     .check = CheckPictureSide},
    {.name = "--hatch",
     .commands = "paint draw sheet",
     .help = "patterns instead of colours, for black-and-white printing",
     .flag = &Arguments::hatch},
    {.name = "--layout",
     .argument = "L",
     .commands = "paint draw steps sheet layout",
     .help = "euler: the circles of the templates (the default; four and five circles cannot show "
             "every zone); venn: shapes in which every zone is one region (for paint, with "
             "--zones). Two circles are always drawn as two overlapping circles",
     .value = &Arguments::layout,
     .choices = "euler venn"},
    {.name = "--zones",
     .argument = "LIST",
     .commands = "paint express",
     .help = "zones instead of REGIONS: names of combinations of circles separated by commas, "
             "such as A,AC,ABC (\"\" for none); paint draws them with the Venn layout, express "
             "finds the expression whose set is exactly LIST",
     .value = &Arguments::zones},
    {.name = "--labels",
     .argument = "NAMES",
     .commands = "paint draw steps sheet",
     .help = "names for the circles instead of the letters, separated by commas, one per circle "
             "(at most 24 bytes each), such as Cats,Dogs,Birds; the expression still uses a to e",
     .value = &Arguments::labels,
     .check = CheckLabels},
    {.name = "--title",
     .argument = "TEXT",
     .commands = "paint draw steps sheet",
     .help = "one line above the picture (at most 60 characters); in a sheet, on each page "
             "(at most 80), with a line for the name and the date on the exercise pages",
     .value = &Arguments::title,
     .check = CheckAnyTitle},
    {.name = "--fill",
     .argument = "#RRGGBB",
     .commands = "paint draw steps sheet",
     .help = "shade every zone in this one colour (--hatch still draws patterns)",
     .value = &Arguments::fill,
     .check = CheckFill},
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
    {.name = "--notation",
     .argument = "L",
     .commands = "draw steps zones equal express sheet",
     .help = "the language of the expressions: plain (the default) or set, set notation "
             "read strictly, such as (A ∪ B)′ \\ C, over every zone and the outside one, "
             "\"none\" (in --zones too); its pictures are drawn in the universe frame",
     .value = &Arguments::notation,
     .choices = "plain set"},
    {.name = "--answers",
     .argument = "WHERE",
     .commands = "sheet",
     .help = "after: the answer pages follow the exercises (the default); separate: they go to "
             "OUT-answers.pdf beside OUT.pdf, and either both files are written or neither",
     .value = &Arguments::answers,
     .choices = "after separate"},
    {.name = "--random",
     .argument = "K",
     .commands = "sheet",
     .help = "instead of FILE: K exercises made up (1 to 600; two circles have only 6 sets, "
             "three 126), each set once, easy to hard, the first half to shade, the second half "
             "to write the expression of",
     .value = &Arguments::random,
     .check = CheckRandomCount},
    {.name = "--seed",
     .argument = "S",
     .commands = "sheet",
     .help = "with --random: the seed (0 to 18446744073709551615) that makes the same exercises "
             "again; without it one is chosen and written to standard error",
     .value = &Arguments::seed,
     .check = CheckSeed},
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

std::vector<std::string> Labels(const std::string& text) {
    std::vector<std::string> names;
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        std::string_view name = rest.substr(0, comma);
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
            name.remove_prefix(1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.remove_suffix(1);
        if (name.empty()) {
            throw UsageError{
                "--labels has an empty name (names are separated by single commas, "
                "as in Cats,Dogs)"};
        }
        // Not quoted: it would break the message's line.
        if (const auto fault = TextFault(name)) throw UsageError{"a --labels name " + *fault};
        if (name.size() > diagram::kMaxLabelBytes) {
            throw UsageError{"--labels allows at most " + std::to_string(diagram::kMaxLabelBytes) +
                             " bytes a name, not " + std::to_string(name.size()) + " (\"" +
                             std::string(name) + "\")"};
        }
        names.emplace_back(name);
        if (comma == std::string_view::npos) return names;
        rest.remove_prefix(comma + 1);
    }
}

void CheckTitle(const std::string& text, std::size_t limit) {
    if (const auto fault = TextFault(text)) throw UsageError{"--title " + *fault};
    const std::size_t characters = diagram::utf8::CharacterCount(text);
    if (characters > limit) {
        throw UsageError{"--title allows at most " + std::to_string(limit) + " characters, not " +
                         std::to_string(characters)};
    }
}

std::size_t TitleLimit(std::string_view command) {
    return command == "sheet" ? kMaxSheetTitleCharacters : diagram::kMaxTitleCharacters;
}

int RandomCount(const std::string& text) {
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc{} || end != text.data() + text.size() || count < 1 ||
        count > diagram::kMaxGeneratedExercises) {
        throw UsageError{"--random must be a whole number of exercises from 1 to " +
                         std::to_string(diagram::kMaxGeneratedExercises) + ", not \"" + text +
                         "\""};
    }
    return count;
}

std::uint64_t Seed(const std::string& text) {
    std::uint64_t seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw UsageError{"--seed must be a whole number from 0 to 18446744073709551615, not \"" +
                         text + "\""};
    }
    return seed;
}

Colour FillColour(const std::string& text) {
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    bool valid = text.size() == 7 && text[0] == '#';
    for (std::size_t i = 1; valid && i < text.size(); ++i)
        valid = digit(text[i]) >= 0;
    if (!valid) {
        throw UsageError{"--fill must be a colour as #rrggbb (such as #ffcc00), not \"" + text +
                         "\""};
    }
    const auto byte = [&](std::size_t at) { return digit(text[at]) * 16 + digit(text[at + 1]); };
    return {byte(1), byte(3), byte(5)};
}

}  // namespace rivo::cli
