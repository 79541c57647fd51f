// rivo-cli parse, through the real executable.
#include <gtest/gtest.h>

#include "expr/m_tree.h"
#include "tests/cli_cases.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

TEST(CliParse, PrintsTheForestOneLinePerTopLevelNode) {
    const rivo::testing::CliCase cases[] = {
        {"product and sum", {"parse", "a*b+c"}, "", "\"+\"(\"*\"(\"a\", \"b\"), \"c\")\n"},
        {"list", {"parse", "a;b"}, "", "\"a\"\n\"b\"\n"},
        {"empty text", {"parse", ""}, "", "\"\"\n"},
        {"option end before a leading minus", {"parse", "--", "-a"}, "", "\"-\"(\"0\", \"a\")\n"},
        {"standard input, one newline removed",
         {"parse", "-"},
         "a+b\n\n",
         "\"+\"(\"a\", \"b\\x0A\")\n"},
        {"standard input without newline", {"parse", "-"}, "x:y", "\":\"(\"x\", \"y\")\n"},
        {"separator option accepted", {"--separator", ",", "parse", "1,5"}, "", "\"1,5\"\n"},
        {"a flag given twice is given",
         {"regions", "--key", "3", "a*b", "--key"},
         "",
         "25\n2\tA B\n5\tA B C\n"},
        {"standard input of the largest size and its newline",
         {"parse", "-"},
         std::string(rivo::expr::kMaxExpressionBytes, 'a') + "\n",
         "\"aaaaaaaaaaaaaaaaaaaaaaa\"\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST(CliParse, UsageErrorsExitWithStatusTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string reason = "";  // a part of it
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"parse"}, "parse takes EXPR"},
        {{"parse", "a", "b"}},
        {{"bogus", "a"}, "unknown command bogus"},
        {{"parse", "-a"}, "unknown option -a"},
        {{"parse", "a", "--separator"}, "option --separator needs a value"},
        {{"parse", "a", "--separator", "ab"}, "--separator must be \".\" or \",\", not \"ab\""},
        // a byte of a number or of an operator would change what is read and written
        {{"parse", "a", "--separator", "1"}},
        {{"parse", "a", "--separator=E"}},
        {{"parse", "a", "--separator", "+"}},
        // Two values for one thing: neither wins in silence.
        {{"parse", "a", "--separator", ",", "--separator=,"}, "--separator is given twice"},
        {{"draw", "3", "a", "-o", "x.png", "--output", "y.png"}, "-o is given twice"},
        {{"draw", "3", "a", "--hatch=yes", "-o", "x.png"}, "--hatch takes no value"},
        {{"parse", "a", "-o", "x.png"}, "-o goes with paint, draw, sheet and steps, not parse"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args.back());
        rivo::testing::ExpectUsageError(RunProcess(kCli, c.args), c.reason);
    }
}

TEST(CliParse, HelpExplainsEveryCommand) {
    const auto r = RunProcess(kCli, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("parse EXPR"), std::string::npos);
    EXPECT_NE(r.out.find("--separator"), std::string::npos);
}

TEST(CliParse, DeepInputPrintsWithoutCrashing) {
    std::string text = "a";
    for (int i = 0; i < 20000; ++i)
        text += "+a";
    const auto r = RunProcess(kCli, {"parse", "-"}, text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("\"+\"(\"+\"(", 0), 0u);
    EXPECT_EQ(r.out.size(), 20000 * std::string("\"+\"(, \"a\")").size() + 4);
}

}  // namespace
