// The diagram evaluator: listings over the variable sets, the stack's corner cases, and the
// whole road from text to region set against circle membership.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "diagram/core/evaluate_diagram.h"
#include "diagram/core/evaluator.h"
#include "diagram/core/reading_note.h"
#include "diagram/core/steps.h"
#include "diagram/core/zones.h"
#include "expr/infix.h"
#include "expr/m_tree.h"
#include "expr/tree.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::diagram::EvaluateListing;
using rivo::diagram::VariableSet;
using Lines = std::vector<std::string>;

TEST(EvaluateListing, KnownListings) {
    struct Case {
        const char* name;
        DiagramSize size;
        Lines lines;
        const char* result;
    };
    const Lines defaultListing = {"- @F", "+ @F", "+ @F", "* @F", "a",    "b", "* @F", "b", "c",
                                  "* @F", "a",    "c",    "* @F", "* @F", "a", "b",    "c"};
    const Case cases[] = {
        {"difference", DiagramSize::kThree, {"- @F", "a", "b"}, "14"},
        {"union", DiagramSize::kThree, {"+ @F", "a", "b"}, "123456"},
        {"intersection", DiagramSize::kThree, {"* @F", "a", "b"}, "25"},
        {"difference the other way", DiagramSize::kThree, {"- @F", "b", "a"}, "36"},
        {"single variable as stored", DiagramSize::kThree, {"a"}, "1245"},
        {"single variable, four circles", DiagramSize::kFour, {"a"}, "ABCDEFG"},
        {"stored order kept", DiagramSize::kFive, {"B"}, "CDMFHIGKPQR"},
        {"upper and lower case", DiagramSize::kThree, {"+ @F", "A", "b"}, "123456"},
        {"blanks around an operator", DiagramSize::kThree, {"  + @F  ", "a", "b"}, "123456"},
        {"two blanks inside: no operator", DiagramSize::kThree, {"+  @F", "a", "b"}, "2356"},
        {"upper-casing makes @f the suffix", DiagramSize::kThree, {"* @f", "a", "b"}, "25"},
        {"another suffix: no operator", DiagramSize::kThree, {"* @G", "a", "b"}, "2356"},
        {"tabs and control bytes trimmed", DiagramSize::kThree, {"\t* @F\r", "a", "b"}, "25"},
        {"d skipped with three circles", DiagramSize::kThree, {"d"}, ""},
        {"e skipped with four circles", DiagramSize::kFour, {"+ @F", "e", "d"}, "HBCEFIJ"},
        {"no pushing line", DiagramSize::kFive, {"x", "2 @N", "sin @F"}, ""},
        {"unknown operator never combines", DiagramSize::kThree, {"/ @F", "a", "b"}, "2356"},
        {"operator at depth one", DiagramSize::kThree, {"- @F", "2 @N", "a"}, "1245"},
        {"negation skipped", DiagramSize::kThree, {"neg @F", "a"}, "1245"},
        {"operand skipped", DiagramSize::kThree, {"* @F", "a", "x"}, "1245"},
        {"function line pushes its first letter", DiagramSize::kThree, {"abs @F", "b"}, "2356"},
        {"cos pushes c", DiagramSize::kThree, {"+ @F", "cos @F", "a"}, "124567"},
        {"blank line", DiagramSize::kThree, {"   ", "a"}, "1245"},
        {"empty listing", DiagramSize::kThree, {}, ""},
        {"operator on an empty stack", DiagramSize::kThree, {"a", "+ @F"}, "1245"},
        {"default text", DiagramSize::kThree, defaultListing, "246"},
        {"default text, four circles", DiagramSize::kFour, defaultListing, "CDEJK"},
        {"five circles", DiagramSize::kFive, {"+ @F", "a", "e"}, "ABCDEFGHIJKLNOP"},
        {"depth one after a combination",
         DiagramSize::kThree,
         {"+ @F", "x", "+ @F", "b", "a"},
         "123456"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EvaluateListing(c.lines, c.size), c.result);
    }
}

TEST(VariableSet, ExistsOnlyForTheLettersOfEachSize) {
    EXPECT_EQ(VariableSet(DiagramSize::kThree, 'C'), "4567");
    EXPECT_FALSE(VariableSet(DiagramSize::kThree, 'D'));
    EXPECT_EQ(VariableSet(DiagramSize::kFour, 'D'), "HBCEFIJ");
    EXPECT_FALSE(VariableSet(DiagramSize::kFour, 'E'));
    EXPECT_EQ(VariableSet(DiagramSize::kFive, 'E'), "LBCNEFHJGOP");
    for (const char c : {'@', 'F', 'a', '\0', '\xC1'}) {
        EXPECT_FALSE(VariableSet(DiagramSize::kFive, c)) << static_cast<int>(c);
    }
}

// A set expression over the size's letters, its value computed directly from circle
// membership: region r is in the set when the expression holds for the circles holding r.
struct RandomSetExpression {
    std::string text;
    std::vector<bool> member;  // per region code index
};

class ExpressionMaker {
  public:
    ExpressionMaker(DiagramSize size, std::mt19937& rng) : size_(size), rng_(rng) {
        const std::string all = size == DiagramSize::kThree  ? "1234567"
                                : size == DiagramSize::kFour ? "ABCDEFGHIJKLM"
                                                             : "ABCDEFGHIJKLMNOPQRSTU";
        codes_ = all;
    }

    const std::string& Codes() const { return codes_; }

    // Grammar-shaped text with blanks and either case; depth-limited, so the test's own
    // recursion stays shallow.
    RandomSetExpression Make(int depth) {
        std::uniform_int_distribution<int> pick(0, 9);
        const int choice = depth <= 0 ? 0 : pick(rng_);
        if (choice < 4) return Letter();
        RandomSetExpression left = Make(depth - 1);
        RandomSetExpression right = Make(depth - 1);
        const char op = "+*-"[pick(rng_) % 3];
        RandomSetExpression out;
        const bool parens = pick(rng_) < 5 || op != '+';
        // "*" binds tighter than the sides it joins: its left side needs parentheses too.
        const std::string lhs = op == '*' ? "(" + left.text + ")" : left.text;
        out.text =
            lhs + Blank() + op + Blank() + (parens ? "(" : "") + right.text + (parens ? ")" : "");
        if (!parens) {
            // Without parentheses the right side re-associates; keep it a single letter.
            right = Letter();
            out.text = lhs + Blank() + op + Blank() + right.text;
        }
        out.member.resize(codes_.size());
        for (std::size_t r = 0; r < codes_.size(); ++r) {
            const bool a = left.member[r];
            const bool b = right.member[r];
            out.member[r] = op == '+' ? (a || b) : op == '*' ? (a && b) : (a && !b);
        }
        return out;
    }

    RandomSetExpression Letter() {
        std::uniform_int_distribution<int> pick(0, CircleCount(size_) - 1);
        const char upper = static_cast<char>('A' + pick(rng_));
        const std::string_view set = *VariableSet(size_, upper);
        RandomSetExpression out;
        out.text = std::string(Blank()) + (pick(rng_) % 2 ? upper : static_cast<char>(upper + 32));
        out.text += Blank();
        out.member.resize(codes_.size());
        for (std::size_t r = 0; r < codes_.size(); ++r) {
            out.member[r] = set.find(codes_[r]) != std::string_view::npos;
        }
        return out;
    }

  private:
    std::string Blank() {
        std::uniform_int_distribution<int> pick(0, 5);
        return pick(rng_) == 0 ? " " : "";
    }

    DiagramSize size_;
    std::mt19937& rng_;
    std::string codes_;
};

std::string Sorted(std::string s) {
    std::sort(s.begin(), s.end());
    return s;
}

std::string Expected(const RandomSetExpression& e, const std::string& codes) {
    std::string out;
    for (std::size_t r = 0; r < codes.size(); ++r) {
        if (e.member[r]) out += codes[r];
    }
    return out;
}

TEST(EvaluateListing, AgreesWithCircleMembershipOnRandomExpressions) {
    std::mt19937 rng(4242);
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        ExpressionMaker maker(size, rng);
        for (int i = 0; i < 3000; ++i) {
            const RandomSetExpression e = maker.Make(5);
            rivo::expr::RunBudget budget;
            rivo::expr::TreeContainer tree(budget);
            const std::string result =
                EvaluateListing(rivo::expr::BuildListing(e.text, tree), size);
            ASSERT_EQ(Sorted(result), Expected(e, maker.Codes()))
                << "size " << CircleCount(size) << ", text: " << e.text;
        }
    }
}

TEST(EvaluateListing, LongChainsNeedMoreThan128Entries) {
    std::mt19937 rng(7);
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        ExpressionMaker maker(size, rng);
        for (int i = 0; i < 20; ++i) {
            // A left-deep chain of 129 to 2000 terms pushes every term before combining any;
            // "+" and "-" share one level, so the text reads left to right.
            RandomSetExpression chain = maker.Letter();
            const int terms = 129 + i * 100;
            for (int t = 1; t < terms; ++t) {
                const RandomSetExpression next = maker.Letter();
                const char op = "+-"[static_cast<std::size_t>(t * 7 + i) % 2];
                chain.text += std::string(1, op) + next.text;
                for (std::size_t r = 0; r < chain.member.size(); ++r) {
                    const bool a = chain.member[r];
                    const bool b = next.member[r];
                    chain.member[r] = op == '+' ? (a || b) : op == '*' ? (a && b) : (a && !b);
                }
            }
            rivo::expr::RunBudget budget;
            rivo::expr::TreeContainer tree(budget);
            const auto listing = rivo::expr::BuildListing(chain.text, tree);
            ASSERT_EQ(Sorted(EvaluateListing(listing, size)), Expected(chain, maker.Codes()))
                << "terms " << terms;
        }
        // The plain union of 129 letters reaches every region some letter covers.
        std::string text = "a";
        for (int t = 1; t < 129; ++t)
            text += "+" + std::string(1, static_cast<char>('a' + t % CircleCount(size)));
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        EXPECT_EQ(EvaluateListing(rivo::expr::BuildListing(text, tree), size).size(),
                  maker.Codes().size());
    }
}

// The step texts against the infix writer on its own (no text written before): the same
// bytes, cut at the same place, for shapes whose steps hold earlier steps on either side, in
// parentheses, in calls and in lists, with labels of many-byte characters around the cut.
TEST(StepTexts, AreEachStepsSubExpressionCut) {
    const std::string chain = [] {
        std::string text = "a";
        for (int i = 0; i < 400; ++i)
            text += i % 3 == 0 ? "+b" : "-\u00e9\u00e9";
        return text;
    }();
    std::string right = "c";
    for (int i = 0; i < 150; ++i)
        right = "a*(b+" + right + ")";
    const std::string texts[] = {chain, right, "(a+b)*(c-(a+b))-a*((b+c)+(a-c))",
                                 "f(a+b;c*(d-e))+(x;y+z)*a", "2-a+(b;c)*3"};
    for (const std::string& text : texts) {
        for (const std::size_t limit : {std::size_t{7}, std::size_t{300}, SIZE_MAX}) {
            SCOPED_TRACE(text.substr(0, 40) + ", limit " + std::to_string(limit));
            rivo::expr::RunBudget budget;
            rivo::expr::TreeContainer tree(budget);
            const auto listing = rivo::expr::BuildListing(text, tree);
            rivo::expr::ScopedCharge held(budget);
            const auto steps =
                rivo::diagram::EvaluationStepsOf(tree, listing, DiagramSize::kFive, held);
            ASSERT_FALSE(steps.empty());
            const auto shown =
                rivo::diagram::StepTextsOf(tree, steps, DiagramSize::kFive, limit, held);
            ASSERT_EQ(shown.size(), steps.size());
            for (std::size_t i = 0; i < steps.size(); ++i) {
                std::string whole = rivo::expr::WriteInfix(tree, steps[i].node, budget);
                if (whole.size() > limit) {
                    std::size_t end = limit;
                    while ((static_cast<unsigned char>(whole[end]) & 0xC0) == 0x80)
                        --end;
                    whole = whole.substr(0, end) + "\u2026";
                }
                ASSERT_EQ(shown[i].text, whole) << "step " << i + 1;
                EXPECT_EQ(shown[i].regions,
                          rivo::diagram::RegionsOfZones(DiagramSize::kFive, steps[i].zones));
            }
        }
    }
}

// However long the listing, the report holds the first lines of each kind in listing order and
// counts the rest: a line of every kind at every tenth place of 100,000, read from the end.
TEST(ReadingReport, KeepsTheFirstLinesOfEachKindAndCountsTheRest) {
    Lines lines;
    for (int i = 0; i < 100000; ++i)
        lines.push_back(i % 10 == 3 ? "x" : i % 10 == 7 ? "apple" : "a");
    lines.insert(lines.begin(), {"+ @F", "^ @F"});  // applied; then skipped
    rivo::diagram::ReadingReport report;
    rivo::diagram::EvaluateZones(lines, DiagramSize::kThree, nullptr, &report);
    EXPECT_EQ(report.skipped, 10001u);
    EXPECT_EQ(report.misread, 10000u);
    for (std::size_t i = 0; i < rivo::diagram::ReadingReport::kQuoted; ++i) {
        EXPECT_EQ(report.skippedLines[i], i == 0 ? 1 : 2 + 3 + 10 * (i - 1));
        EXPECT_EQ(report.misreadLines[i], 2 + 7 + 10 * i);
    }
    EXPECT_EQ(rivo::diagram::ReadingNote(lines, report),
              "the diagram skipped \"^\", \"x\", \"x\", \"x\", \"x\", \"x\", \"x\" and 9994 "
              "more; read \"apple\" as a and 9999 more");
}

// A part is quoted as the text holds it, and safe to print: no byte a terminal acts on, no
// more than a few dozen characters of a long name.
TEST(ReadingNote, QuotesPartsSafely) {
    const struct {
        std::string line;
        std::string quoted;
    } rows[] = {
        {"cos @F", "\"cos(\""},
        {"neg @F", "\"-\""},
        {" @N", "an empty operand"},
        {"x @A", "\"x[\""},
        {"2,5 @N", "\"2,5\""},
        {"a\"\\b", "\"a\\\"\\\\b\""},
        {"a\x1B[2Jb\x7F", "\"a\\x1B[2Jb\\x7F\""},
        {"a\u202Eb\xC3", "\"a\\xE2\\x80\\xAEb\\xC3\""},
        {std::string(100, 'w') + "\u00e9 @F", "\"" + std::string(24, 'w') + "\u2026\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(rivo::diagram::QuotedPart(row.line), row.quoted) << row.line;
}

// A random expression over + * - and the size's letters, grown below `node` of `tree` (depth
// limited, so the test's recursion stays shallow); returns its zones (bit z - 1 for the zone of
// circles z) and appends each operator's zones to `events` after its operands': reading order.
unsigned Grow(rivo::expr::TreeContainer& tree, rivo::expr::NodeId node, int circles, int depth,
              std::mt19937& random, std::vector<unsigned>& events) {
    if (depth == 0 || random() % 4 == 0) {
        const auto circle = static_cast<unsigned>(random() % static_cast<unsigned>(circles));
        tree.SetLabel(node, std::string(1, static_cast<char>('a' + circle)));
        unsigned zones = 0;
        for (unsigned zone = 1; zone < (1u << circles); ++zone)
            zones |= ((zone >> circle) & 1u) << (zone - 1);
        return zones;
    }
    const char op = "+*-"[random() % 3];
    tree.SetLabel(node, std::string(1, op));
    const unsigned left =
        Grow(tree, tree.AppendChild(node, ""), circles, depth - 1, random, events);
    const unsigned right =
        Grow(tree, tree.AppendChild(node, ""), circles, depth - 1, random, events);
    events.push_back(op == '+' ? left | right : op == '*' ? left & right : left & ~right);
    return events.back();
}

// Every well-formed expression, as the infix writer writes it, reads with no note, and its
// steps in reading order are its operators left to right, each with its sub-expression's set.
TEST(ReadingNote, NoneForWellFormedExpressionsWhoseStepsReadLeftToRight) {
    std::mt19937 random(2512);
    for (const DiagramSize size : rivo::diagram::kDiagramSizes) {
        const int circles = rivo::diagram::CircleCount(size);
        for (int i = 0; i < 600; ++i) {
            rivo::expr::RunBudget budget;
            rivo::expr::TreeContainer written(budget);
            std::vector<unsigned> events;
            Grow(written, written.AddFirstTopLevel(""), circles, 6, random, events);
            const std::string text =
                rivo::expr::WriteInfix(written, written.FirstTopLevel(), budget);
            SCOPED_TRACE(text);

            rivo::expr::TreeContainer tree(budget);
            std::vector<std::string> listing;
            EXPECT_EQ(rivo::diagram::EvaluateDiagram(size, text, tree, listing).readingNote, "");
            rivo::expr::ScopedCharge held(budget);
            auto steps = rivo::diagram::EvaluationStepsOf(tree, listing, size, held);
            rivo::diagram::PutInReadingOrder(tree, steps, held);
            std::vector<unsigned> read;
            for (const auto& step : steps)
                read.push_back(step.zones);
            ASSERT_EQ(read, events);
        }
    }
}

// The reading order of the example a teacher would give, against the evaluator's own order.
TEST(PutInReadingOrder, ShowsOperandsLeftToRightBeforeTheirOperator) {
    rivo::expr::RunBudget budget;
    rivo::expr::TreeContainer tree(budget);
    const auto listing = rivo::expr::BuildListing("(a+b)*(a+c)-b*c", tree);
    rivo::expr::ScopedCharge held(budget);
    auto steps = rivo::diagram::EvaluationStepsOf(tree, listing, DiagramSize::kThree, held);
    const auto texts = [&] {
        std::vector<std::string> out;
        for (const auto& step :
             rivo::diagram::StepTextsOf(tree, steps, DiagramSize::kThree, 300, held))
            out.push_back(step.text);
        return out;
    };
    EXPECT_EQ(texts(), Lines({"b*c", "a+c", "a+b", "(a+b)*(a+c)", "(a+b)*(a+c)-b*c"}));
    rivo::diagram::PutInReadingOrder(tree, steps, held);
    EXPECT_EQ(texts(), Lines({"a+b", "a+c", "(a+b)*(a+c)", "b*c", "(a+b)*(a+c)-b*c"}));
}

}  // namespace
