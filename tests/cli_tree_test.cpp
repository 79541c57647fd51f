// rivo-cli tree, through the real executable: results, errors and the decimal separator.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/cli_cases.h"
#include "tests/comma_locale.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

TEST(CliTree, PrintsTheSimplifiedRootTree) {
    const rivo::testing::CliCase cases[] = {
        {"gathered factors", {"tree", "2*a*3"}, "", "\"*\"(\"a\", \"6\")\n"},
        {"set expression unchanged", {"tree", "a*b+c"}, "", "\"+\"(\"*\"(\"a\", \"b\"), \"c\")\n"},
        {"only the root of a list", {"tree", "1+1;2+2"}, "", "\"2\"\n"},
        {"leading minus", {"tree", "--", "-a*b"}, "", "\"neg @F\"(\"*\"(\"a\", \"b\"))\n"},
        {"standard input", {"tree", "-"}, "1/4\n", "\"0.25\"\n"},
        {"comma separator", {"tree", "--separator", ",", "2,5+1"}, "", "\"3,5\"\n"},
        {"comma separator after the operand", {"tree", "1/4", "--separator=,"}, "", "\"0,25\"\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST(CliTree, PipelineErrorsGoAloneToStandardError) {
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"tree", "2,5+1"}, "'2,5' is not a valid floating point value.\n"},
        {{"tree", "--separator", ",", "2.5+1"}, "'2.5' is not a valid floating point value.\n"},
        {{"tree", "1/0"}, "Floating point division by zero.\n"},
        {{"tree", "exp(20000)"}, "Floating point overflow.\n"},
        {{"tree", "pow(x)"}, "List index out of bounds (0)\n"},  // ends in ")": no full stop
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const auto r = RunProcess(kCli, c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(RunProcess(kCli, {"tree"}).status, 2);
    EXPECT_NE(RunProcess(kCli, {"--help"}).out.find("tree EXPR"), std::string::npos);
}

TEST(CliTree, DeepInputSimplifiesWithoutCrashing) {
    std::string text = "1";
    for (int i = 0; i < 20000; ++i)
        text += "*1";
    text = std::string(20000, '(') + text + "*a" + std::string(20000, ')');
    const auto r = RunProcess(kCli, {"tree", "-"}, text);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\"a\"\n");
}

// The separator comes from the user's locale unless --separator is given.
TEST(CliTree, SeparatorComesFromTheLocale) {
    const rivo::testing::CommaLocale comma;
    if (!comma.Built()) GTEST_SKIP() << "localedef could not build de_DE (package locales missing)";
    const auto& dir = comma.Dir();
    // glibc's newlocale leaks its search path when LOCPATH is set; only these runs set it, so
    // only they tell LeakSanitizer (in the sanitizer build) to pass over that one allocation.
    const std::string suppressions = (dir / "lsan.supp").string();
    std::ofstream(suppressions) << "leak:argz_add_sep\n";
    const auto run = [&](const std::string& lcAll, std::vector<std::string> args) {
        std::vector<std::string> command = {
            "LOCPATH=" + dir.string(), "LC_ALL=" + lcAll,
            "LSAN_OPTIONS=print_suppressions=0:suppressions=" + suppressions, kCli};
        command.insert(command.end(), args.begin(), args.end());
        return RunProcess("/usr/bin/env", command);
    };
    EXPECT_EQ(run(comma.kName, {"tree", "2,5+1"}).out, "\"3,5\"\n");
    EXPECT_EQ(run(comma.kName, {"tree", "2.5+1"}).err,
              "'2.5' is not a valid floating point value.\n");
    EXPECT_EQ(run(comma.kName, {"tree", "--separator", ".", "2.5+1"}).out, "\"3.5\"\n");
    EXPECT_EQ(run("xx_NOWHERE.UTF-8", {"tree", "2.5+1"}).out, "\"3.5\"\n");
}

}  // namespace
