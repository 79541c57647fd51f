// rivo-cli zones and equal, and the note on hidden zones, through the real executable; random
// expressions against a truth set worked out here over zones as bit masks.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli_cases.h"
#include "tests/run_process.h"
#include "tests/temp_directory.h"

namespace {

using rivo::testing::RunProcess;

const std::string kCli = RIVO_CLI_PATH;
const std::string kNote = "note: the set also holds zones this diagram cannot show: ";

TEST(CliZones, Outputs) {
    const rivo::testing::CliCase cases[] = {
        {"zones of a set no diagram lacks",
         {"zones", "3", "a*b"},
         "",
         "A\t1\tout\nB\t3\tout\nA B\t2\tin\nC\t7\tout\nA C\t4\tout\nB C\t6\tout\nA B C\t5\tin\n"},
        {"zones of a set only a hidden zone holds",
         {"zones", "4", "a*c-b-d"},
         "",
         "A\tA\tout\nB\tL\tout\nA B\tD\tout\nC\tM\tout\nA C\t-\tin\nB C\tK\tout\n"
         "A B C\tG\tout\nD\tH\tout\nA D\tB\tout\nB D\t-\tout\nA B D\tC\tout\nC D\tI\tout\n"
         "A C D\tE\tout\nB C D\tJ\tout\nA B C D\tF\tout\n"},
        {"a set only a hidden zone holds", {"regions", "4", "a*c-b-d"}, "", "\n", kNote + "AC\n"},
        {"every zone drawn, no note", {"regions", "4", "a*b"}, "", "CDFG\n"},
        {"an identity", {"equal", "3", "a-(b+c)", "(a-b)*(a-c)"}, "", "equal\n"},
        {"equal from standard input", {"equal", "5", "-", "e+a"}, "a+e\n", "equal\n"},
    };
    rivo::testing::ExpectCliOutputs(kCli, cases);
}

TEST(CliZones, DrawNotesHiddenZonesOnlyWhenThereAreSome) {
    rivo::testing::TempDirectory dir;
    const std::string file = (dir.path() / "d.png").string();
    struct Case {
        const char* circles;
        const char* text;
        std::string err;
    };
    const Case cases[] = {
        {"4", "a*c-b-d", kNote + "AC\n"},
        {"5", "(a*b*d-c-e)+(b*d-a-c-e)", kNote + "BD, ABD\n"},
        {"4", "a*b", ""},
        {"3", "a", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = RunProcess(kCli, {"draw", c.circles, c.text, "-o", file});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
}

TEST(CliZones, EqualStatuses) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
    };
    const Case cases[] = {
        // The same picture, a different set: the hidden zone A C.
        {{"equal", "4", "a*c", "a*c*(b+d)"}, "", 3, "different\nA C\tfirst\t-\n"},
        {{"equal", "3", "a-b", "a"}, "", 3, "different\nA B\tsecond\t2\nA B C\tsecond\t5\n"},
        {{"equal", "3", "1/0", "a"}, "", 1, ""},
        {{"equal", "3", "-", "-"}, "a\n", 2, ""},
        {{"equal", "6", "a", "a"}, "", 2, ""},
        {{"equal", "3", "a"}, "", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[2]);
        const auto r = RunProcess(kCli, c.args, c.input);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

// A random expression over the first `circles` variables, fully parenthesised, with its truth
// set: bit (zone - 1) for every zone it holds, a zone being its circles as bits, A the lowest.
struct Sample {
    std::string text;
    unsigned zones;
};

Sample RandomSample(std::mt19937& random, int circles, int depth) {
    const unsigned zoneCount = (1u << circles) - 1;
    if (depth == 0 || random() % 3 == 0) {
        const int variable = static_cast<int>(random() % static_cast<unsigned>(circles));
        unsigned zones = 0;
        for (unsigned zone = 1; zone <= zoneCount; ++zone) {
            if ((zone >> variable & 1u) != 0) zones |= 1u << (zone - 1);
        }
        return {std::string(1, static_cast<char>('a' + variable)), zones};
    }
    const Sample left = RandomSample(random, circles, depth - 1);
    const Sample right = RandomSample(random, circles, depth - 1);
    switch (random() % 3) {
        case 0:
            return {"(" + left.text + "+" + right.text + ")", left.zones | right.zones};
        case 1:
            return {"(" + left.text + "*" + right.text + ")", left.zones & right.zones};
        default:
            return {"(" + left.text + "-" + right.text + ")", left.zones & ~right.zones};
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// For random pairs: zones' in and out is the truth set, its drawn part is the region set of
// regions, the note names its undrawn part, and equal tells the pairs apart where they differ.
TEST(CliZones, AgreeWithTruthSetsWorkedOutIndependently) {
    std::mt19937 random(20261208);
    for (const int circles : {3, 4, 5}) {
        const std::string n = std::to_string(circles);
        for (int round = 0; round < 4; ++round) {
            const Sample first = RandomSample(random, circles, 4);
            // Half the pairs get an equal second side: the first with its union doubled.
            const Sample second =
                round % 2 == 0 ? Sample{"(" + first.text + "+" + first.text + ")", first.zones}
                               : RandomSample(random, circles, 4);
            SCOPED_TRACE(n + " " + first.text + " " + second.text);

            const auto zones = RunProcess(kCli, {"zones", n, first.text});
            ASSERT_EQ(zones.status, 0) << zones.err;
            const auto lines = Lines(zones.out);
            ASSERT_EQ(lines.size(), (1u << circles) - 1);
            std::set<char> drawnIn;
            std::string hidden;
            for (unsigned zone = 1; zone <= lines.size(); ++zone) {
                const bool in = (first.zones >> (zone - 1) & 1u) != 0;
                const std::string& line = lines[zone - 1];
                std::string name;
                for (int circle = 0; circle < circles; ++circle) {
                    if ((zone >> circle & 1u) != 0) name += static_cast<char>('A' + circle);
                }
                std::string spaced;
                for (const char letter : name)
                    spaced += spaced.empty() ? std::string(1, letter) : std::string(" ") + letter;
                ASSERT_EQ(line.substr(0, spaced.size() + 1), spaced + '\t') << line;
                EXPECT_EQ(line.substr(line.rfind('\t') + 1), in ? "in" : "out") << line;
                const char code = line[spaced.size() + 1];
                if (in && code != '-') drawnIn.insert(code);
                if (in && code == '-') hidden += (hidden.empty() ? "" : ", ") + name;
            }

            const auto regions = RunProcess(kCli, {"regions", n, first.text});
            ASSERT_EQ(regions.status, 0) << regions.err;
            EXPECT_EQ(std::set<char>(regions.out.begin(), regions.out.end() - 1), drawnIn);
            EXPECT_EQ(regions.err, hidden.empty() ? "" : kNote + hidden + "\n");

            const auto equal = RunProcess(kCli, {"equal", n, first.text, second.text});
            const unsigned differ = first.zones ^ second.zones;
            EXPECT_EQ(equal.status, differ == 0 ? 0 : 3) << equal.err;
            const auto answer = Lines(equal.out);
            ASSERT_FALSE(answer.empty());
            EXPECT_EQ(answer.front(), differ == 0 ? "equal" : "different");
            std::size_t at = 1;
            for (unsigned zone = 1; zone <= lines.size(); ++zone) {
                if ((differ >> (zone - 1) & 1u) == 0) continue;
                ASSERT_LT(at, answer.size());
                const std::string& zoneLine = lines[zone - 1];
                const std::string circlesColumn = zoneLine.substr(0, zoneLine.find('\t'));
                const std::string codeColumn = zoneLine.substr(
                    circlesColumn.size() + 1, zoneLine.rfind('\t') - circlesColumn.size() - 1);
                const bool firstHolds = (first.zones >> (zone - 1) & 1u) != 0;
                EXPECT_EQ(answer[at++], circlesColumn + '\t' + (firstHolds ? "first" : "second") +
                                            '\t' + codeColumn);
            }
            EXPECT_EQ(at, answer.size());
        }
    }
}

}  // namespace
