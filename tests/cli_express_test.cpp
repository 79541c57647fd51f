// rivo-cli express, through the real executable: the printed line and the usage errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli_cases.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

TEST(CliExpress, PrintsTheShortestExpression) {
    const rivo::testing::CliCase cases[] = {
        {"one circle", {"express", "3", "1245"}, "", "a\n"},
        {"codes in any order, repeated", {"express", "3", "52255"}, "", "a*b\n"},
        {"difference", {"express", "3", "14"}, "", "a-b\n"},
        {"empty set", {"express", "3", ""}, "", "\n"},
        {"four circles", {"express", "4", "GFEDCBA"}, "", "a\n"},
        {"five circles, hidden zones free", {"express", "5", "U"}, "", "c-b-d\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST(CliExpress, ForeignCodesAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"express", "3", "128"}, {"express", "4", "N"}, {"express", "5", "a"},
        {"express", "6", "1"},   {"express", "3"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        rivo::testing::ExpectUsageError(RunProcess(kCli, args));
    }
    EXPECT_NE(RunProcess(kCli, {"express", "3", "18"}).err.find("\"8\""), std::string::npos);
}

}  // namespace
