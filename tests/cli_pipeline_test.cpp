// rivo-cli listing, regions and draw, through the real executable.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/draw/painter.h"
#include "expr/m_tree.h"
#include "tests/cli_cases.h"
#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

TEST(CliPipeline, ListingAndRegions) {
    const std::string defaultText = "a*b+b*c+a*c-a*b*c";
    const rivo::testing::CliCase cases[] = {
        {"default listing",
         {"listing", defaultText},
         "",
         "- @F\n+ @F\n+ @F\n* @F\na\nb\n* @F\nb\nc\n* @F\na\nc\n* @F\n* @F\na\nb\nc\n"},
        {"listing keeps blanks", {"listing", "a + b"}, "", "+ @F\na \n b\n"},
        {"empty listing line", {"listing", ""}, "", " @N\n"},
        {"listing after both passes", {"listing", "diff(x*x;x)"}, "", "+ @F\nx\nx\n"},
        {"listing from standard input", {"listing", "-"}, "(a+b)*c\n", "* @F\n+ @F\na\nb\nc\n"},
        {"three circles", {"regions", "3", defaultText}, "", "246\n"},
        {"four circles",
         {"regions", "4", defaultText},
         "",
         "CDEJK\n",
         "note: the set also holds zones this diagram cannot show: AC\n"},
        {"five circles",
         {"regions", "5", "a+e"},
         "",
         "ABCDEFGHIJKLNOP\n",
         "note: the set also holds zones this diagram cannot show: AC, AD, ABD, ACD, BE, CE, ACE, "
         "BCE, BDE\n"},
        {"stored order of one variable",
         {"regions", "5", "b"},
         "",
         "CDMFHIGKPQR\n",
         "note: the set also holds zones this diagram cannot show: BD, ABD, BE, BCE, BDE\n"},
        {"empty set prints an empty line", {"regions", "3", "a-a"}, "", "\n"},
        {"leading minus after --",
         {"regions", "3", "--", "-a"},
         "",
         "1245\n",
         "note: the diagram skipped \"-\"\n"},
        {"key, three circles", {"regions", "--key", "3", "a*b"}, "", "25\n2\tA B\n5\tA B C\n"},
        {"key, four circles", {"regions", "4", "a-b-c-d", "--key"}, "", "A\nA\tA\n"},
        {"key, four circles in several",
         {"regions", "--key", "4", "a*b"},
         "",
         "CDFG\nC\tA B D\nD\tA B\nF\tA B C D\nG\tA B C\n"},
        {"key, five circles",
         {"regions", "5", "a*b*c*d*e+(e-a-b-c-d)", "--key"},
         "",
         "GL\nG\tA B C D E\nL\tE\n"},
        {"key of the empty set", {"regions", "3", "", "--key"}, "", "\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST(CliPipeline, DrawWritesWhatPaintWritesForTheSameRegions) {
    rivo::testing::TempDirectory dir;
    struct Case {
        const char* circles;
        const char* text;
        const char* regions;
        const char* file;
    };
    const Case cases[] = {
        {"3", "a*b+b*c+a*c-a*b*c", "246", "three.png"},
        {"4", "a*b+b*c+a*c-a*b*c", "CDEJK", "four.bmp"},
        {"5", "a", "ABCDEFGHIJK", "five.PNG"},
        {"3", "", "", "bare.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string drawn = (dir.path() / c.file).string();
        const auto r = RunProcess(kCli, {"draw", c.circles, c.text, "-o", drawn});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        const QImage picture(QString::fromStdString(drawn));
        ASSERT_EQ(picture.size(), QSize(400, 400));
        const auto size = *rivo::diagram::DiagramSizeOf(c.circles[0] - '0');
        EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32),
                  rivo::diagram::PaintDiagram(size, c.regions));
    }
}

TEST(CliPipeline, PipelineErrorsLeaveNoOutputBehind) {
    rivo::testing::TempDirectory dir;
    const std::string file = (dir.path() / "never.png").string();
    struct Case {
        std::vector<std::string> args;
        std::string err;
        std::string input;
    };
    const Case cases[] = {
        {{"draw", "3", "1/0", "-o", file}, "Floating point division by zero.\n", ""},
        {{"regions", "3", "0/0"}, "Invalid floating point operation.\n", ""},
        {{"listing", "diff(x)"}, "List index out of bounds (0)\n", ""},
        {{"listing", "exp(20000)"}, "Floating point overflow.\n", ""},
        {{"regions", "4", "-"}, "Expression is too large.\n", std::string((1 << 20) + 1, 'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const auto r = RunProcess(kCli, c.args, c.input);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(CliPipeline, AFailedWriteOfStandardOutputExitsWithStatusOne) {
    if (!std::filesystem::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::vector<std::vector<std::string>> cases = {{"listing", "a*b"}, {"--help"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0]);
        const auto r = RunProcess(kCli, args, "", "/dev/full");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "rivo-cli: cannot write standard output: No space left on device\n");
    }
}

// Standard input is read no further than the limit and one byte, then refused; a source that
// cannot be read is an error, not the empty text. Each row is a shell line, "$0" the program.
TEST(CliPipeline, StandardInputIsReadUpToTheLimitOrRefused) {
    const std::size_t limit = rivo::expr::kMaxExpressionBytes;
    const std::string tooLarge = "Expression is too large.\n";
    const std::string unreadable = "rivo-cli: cannot read standard input: ";
    struct Case {
        std::string shell;
        std::string input;
        int status;
        std::string out;
        std::string err;  // its beginning
    };
    const Case cases[] = {
        // cat passes on what the program left unread of the input they share.
        {"\"$0\" parse -; cat | wc -c", std::string(2 * limit, 'a'), 0,
         std::to_string(limit - 1) + "\n", tooLarge},
        // After a text of the largest size, a newline may end the input: one byte more tells.
        {"\"$0\" listing - || cat | wc -c", std::string(limit, 'a') + "\n" + std::string(100, 'a'),
         0, "99\n", tooLarge},
        // Broken, this row reads for ever; ctest's timeout ends it.
        {"exec \"$0\" draw 3 - -o /nowhere/x.png < /dev/zero", "", 1, "", tooLarge},
        {"exec \"$0\" tree - <&-", "", 1, "", unreadable},
        {"exec \"$0\" regions 3 - < /", "", 1, "", unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shell);
        const auto r = RunProcess("/bin/sh", {"-c", c.shell, kCli}, c.input);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(CliPipeline, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"regions", "6", "a"},
        {"regions", "three", "a"},
        {"regions", "3"},
        {"draw", "3", "a"},
        {"draw", "0", "a", "-o", "x.png"},
        {"listing", "a", "-o", "x"},
        {"tree", "a", "--key"},
        {"listing", "a", "b"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0]);
        rivo::testing::ExpectUsageError(RunProcess(kCli, args));
    }
}

}  // namespace
