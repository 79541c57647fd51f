// The strict set-notation reader and its writer: random expressions in every spelling against
// circle membership, against the plain language, the writer's round trip, malformed input with
// its column, and inputs as deep or long as the size limit allows.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/evaluator.h"
#include "diagram/core/express.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/set_writer.h"
#include "diagram/core/utf8.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace {

using namespace rivo::diagram;

// A random expression of the test's own, with circle membership as its meaning.
enum class Kind { kLetter, kUniverse, kEmpty, kNot, kOr, kAnd, kMinus, kXor };

struct Node {
    Kind kind;
    int letter = 0;
    int left = -1;
    int right = -1;
};

bool IsBinary(Kind kind) {
    return kind >= Kind::kOr;
}

struct Expression {
    std::vector<Node> nodes;
    int root = -1;
    int circles = 3;

    const Node& At(int i) const { return nodes[static_cast<std::size_t>(i)]; }

    // Membership of a zone (its circles as bits; 0 the outside).
    bool Holds(int i, unsigned zone) const {
        const Node& n = At(i);
        if (n.kind == Kind::kLetter) return (zone >> n.letter & 1u) != 0;
        if (n.kind == Kind::kUniverse || n.kind == Kind::kEmpty) return n.kind == Kind::kUniverse;
        const bool left = Holds(n.left, zone);
        if (n.kind == Kind::kNot) return !left;
        const bool right = Holds(n.right, zone);
        switch (n.kind) {
            case Kind::kOr:
                return left || right;
            case Kind::kAnd:
                return left && right;
            case Kind::kMinus:
                return left && !right;
            default:  // symmetric difference
                return left != right;
        }
    }

    UniverseSet Set() const {
        UniverseSet set = 0;
        for (unsigned zone = 0; zone < (1u << circles); ++zone)
            set |= Holds(root, zone) ? UniverseSet{1} << zone : 0;
        return set;
    }
};

// Plain trees use letters, union, intersection and difference only.
int Grow(Expression& e, std::mt19937& rng, int depth, bool plain) {
    const int pick = static_cast<int>(rng() % (plain ? 4 : 8));
    Node n{Kind::kLetter, static_cast<int>(rng() % static_cast<unsigned>(e.circles))};
    if (depth > 0 && pick > 0) {
        n.kind = plain ? Kind(static_cast<int>(Kind::kOr) + pick - 1)
                       : Kind(static_cast<int>(Kind::kNot) + (pick - 1) % 5);
        n.left = Grow(e, rng, depth - 1, plain);
        if (IsBinary(n.kind)) n.right = Grow(e, rng, depth - 1, plain);
    } else if (!plain && pick >= 6) {
        n.kind = pick == 6 ? Kind::kUniverse : Kind::kEmpty;
    }
    e.nodes.push_back(n);
    return static_cast<int>(e.nodes.size() - 1);
}

Expression RandomExpression(std::mt19937& rng, int circles, bool plain) {
    Expression e;
    e.circles = circles;
    e.root = Grow(e, rng, static_cast<int>(rng() % 6), plain);
    return e;
}

// Any spelling the strict reader accepts: either case, each operator's symbols, blanks of every
// kind, redundant parentheses.
std::string Spell(const Expression& e, int i, std::mt19937& rng) {
    using Choices = std::vector<std::string_view>;
    static const Choices kBlanks = {"",       "",       " ",      "  ",    "\t",
                                    "\u00A0", "\u2003", "\u200B", "\u3000"};
    static const Choices kSymbols[] = {
        {"′", "'", "ᶜ"}, {"∪"}, {"∩"}, {"\\", "∖", "−", "-"}, {"Δ", "△", "⊕"}};  // from kNot on
    const auto any = [&](const Choices& choices) {
        return std::string(choices[rng() % choices.size()]);
    };
    const auto wrap = [&](int operand, bool needed) {
        const std::string text = Spell(e, operand, rng);
        return needed || rng() % 8 == 0 ? "(" + any(kBlanks) + text + any(kBlanks) + ")" : text;
    };
    const Node& n = e.At(i);
    if (n.kind == Kind::kLetter)
        return std::string(1, static_cast<char>((rng() % 2 ? 'a' : 'A') + n.letter));
    if (n.kind == Kind::kUniverse) return "U";
    if (n.kind == Kind::kEmpty) return "∅";
    const std::string op = any(kSymbols[static_cast<int>(n.kind) - static_cast<int>(Kind::kNot)]);
    const Kind left = e.At(n.left).kind;
    if (n.kind == Kind::kNot) return wrap(n.left, IsBinary(left)) + any(kBlanks) + op;
    return wrap(n.left, IsBinary(left) && left != n.kind) + any(kBlanks) + op + any(kBlanks) +
           wrap(n.right, IsBinary(e.At(n.right).kind));
}

// The plain language: "*" binds tighter than "+" and "-", and all three group from the left.
std::string SpellPlain(const Expression& e, int i, std::mt19937& rng) {
    const Node& n = e.At(i);
    if (n.kind == Kind::kLetter) return std::string(1, static_cast<char>('a' + n.letter));
    const auto wrap = [&](int operand, bool needed) {
        const std::string text = SpellPlain(e, operand, rng);
        return needed || rng() % 10 == 0 ? "(" + text + ")" : text;
    };
    const auto isSum = [&](int operand) {
        return e.At(operand).kind == Kind::kOr || e.At(operand).kind == Kind::kMinus;
    };
    const bool product = n.kind == Kind::kAnd;
    return wrap(n.left, product && isSum(n.left)) +
           (product               ? "*"
            : n.kind == Kind::kOr ? "+"
                                  : "-") +
           wrap(n.right, product ? IsBinary(e.At(n.right).kind) : isSum(n.right));
}

SetReading Read(std::string_view text, int circles) {
    return ReadSetNotation(text, circles);
}

TEST(SetNotation, RandomExpressionsInAnySpellingReadAsCircleMembership) {
    std::mt19937 rng(2025);
    for (int circles = kMinSetCircles; circles <= kMaxSetCircles; ++circles) {
        for (int i = 0; i < 2000; ++i) {
            const Expression e = RandomExpression(rng, circles, false);
            const std::string text = Spell(e, e.root, rng);
            const SetReading reading = Read(text, circles);
            ASSERT_FALSE(reading.error) << text << ": " << reading.error->message;
            ASSERT_EQ(reading.set, e.Set()) << circles << " circles: " << text;
        }
    }
}

TEST(SetNotation, PlainExpressionsAndTheirSetSpellingAgree) {
    std::mt19937 rng(77);
    const auto plainZones = [](std::string_view text, DiagramSize size) {
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        return EvaluateZones(rivo::expr::BuildListing(text, tree), size).zones;
    };
    const auto check = [&](const std::string& plain, DiagramSize size) {
        const std::optional<std::string> spelled = PlainToSetNotation(plain);
        ASSERT_TRUE(spelled) << plain;
        const SetReading reading = Read(*spelled, CircleCount(size));
        ASSERT_FALSE(reading.error) << *spelled;
        EXPECT_EQ(reading.set & kOutsideZone, 0u) << plain;
        EXPECT_EQ(ToZoneSet(reading.set), plainZones(plain, size)) << plain << " as " << *spelled;
    };
    for (const DiagramSize size : kDiagramSizes) {
        for (int i = 0; i < 1500; ++i) {
            const Expression e = RandomExpression(rng, CircleCount(size), true);
            check(SpellPlain(e, e.root, rng), size);
        }
    }
    // Every answer of the way back from a shading, three circles.
    for (ZoneSet wanted = 0; wanted <= AllZones(DiagramSize::kThree); ++wanted)
        check(ExpressionFor(DiagramSize::kThree, wanted), DiagramSize::kThree);
    EXPECT_EQ(PlainToSetNotation("a+b*c-(d-e)"), "(A ∪ (B ∩ C)) \\ (D \\ E)");
    for (const char* other : {"a+", "(a", "a)", "ab", "a+f", "A", "a + b", "-a", "a/b", "()"})
        EXPECT_FALSE(PlainToSetNotation(other)) << other;
}

// Each pair of parentheses the writer puts in, removed: the text no longer reads, or reads as
// another tree.
void ExpectEveryParenthesisNeeded(const std::string& written, const SetReading& reading,
                                  int circles) {
    for (std::size_t open = 0; open < written.size(); ++open) {
        if (written[open] != '(') continue;
        std::size_t close = open;
        for (int depth = 0;; ++close) {
            depth += written[close] == '(' ? 1 : written[close] == ')' ? -1 : 0;
            if (depth == 0) break;
        }
        std::string without = written;
        without.erase(close, 1);
        without.erase(open, 1);
        const SetReading other = Read(without, circles);
        EXPECT_TRUE(other.error || other.expression != reading.expression)
            << written << " without a pair: " << without;
    }
}

// The round trip, and the steps: in reading order, each step's text reads back to its set.
TEST(SetNotation, WrittenTextsAndStepsReadBackWithNeededParenthesesOnly) {
    std::mt19937 rng(5);
    for (int circles = kMinSetCircles; circles <= kMaxSetCircles; ++circles) {
        for (int i = 0; i < 600; ++i) {
            const Expression e = RandomExpression(rng, circles, false);
            const SetReading first = Read(Spell(e, e.root, rng), circles);
            const std::string written = WriteSetNotation(first.expression);
            const SetReading again = Read(written, circles);
            ASSERT_FALSE(again.error) << written;
            EXPECT_EQ(again.set, first.set) << written;
            EXPECT_EQ(WriteSetNotation(again.expression), written);
            ExpectEveryParenthesisNeeded(written, again, circles);
            const std::vector<SetStep> steps = ReadingSteps(first.expression);
            ASSERT_EQ(steps.size(), StepCount(first.expression));
            for (std::size_t s = 0; s < steps.size(); ++s) {
                EXPECT_TRUE(s == 0 || steps[s - 1].node < steps[s].node);
                EXPECT_EQ(Read(steps[s].text, circles).set, steps[s].set) << steps[s].text;
            }
        }
    }
    EXPECT_EQ(WriteSetNotation(Read("(a-b)-(c⊕(U∩∅))ᶜ''", 3).expression),
              "A \\ B \\ (C Δ (U ∩ ∅))′′′");
    std::vector<std::string> texts;
    for (const SetStep& step : ReadingSteps(Read("((A ∪ B) ∩ (A ∪ C)) \\ (B ∩ C)′", 3).expression))
        texts.push_back(step.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"A ∪ B", "A ∪ C", "(A ∪ B) ∩ (A ∪ C)", "B ∩ C",
                                               "(B ∩ C)′", "((A ∪ B) ∩ (A ∪ C)) \\ (B ∩ C)′"}));
}

TEST(SetNotation, MalformedInputsNameTheirColumn) {
    struct Case {
        std::string text;
        int circles;
        std::size_t column;
        std::string message;
    };
    const Case cases[] = {
        {"", 3, 1, "empty expression"},
        {" \t\u00A0", 3, 1, "empty expression"},
        {"(A ∪ B", 3, 7, "missing ')' to close the '(' at column 1"},
        {"A ∩ ((B ∪ C)", 3, 13, "missing ')' to close the '(' at column 5"},
        {"A ∪ B)", 3, 6, "')' without a matching '('"},
        {")", 3, 1, "')' without a matching '('"},
        {"()", 3, 2, "expected a set between '(' and ')'"},
        {"A ∪", 3, 4, "expected a set after '∪'"},
        {"A ∪ ∩ B", 3, 5, "expected a set after '∪'"},
        {"(A ∪ )", 3, 6, "expected a set after '∪'"},
        {"A ∪ (", 3, 6, "expected a set after '('"},
        {"∩ B", 3, 1, "expected a set before '∩'"},
        {"A ∪ B ∩ C", 3, 7, "'∪' and '∩' at the same level need parentheses"},
        {"A - B \\ C ∪ D", 4, 11, "'\\' and '∪' at the same level need parentheses"},
        {"A ∪ D", 3, 5, "the diagram of 3 circles has no set D"},
        {"a ∪ e", 4, 5, "the diagram of 4 circles has no set E"},
        {"C", 2, 1, "the diagram of 2 circles has no set C"},
        {"AB", 3, 2, "missing an operator before 'B'"},
        {"A (B)", 3, 3, "missing an operator before '('"},
        {"′A", 3, 1, "a complement mark needs a set before it"},
        {"A ∪ '", 3, 5, "a complement mark needs a set before it"},
        {"A ∪ x", 3, 5, "unexpected 'x'"},
        {"apple", 5, 2, "unexpected 'p'"},
        {"a+b", 3, 2, "'+' is not set notation; union is written ∪"},
        {"~A", 3, 1, "'~' is not set notation; the complement is written ′ after its set"},
        {"A\x01", 3, 2, "unexpected character U+0001"},
        {"A ∪ \xFF", 3, 5, "the text is not valid UTF-8"},
        {"A\xC0\x80", 3, 2, "the text is not valid UTF-8"},
        {"\xE2\x88", 3, 1, "the text is not valid UTF-8"},
        {std::string(rivo::expr::kMaxExpressionBytes + 1, 'A'), 3, 0, "Expression is too large"},
    };
    for (const Case& c : cases) {
        const SetReading reading = Read(c.text, c.circles);
        ASSERT_TRUE(reading.error) << c.text;
        EXPECT_EQ(*reading.error, (SetNotationError{c.column, c.message})) << c.text;
        if (c.column == 0) continue;
        // The caret stands under the column: as many characters before it.
        const std::string report = FormatSetNotationError("rivo-cli: ", c.text, *reading.error);
        const std::string caretLine = report.substr(report.rfind('\n', report.size() - 2) + 1);
        EXPECT_EQ(utf8::CharacterCount(caretLine), c.column + 1) << report;
    }
}

TEST(SetNotation, ErrorReportLinesUpItsCaret) {
    const auto report = [](std::string_view text) {
        return FormatSetNotationError("rivo-cli: ", text, *Read(text, 3).error);
    };
    EXPECT_EQ(report("A ∪\t(B ∩ x)"),
              "rivo-cli: column 10: unexpected 'x'\nA ∪\t(B ∩ x)\n   \t     ^\n");
    EXPECT_EQ(report("A\xFF"), "rivo-cli: column 2: the text is not valid UTF-8\nA\uFFFD\n ^\n");
    EXPECT_EQ(
        report("A\u3000\u2003B"),
        "rivo-cli: column 4: missing an operator before 'B'\nA\u3000\u2003B\n \u3000\u2003^\n");
    // A long text shows an excerpt around the column.
    std::string chain;
    for (int i = 0; i < 300; ++i)
        chain += "A ∪ ";
    const std::string excerpt = report(chain + "x ∪ B");
    EXPECT_EQ(excerpt.substr(0, 41), "rivo-cli: column 1201: unexpected 'x'\n…");
    const std::size_t shown = excerpt.find('\n') + 1;
    const std::size_t caret = excerpt.find('\n', shown) + 1;
    const std::string line = excerpt.substr(shown, caret - 1 - shown);
    EXPECT_LE(utf8::CharacterCount(line), 102u);
    EXPECT_EQ(line.substr(line.find('x')), "x ∪ B");
    EXPECT_EQ(utf8::CharacterCount(line.substr(0, line.find('x'))), excerpt.size() - caret - 2);
}

TEST(SetNotation, InputsAsDeepAsTheSizeLimitReadWithoutRecursion) {
    const std::size_t limit = rivo::expr::kMaxExpressionBytes;
    const std::string nested = std::string(500'000, '(') + "b" + std::string(500'000, ')');
    EXPECT_EQ(Read(nested, 3).set, CircleSet(3, 1));
    EXPECT_EQ(PlainToSetNotation(std::string(400'000, '(') + "b" + std::string(400'000, ')')), "B");
    EXPECT_EQ(*Read(std::string(limit, '('), 3).error,
              (SetNotationError{limit + 1, "expected a set after '('"}));

    // A million complements: each a step, each step's text cut.
    const SetReading marks = Read("A" + std::string(limit - 1, '\''), 5);
    EXPECT_EQ(marks.set, UniverseOf(5) & ~CircleSet(5, 0));
    EXPECT_EQ(StepCount(marks.expression), limit - 1);
    const std::vector<SetStep> steps = ReadingSteps(marks.expression, 200);
    ASSERT_EQ(steps.size(), 200u);
    EXPECT_EQ(steps[1].text, "A′′");
    EXPECT_EQ(steps[1].set, CircleSet(5, 0));
    std::string cut = "A";
    while (cut.size() + 3 <= kStepTextBytes)
        cut += "′";
    EXPECT_EQ(steps.back().text, cut + "…");
    // A right-deep chain of differences, written back with its parentheses.
    std::string right;
    // Written with blanks around each "\\", the text must still fit the limit to read back.
    const std::size_t depth = (limit - 1) / 6;
    for (std::size_t i = 0; i < depth; ++i)
        right += i % 2 ? "b\\(" : "a\\(";
    right += "c" + std::string(depth, ')');
    const SetReading deep = Read(right, 3);
    ASSERT_FALSE(deep.error);
    EXPECT_EQ(Read(WriteSetNotation(deep.expression), 3).expression, deep.expression);
    EXPECT_EQ(ReadingSteps(deep.expression, 1).front().text,
              std::string(depth % 2 ? "A" : "B") + " \\ C");
}

}  // namespace
