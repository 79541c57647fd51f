// The zone evaluator against two independent references: a stack over region strings (the
// picture's region algebra) for the drawn part and every step, and circle membership computed
// alongside random expressions for the whole truth set, hidden zones included.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "diagram/core/evaluator.h"
#include "diagram/core/region_set.h"
#include "diagram/core/zones.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::EvaluationStep;
using rivo::diagram::ZoneSet;

// A listing line and what it does, told by the test rather than read from the line.
struct PoolLine {
    const char* text;
    char op;      // '+', '*' or '-' for an operator line, 0 otherwise
    char letter;  // the variable it pushes when the size has it, 0 for none
};

// Operators in every spelling the evaluator accepts and some it must skip, pushing lines, and
// lines that push nothing: numbers, other names, negation, blanks.
constexpr PoolLine kPool[] = {
    {"+ @F", '+', 0},   {" * @f", '*', 0}, {"- @F\t", '-', 0}, {"+  @F", 0, 0},
    {"/ @F", 0, 0},     {"a", 0, 'A'},     {"B", 0, 'B'},      {"cos @F", 0, 'C'},
    {"d", 0, 'D'},      {"e @F", 0, 'E'},  {"2 @N", 0, 0},     {"x", 0, 0},
    {"neg @F", 0, 'N'}, {"", 0, 0},        {"+ @F", '+', 0},   {"- @F", '-', 0},
};

// The evaluator as the picture's region algebra: region strings on a stack with a spare slot,
// a lone variable's stored set handed out as it stands.
struct RegionReference {
    std::string result;
    std::vector<std::string> steps;  // each performed combination, sorted
};

RegionReference EvaluateByRegions(const std::vector<const PoolLine*>& lines, DiagramSize size) {
    std::vector<std::string> slots(1);
    std::size_t depth = 0;
    RegionReference out;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const PoolLine& line = **it;
        if (line.op != 0) {
            if (depth == 0) continue;
            const std::string& top = slots[depth];
            const std::string& below = slots[depth - 1];
            slots[depth - 1] = line.op == '+'   ? rivo::diagram::RegionUnion(top, below)
                               : line.op == '*' ? rivo::diagram::RegionIntersection(top, below)
                                                : rivo::diagram::RegionDifference(top, below);
            --depth;
            out.steps.push_back(slots[depth]);
            continue;
        }
        const auto set = rivo::diagram::VariableSet(size, line.letter);
        if (!set) continue;
        if (depth + 1 == slots.size()) slots.emplace_back();
        slots[++depth] = std::string(*set);
    }
    if (slots.size() > 1) out.result = slots[1];
    return out;
}

std::string Sorted(std::string s) {
    std::sort(s.begin(), s.end());
    return s;
}

TEST(EvaluateZones, DrawnPartAndStepsAgreeWithTheRegionAlgebraOnRandomListings) {
    std::mt19937 rng(1515);
    std::uniform_int_distribution<std::size_t> pickLine(0, std::size(kPool) - 1);
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        for (std::size_t round = 0; round < 4000; ++round) {
            // Mostly short listings, where an empty stack and the depth-one combination with
            // the spare slot are common; some long ones past the first 128 entries.
            const std::size_t length = round % 50 == 0 ? 300 : 1 + round % 24;
            std::vector<const PoolLine*> pool;
            std::vector<std::string> lines;
            for (std::size_t i = 0; i < length; ++i) {
                pool.push_back(&kPool[pickLine(rng)]);
                lines.emplace_back(pool.back()->text);
            }
            const RegionReference expected = EvaluateByRegions(pool, size);
            std::vector<EvaluationStep> steps;
            const auto evaluation = rivo::diagram::EvaluateZones(lines, size, &steps);

            ASSERT_EQ(rivo::diagram::EvaluateListing(lines, size), expected.result);
            ASSERT_EQ(rivo::diagram::RegionsOfZones(size, evaluation.zones),
                      Sorted(expected.result));
            ASSERT_EQ(steps.size(), expected.steps.size());
            for (std::size_t s = 0; s < steps.size(); ++s) {
                ASSERT_EQ(rivo::diagram::RegionsOfZones(size, steps[s].zones), expected.steps[s]);
                ASSERT_NE(lines[steps[s].line].find('@'), std::string::npos);
            }
        }
    }
}

// A random expression text with its truth set worked out from circle membership.
struct ZoneExpression {
    std::string text;
    ZoneSet zones;
};

ZoneExpression RandomExpression(DiagramSize size, std::mt19937& rng, int depth) {
    std::uniform_int_distribution<int> pick(0, 9);
    if (depth == 0 || pick(rng) < 3) {
        const int circle = pick(rng) % CircleCount(size);
        ZoneSet zones = 0;
        for (rivo::diagram::Zone zone = 1; zone <= rivo::diagram::ZoneCount(size); ++zone) {
            if ((zone >> circle & 1u) != 0) zones |= ZoneSet{1} << (zone - 1);
        }
        return {std::string(1, static_cast<char>('a' + circle)), zones};
    }
    const ZoneExpression left = RandomExpression(size, rng, depth - 1);
    const ZoneExpression right = RandomExpression(size, rng, depth - 1);
    const char op = "+*-"[pick(rng) % 3];
    const ZoneSet zones = op == '+'   ? left.zones | right.zones
                          : op == '*' ? left.zones & right.zones
                                      : left.zones & ~right.zones;
    return {"(" + left.text + ")" + op + "(" + right.text + ")", zones};
}

TEST(EvaluateZones, TruthSetIsCircleMembershipHiddenZonesIncluded) {
    std::mt19937 rng(77);
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        for (int round = 0; round < 600; ++round) {
            const ZoneExpression e = RandomExpression(size, rng, 4);
            rivo::expr::RunBudget budget;
            rivo::expr::TreeContainer tree(budget);
            const auto listing = rivo::expr::BuildListing(e.text, tree);
            ASSERT_EQ(rivo::diagram::EvaluateZones(listing, size).zones, e.zones) << e.text;
        }
    }
}

TEST(EvaluateZones, SetsTheFourCircleDiagramCannotShow) {
    rivo::expr::RunBudget budget;
    rivo::expr::TreeContainer tree(budget);
    const auto listing = rivo::expr::BuildListing("a*c-b-d", tree);
    const auto evaluation = rivo::diagram::EvaluateZones(listing, DiagramSize::kFour);
    EXPECT_EQ(rivo::diagram::RegionSetOf(DiagramSize::kFour, evaluation), "");
    EXPECT_EQ(evaluation.zones, rivo::diagram::ZoneBit(0b0101));
    EXPECT_EQ(rivo::diagram::HiddenZoneList(DiagramSize::kFour,
                                            rivo::diagram::AllZones(DiagramSize::kFour)),
              "AC, BD");
    EXPECT_EQ(std::popcount(rivo::diagram::DrawnZones(DiagramSize::kFive)), 21);
}

}  // namespace
