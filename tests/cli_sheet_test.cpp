// rivo-cli sheet, through the real executable; the PDF read back with poppler.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
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
// reading order: 15 mm margins, a 10 mm heading (and `linesMm` more of lines under it), two
// columns of three rows.
std::vector<int> ShadedPerCell(const QImage& page, double linesMm = 0) {
    constexpr double kMm = 72.0 / 25.4;
    const double left = 15 * kMm, top = (25 + linesMm) * kMm, width = 90 * kMm,
                 height = (282 - 25 - linesMm) * kMm / 3;
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
// exercise pages and two answer pages of A4, each part's pages numbered on their own, the
// diagrams in the order written; a
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
            expected += std::string(title) + " " + std::to_string(1 + page) + " / 2\n";
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
        {{"sheet", "3", "-", "-o", pdf}, "?\ta-a\n?\t4\ta*c-b-d\n", 1},
        {{"sheet", "3", "--random", "0", "-o", pdf}, "", 2},
        {{"sheet", "3", "--random", "601", "-o", pdf}, "", 2},
        {{"sheet", "3", "--random", "5", "--seed", "-1", "-o", pdf}, "", 2},
        {{"sheet", "3", "-", "--seed", "4", "-o", pdf}, "a\n", 2},
        {{"sheet", "3", "-", "--random", "5", "-o", pdf}, "", 2},
        {{"sheet", "3", "-", "--answers", "both", "-o", pdf}, "a\n", 2},
        {{"draw", "3", "a", "--random", "5", "-o", File("d.png")}, "", 2},
        {{"sheet", "3", "-", "--title", std::string(81, 'T'), "-o", pdf}, "a\n", 2},
        {{"draw", "3", "a", "--title", std::string(61, 'T'), "-o", File("d.png")}, "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.input);
        const auto r = RunProcess(kCli, c.args, c.input);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(std::filesystem::is_empty(File("")));
    }
}

// The page's text as pdftotext reads it in the order drawn, one string per page.
std::vector<std::string> PageTexts(const std::string& pdf) {
    const auto r = RunProcess(RIVO_PDFTOTEXT, {"-raw", pdf, "-"});
    EXPECT_EQ(r.status, 0) << pdf;
    std::vector<std::string> pages;
    std::string page;
    for (const char c : r.out) {
        if (c != '\f') {
            page += c;
        } else {
            pages.push_back(page);
            page.clear();
        }
    }
    return pages;
}

// Each piece appears in `text` after the one before.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& pieces) {
    std::size_t at = 0;
    for (const auto& piece : pieces) {
        const auto found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "\"" << piece << "\" after " << at << " in\n"
                                            << text;
        at = found + piece.size();
    }
}

// A title brings the name line and the instructions; a "?" line is drawn shaded with a blank
// line, and answered with the shortest expression, then "or" and its own text where it differs.
TEST_F(CliSheet, TitleNameLineAndReverseExercises) {
    const std::string pdf = File("quiz.pdf");
    const auto r = RunProcess(kCli, {"sheet", "3", "-", "--title", "Quiz 4", "-o", pdf},
                              "a*b\n?\tb*a\n?\t3\ta-b\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto pages = PageTexts(pdf);
    ASSERT_EQ(pages.size(), 2u);
    ExpectInOrder(pages[0],
                  {"Quiz 4 \u2013 Exercises 1 / 1", "Name: _", "Date: _", "1. Shade the set.",
                   "a*b", "2. Write an expression for the shaded set.",
                   "3. Write an expression for the shaded set."});
    EXPECT_EQ(pages[0].find("a-b"), std::string::npos) << pages[0];
    ExpectInOrder(pages[1], {"Quiz 4 \u2013 Answers 1 / 1", "1.", "a*b", "2.", "a*b\nor b*a\n",
                             "3.", "a-b\n"});
    EXPECT_EQ(pages[1].find("Name:"), std::string::npos);
    EXPECT_EQ(pages[1].find("or a-b"), std::string::npos);

    // In set notation the answer is the shortest set-notation text; a shading asked twice gets
    // it both times.
    const auto set = RunProcess(kCli, {"sheet", "3", "-", "--notation", "set", "-o", File("n.pdf")},
                                "?\tB\u2229A\n?\tA \u2229 B\n");
    ASSERT_EQ(set.status, 0) << set.err;
    ExpectInOrder(PageTexts(File("n.pdf"))[1],
                  {"Answers 1 / 1", "1.", "A \u2229 B\nor B\u2229A\n", "2.", "A \u2229 B\n"});

    // The exercise page shows the two reverse shadings and not the first one.
    ASSERT_EQ(
        RunProcess(RIVO_PDFTOPPM, {"-r", "72", "-png", "-f", "1", "-l", "1", pdf, File("quiz")})
            .status,
        0);
    const QImage page(QString::fromStdString(File("quiz-1.png")));
    ASSERT_FALSE(page.isNull());
    const auto shaded = ShadedPerCell(page, 7);
    EXPECT_GT(shaded[1], shaded[0] + 200);
    EXPECT_GT(shaded[2], shaded[0] + 200);
}

// Each part's pages are numbered on their own, whether the answers follow the exercises or go
// to a file of their own; an 80-character title still leaves the heading whole.
TEST_F(CliSheet, NumbersThePagesOfEachPart) {
    const std::string input = "a\nb\nc\na*b\na+b\na-b\nb-c\nc*a\n";
    const std::vector<std::string> exercises = {"Exercises 1 / 2", "Exercises 2 / 2"};
    const std::vector<std::string> answers = {"Answers 1 / 2", "Answers 2 / 2"};
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> inSheet;
        std::vector<std::string> inAnswers;  // empty: no answer file
    };
    auto both = exercises;
    both.insert(both.end(), answers.begin(), answers.end());
    const Case cases[] = {
        {{}, both, {}},
        {{"--answers", "after", "--title", std::string(80, 'W')}, both, {}},
        {{"--answers", "separate"}, exercises, answers},
    };
    const std::regex heading("(Exercises|Answers) [0-9]+ / [0-9]+");
    const auto headings = [&](const std::string& pdf) {
        std::vector<std::string> found;
        for (const auto& page : PageTexts(pdf)) {
            std::smatch match;
            found.push_back(std::regex_search(page, match, heading) ? match.str() : page);
        }
        return found;
    };
    int run = 0;
    for (const auto& c : cases) {
        const std::string pdf = File("s" + std::to_string(++run) + ".pdf");
        const std::string answerPdf = File("s" + std::to_string(run) + "-answers.pdf");
        auto args = c.options;
        args.insert(args.begin(), {"sheet", "3", "-", "-o", pdf});
        const auto r = RunProcess(kCli, args, input);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(headings(pdf), c.inSheet) << run;
        EXPECT_EQ(std::filesystem::exists(answerPdf), !c.inAnswers.empty()) << run;
        if (!c.inAnswers.empty()) {
            EXPECT_EQ(headings(answerPdf), c.inAnswers);
        }
    }
}

// With separate answers both files are written or neither: a target that cannot take the
// answers leaves the old sheet as it was, and no half-made file behind.
TEST_F(CliSheet, WritesBothFilesOrNeither) {
    const std::string pdf = File("w.pdf");
    const std::string answers = File("w-answers.pdf");
    const auto write = [](const std::string& file, const std::string& text) {
        std::ofstream(file) << text;
    };
    const auto read = [](const std::string& file) { return rivo::testing::ReadFile(file); };
    struct Case {
        const char* what;
        void (*block)(const std::string& answers);
    };
    const Case cases[] = {
        {"a folder", [](const std::string& a) { std::filesystem::create_directory(a); }},
        {"a dangling link",
         [](const std::string& a) { std::filesystem::create_symlink(a + ".gone", a); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write(pdf, "old sheet");
        c.block(answers);
        const auto before = Files();
        const auto r =
            RunProcess(kCli, {"sheet", "3", "-", "--answers", "separate", "-o", pdf}, "a*b\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("w-answers.pdf"), std::string::npos) << r.err;
        EXPECT_EQ(read(pdf), "old sheet");
        EXPECT_EQ(Files(), before);
        std::filesystem::remove_all(answers);
    }
    write(answers, "old answers");
    const auto r =
        RunProcess(kCli, {"sheet", "3", "-", "--answers", "separate", "-o", pdf}, "a*b\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read(pdf).substr(0, 5), "%PDF-");
    EXPECT_EQ(read(answers).substr(0, 5), "%PDF-");
    EXPECT_EQ(Files(), (std::vector<std::string>{"w-answers.pdf", "w.pdf"}));
}

// A made-up sheet is its seed's: the same seed the same text, another seed another; without
// one, the seed told on standard error makes the sheet again. Two circles have only six sets.
TEST_F(CliSheet, GeneratedSheetsFollowTheirSeed) {
    const auto sheet = [&](std::vector<std::string> extra, const std::string& name) {
        std::vector<std::string> args = {"sheet", "4", "--random", "30", "-o", File(name)};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto r = RunProcess(kCli, args);
        EXPECT_EQ(r.status, 0) << r.err;
        const auto pages = PageTexts(File(name));
        EXPECT_EQ(pages.size(), 10u);
        return std::make_pair(pages, r.err);
    };
    const auto first = sheet({"--seed", "9"}, "a.pdf");
    EXPECT_EQ(first.second, "");
    EXPECT_EQ(sheet({"--seed", "9"}, "b.pdf").first, first.first);
    EXPECT_NE(sheet({"--seed", "10"}, "c.pdf").first, first.first);
    const auto chosen = sheet({}, "d.pdf");
    std::smatch seed;
    ASSERT_TRUE(std::regex_match(chosen.second, seed, std::regex("rivo-cli: seed ([0-9]+)\n")))
        << chosen.second;
    EXPECT_EQ(sheet({"--seed", seed[1].str()}, "e.pdf").first, chosen.first);

    const auto r =
        RunProcess(kCli, {"sheet", "2", "--random", "10", "--seed", "1", "-o", File("two.pdf")});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("only 6 different sets"), std::string::npos) << r.err;
    const auto pages = PageTexts(File("two.pdf"));
    ASSERT_EQ(pages.size(), 2u);
    ExpectInOrder(pages[1], {"Answers 1 / 1", "1.", "2.", "3.", "4.", "5.", "6."});
    EXPECT_EQ(pages[1].find("7."), std::string::npos);
}

}  // namespace
