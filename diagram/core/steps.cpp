#include "diagram/core/steps.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "diagram/core/evaluator.h"
#include "expr/infix.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

std::vector<TreeStep> EvaluationStepsOf(expr::TreeContainer& tree,
                                        const std::vector<std::string>& listing, DiagramSize size,
                                        expr::ScopedCharge& held) {
    expr::RunBudget& budget = tree.Budget();
    // The node list, the evaluator's stack and its steps, given back at the end.
    expr::ScopedCharge charge(budget, EvaluationBytes(listing.size()) + StepBytes(listing.size()));
    const std::vector<expr::NodeId> nodes = expr::ListedNodes(tree, tree.FirstTopLevel(), charge);
    std::vector<EvaluationStep> steps;
    // Reserved whole, so that the evaluator's appends never grow it past its charge.
    steps.reserve(listing.size());
    EvaluateZones(listing, size, &steps);
    held.Add(steps.size() * sizeof(TreeStep));
    std::vector<TreeStep> result;
    result.reserve(steps.size());
    for (const EvaluationStep& step : steps)
        result.push_back({nodes.at(step.line), step.zones});
    return result;
}

std::vector<StepText> StepTextsOf(expr::TreeContainer& tree, std::span<const TreeStep> steps,
                                  DiagramSize size, std::size_t maxTextBytes,
                                  expr::ScopedCharge& held) {
    static constexpr std::string_view kEllipsis = "\u2026";
    // The continuation bytes of a UTF-8 character.
    static constexpr std::size_t kMaxCharacterTail = 3;
    maxTextBytes = std::min(maxTextBytes, SIZE_MAX - kMaxCharacterTail);
    expr::RunBudget& budget = tree.Budget();
    held.Add(steps.size() * sizeof(StepText));
    std::vector<StepText> texts;
    texts.reserve(steps.size());
    std::string text;
    for (const TreeStep& step : steps) {
        text.clear();
        // A few bytes past the cut, to find the character it falls in.
        expr::AppendInfix(tree, step.node, budget, text, maxTextBytes + kMaxCharacterTail);
        if (text.size() > maxTextBytes) {
            // Back to the first byte of a character, never into the middle of one.
            std::size_t end = maxTextBytes;
            while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                --end;
            text.resize(end);
            if (text.capacity() < end + kEllipsis.size()) {
                budget.ChargeMemory(expr::StringHeapBytes(end + kEllipsis.size()));
                text.reserve(end + kEllipsis.size());
            }
            text += kEllipsis;
        }
        held.Add(expr::StringHeapBytes(text.size()));
        std::string regions = RegionsOfZones(size, step.zones);
        held.Add(expr::StringHeapBytes(regions.size()));
        texts.push_back({text, std::move(regions)});
    }
    return texts;
}

}  // namespace rivo::diagram
