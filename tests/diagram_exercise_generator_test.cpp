#include "diagram/core/exercise_generator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "diagram/core/evaluate_diagram.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"
#include "expr/budget.h"
#include "expr/tree.h"

namespace {

using rivo::diagram::GeneratedExercise;

// The generator's sets against the two readers: the plain text through the parser and the
// evaluator, the set text through the strict set-notation reader.
TEST(ExerciseGenerator, EachTextReadsBackAsItsDistinctNonTrivialSet) {
    using rivo::diagram::DiagramSize;
    struct Case {
        int circles;
        int count;
        std::uint64_t seed;
        rivo::diagram::ZoneSet shown;  // what the picture shows; 0: every zone
    };
    const Case cases[] = {{2, 600, 1, 0},
                          {3, 600, 7, 0},
                          {3, 40, 99, 0},
                          {4, 120, 5, 0},
                          {5, 600, 11, 0},
                          {5, 1, 3, 0},
                          {4, 600, 2, rivo::diagram::DrawnZones(DiagramSize::kFour)},
                          {5, 300, 4, rivo::diagram::DrawnZones(DiagramSize::kFive)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.circles << " circles, " << c.count << ", seed "
                                        << c.seed << ", shown " << c.shown);
        const auto shown = c.shown != 0 ? c.shown : rivo::diagram::AllZones(c.circles);
        const auto exercises =
            c.shown != 0 ? rivo::diagram::GenerateExercises(c.circles, c.count, c.seed, c.shown)
                         : rivo::diagram::GenerateExercises(c.circles, c.count, c.seed);
        const auto distinct = rivo::diagram::DistinctExerciseSets(c.circles, shown);
        EXPECT_EQ(exercises.size(),
                  std::min<std::uint64_t>(distinct, static_cast<std::uint64_t>(c.count)));
        std::set<rivo::diagram::ZoneSet> seen;
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        std::vector<std::string> listing;
        for (std::size_t i = 0; i < exercises.size(); ++i) {
            const GeneratedExercise& e = exercises[i];
            SCOPED_TRACE(e.plain);
            const auto picture = rivo::diagram::ToZoneSet(e.truth) & shown;
            EXPECT_TRUE(seen.insert(picture).second);
            EXPECT_NE(picture, 0u);
            EXPECT_NE(picture, shown);
            EXPECT_EQ(e.truth & rivo::diagram::kOutsideZone, 0u);
            EXPECT_EQ(rivo::diagram::FromZoneSet(
                          rivo::diagram::EvaluateZoneSet(c.circles, e.plain, tree, listing)),
                      e.truth);
            const auto reading = rivo::diagram::ReadSetNotation(e.set, c.circles);
            EXPECT_FALSE(reading.error) << e.set;
            EXPECT_EQ(reading.set, e.truth) << e.set;
            EXPECT_EQ(e.reverse, i >= (exercises.size() + 1) / 2);
            if (i > 0) {
                EXPECT_LE(exercises[i - 1].level, e.level);
            }
        }
        if (exercises.size() > 1) {
            EXPECT_LT(exercises.front().level, exercises.back().level);
        }
    }
}

TEST(ExerciseGenerator, TheSeedAloneDecides) {
    const auto texts = [](std::uint64_t seed) {
        std::vector<std::string> all;
        for (const auto& e : rivo::diagram::GenerateExercises(4, 60, seed))
            all.push_back(e.plain + "|" + e.set);
        return all;
    };
    EXPECT_EQ(texts(42), texts(42));
    EXPECT_NE(texts(42), texts(43));
    EXPECT_TRUE(rivo::diagram::GenerateExercises(1, 5, 1).empty());
    EXPECT_TRUE(rivo::diagram::GenerateExercises(3, 601, 1).empty());
}

}  // namespace
