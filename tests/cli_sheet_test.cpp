// rivo-cli sheet, through the real executable; the PDF read back with poppler.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli_fixture.h"
#include "tests/read_file.h"
#include "tests/run_process.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

using CliSheet = rivo::testing::CliFileTest;

// Pixels of a shading, not of an outline, a label or the paper: silver, or the red and green
// of five circles.
bool Shaded(QRgb p) {
    const int r = qRed(p), g = qGreen(p), b = qBlue(p);
    const bool silver = std::abs(r - 192) < 12 && std::abs(g - 192) < 12 && std::abs(b - 192) < 12;
    return silver || (r > 200 && g < 60 && b < 60) || (g > 100 && r < 60 && b < 60);
}

// The shaded pixels of each of the six cells of a page rendered at 72 dpi (1 px = 1 pt), in
// reading order: 15 mm margins, a 10 mm heading, two columns of three rows.
std::vector<int> ShadedPerCell(const QImage& page) {
    constexpr double kMm = 72.0 / 25.4;
    const double left = 15 * kMm, top = 25 * kMm, width = 90 * kMm, height = (282 - 25) * kMm / 3;
    std::vector<int> counts(6, 0);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const int column = static_cast<int>((x - left) / width);
            const int row = static_cast<int>((y - top) / height);
            if (x < left || y < top || column > 1 || row > 2) continue;
            if (Shaded(page.pixel(x, y))) ++counts[static_cast<std::size_t>(row * 2 + column)];
        }
    }
    return counts;
}

// Seven diagrams (one line failing, one blank, one comment, sizes of their own) make two
// exercise pages and two answer pages of A4, numbered in the order of the diagrams written; a
// shading stands only on an answer page, in the cell of its own number.
TEST_F(CliSheet, WritesExercisePagesThenAnswerPages) {
    std::string longExpression = "a*b+c";
    for (int i = 0; i < 150; ++i)
        longExpression += "+c";
    const std::string input =
        "a*b\n"
        "\n"
        "# the hard ones\n"
        "1/0\n"
        "a-a\n"
        "5\ta+b+c+d+e\n"
        "4\ta*b*c*d\n"
        "c-b\n" +
        longExpression +
        "\n"
        "b\n";
    const std::string pdf = File("sheet.pdf");
    const auto r = RunProcess(kCli, {"sheet", "3", "-", "-o", pdf}, input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "rivo-cli: line 4: Floating point division by zero.\n");

    ASSERT_EQ(RunProcess(RIVO_PDFTOPPM, {"-r", "72", "-png", pdf, File("page")}).status, 0);
    std::vector<std::vector<int>> shaded;
    for (int page = 1;; ++page) {
        const QImage image(QString::fromStdString(File("page-" + std::to_string(page) + ".png")));
        if (image.isNull()) break;
        EXPECT_EQ(image.size(), QSize(595, 842)) << "page " << page;  // A4 in points
        shaded.push_back(ShadedPerCell(image));
    }
    ASSERT_EQ(shaded.size(), 4u);
    // A blank diagram has pixels of the shading's colours too (the anti-aliased outlines): an
    // answer is shaded by how many more it has than its exercise. Answers 1 a*b, 2 a-a (the
    // empty set), 3 five circles, 4 a*b*c*d, 5 c-b, 6 the long one; 7 b alone on the last page.
    const std::vector<bool> answerShaded = {true, false, true,  true,  true,  true,
                                            true, false, false, false, false, false};
    for (std::size_t cell = 0; cell < 12; ++cell) {
        SCOPED_TRACE(cell + 1);
        const int exercise = shaded[cell / 6][cell % 6];
        const int answer = shaded[2 + cell / 6][cell % 6];
        if (cell >= 7) {
            EXPECT_EQ(exercise, 0);
        }
        if (answerShaded[cell]) {
            EXPECT_GT(answer - exercise, 200);
        } else {
            EXPECT_EQ(answer, exercise);
        }
    }

    const auto text = RunProcess(RIVO_PDFTOTEXT, {"-raw", pdf, "-"});
    ASSERT_EQ(text.status, 0);
    std::string expected;
    for (const char* title : {"Exercises", "Answers"}) {
        for (int page = 0; page < 2; ++page) {
            if (!expected.empty()) expected += '\f';  // a new page
            expected += std::string(title) + " " +
                        std::to_string((title[0] == 'A' ? 3 : 1) + page) + " / 4\n";
            const char* captions[] = {"a*b", "a-a", "a+b+c+d+e", "a*b*c*d", "c-b", nullptr, "b"};
            for (int i = page * 6; i < std::min(7, page * 6 + 6); ++i) {
                expected += std::to_string(i + 1) + ".\n";
                expected += captions[i] ? std::string(captions[i]) + "\n" : "";
            }
        }
    }
    // The long caption is cut to its cell with an ellipsis: checked apart from the rest.
    std::string got = text.out;
    const auto cut = got.find("a*b+c+c+c");
    ASSERT_NE(cut, std::string::npos) << got;
    const auto end = got.find('\n', cut);
    const std::string caption = got.substr(cut, end - cut);
    EXPECT_LT(caption.size(), 100u);
    EXPECT_NE(caption.find("\u2026"), std::string::npos) << caption;
    got.erase(cut, end + 1 - cut);
    got.erase(got.find(caption), caption.size() + 1);
    // The five-circle answer names, after its expression, the zones it holds but cannot show.
    const std::string answer = "\n3.\na+b+c+d+e (also AC, AD, BD, ABD";
    const auto noted = got.find(answer);
    ASSERT_NE(noted, std::string::npos) << got;
    got.erase(noted + 13, got.find('\n', noted + 13) - (noted + 13));
    EXPECT_EQ(got.substr(0, got.find_last_not_of("\f\n") + 1) + "\n", expected);
}

// What makes no sheet: the usage, and an input without one expression that draws.
TEST_F(CliSheet, RefusesWhatMakesNoSheet) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int status;
    };
    const std::string pdf = File("s.pdf");
    const Case cases[] = {
        {{"sheet", "3", "-", "-o", File("s.png")}, "a\n", 2},
        {{"sheet", "3", "-"}, "a\n", 2},
        {{"sheet", "6", "-", "-o", pdf}, "a\n", 2},
        {{"regions", "3", "a", "--hatch"}, "", 2},
        {{"sheet", "3", "-", "-o", pdf, "--batch"}, "a\n", 2},
        {{"sheet", "3", File("missing.txt"), "-o", pdf}, "", 1},
        {{"sheet", "3", "-", "-o", pdf}, "# only\n\n   \n", 1},
        {{"sheet", "3", "-", "-o", pdf}, "1/0\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.input);
        const auto r = RunProcess(kCli, c.args, c.input);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(std::filesystem::is_empty(File("")));
    }
}

}  // namespace
