// Fuzzes the pipeline without painting: text to listing to the region set of every diagram
// size. The first byte picks the decimal separator; the rest is the text. The pipeline's own
// error is an answer; any other exception, a sanitizer report, a hang, a memory blow-up or a
// broken invariant is a finding. Invariants: the listing has one line per node of the root's
// subtree; a region set is canonical and holds only codes of its size, unless it is a
// variable's stored set, which the evaluator returns as stored; a second run of the same text
// in the same container gives the same listing or the same error.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluator.h"
#include "expr/error.h"
#include "expr/m_tree.h"
#include "expr/numbers.h"
#include "expr/tree.h"
#include "fuzz/fuzz_support.h"

namespace {

using rivo::diagram::DiagramSize;
using rivo::expr::NodeId;
using rivo::fuzz::Require;

struct Outcome {
    std::optional<rivo::expr::Listing> listing;  // or nothing, after a pipeline error
    std::string error;

    bool operator==(const Outcome&) const = default;
};

Outcome Run(std::string_view text, rivo::expr::TreeContainer& tree, std::size_t heldBytes) {
    tree.Budget().SetHeldMemory(heldBytes);
    try {
        return {rivo::expr::BuildListing(text, tree), {}};
    } catch (const rivo::expr::PipelineError& e) {
        return {std::nullopt, e.what()};
    }
}

std::size_t SubtreeSize(const rivo::expr::TreeContainer& tree, NodeId root) {
    static std::vector<NodeId> stack;
    stack.assign(1, root);
    std::size_t count = 0;
    while (!stack.empty()) {
        const NodeId node = stack.back();
        stack.pop_back();
        ++count;
        for (NodeId child = tree.FirstChild(node); child != rivo::expr::kNoNode;
             child = tree.NextSibling(child)) {
            stack.push_back(child);
        }
    }
    return count;
}

void CheckRegionSet(DiagramSize size, const std::string& regions) {
    for (const char letter : std::string_view("ABCDE")) {
        const auto stored = rivo::diagram::VariableSet(size, letter);
        if (stored && *stored == regions) return;
    }
    for (std::size_t i = 0; i < regions.size(); ++i) {
        Require(rivo::diagram::FindSeed(size, regions[i]) != nullptr,
                "a region set holds a code its diagram does not have");
        Require(i == 0 || static_cast<unsigned char>(regions[i - 1]) <
                              static_cast<unsigned char>(regions[i]),
                "a region set is not canonical");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t bytes) {
    if (bytes == 0) return 0;
    rivo::expr::SetDecimalSeparator((data[0] & 1) != 0 ? ',' : '.');
    const std::string_view text(reinterpret_cast<const char*>(data + 1), bytes - 1);

    // As in the window: the tree holder and the listing of the last request outlive it, and
    // the kept listing counts against the next run.
    static rivo::expr::RunBudget budget(rivo::fuzz::kFuzzLimits);
    static rivo::expr::TreeContainer tree(budget);
    static rivo::expr::Listing kept;
    const std::size_t held = rivo::expr::ListingBytes(kept);

    const Outcome first = Run(text, tree, held);
    if (first.listing) {
        Require(first.listing->size() == SubtreeSize(tree, tree.FirstTopLevel()),
                "the listing has not one line per node of the root's subtree");
        for (const DiagramSize size : rivo::diagram::kDiagramSizes)
            CheckRegionSet(size, rivo::diagram::EvaluateListing(*first.listing, size));
    }
    Outcome second = Run(text, tree, held);
    Require(second == first, "a second run of the same text gives another outcome");
    if (second.listing) kept = std::move(*second.listing);
    return 0;
}
