// The way back from a region set (or a zone set) to an expression: every printed text read back
// through the real pipeline gives the set asked for, two and three circles against an independent
// count of the fewest letters, four and five against a plain search over sums of «product minus
// union» terms.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <random>
#include <string>
#include <vector>

#include "diagram/core/evaluator.h"
#include "diagram/core/express.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/set_writer.h"
#include "diagram/core/zones.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::ZoneSet;

std::string Sorted(std::string s) {
    std::sort(s.begin(), s.end());
    return s;
}

int LetterCount(const std::string& text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'e'; }));
}

// The drawn regions of a zone set, read back as the window would: text, listing, evaluator.
void ExpectReadsBack(DiagramSize size, ZoneSet wanted, const std::string& text) {
    rivo::expr::RunBudget budget;
    rivo::expr::TreeContainer tree(budget);
    const auto listing = rivo::expr::BuildListing(text, tree);
    EXPECT_EQ(Sorted(rivo::diagram::EvaluateListing(listing, size)),
              rivo::diagram::RegionsOfZones(size, wanted))
        << "\"" << text << "\" for zones " << wanted;
}

// The region sets of the zone sets: the drawn part is what a user can ask for.
std::vector<ZoneSet> DrawnSubsets(DiagramSize size) {
    std::vector<ZoneSet> drawn;
    for (rivo::diagram::Zone z = 1; z <= rivo::diagram::ZoneCount(size); ++z) {
        if (rivo::diagram::DrawnZones(size) & rivo::diagram::ZoneBit(z)) {
            drawn.push_back(rivo::diagram::ZoneBit(z));
        }
    }
    std::vector<ZoneSet> sets;
    for (ZoneSet pick = 0; pick < (ZoneSet{1} << drawn.size()); ++pick) {
        ZoneSet zones = 0;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            if (pick >> i & 1u) zones |= drawn[i];
        }
        sets.push_back(zones);
    }
    return sets;
}

TEST(ExpressionFor, HandWorkedThreeCircleSets) {
    struct Case {
        const char* regions;
        const char* text;
    };
    const Case cases[] = {
        {"", ""},          {"1245", "a"},           {"5421", "a"},        {"25", "a*b"},
        {"14", "a-b"},     {"36", "b-a"},           {"1234567", "a+b+c"}, {"5", "a*b*c"},
        {"2", "a*b-c"},    {"7", "c-a-b"},          {"124567", "a+c"},    {"1", "a-b-c"},
        {"123456", "a+b"}, {"2456", "(a+b)*c+a*b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.regions);
        const ZoneSet zones = rivo::diagram::ZonesOfRegions(DiagramSize::kThree, c.regions);
        EXPECT_EQ(rivo::diagram::ExpressionFor(DiagramSize::kThree, zones), c.text);
    }
}

// The fewest letters of an expression per set of zones of `circles` circles, knowing nothing of
// texts: relaxed over all pairs of sets until nothing changes.
std::vector<int> FewestLetters(int circles) {
    constexpr int kNone = 1000;
    const ZoneSet sets = ZoneSet{1} << rivo::diagram::ZoneCount(circles);
    std::vector<int> fewest(sets, kNone);
    for (int v = 0; v < circles; ++v)
        fewest[rivo::diagram::ZonesOfCircle(circles, v)] = 1;
    for (bool changed = true; changed;) {
        changed = false;
        for (ZoneSet x = 1; x < sets; ++x) {
            for (ZoneSet y = 1; y < sets; ++y) {
                if (fewest[x] == kNone || fewest[y] == kNone) continue;
                for (const ZoneSet set : {x | y, x & y, x & ~y}) {
                    if (fewest[set] > fewest[x] + fewest[y]) {
                        fewest[set] = fewest[x] + fewest[y];
                        changed = true;
                    }
                }
            }
        }
    }
    return fewest;
}

// The truth set of a text over `circles` circles, read as the window would.
ZoneSet TruthSetOf(int circles, const std::string& text) {
    rivo::expr::RunBudget budget;
    rivo::expr::TreeContainer tree(budget);
    return rivo::diagram::EvaluateZones(rivo::expr::BuildListing(text, tree), circles).zones;
}

// Three circles, every set: the text reads back, and no expression has fewer letters.
TEST(ExpressionFor, ThreeCirclesReadBackWithTheFewestLetters) {
    const std::vector<int> fewest = FewestLetters(3);
    for (ZoneSet set = 1; set < 128; ++set) {
        const std::string text = rivo::diagram::ExpressionFor(DiagramSize::kThree, set);
        ExpectReadsBack(DiagramSize::kThree, set, text);
        EXPECT_EQ(LetterCount(text), fewest[set]) << text;
    }
}

// The fewest letters of a sum of terms «product minus union» that covers `on` and holds no zone
// of `off`: a plain search, deepening the letter budget, over the terms that cover the lowest
// zone still uncovered.
int FewestTermLetters(int circles, ZoneSet on, ZoneSet off) {
    struct Term {
        ZoneSet zones;
        int letters;
    };
    std::vector<Term> terms;
    int codes = 1;
    for (int v = 0; v < circles; ++v)
        codes *= 3;
    for (int code = 0; code < codes; ++code) {
        ZoneSet zones = 0;
        bool product = false;
        int letters = 0;
        for (unsigned zone = 1; zone < (1u << circles); ++zone) {
            bool in = true;
            int rest = code;
            for (int v = 0; v < circles; ++v, rest /= 3) {
                const bool inCircle = (zone >> v & 1u) != 0;
                if ((rest % 3 == 1 && !inCircle) || (rest % 3 == 2 && inCircle)) in = false;
            }
            if (in) zones |= ZoneSet{1} << (zone - 1);
        }
        for (int rest = code, v = 0; v < circles; ++v, rest /= 3) {
            product = product || rest % 3 == 1;
            letters += rest % 3 != 0;
        }
        if (product && (zones & off) == 0) terms.push_back({zones & on, letters});
    }
    struct Frame {
        ZoneSet uncovered;
        int budget;
    };
    for (int budget = 1;; ++budget) {
        std::vector<Frame> stack = {{on, budget}};
        while (!stack.empty()) {
            const Frame frame = stack.back();
            stack.pop_back();
            if (frame.uncovered == 0) return budget;
            const ZoneSet lowest = frame.uncovered & (~frame.uncovered + 1);
            for (const Term& t : terms) {
                if ((t.zones & lowest) != 0 && t.letters <= frame.budget) {
                    stack.push_back({frame.uncovered & ~t.zones, frame.budget - t.letters});
                }
            }
        }
    }
}

// Four circles, every set: the text reads back and is no longer than the best sum of terms.
TEST(ExpressionFor, FourCirclesReadBackNoLongerThanTheBestSumOfTerms) {
    const DiagramSize size = DiagramSize::kFour;
    const ZoneSet drawn = rivo::diagram::DrawnZones(size);
    for (const ZoneSet set : DrawnSubsets(size)) {
        const std::string text = rivo::diagram::ExpressionFor(size, set);
        ExpectReadsBack(size, set, text);
        if (set != 0) {
            EXPECT_LE(LetterCount(text), FewestTermLetters(4, set, drawn & ~set)) << text;
        }
    }
}

TEST(ExpressionFor, FiveCircleSampleReadsBack) {
    const DiagramSize size = DiagramSize::kFive;
    const ZoneSet drawn = rivo::diagram::DrawnZones(size);
    std::mt19937 random(5);
    for (int i = 0; i < 300; ++i) {
        const ZoneSet set = static_cast<ZoneSet>(random()) & drawn;
        const std::string text = rivo::diagram::ExpressionFor(size, set);
        ExpectReadsBack(size, set, text);
        if (set != 0) {
            EXPECT_LE(LetterCount(text), FewestTermLetters(5, set, drawn & ~set)) << text;
        }
    }
    // The hidden zones are free either way.
    EXPECT_EQ(rivo::diagram::ExpressionFor(size, ~drawn), "");
    EXPECT_EQ(rivo::diagram::ExpressionFor(size, rivo::diagram::AllZones(size)), "a+b+c+d+e");
}

// By zones, no zone free: the text's truth set is exactly the set asked for; two and three
// circles with the fewest letters of all, four and five no longer than the best sum of terms.
TEST(ExpressionForZones, ReadsBackExactlyAndShortest) {
    for (const int circles : {2, 3}) {
        const std::vector<int> fewest = FewestLetters(circles);
        for (ZoneSet set = 0; set <= rivo::diagram::AllZones(circles); ++set) {
            const std::string text = rivo::diagram::ExpressionForZones(circles, set);
            EXPECT_EQ(TruthSetOf(circles, text), set) << text;
            if (set != 0) {
                EXPECT_EQ(LetterCount(text), fewest[set]) << text;
            }
        }
    }
    std::mt19937 random(24);
    for (const int circles : {4, 5}) {
        const ZoneSet all = rivo::diagram::AllZones(circles);
        for (int i = 0; i < (circles == 4 ? 200 : 40); ++i) {
            const ZoneSet set = static_cast<ZoneSet>(random()) & all;
            const std::string text = rivo::diagram::ExpressionForZones(circles, set);
            EXPECT_EQ(TruthSetOf(circles, text), set) << text;
            if (set != 0) {
                EXPECT_LE(LetterCount(text), FewestTermLetters(circles, set, all & ~set)) << text;
            }
        }
    }
}

// In set notation, over every zone and the outside one: the text reads back strictly as exactly
// the set, is spelled as the writer spells what it reads, and has as few letters as the plain
// answer for the set or, when the set holds the outside zone, for its complement.
TEST(ExpressionInSetNotation, ReadsBackExactlyInTheWritersSpelling) {
    using rivo::diagram::UniverseSet;
    const auto check = [](int circles, UniverseSet set) {
        const UniverseSet all = rivo::diagram::UniverseOf(circles);
        const std::string text = rivo::diagram::ExpressionInSetNotation(circles, set);
        const rivo::diagram::SetReading reading = rivo::diagram::ReadSetNotation(text, circles);
        ASSERT_FALSE(reading.error) << text << ": " << reading.error->message;
        EXPECT_EQ(reading.set, set) << text;
        EXPECT_EQ(rivo::diagram::WriteSetNotation(reading.expression), text);
        const UniverseSet plainSet = (set & 1u) != 0 ? all & ~set : set;
        const std::string plain =
            rivo::diagram::ExpressionForZones(circles, rivo::diagram::ToZoneSet(plainSet));
        const auto capitals =
            std::count_if(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'E'; });
        EXPECT_EQ(capitals, LetterCount(plain)) << text << " against " << plain;
    };
    for (const int circles : {2, 3}) {
        for (UniverseSet set = 0; set <= rivo::diagram::UniverseOf(circles); ++set)
            check(circles, set);
    }
    std::mt19937 random(31);
    for (const int circles : {4, 5}) {
        for (int i = 0; i < (circles == 4 ? 100 : 30); ++i)
            check(circles, static_cast<UniverseSet>(random()) & rivo::diagram::UniverseOf(circles));
    }
}

}  // namespace
