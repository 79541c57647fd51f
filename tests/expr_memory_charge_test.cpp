// The memory budget sees every allocation of a run before it is made: at each allocation the
// heap the run holds stays within what its container has been charged. The global operator new
// of this executable counts the heap, so the property is checked against the allocations
// themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "diagram/evaluator.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/numbers.h"
#include "expr/tree.h"
#include "tests/expression_shapes.h"
#include "tests/separator_scope.h"

namespace {

// Each block carries its size in a header, so the count is of the bytes asked for, whatever
// the allocator rounds them up to.
constexpr std::size_t kHeader = alignof(std::max_align_t);
std::size_t gHeld = 0;  // the bytes held through operator new
// While a step is watched: its container, the heap held and the charges counted before it
// began, and the most the heap grew beyond the charges at any allocation.
const rivo::expr::TreeContainer* gWatched = nullptr;
std::size_t gHeldBefore = 0;
std::size_t gChargedBefore = 0;
std::ptrdiff_t gWorstExcess = 0;

void* Allocate(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + size));
    if (block == nullptr) throw std::bad_alloc();
    std::memcpy(block, &size, sizeof size);
    gHeld += size;
    if (gWatched != nullptr) {
        const auto excess = static_cast<std::ptrdiff_t>(gHeld - gHeldBefore) -
                            static_cast<std::ptrdiff_t>(gWatched->MemoryBytes() - gChargedBefore);
        gWorstExcess = std::max(gWorstExcess, excess);
    }
    return block + kHeader;
}

void Release(void* pointer) noexcept {
    if (pointer == nullptr) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    gHeld -= size;
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

namespace {

using rivo::expr::TreeContainer;
using rivo::testing::ShapedText;
using rivo::testing::TextShape;

// The most a step's heap grew beyond its container's charges, in bytes. The step ends normally
// or with the budget's error.
template <typename Step>
std::ptrdiff_t WorstExcess(const TreeContainer& tree, Step step) {
    gHeldBefore = gHeld;
    gChargedBefore = tree.MemoryBytes();
    gWorstExcess = 0;
    gWatched = &tree;
    try {
        step();
    } catch (const rivo::expr::PipelineError&) {
    }
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
    TreeContainer warmUp;
    rivo::expr::BuildTree("diff(x*x;x)", warmUp);
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name);
        // rivo-cli parse: the parser, then the notation of its forest.
        TreeContainer parsed;
        EXPECT_LE(WorstExcess(parsed,
                              [&] {
                                  rivo::expr::ParseExpression(text, parsed,
                                                              parsed.AddFirstTopLevel(""));
                                  const auto lines = rivo::expr::FormatForest(parsed, &parsed);
                              }),
                  kSlack);
        // A draw request: the passes, the notation of the root (rivo-cli tree), the listing,
        // and its evaluation under the charge DrawDiagram makes for it.
        TreeContainer built;
        EXPECT_LE(WorstExcess(built,
                              [&] {
                                  rivo::expr::BuildTree(text, built);
                                  const auto line = rivo::expr::FormatSubtree(
                                      built, built.FirstTopLevel(), &built);
                                  const auto lines = rivo::expr::ListTree(built);
                                  const rivo::expr::ScopedCharge stack(
                                      built, rivo::diagram::EvaluationBytes(lines.size()));
                                  const auto regions = rivo::diagram::EvaluateListing(
                                      lines, rivo::diagram::DiagramSize::kFive);
                              }),
                  kSlack);
    }
}

}  // namespace
