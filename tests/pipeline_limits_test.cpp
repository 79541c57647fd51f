// The input limit of the whole road: texts of the largest accepted size, of every shape, end
// with a picture or a pipeline error; one byte more is refused at once. How long they take and
// how much memory they use is measured by bench/road_bench, not here.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/tree.h"
#include "tests/expression_shapes.h"
#include "tests/separator_scope.h"
#include "tests/support/window_holders.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::expr::kMaxExpressionBytes;
using rivo::testing::ShapedText;
using rivo::testing::TextShape;

constexpr const char* kTooLarge = "Expression is too large";

// What the window keeps between clicks, drawing five circles.
struct Window : rivo::testing::WindowHolders {
    // The painted region set, or "error: " and the message.
    std::string Draw(std::string_view text) {
        try {
            return WindowHolders::Draw(DiagramSize::kFive, text);
        } catch (const rivo::expr::PipelineError& e) {
            return std::string("error: ") + e.what();
        }
    }
};

TEST(PipelineLimits, EveryShapeOfTheLargestSizeEnds) {
    const rivo::testing::SeparatorScope dot('.');
    struct Case {
        TextShape shape;
        const char* outcome;
        std::size_t bytes = kMaxExpressionBytes;  // short for the shapes of a fixed text
    };
    const Case cases[] = {
        {TextShape::kLeftChain, "ABCDEFGHIJKLMNOPQRSTU"},  // a+b+c+d+e: every region
        {TextShape::kRightChain, "ABCDEFGHIJKMPQR"},       // a+(b+(...)): a or b
        {TextShape::kNestedParentheses, "ABCDEFGHIJKMPQR"},
        {TextShape::kNestedCalls, "ABCDEFGHIJK"},  // the call lines are skipped, a stays
        {TextShape::kLongName, "ABCDEFGHIJK"},
        {TextShape::kLongNumber, ""},
        {TextShape::kList, "ABCDEFGHIJK"},  // only the first element is listed
        // about two million nodes each: past the memory budget
        {TextShape::kUnaryMinus, "error: Expression is too large"},
        {TextShape::kTrailingMinus, "error: Expression is too large"},
        {TextShape::kNestedNegation, "ABCDEFGHIJK"},
        {TextShape::kBrackets, ""},
        {TextShape::kProducts, "G"},  // a*b*c*d*e with the numbers gathered out
        {TextShape::kSums, ""},       // folds to one number
        {TextShape::kDiffsAroundWideCall, "ABCDEFGHIJK"},  // "f @F" and a quarter million a
        // quadratic work, cut off by the work budget
        {TextShape::kNestedDiffs, "error: Expression is too large"},
        // Folds and derivatives full of values near the bottom of the extended range, each
        // formatted: a sum of terms that are no numbers, and eighth derivatives that are 0.
        {TextShape::kExpSums, ""},
        {TextShape::kDiffsOfCubeTimesExp, "", 81},
        {TextShape::kDiffsOfSquareTimesExps, "", 91},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(rivo::testing::ShapeName(c.shape)));
        const std::string text = ShapedText(c.shape, kMaxExpressionBytes);
        ASSERT_EQ(text.size(), c.bytes);
        Window window;
        EXPECT_EQ(window.Draw(text), c.outcome);
    }
}

TEST(PipelineLimits, OneByteOverTheLimitIsRefusedAndChangesNothing) {
    for (const TextShape shape :
         {TextShape::kLeftChain, TextShape::kLongName, TextShape::kTrailingMinus}) {
        SCOPED_TRACE(std::string(rivo::testing::ShapeName(shape)));
        Window window;
        ASSERT_EQ(window.Draw("a*b"), "CDFGHIK");
        const std::vector<std::string> listing = window.listing;
        const QImage picture = window.picture.copy();
        EXPECT_EQ(window.Draw(ShapedText(shape, kMaxExpressionBytes + 1)),
                  std::string("error: ") + kTooLarge);
        EXPECT_EQ(window.listing, listing);
        EXPECT_EQ(window.picture, picture);
        // The refusal comes before anything is built.
        EXPECT_EQ(window.tree.NodeCount(), 3u);
    }
}

TEST(PipelineLimits, TheListingStillHeldCountsAgainstTheNextRequest) {
    // The shape that makes the most nodes, listed, at a size that fills most of the memory
    // budget (600 KiB for every 128 MiB); while the window still holds that listing, the same
    // request again would need twice as much.
    const std::string text =
        ShapedText(TextShape::kTrailingMinus, 600 * 1024 * (rivo::expr::kMemoryBudget >> 20) / 128);
    Window window;
    ASSERT_EQ(window.Draw(text), "ABCDEFGHIJK");
    const std::size_t lines = window.listing.size();
    EXPECT_GT(lines, 1'000'000u);
    EXPECT_EQ(window.Draw(text), std::string("error: ") + kTooLarge);
    EXPECT_EQ(window.listing.size(), lines);  // the window keeps the last good listing
    // A small request fits beside it, and then the large one fits again.
    EXPECT_EQ(window.Draw("a"), "ABCDEFGHIJK");
    EXPECT_EQ(window.Draw(text), "ABCDEFGHIJK");
}

TEST(PipelineLimits, WhicheverChargeIsRefusedTheWindowKeepsItsListingAndPicture) {
    // Memory limits from too small for anything up to enough, a KiB apart: the tree's slots,
    // the derivative's nodes, the listing and the evaluator's stack are refused in turn (a short
    // text whose derivative is long, so that the parser never needs the most).
    std::string text = "diff(x";
    for (int i = 1; i < 20; ++i)
        text += "*x";
    text += ";x)";
    bool drawn = false;
    for (std::size_t limit = 256 << 10; !drawn; limit += 1 << 10) {
        SCOPED_TRACE(limit);
        rivo::testing::WindowHolders window({.memory = limit});
        try {
            window.Draw(DiagramSize::kFive, "a*b");
        } catch (const rivo::expr::PipelineError&) {
            continue;
        }
        const std::vector<std::string> listing = window.listing;
        const QImage picture = window.picture.copy();
        try {
            window.Draw(DiagramSize::kFive, text);
            drawn = true;
        } catch (const rivo::expr::PipelineError& e) {
            ASSERT_STREQ(e.what(), kTooLarge);
            ASSERT_EQ(window.listing, listing);
            ASSERT_EQ(window.picture, picture);
        }
    }
}

TEST(PipelineLimits, ADerivativeWithTooManyLongNamesEndsWithTheBudgetError) {
    // d/dL of L*L*...*L with a 23-byte name L: about two million nodes of 23-byte labels,
    // whose listing would take the run past 256 MB.
    const std::string name = "abcdefghijklmnopqrstuvw";
    std::string product = name;
    for (int i = 1; i < 1400; ++i)
        product += "*" + name;
    Window window;
    EXPECT_EQ(window.Draw("diff(" + product + ";" + name + ")"),
              std::string("error: ") + kTooLarge);
}

}  // namespace
