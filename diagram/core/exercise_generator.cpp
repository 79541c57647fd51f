#include "diagram/core/exercise_generator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <optional>
#include <unordered_set>

#include "diagram/core/express.h"
#include "diagram/core/set_writer.h"

namespace rivo::diagram {

namespace {

// SplitMix64: tiny, fast, and fully defined by its few lines, so every build agrees.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound), bound > 0: values below 2^64 mod bound are drawn again, so no
    // remainder is more likely than another.
    std::uint64_t Below(std::uint64_t bound) {
        const std::uint64_t rejectBelow = (0 - bound) % bound;
        for (;;) {
            const std::uint64_t value = Next();
            if (value >= rejectBelow) return value % bound;
        }
    }

    int Below(int bound) { return static_cast<int>(Below(static_cast<std::uint64_t>(bound))); }

  private:
    std::uint64_t state_;
};

// What each level asks for: letters in the expression (repeats allowed once the circles run
// out) and the depth of its deepest parentheses.
struct LevelShape {
    int leaves;
    int depth;
};

constexpr std::array<LevelShape, kTopExerciseLevel> kLevels = {{
    {2, 0},
    {3, 0},
    {3, 1},
    {4, 1},
    {4, 2},
    {5, 3},
}};

constexpr int kMaxLeaves = 5;

// Random expressions tried per level before a slot moves to the next level: enough that a level
// is left only once its sets are nearly used up, few enough that an exhausted level costs little.
constexpr int kTriesPerLevel = 400;

// A part of an expression being built: its set, its text with the fewest parentheses the plain
// language needs, its top operator (0 for a letter) and its parentheses' depth.
struct Part {
    ZoneSet zones = 0;
    std::string text;
    char op = 0;
    int depth = 0;
};

int Precedence(char op) {
    return op == 0 ? 3 : op == '*' ? 2 : 1;
}

// Whether `part` needs parentheses as an operand of `op`. "*" binds tighter than "+" and "-",
// which group from the left; a right operand of its own precedence keeps them unless both are
// the same associative operator, a+(b+c) being a+b+c.
bool NeedsParentheses(const Part& part, char op, bool right) {
    const int inner = Precedence(part.op);
    const int outer = Precedence(op);
    if (inner != outer) return inner < outer;
    return right && !(part.op == op && op != '-');
}

// One random expression of the shape; nothing when an operator in it changes nothing (a*(a+b)),
// gives the empty set, or the parentheses' depth is not the shape's.
std::optional<Part> RandomExpression(Random& random, int circles, LevelShape shape) {
    // Letters: as many different ones as the circles allow, in random order, repeats after.
    std::array<int, kMaxLeaves> letters{};
    std::array<int, 5> pool = {0, 1, 2, 3, 4};
    for (int i = circles - 1; i > 0; --i)
        std::swap(pool[static_cast<std::size_t>(i)],
                  pool[static_cast<std::size_t>(random.Below(i + 1))]);
    for (int i = 0; i < shape.leaves; ++i)
        letters[static_cast<std::size_t>(i)] =
            i < circles ? pool[static_cast<std::size_t>(i)] : random.Below(circles);

    std::array<Part, kMaxLeaves> parts;
    for (int i = 0; i < shape.leaves; ++i) {
        Part& part = parts[static_cast<std::size_t>(i)];
        part.zones = ZonesOfCircle(circles, letters[static_cast<std::size_t>(i)]);
        part.text = static_cast<char>('a' + letters[static_cast<std::size_t>(i)]);
    }
    // Neighbours are joined until one part is left: every tree over the letters in this order
    // can come out, and no walk goes deeper than the five letters.
    static constexpr std::array<char, 3> kOps = {'+', '*', '-'};
    for (int size = shape.leaves; size > 1; --size) {
        const auto at = static_cast<std::size_t>(random.Below(size - 1));
        const char op = kOps[static_cast<std::size_t>(random.Below(3))];
        Part& left = parts[at];
        Part& right = parts[at + 1];
        const ZoneSet zones = op == '+'   ? left.zones | right.zones
                              : op == '*' ? left.zones & right.zones
                                          : left.zones & ~right.zones;
        if (zones == 0 || zones == left.zones || zones == right.zones) return std::nullopt;
        const bool wrapLeft = NeedsParentheses(left, op, false);
        const bool wrapRight = NeedsParentheses(right, op, true);
        Part joined;
        joined.zones = zones;
        joined.op = op;
        joined.depth = std::max(left.depth + (wrapLeft ? 1 : 0), right.depth + (wrapRight ? 1 : 0));
        joined.text = JoinPlainTexts(left.text, op, right.text, wrapLeft, wrapRight);
        left = std::move(joined);
        for (auto i = at + 1; i + 1 < static_cast<std::size_t>(size); ++i)
            parts[i] = std::move(parts[i + 1]);
    }
    if (parts[0].depth != shape.depth) return std::nullopt;
    return std::move(parts[0]);
}

// The bits of `index`, lowest first, laid onto the set bits of `mask`: the index-th subset of it.
ZoneSet Deposit(std::uint64_t index, ZoneSet mask) {
    ZoneSet result = 0;
    for (ZoneSet bit = 1; bit != 0 && mask != 0; bit <<= 1) {
        if ((mask & bit) == 0) continue;
        if ((index & 1u) != 0) result |= bit;
        index >>= 1;
        mask &= ~bit;
    }
    return result;
}

GeneratedExercise MakeExercise(std::string plain, ZoneSet zones, int level) {
    GeneratedExercise exercise{};
    exercise.set = PlainToSetNotation(plain).value_or(std::string());
    exercise.plain = std::move(plain);
    exercise.truth = FromZoneSet(zones);
    exercise.level = level;
    return exercise;
}

}  // namespace

std::uint64_t DistinctExerciseSets(int circles) {
    if (circles < kMinSetCircles || circles > kMaxSetCircles) return 0;
    return DistinctExerciseSets(circles, AllZones(circles));
}

std::uint64_t DistinctExerciseSets(int circles, ZoneSet shown) {
    if (circles < kMinSetCircles || circles > kMaxSetCircles) return 0;
    const int zones = std::popcount(shown & AllZones(circles));
    return zones < 2 ? 0 : (std::uint64_t{1} << zones) - 2;
}

std::vector<GeneratedExercise> GenerateExercises(int circles, int count, std::uint64_t seed) {
    if (circles < kMinSetCircles || circles > kMaxSetCircles) return {};
    return GenerateExercises(circles, count, seed, AllZones(circles));
}

std::vector<GeneratedExercise> GenerateExercises(int circles, int count, std::uint64_t seed,
                                                 ZoneSet shown) {
    std::vector<GeneratedExercise> exercises;
    if (circles < kMinSetCircles || circles > kMaxSetCircles || count < 1 ||
        count > kMaxGeneratedExercises)
        return exercises;
    shown &= AllZones(circles);
    const std::uint64_t choices = DistinctExerciseSets(circles, shown);
    const auto wanted =
        static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count), choices));
    exercises.reserve(static_cast<std::size_t>(wanted));
    Random random(seed);
    // Sets are told apart, and judged empty or whole, by what the picture shows of them.
    std::unordered_set<ZoneSet> used;
    int level = 1;
    for (int slot = 0; slot < wanted; ++slot) {
        // The slot's place on the sheet sets the least level; a level whose sets ran out is left
        // for good, so levels never fall.
        level = std::max(level, 1 + slot * kTopExerciseLevel / wanted);
        std::optional<GeneratedExercise> found;
        for (int tryLevel = level; tryLevel <= kTopExerciseLevel && !found; ++tryLevel) {
            const LevelShape shape = kLevels[static_cast<std::size_t>(tryLevel - 1)];
            for (int attempt = 0; attempt < kTriesPerLevel; ++attempt) {
                std::optional<Part> part = RandomExpression(random, circles, shape);
                if (!part) continue;
                const ZoneSet seen = part->zones & shown;
                if (seen == 0 || seen == shown || used.contains(seen)) continue;
                used.insert(seen);
                found = MakeExercise(std::move(part->text), part->zones, tryLevel);
                level = tryLevel;
                break;
            }
        }
        if (!found) {
            // Every level is (nearly) used up, as with few circles: take the sets not yet used
            // in turn from a random start, each as its shortest expression.
            const std::uint64_t start = random.Below(choices);
            for (std::uint64_t i = 0; i < choices; ++i) {
                const ZoneSet zones = Deposit(1 + (start + i) % choices, shown);
                if (used.contains(zones)) continue;
                used.insert(zones);
                found = MakeExercise(ExpressionForZones(circles, zones), zones, level);
                break;
            }
        }
        if (!found) break;
        exercises.push_back(std::move(*found));
    }
    const std::size_t shading = (exercises.size() + 1) / 2;
    for (std::size_t i = 0; i < exercises.size(); ++i)
        exercises[i].reverse = i >= shading;
    return exercises;
}

}  // namespace rivo::diagram
