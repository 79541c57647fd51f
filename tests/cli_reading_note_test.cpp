// The note on what the diagram did not read as written, through the real rivo-cli: the slips
// and the textbook notation a learner types, each command that prints the note, and the
// worksheet, which refuses such a line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli_fixture.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

using CliReadingNote = rivo::testing::CliFileTest;

TEST_F(CliReadingNote, SaysWhatTheDiagramSkippedOrMisread) {
    const struct {
        const char* circles;
        const char* text;
        std::string note;  // after "note: the diagram "
    } rows[] = {
        {"3", "a∪b", R"(read "a∪b" as a)"},
        {"3", "a∩b", R"(read "a∩b" as a)"},
        {"3", "a−b", R"(read "a−b" as a)"},
        {"3", "A'", R"(read "A'" as a)"},
        {"3", "~a", R"(skipped "~a")"},
        {"3", "(a+b", R"(skipped "(", "+", an empty operand)"},
        {"3", "a+", R"(skipped "+", an empty operand)"},
        {"3", "a*(b+c", R"(skipped "*", "(", "+", an empty operand)"},
        {"3", "a^b", R"(skipped "^")"},
        {"3", "a/b", R"(skipped "/")"},
        {"3", "ab", R"(read "ab" as a)"},
        {"3", "apple-b", R"(read "apple" as a)"},
        {"3", "a*d", R"(skipped "*", "d")"},
        {"3", "cos(b)-2", R"(skipped "2"; read "cos(" as c)"},
        {"3", "d+d+d+d+d+d+d+d+d+d",
         R"(skipped "+", "+", "+", "+", "+", "+", "+", "+" and 11 more)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto r = RunProcess(kCli, {"regions", row.circles, row.text});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "note: the diagram " + row.note + "\n");
    }
}

// Each command that answers for an expression notes it once, before the hidden-zone note, and
// keeps its answer; a batch line's note carries the line's number.
TEST_F(CliReadingNote, EveryCommandNotesItBeforeTheHiddenZones) {
    const std::string note = "note: the diagram skipped \"^\"\n";
    const std::string plusX = "note: the diagram skipped \"+\", \"x\"\n";
    const std::string hidden = "note: the set also holds zones this diagram cannot show: AC\n";
    const struct {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
        std::string err;
    } rows[] = {
        {{"regions", "4", "a*c-b-d+x"}, "", 0, "\n", plusX + hidden},
        {{"draw", "4", "a*c-b-d+x", "-o", File("d.png")}, "", 0, "", plusX + hidden},
        {{"zones", "3", "a^b"},
         "",
         0,
         "A\t1\tout\nB\t3\tin\nA B\t2\tin\nC\t7\tout\nA C\t4\tout\n"
         "B C\t6\tin\nA B C\t5\tin\n",
         note},
        {{"equal", "3", "a^b", "b"},
         "",
         0,
         "equal\n",
         "note: in the first expression the diagram skipped \"^\"\n"},
        {{"equal", "3", "a^b", "ab"},
         "",
         3,
         "different\nA\tsecond\t1\nB\tfirst\t3\nA C\tsecond\t4\n"
         "B C\tfirst\t6\n",
         "note: in the first expression the diagram skipped \"^\"; in the second the diagram "
         "read \"ab\" as a\n"},
        {{"steps", "3", "a^b+c"}, "", 0, "1\ta^b+c\t123456\n", note},
        {{"draw", "4", "-", "-o", File("b%d.png"), "--batch"},
         "a*b\na*c-b-d+x\n",
         0,
         "",
         "line 2: " + plusX + "line 2: " + hidden},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[2]);
        const auto r = RunProcess(kCli, row.args, row.input);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.out, row.out);
        EXPECT_EQ(r.err, row.err);
    }
}

// Two circles and the Venn layout read as the Euler diagrams do, so they note alike: c is no
// circle of two, and a Venn picture has no hidden zones, but its text can still be misread.
TEST_F(CliReadingNote, TwoCirclesAndTheVennLayoutNoteItToo) {
    const std::string minusC = "note: the diagram skipped \"-\", \"c\"\n";
    const struct {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
        std::string err;
    } rows[] = {
        {{"draw", "2", "a-c", "-o", File("t.png")}, "", 0, "", minusC},
        {{"draw", "4", "a*c-b-d+x", "--layout", "venn", "-o", File("v.png")},
         "",
         0,
         "",
         "note: the diagram skipped \"+\", \"x\"\n"},
        {{"steps", "2", "(a+b)*(a-b)-c", "--order", "reading", "--layout", "venn", "-o", File("s")},
         "",
         0,
         "1\ta+b\tA,B,AB\n2\ta-b\tA\n3\t(a+b)*(a-b)\tA\n4\t(a+b)*(a-b)-c\tA\n",
         minusC},
        {{"draw", "2", "-", "-o", File("b%d.png"), "--batch"},
         "a*b\na-c\n",
         0,
         "",
         "line 2: " + minusC},
        {{"sheet", "3", "-", "-o", File("sheet.pdf"), "--layout", "venn"},
         "a*b\n2\ta-c\n2\ta-b\n",
         1,
         "",
         "rivo-cli: line 2: the diagram skipped \"-\", \"c\", so the line is left out of the "
         "sheet.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1] + " " + row.args[2]);
        const auto r = RunProcess(kCli, row.args, row.input);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.out, row.out);
        EXPECT_EQ(r.err, row.err);
    }
}

// An answer key must not be wrong: a line the diagram misreads is refused like a failing one,
// with a hint where it holds set notation; the other lines still make the sheet.
TEST_F(CliReadingNote, SheetRefusesAMisreadLine) {
    const auto r =
        RunProcess(kCli, {"sheet", "3", "-", "-o", File("s.pdf")}, "a*b\na∪b\n(a+b)*(c+d\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "rivo-cli: line 2: the diagram read \"a∪b\" as a, so the line is left out of the "
              "sheet; for set notation use --notation set.\n"
              "rivo-cli: line 3: the diagram skipped \"*\", \"(\", \"+\", an empty operand, so the "
              "line is left out of the sheet.\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"s.pdf"});
}

}  // namespace
