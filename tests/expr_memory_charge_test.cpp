// The memory budget sees every allocation of a run before it is made: at each allocation the
// heap the run holds stays within what its container has been charged. The counting allocator
// (tests/support/counting_heap.h) replaces this executable's operator new, so the property is
// checked against the allocations themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "diagram/core/evaluator.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"
#include "tests/expression_shapes.h"
#include "tests/separator_scope.h"
#include "tests/support/counting_heap.h"

namespace {

// While a step is watched: its budget, the heap held and the charges counted before it
// began, and the most the heap grew beyond the charges at any allocation.
const rivo::expr::RunBudget* gWatched = nullptr;
std::size_t gHeldBefore = 0;
std::size_t gChargedBefore = 0;
std::ptrdiff_t gWorstExcess = 0;

void ObserveAllocation() {
    const auto excess = static_cast<std::ptrdiff_t>(rivo::testing::HeldHeapBytes() - gHeldBefore) -
                        static_cast<std::ptrdiff_t>(gWatched->MemoryBytes() - gChargedBefore);
    gWorstExcess = std::max(gWorstExcess, excess);
}

using rivo::expr::RunBudget;
using rivo::expr::TreeContainer;
using rivo::testing::ShapedText;
using rivo::testing::TextShape;

// The most a step's heap grew beyond its budget's charges, in bytes. The step ends normally
// or with the budget's error.
template <typename Step>
std::ptrdiff_t WorstExcess(const TreeContainer& tree, Step step) {
    gHeldBefore = rivo::testing::HeldHeapBytes();
    gChargedBefore = tree.Budget().MemoryBytes();
    gWorstExcess = 0;
    gWatched = &tree.Budget();
    rivo::testing::SetAllocationObserver(ObserveAllocation);
    try {
        step();
    } catch (const rivo::expr::PipelineError&) {
    }
    rivo::testing::SetAllocationObserver(nullptr);
    gWatched = nullptr;
    return gWorstExcess;
}

TEST(MemoryCharge, TheHeapNeverGrowsBeyondTheCharges) {
    const rivo::testing::SeparatorScope dot('.');
    // What no charge covers: a short label or line in the making, far below what any uncharged
    // array for a text of this size holds.
    constexpr std::ptrdiff_t kSlack = 4 << 10;
    constexpr std::size_t kBytes = 128 << 10;
    std::vector<std::pair<std::string, std::string>> texts;
    for (const TextShape shape : rivo::testing::kRoadShapes) {
        texts.emplace_back(rivo::testing::ShapeName(shape), ShapedText(shape, kBytes));
    }
    // Labels and lines too long to be kept inline: whole call names, which the passes copy (the
    // product and the derivative's variable), and many cut names.
    const std::string callName((kBytes - 20) / 2, 'f');
    texts.emplace_back("long call names", "diff(" + callName + "(a)*1;g" + callName + "(b))");
    // A derivative whose pending operands pile up: every "+" leaves its right side waiting.
    texts.emplace_back("derivative of a sum",
                       "diff(" + ShapedText(TextShape::kLeftChain, kBytes - 8) + ";x)");
    std::string names = "v";
    for (std::size_t i = 0; names.size() + 24 <= kBytes; ++i) {
        const std::string number = std::to_string(i);
        names += "+v" + std::string(22 - number.size(), '0') + number;
    }
    texts.emplace_back("long names", names);
    // The passes' rule tables are built once, on first use, by no run in particular.
    RunBudget warmUpBudget;
    TreeContainer warmUp(warmUpBudget);
    rivo::expr::BuildTree("diff(x*x;x)", warmUp);
    for (const auto& [name, textOfShape] : texts) {
        SCOPED_TRACE(name);
        // A plain reference: clang 14 cannot capture a structured binding in a lambda.
        const std::string& text = textOfShape;
        // rivo-cli parse: the parser, then the notation of its forest.
        RunBudget parsedBudget;
        TreeContainer parsed(parsedBudget);
        EXPECT_LE(
            WorstExcess(parsed,
                        [&] {
                            rivo::expr::ParseExpression(text, parsed, parsed.AddFirstTopLevel(""));
                            const auto lines = rivo::expr::FormatForest(parsed, &parsedBudget);
                        }),
            kSlack);
        // A draw request: the passes, the notation of the root (rivo-cli tree), the listing,
        // and its evaluation under the charge DrawDiagram makes for it.
        RunBudget builtBudget;
        TreeContainer built(builtBudget);
        EXPECT_LE(WorstExcess(built,
                              [&] {
                                  rivo::expr::BuildTree(text, built);
                                  const auto line = rivo::expr::FormatSubtree(
                                      built, built.FirstTopLevel(), &builtBudget);
                                  const auto lines = rivo::expr::ListTree(built);
                                  const rivo::expr::ScopedCharge stack(
                                      builtBudget, rivo::diagram::EvaluationBytes(lines.size()));
                                  const auto regions = rivo::diagram::EvaluateListing(
                                      lines, rivo::diagram::DiagramSize::kFive);
                              }),
                  kSlack);
    }
}

}  // namespace
