// rivo-cli steps, through the real executable, without a display.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/draw/painter.h"
#include "tests/cli_cases.h"
#include "tests/cli_fixture.h"
#include "tests/run_process.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

using CliSteps = rivo::testing::CliFileTest;

// Worked by hand from the three circles' regions: A is 1245, B 2356, C 4567.
TEST_F(CliSteps, PrintsEveryPerformedStep) {
    const rivo::testing::CliCase cases[] = {
        {"a*b+c", {"steps", "3", "a*b+c"}, "", "1\ta*b\t25\n2\ta*b+c\t24567\n"},
        {"a-(b-c)", {"steps", "3", "a-(b-c)"}, "", "1\tb-c\t23\n2\ta-(b-c)\t145\n"},
        // "2" pushes nothing, so the step takes A with the empty spare entry: A, not 2-A; the
        // note says so.
        {"2-a",
         {"steps", "3", "2-a"},
         "",
         "1\t2-a\t1245\n",
         "note: the diagram skipped \"-\", \"2\"\n"},
        {"a", {"steps", "3", "a"}, "", ""},
        // The operand of "neg" is a step; the call itself is none.
        {"-(a+b)",
         {"steps", "3", "--", "-(a+b)"},
         "",
         "1\ta+b\t123456\n",
         "note: the diagram skipped \"-\"\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST_F(CliSteps, FailsLikeTheOtherCommands) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // the first line
    };
    std::string chain = "a";
    for (int i = 0; i < 1001; ++i)
        chain += "+a";
    const Case cases[] = {
        {{"steps", "3", "0/0"}, 1, "Invalid floating point operation."},
        {{"steps", "6", "a"}, 2, "rivo-cli: N must be 2, 3, 4 or 5, not \"6\""},
        {{"steps", "3"}, 2, "rivo-cli: steps takes N EXPR [-o PREFIX]"},
        {{"steps", "3", "a+b", "-o", ""}, 2, "rivo-cli: the output prefix is empty"},
        // One picture per step stops short of filling a disk: refused before any is written.
        {{"steps", "3", chain, "-o", File("p")},
         1,
         "The expression has 1001 steps, more than the 1000 that get a picture each."},
    };
    for (const Case& c : cases) {
        const auto r = RunProcess(kCli, c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(Files().empty());
}

// -o PREFIX: one picture per printed step, each the painted region set of its line, and none
// beyond; no step, no file.
TEST_F(CliSteps, WritesThePictureAfterEachStep) {
    const std::string prefix = File("s");
    const auto r = RunProcess(kCli, {"steps", "4", "(a+b)*(c-d)+a*d", "-o", prefix});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        const std::string regions = line.substr(line.rfind('\t') + 1);
        const QImage file(QString::fromStdString(prefix + "-" + std::to_string(count) + ".png"));
        ASSERT_FALSE(file.isNull()) << count;
        EXPECT_EQ(file.convertToFormat(QImage::Format_RGB32),
                  rivo::diagram::PaintDiagram(DiagramSize::kFour, regions))
            << line;
    }
    EXPECT_EQ(count, 5);
    EXPECT_EQ(static_cast<std::ptrdiff_t>(Files().size()), count);

    const std::string none = File("none");
    EXPECT_EQ(RunProcess(kCli, {"steps", "4", "a", "-o", none}).status, 0);
    EXPECT_EQ(static_cast<std::ptrdiff_t>(Files().size()), count);
}

}  // namespace
