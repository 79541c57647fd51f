// The manual page of rivo-cli against the real program: the commands and options it describes,
// and what its examples say the program prints.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;
const std::string kManual = RIVO_MANUAL_PATH;
const std::string kReadme = RIVO_README_PATH;
const std::string kReadmePicture = RIVO_README_PICTURE_PATH;
const std::string kReadmePictureScript = RIVO_README_PICTURE_SCRIPT;

// The text a line of the page shows, for the few escapes the page uses. On a macro line the
// arguments are joined as the alternating-font macros (.BI, .BR) join them: unquoted blanks
// separate arguments and vanish, quoted ones stay.
std::string ShownText(const std::string& line) {
    const bool macro = !line.empty() && line[0] == '.';
    std::size_t i = 0;
    if (macro) {
        i = line.find(' ');
        if (i == std::string::npos) return "";
    }
    static const std::map<std::string, std::string> kNamed = {
        {"aq", "'"}, {"dq", "\""}, {"en", "-"}, {"mu", "x"},
        {"ca", "∩"}, {"cu", "∪"},  {"es", "∅"}, {"fm", "′"}};
    std::string shown;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (macro && c == '"') {
            quoted = !quoted;
        } else if (macro && c == ' ' && !quoted) {
            continue;  // between two arguments
        } else if (c == '\\' && i + 1 < line.size() && line[i + 1] == '-') {
            shown += '-';
            ++i;
        } else if (c == '\\' && i + 1 < line.size() && line[i + 1] == 'e') {
            shown += '\\';
            ++i;
        } else if (c == '\\' && i + 2 < line.size() && line[i + 1] == 'f') {
            i += 2;
        } else if (c == '\\' && i + 3 < line.size() && line[i + 1] == '(') {
            const auto named = kNamed.find(line.substr(i + 2, 2));
            shown += named == kNamed.end() ? "?" : named->second;
            i += 3;
        } else {
            shown += c;
        }
    }
    return shown;
}

struct Example {
    std::string command;  // the shell line after "$ ", without a leading "printf '...' | "
    std::string input;    // what that printf writes to standard input
    std::string out;      // the lines shown under it, each with its newline
    std::string err;      // the shown lines that begin with "note: ", which go to standard error
};

struct Manual {
    std::map<std::string, std::vector<std::string>> tags;  // the .TP headings, by section
    std::vector<Example> examples;                         // the "$ " lines in .EX blocks
};

// A shell line, with "printf 'TEXT' | " in front taken as TEXT on standard input (its \n and
// \t as printf reads them).
Example ExampleOf(const std::string& line) {
    const std::string printf = "printf '";
    const std::string pipe = "' | ";
    const std::size_t end = line.find(pipe);
    if (line.rfind(printf, 0) != 0 || end == std::string::npos) return {line, "", "", ""};
    std::string input;
    for (std::size_t i = printf.size(); i < end; ++i) {
        if (line[i] == '\\' && i + 1 < end && (line[i + 1] == 'n' || line[i + 1] == 't')) {
            input += line[++i] == 'n' ? '\n' : '\t';
        } else {
            input += line[i];
        }
    }
    return {line.substr(end + pipe.size()), input, "", ""};
}

Manual ReadManual() {
    std::ifstream in(kManual);
    EXPECT_TRUE(in) << kManual;
    Manual manual;
    std::string section;
    std::string line;
    bool tagNext = false;
    bool inExample = false;
    while (std::getline(in, line)) {
        if (line.rfind(".SH ", 0) == 0) {
            section = line.substr(4);
        } else if (line == ".TP") {
            tagNext = true;
            continue;
        } else if (line == ".EX") {
            inExample = true;
        } else if (line == ".EE") {
            inExample = false;
        } else if (tagNext) {
            manual.tags[section].push_back(ShownText(line));
        } else if (inExample && section == "EXAMPLES") {
            const std::string shown = ShownText(line);
            if (shown.rfind("$ ", 0) == 0) {
                manual.examples.push_back(ExampleOf(shown.substr(2)));
            } else if (!manual.examples.empty()) {
                auto& example = manual.examples.back();
                (shown.rfind("note: ", 0) == 0 ? example.err : example.out) += shown + '\n';
            }
        }
        tagNext = false;
    }
    return manual;
}

// The head of each entry under a heading of the usage ("commands:", "options:"): the words
// before the two blanks that start its text, e.g. "-o, --output FILE".
std::vector<std::string> UsageEntries(const std::string& usage, const std::string& heading) {
    std::istringstream in(usage);
    std::vector<std::string> entries;
    std::string line;
    while (std::getline(in, line) && line != heading) {
    }
    while (std::getline(in, line) && !line.empty()) {
        if (line.size() > 2 && line.rfind("  ", 0) == 0 && line[2] != ' ') {
            entries.push_back(line.substr(2, line.find("  ", 2) - 2));
        }
    }
    return entries;
}

std::string Usage() {
    const auto r = RunProcess(kCli, {"--help"});
    EXPECT_EQ(r.status, 0);
    return r.out;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos;) {
        parts.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    parts.push_back(text.substr(from));
    return parts;
}

// Words of a shell line with '…' and "…" quoting, as the examples write them.
std::vector<std::string> ShellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (const char c : line) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// Each command and each option of the program's own tables stands exactly once in the manual
// page's lists and in --help, with every name of the option and nothing the program does not
// take; the README mentions each of them.
TEST(CliManual, ListsEveryCommandAndOptionOnce) {
    std::vector<std::string> commands;
    for (const auto& command : rivo::cli::Commands())
        commands.emplace_back(command.name);
    // An option by its names: an entry "-o FILE, --output FILE" names {-o, --output}.
    std::vector<std::set<std::string>> options;
    std::vector<std::string> primaryNames;  // as messages and the help show it first
    for (const auto& option : rivo::cli::Options()) {
        primaryNames.emplace_back(option.name);
        options.push_back({std::string(option.name)});
        if (!option.alias.empty()) options.back().emplace(option.alias);
        for (const auto taker : rivo::cli::Words(option.commands)) {
            EXPECT_NE(std::find(commands.begin(), commands.end(), taker), commands.end())
                << option.name << " names the command " << taker << ", which there is not";
        }
    }
    ASSERT_GE(commands.size(), 10u);
    ASSERT_GE(options.size(), 7u);
    auto namesOf = [](const std::string& entry) {
        std::set<std::string> names;
        for (const auto& form : Split(entry, ", "))
            names.insert(form.substr(0, form.find_first_of(" =")));
        return names;
    };
    auto firstWords = [](const std::vector<std::string>& entries) {
        std::vector<std::string> words;
        for (const auto& entry : entries)
            words.push_back(entry.substr(0, entry.find(' ')));
        return words;
    };
    auto optionNames = [&](const std::vector<std::string>& entries) {
        std::vector<std::set<std::string>> names;
        for (const auto& entry : entries)
            names.push_back(namesOf(entry));
        return names;
    };
    auto sorted = [](auto list) {
        std::sort(list.begin(), list.end());
        return list;
    };
    Manual manual = ReadManual();
    const std::string usage = Usage();
    EXPECT_EQ(sorted(firstWords(manual.tags["COMMANDS"])), sorted(commands)) << "manual page";
    EXPECT_EQ(sorted(optionNames(manual.tags["OPTIONS"])), sorted(options)) << "manual page";
    EXPECT_EQ(firstWords(UsageEntries(usage, "commands:")), commands) << "--help";
    EXPECT_EQ(optionNames(UsageEntries(usage, "options:")), options) << "--help";

    std::ifstream in(kReadme);
    std::stringstream readme;
    readme << in.rdbuf();
    // The word itself, not a part of another ("-o", not the "-o" of "--output" or "two-of").
    auto mentions = [&](const std::string& word) {
        const std::string& text = readme.str();
        for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            const char before = at == 0 ? ' ' : text[at - 1];
            const char after = at + word.size() < text.size() ? text[at + word.size()] : ' ';
            if (std::string(" \n`'(").find(before) != std::string::npos &&
                !std::isalnum(static_cast<unsigned char>(after)) && after != '-') {
                return true;
            }
        }
        return false;
    };
    for (const auto& command : commands)
        EXPECT_TRUE(mentions("rivo-cli " + command)) << command << " is not in the README";
    for (const auto& name : primaryNames)
        EXPECT_TRUE(mentions(name)) << name << " is not in the README";
}

TEST(CliManual, ExamplesPrintWhatThePageShows) {
    rivo::testing::TempDirectory dir;
    const auto examples = ReadManual().examples;
    ASSERT_GE(examples.size(), 4u);
    for (const auto& example : examples) {
        SCOPED_TRACE(example.command);
        auto words = ShellWords(example.command);
        ASSERT_FALSE(words.empty());
        ASSERT_EQ(words.front(), "rivo-cli");
        words.erase(words.begin());
        // Pictures go to the scratch directory, not to the working directory of the test.
        const auto o = std::find(words.begin(), words.end(), "-o");
        if (o != words.end() && o + 1 != words.end()) *(o + 1) = (dir.path() / *(o + 1)).string();
        const auto r = RunProcess(kCli, words, example.input);
        // equal answers "different" with its own status.
        EXPECT_EQ(r.status, example.out.rfind("different\n", 0) == 0 ? 3 : 0) << r.err;
        EXPECT_EQ(r.out, example.out);
        EXPECT_EQ(r.err, example.err);
    }
}

// The README's examples are run by being the page's: each "rivo-cli" or "printf" line of its
// sh blocks, without its trailing comment, is one of the page's examples.
TEST(CliManual, ReadmeExamplesAreExamplesOfThePage) {
    std::set<std::pair<std::string, std::string>> examples;
    for (const auto& example : ReadManual().examples)
        examples.insert({example.command, example.input});
    std::ifstream in(kReadme);
    ASSERT_TRUE(in) << kReadme;
    std::string line;
    bool inBlock = false;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.rfind("```", 0) == 0) {
            inBlock = line == "```sh";
        } else if (inBlock && (line.rfind("rivo-cli ", 0) == 0 || line.rfind("printf ", 0) == 0)) {
            line = line.substr(0, line.find("  #"));
            line.erase(line.find_last_not_of(' ') + 1);
            const Example example = ExampleOf(line);
            EXPECT_EQ(examples.count({example.command, example.input}), 1u) << line;
            ++checked;
        }
    }
    EXPECT_GE(checked, 4);
}

// The README's picture is what its script draws with this rivo-cli, pixel for pixel (the bytes
// of a PNG may differ between encoders, the pixels may not).
TEST(CliManual, ReadmePictureIsUpToDate) {
    rivo::testing::TempDirectory dir;
    const std::string drawn = (dir.path() / "drawn.png").string();
    const auto r = RunProcess("/bin/bash", {kReadmePictureScript, kCli, drawn});
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage expected(QString::fromStdString(drawn));
    const QImage committed(QString::fromStdString(kReadmePicture));
    ASSERT_FALSE(expected.isNull());
    ASSERT_FALSE(committed.isNull()) << kReadmePicture;
    EXPECT_EQ(committed.convertToFormat(QImage::Format_RGB32),
              expected.convertToFormat(QImage::Format_RGB32))
        << "run scripts/readme-picture.sh and commit " << kReadmePicture;
}

}  // namespace
