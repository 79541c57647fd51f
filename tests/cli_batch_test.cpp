// rivo-cli draw --batch, through the real executable: one picture per line of standard input.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "expr/m_tree.h"
#include "tests/cli_fixture.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

using CliBatch = rivo::testing::CliFileTest;

// Every line's picture is the one `draw` makes of it alone; blank, comment, failing and
// too long lines leave gaps in the numbering, and a failure does not touch the lines after it.
// A line of exactly the limit before its CRLF is drawn; a comment is skipped whatever its length.
TEST_F(CliBatch, WritesOnePictureForEachLineThatDraws) {
    const std::string tooLong(rivo::expr::kMaxExpressionBytes + 1, 'a');
    const std::string longest(rivo::expr::kMaxExpressionBytes, 'b');
    const std::vector<std::string> lines = {"a*b+b*c+a*c-a*b*c", "",        "1/0",   tooLong,
                                            "#" + tooLong,       "a-(b+c)", longest, "c"};
    std::string input;
    for (const auto& line : lines)
        input += line + "\r\n";  // CRLF line ends read as plain ones
    input.pop_back();
    input.pop_back();  // the last line without its end

    const auto r = RunProcess(kCli, {"draw", "4", "-", "-o", File("d-%03d.png"), "--batch"}, input);
    EXPECT_EQ(r.status, 1);
    // Four circles cannot show A and C alone, nor B and D alone: each line that holds such a
    // zone says so under its number.
    EXPECT_EQ(r.err,
              "line 1: note: the set also holds zones this diagram cannot show: AC\n"
              "rivo-cli: line 3: Floating point division by zero.\n"
              "rivo-cli: line 4: Expression is too large.\n"
              "line 7: note: the diagram read \"bbbbbbbbbbbbbbbbbbbbbbb\" as b\n"
              "line 7: note: the set also holds zones this diagram cannot show: BD\n"
              "line 8: note: the set also holds zones this diagram cannot show: AC\n");
    const std::vector<std::string> expected = {"d-001.png", "d-006.png", "d-007.png", "d-008.png"};
    ASSERT_EQ(Files(), expected);
    for (const std::size_t line : {1u, 6u, 7u, 8u}) {
        SCOPED_TRACE(line);
        const std::string single = File("single.png");
        ASSERT_EQ(RunProcess(kCli, {"draw", "4", "-", "-o", single}, lines[line - 1]).status, 0);
        const QImage batch(QString::fromStdString(
            File("d-" + std::string(line < 10 ? "00" : "0") + std::to_string(line) + ".png")));
        ASSERT_FALSE(batch.isNull());
        EXPECT_EQ(batch.convertToFormat(QImage::Format_RGB32),
                  QImage(QString::fromStdString(single)).convertToFormat(QImage::Format_RGB32));
        std::filesystem::remove(single);
    }
}

// The -o pattern's one number, read by rivo-cli itself: anything printf would read differently
// or that names no number is a usage error, not a guess.
TEST_F(CliBatch, NamesTheFilesByItsPattern) {
    struct Case {
        std::string pattern;
        std::string file;  // empty: a usage error
    };
    const Case cases[] = {
        {"n%d.png", "n12.png"},
        {"n%04d.png", "n0012.png"},
        {"n%3d.png", "n 12.png"},
        {"%%n%%%d.png", "%n%12.png"},
        {"n.png", ""},
        {"n%d-%d.png", ""},
        {"n%s.png", ""},
        {"n%ld.png", ""},
        {"n%d", ""},
        {"n%.png", ""},
        {"n%99999999999999999999d.png", ""},
    };
    std::string input(11, '\n');
    input += "a*b\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const auto r =
            RunProcess(kCli, {"draw", "3", "-", "--batch", "-o", File(c.pattern)}, input);
        if (c.file.empty()) {
            EXPECT_EQ(r.status, 2);
            EXPECT_TRUE(Files().empty());
        } else {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(Files(), std::vector<std::string>{c.file});
        }
        for (const auto& name : Files())
            std::filesystem::remove(File(name));
    }
}

}  // namespace
