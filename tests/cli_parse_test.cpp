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
        {"standard input of the largest size and its newline",
         {"parse", "-"},
         std::string(rivo::expr::kMaxExpressionBytes, 'a') + "\n",
         "\"aaaaaaaaaaaaaaaaaaaaaaa\"\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST(CliParse, UsageErrorsExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"parse"},
        {"parse", "a", "b"},
        {"bogus", "a"},
        {"parse", "-a"},
        {"parse", "a", "--separator"},
        {"parse", "a", "--separator", "ab"},
        // a byte of a number or of an operator would change what is read and written
        {"parse", "a", "--separator", "1"},
        {"parse", "a", "--separator=E"},
        {"parse", "a", "--separator", "+"},
    };
    for (const auto& args : cases) {
        const auto r = RunProcess(kCli, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: rivo-cli COMMAND"), std::string::npos) << r.err;
        // The reason stands alone on the first line.
        EXPECT_EQ(r.err.rfind("rivo-cli: ", 0), 0u) << r.err;
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
