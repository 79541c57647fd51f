// rivo-cli paint, through the real executable, without a display.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "diagram/draw/painter.h"
#include "tests/cli_cases.h"
#include "tests/cli_fixture.h"
#include "tests/read_file.h"
#include "tests/run_process.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

using CliPaint = rivo::testing::CliFileTest;

bool SamePixels(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

std::string FirstBytes(const std::string& path, std::size_t count) {
    return rivo::testing::ReadFile(path).substr(0, count);
}

TEST_F(CliPaint, WritesThePaintedPicture) {
    struct Case {
        const char* name;
        std::vector<std::string> args;  // FILE stands for the output file
        std::string file;
        DiagramSize size;
        std::string regions;
        std::string magic;
    };
    const Case cases[] = {
        {"png",
         {"paint", "3", "246", "-o", "FILE"},
         "a.png",
         DiagramSize::kThree,
         "246",
         "\x89PNG"},
        {"bmp by extension, any case",
         {"paint", "5", "G", "-o", "FILE"},
         "b.BMP",
         DiagramSize::kFive,
         "G",
         "BM"},
        {"empty set: the bare template",
         {"paint", "4", "", "-o", "FILE"},
         "c.png",
         DiagramSize::kFour,
         "",
         "\x89PNG"},
        {"option first",
         {"-o", "FILE", "paint", "5", "ABCDEFGHIJK"},
         "d.bmp",
         DiagramSize::kFive,
         "ABCDEFGHIJK",
         "BM"},
        {"jpeg by extension",
         {"paint", "3", "14", "-o", "FILE"},
         "e.jpeg",
         DiagramSize::kThree,
         "14",
         "\xff\xd8\xff"},
        {"codes repeated and in any order",
         {"paint", "4", "MAMA", "-o", "FILE"},
         "f.png",
         DiagramSize::kFour,
         "AM",
         "\x89PNG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.args;
        for (auto& word : args) {
            if (word == "FILE") word = File(c.file);
        }
        const auto r = RunProcess(kCli, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(FirstBytes(File(c.file), c.magic.size()), c.magic);
        const QImage written(QString::fromStdString(File(c.file)));
        EXPECT_EQ(written.size(), QSize(400, 400));
        // JPEG is lossy; how close it comes is the writer's test.
        if (c.magic != "\xff\xd8\xff") {
            EXPECT_TRUE(SamePixels(written, rivo::diagram::PaintDiagram(c.size, c.regions)));
        }
    }
}

TEST_F(CliPaint, UsageErrorsExitWithStatusTwo) {
    struct Case {
        const char* name;
        std::vector<std::string> args;  // FILE stands for never.png, FILE.x for never.png.x
        std::string reason = "";        // a part of the reason
    };
    const std::string formats = "FILE must end in .png, .jpg, .jpeg, .bmp, .svg or .pdf";
    const Case cases[] = {
        {"two circles", {"paint", "2", "1", "-o", "FILE"}},
        {"six circles", {"paint", "6", "1", "-o", "FILE"}},
        {"not a number", {"paint", "x", "1", "-o", "FILE"}},
        {"empty size", {"paint", "", "1", "-o", "FILE"}},
        {"size with a sign", {"paint", "+3", "1", "-o", "FILE"}},
        {"size with a digit too many", {"paint", "33", "1", "-o", "FILE"}},
        {"no output file", {"paint", "3", "1"}},
        {"no region set", {"paint", "3", "-o", "FILE"}},
        {"one operand too many", {"paint", "3", "1", "2", "-o", "FILE"}},
        {"a name without a picture extension", {"paint", "3", "1", "-o", "FILE.out"}, formats},
        {"codes the size does not have",
         {"paint", "3", "1Z28A", "-o", "FILE"},
         "3 circles do not have: \"Z8A\""},
        {"a byte that is no code", {"paint", "5", "A\x01\x01", "-o", "FILE"}, ": \"\\x01\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto args = c.args;
        std::string written = File("never.png");
        for (auto& word : args) {
            if (word.rfind("FILE", 0) == 0) word = written = File("never.png" + word.substr(4));
        }
        rivo::testing::ExpectUsageError(RunProcess(kCli, args), c.reason);
        EXPECT_FALSE(std::filesystem::exists(written));
    }
}

// The writer's own test goes through the ways a write fails; here, that the failure reaches the
// user with the file and the reason.
TEST_F(CliPaint, ReportsAFileThatCannotBeWritten) {
    const std::string file = File("missing/dir/x.png");
    const auto r = RunProcess(kCli, {"paint", "3", "1", "-o", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "rivo-cli: cannot write the picture to " + file +
                         ": cannot create a file in its folder: No such file or directory\n");
}

}  // namespace
