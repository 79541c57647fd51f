// rivo-cli with two circles, the Venn layouts, zone lists, names, titles and colours, through the
// real executable: exact outputs worked out by hand, and pictures against each other.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "tests/cli_cases.h"
#include "tests/cli_fixture.h"
#include "tests/read_file.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

using CliVenn = rivo::testing::CliFileTest;

TEST(CliVennOutputs, HandWorked) {
    const rivo::testing::CliCase cases[] = {
        // The stored label points and areas of the two circles, at 400 and at 800 pixels.
        {"layout of two",
         {"layout", "2"},
         "",
         "A\t-\t86.0\t203.3\t20401\nB\t-\t314.0\t203.3\t20401\nAB\t-\t200.0\t204.0\t20401\n"},
        {"layout of two, twice the size",
         {"layout", "2", "--size", "800"},
         "",
         "A\t-\t172.1\t406.7\t81604\nB\t-\t627.9\t406.7\t81604\nAB\t-\t400.0\t408.0\t81604\n"},
        {"two circles whatever the layout",
         {"layout", "--layout", "euler", "2"},
         "",
         "A\t-\t86.0\t203.3\t20401\nB\t-\t314.0\t203.3\t20401\nAB\t-\t200.0\t204.0\t20401\n"},
        // A alone among four circles; a zone the Euler diagram cannot show, spelled loosely.
        {"one zone of four", {"express", "4", "--zones", "A"}, "", "a-b-c-d\n"},
        {"a hidden zone, exactly", {"express", "4", "--zones", " c a "}, "", "a*c-b-d\n"},
        {"the empty list", {"express", "3", "--zones", ""}, "", "\n"},
        {"either but not both", {"express", "--zones", "A,B", "2"}, "", "a+b-a*b\n"},
        // Two circles have no c: it is skipped, and so is the "+" it leaves alone; both noted.
        {"zones of two",
         {"zones", "2", "a*b+c"},
         "",
         "A\t-\tout\nB\t-\tout\nA B\t-\tin\n",
         "note: the diagram skipped \"+\", \"c\"\n"},
        {"steps of two: zone lists", {"steps", "2", "a*b+a"}, "", "1\ta*b\tAB\n2\ta*b+a\tA,AB\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
    const auto equal = RunProcess(kCli, {"equal", "2", "a-b", "a"});
    EXPECT_EQ(equal.status, 3);
    EXPECT_EQ(equal.out, "different\nA B\tsecond\t-\n");
}

TEST(CliVennOutputs, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    const std::string long25(25, 'x');
    const Case cases[] = {
        {{"express", "3", "--zones", "A,AD"}, "\"AD\" is not a zone of 3 circles"},
        {{"express", "3", "--zones", "A,,B"}, "empty name"},
        {{"express", "3", "--zones", "AA"}, "\"AA\" names a circle twice"},
        {{"express", "3", "--zones", "none"}, "\"none\" (the outside zone)"},
        {{"express", "3", "--zones", "A", "1"}, "express takes N --zones LIST"},
        {{"express", "2", "1"}, "N must be 3, 4 or 5"},
        {{"regions", "2", "a"}, "N must be 3, 4 or 5"},
        {{"paint", "2", "1", "-o", "x.png"}, "N must be 3, 4 or 5"},
        {{"paint", "3", "1", "--layout", "venn", "-o", "x.png"}, "--zones LIST"},
        {{"zones", "6", "a"}, "N must be 2, 3, 4 or 5"},
        {{"layout", "3", "--layout", "both"}, "--layout must be \"euler\" or \"venn\""},
        {{"draw", "3", "a", "--labels", "A,B", "-o", "x.png"}, "--labels gives 2 names for 3"},
        {{"draw", "2", "a", "--labels", "A," + long25, "-o", "x.png"}, "at most 24 bytes"},
        {{"draw", "2", "a", "--labels", "A,\tB\n", "-o", "x.png"}, "control character"},
        {{"draw", "2", "a", "--title", "one\ntwo", "-o", "x.png"}, "line break"},
        {{"draw", "2", "a", "--title", std::string(61, 't'), "-o", "x.png"}, "at most 60"},
        {{"draw", "2", "a", "--fill", "red", "-o", "x.png"}, "#rrggbb"},
        {{"steps", "3", "a*b", "--title", "T"}, "--title with steps needs -o PREFIX"},
        {{"regions", "3", "a", "--layout", "venn"}, "--layout goes with"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args[2]);
        rivo::testing::ExpectUsageError(RunProcess(kCli, c.args), c.reason);
    }
}

QImage Picture(const std::string& file) {
    return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
}

// The Venn picture of an expression is that of its truth set painted by zones; no zone is hidden
// there, so no note. Zones the Euler diagram cannot show make paint --layout euler use the Venn
// layout, with a note. The Euler layout asked for by name is today's picture, byte for byte.
TEST_F(CliVenn, PicturesAgree) {
    const auto draw =
        RunProcess(kCli, {"draw", "4", "a*c-b-d+b", "--layout", "venn", "-o", File("drawn.png")});
    EXPECT_EQ(draw.status, 0) << draw.err;
    EXPECT_EQ(draw.err, "");
    const auto paint = RunProcess(kCli, {"paint", "4", "--zones", "AC,B,AB,BC,ABC,BD,ABD,BCD,ABCD",
                                         "--layout", "euler", "-o", File("painted.png")});
    EXPECT_EQ(paint.status, 0) << paint.err;
    EXPECT_EQ(paint.err,
              "rivo-cli: note: the Euler diagram of 4 circles cannot show AC, BD; "
              "drawn with the Venn layout\n");
    const QImage drawn = Picture(File("drawn.png"));
    ASSERT_EQ(drawn.size(), QSize(400, 400));
    EXPECT_EQ(drawn, Picture(File("painted.png")));

    for (const char* layout : {"", "euler"}) {
        std::vector<std::string> args = {"draw", "4", "a*c", "-o",
                                         File(std::string("e") + layout + ".png")};
        if (*layout != '\0') args.insert(args.end(), {"--layout", layout});
        EXPECT_EQ(RunProcess(kCli, args).status, 0);
    }
    EXPECT_EQ(rivo::testing::ReadFile(File("e.png")), rivo::testing::ReadFile(File("eeuler.png")));

    // Two circles, named and titled, in one colour; and a sheet with a line of two circles.
    const auto named = RunProcess(kCli, {"draw", "2", "a-b", "--labels", "Cats, Dogs", "--title",
                                         "Pets", "--fill", "#3399FF", "-o", File("named.png")});
    EXPECT_EQ(named.status, 0) << named.err;
    const QImage pets = Picture(File("named.png"));
    EXPECT_EQ(pets.pixel(86, 230) & 0xFFFFFFu, 0x3399FFu);  // A alone, below the title band
    const auto sheet = RunProcess(
        kCli, {"sheet", "3", "-", "--layout", "venn", "--title", "Venn", "-o", File("sheet.pdf")},
        "a*b\n2\ta-b\n5\ta*b-c\n");
    EXPECT_EQ(sheet.status, 0) << sheet.err;
    EXPECT_EQ(sheet.err, "");
}

}  // namespace
