// rivo-cli --notation set through the real executable: the outside zone in zones, equal and
// express worked out by hand; errors with their column and caret; the universe frame and the
// outside zone in the pictures; express answers read back through zones as the sets asked for.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli_fixture.h"
#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;

TEST(CliSetNotation, OutsideZoneHandWorked) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
        int status = 0;
    };
    const Case cases[] = {
        {{"zones", "2", "--notation", "set", "A′"},
         "none\t-\tin\nA\t-\tout\nB\t-\tin\nA B\t-\tout\n"},
        {{"zones", "3", "--notation", "set", "(A ∪ B ∪ C)'"},
         "none\t-\tin\nA\t1\tout\nB\t3\tout\nA B\t2\tout\nC\t7\tout\nA C\t4\tout\nB C\t6\tout\n"
         "A B C\t5\tout\n"},
        {{"equal", "3", "--notation", "set", "(A ∪ B)′", "A′ ∩ B′"}, "equal\n"},
        {{"equal", "2", "--notation", "set", "A′", "B \\ A"}, "different\nnone\tfirst\t-\n", 3},
        {{"equal", "3", "--notation", "set", "U", "A Δ B"},
         "different\nnone\tfirst\t-\nA B\tfirst\t2\nC\tfirst\t7\nA B C\tfirst\t5\n",
         3},
        {{"express", "3", "--notation", "set", "--zones", "none"}, "(A ∪ B ∪ C)′\n"},
        {{"express", "2", "--notation", "set", "--zones", "none,A"}, "B′\n"},
        {{"express", "2", "--notation", "set", "--zones", "A,none,B,AB"}, "U\n"},
        {{"express", "4", "--notation", "set", "--zones", ""}, "∅\n"},
        {{"express", "3", "--notation", "set", "246"},
         "(((A ∪ B) ∩ C) ∪ (A ∩ B)) \\ (A ∩ B ∩ C)\n"},
        {{"steps", "2", "--notation", "set", "(A ∪ B)′ \\ A"},
         "1\tA ∪ B\tA,B,AB\n2\t(A ∪ B)′\tnone\n3\t(A ∪ B)′ \\ A\tnone\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const auto r = RunProcess(kCli, c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
    }
}

// A text that does not read: exit 1, nothing on standard output, and on standard error the
// column and message, the text, and a caret under that column.
TEST(CliSetNotation, ErrorsPointAtTheirColumn) {
    struct Case {
        const char* text;
        std::size_t column;
        const char* message;
    };
    const Case cases[] = {
        {"A ∪ B ∩ C", 7, "need parentheses"},
        {"A ∪", 4, "expected a set after '∪'"},
        {"A ∪ D", 5, "the diagram of 3 circles has no set D"},
        {"(A ∩ B", 7, "missing ')'"},
        {"A B", 3, "missing an operator"},
        {"′A", 1, "a complement mark needs a set before it"},
        {"a + b", 3, ""},  // the plain language's operators are not set notation
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (const std::string command : {"zones", "steps", "draw"}) {
            std::vector<std::string> args{command, "3", "--notation", "set", c.text};
            if (command == "draw") args.insert(args.end(), {"-o", "never-written.png"});
            const auto r = RunProcess(kCli, args);
            EXPECT_EQ(r.status, 1) << command;
            EXPECT_EQ(r.out, "");
            const std::string head = "rivo-cli: column " + std::to_string(c.column) + ": ";
            std::istringstream lines(r.err);
            std::string first, text, caret;
            std::getline(lines, first);
            std::getline(lines, text);
            std::getline(lines, caret);
            EXPECT_EQ(first.rfind(head, 0), 0u) << r.err;
            EXPECT_NE(first.find(c.message), std::string::npos) << first;
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(caret, std::string(c.column - 1, ' ') + "^");
        }
    }
    // In a batch, the same report with the line's number; the other lines are drawn.
    rivo::testing::TempDirectory dir;
    const auto r = RunProcess(
        kCli,
        {"draw", "3", "--notation", "set", "--batch", "-", "-o", (dir.path() / "b%d.png").string()},
        "A′\nA ∪\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "rivo-cli: line 2: column 4: expected a set after '∪'\nA ∪\n   ^\n");
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "b1.png"));
    // And in a sheet, which holds the lines that read.
    const std::string pdf = (dir.path() / "s.pdf").string();
    const auto sheet =
        RunProcess(kCli, {"sheet", "3", "--notation", "set", "-", "-o", pdf}, "A′\nA ∪ D\n");
    EXPECT_EQ(sheet.status, 1);
    EXPECT_EQ(sheet.err,
              "rivo-cli: line 2: column 5: the diagram of 3 circles has no set D\nA ∪ D\n    ^\n");
    EXPECT_TRUE(std::filesystem::exists(pdf));
}

using CliSetPictures = rivo::testing::CliFileTest;

// The universe frame is drawn in both layouts, and the outside zone is shaded exactly when the
// set holds it: at a point inside the frame and outside every circle the picture has the colour
// of the zones in the set, else of those out of it.
TEST_F(CliSetPictures, UniverseFrameAndOutsideZone) {
    const int outsideX = 380;
    const int outsideY = 380;
    for (const std::string layout : {"euler", "venn"}) {
        // The label points of zones A and B, from layout.
        const auto places = RunProcess(kCli, {"layout", "3", "--layout", layout});
        ASSERT_EQ(places.status, 0);
        std::istringstream lines(places.out);
        std::string name, code;
        double x[2] = {}, y[2] = {};
        for (int i = 0; i < 2; ++i) {
            lines >> name >> code >> x[i] >> y[i];
            std::getline(lines, code);
        }
        for (const std::string text : {"A", "A′", "B \\ A", "(A ∪ C)′"}) {
            SCOPED_TRACE(layout + " " + text);
            const std::string file = File("p.png");
            const auto r = RunProcess(
                kCli, {"draw", "3", "--notation", "set", "--layout", layout, text, "-o", file});
            ASSERT_EQ(r.status, 0) << r.err;
            const QImage picture =
                QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(picture.size(), QSize(400, 400));
            const auto at = [&](double px, double py) {
                return picture.pixel(static_cast<int>(px), static_cast<int>(py)) & 0xFFFFFFu;
            };
            const auto zones = RunProcess(kCli, {"zones", "3", "--notation", "set", text});
            const bool outsideIn = zones.out.rfind("none\t-\tin\n", 0) == 0;
            const bool aIn = zones.out.find("\nA\t1\tin\n") != std::string::npos;
            const bool bIn = zones.out.find("\nB\t3\tin\n") != std::string::npos;
            ASSERT_NE(aIn, bIn) << "each case has one of A and B in the set";
            const QRgb in = aIn ? at(x[0], y[0]) : at(x[1], y[1]);
            const QRgb out = aIn ? at(x[1], y[1]) : at(x[0], y[0]);
            EXPECT_NE(in, out);
            EXPECT_EQ(at(outsideX, outsideY), outsideIn ? in : out);
            // The frame's line, and white ground beyond it.
            EXPECT_LT(qGray(at(4, 200)), 128);
            EXPECT_EQ(at(1, 200), 0xFFFFFFu);
        }
    }
}

// The round trip: what express writes for a random set of zones, read back by zones, is that
// set, the outside zone included.
TEST(CliSetNotation, ExpressReadsBackAsTheZonesAskedFor) {
    std::mt19937 random(7);
    for (int circles = 2; circles <= 5; ++circles) {
        const unsigned zones = 1u << circles;
        for (int round = 0; round < 6; ++round) {
            const unsigned set = static_cast<unsigned>(random());
            std::string list;
            std::vector<bool> wanted(zones);
            for (unsigned z = 0; z < zones; ++z) {
                wanted[z] = (set >> z & 1u) != 0;
                if (!wanted[z]) continue;
                if (!list.empty()) list += ',';
                if (z == 0) list += "none";
                for (int c = 0; c < circles; ++c) {
                    if (z >> c & 1u) list += static_cast<char>('A' + c);
                }
            }
            const std::string n = std::to_string(circles);
            const auto express =
                RunProcess(kCli, {"express", n, "--notation", "set", "--zones", list});
            ASSERT_EQ(express.status, 0) << express.err;
            ASSERT_FALSE(express.out.empty());
            const std::string text = express.out.substr(0, express.out.size() - 1);
            SCOPED_TRACE(list + " -> " + text);
            const auto back = RunProcess(kCli, {"zones", n, "--notation", "set", text});
            ASSERT_EQ(back.status, 0) << back.err;
            // zones lists the outside zone, then zone 1, 2, ... in order: the last word of each
            // line says in or out.
            std::istringstream lines(back.out);
            std::string line;
            for (unsigned z = 0; z < zones; ++z) {
                ASSERT_TRUE(std::getline(lines, line));
                const bool in = line.size() > 3 && line.compare(line.size() - 3, 3, "\tin") == 0;
                EXPECT_EQ(in, wanted[z]) << line;
            }
        }
    }
}

}  // namespace
