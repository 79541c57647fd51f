#include "diagram/core/steps.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "diagram/core/evaluator.h"
#include "diagram/core/zone_list.h"
#include "expr/infix.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

std::vector<TreeStep> EvaluationStepsOf(expr::TreeContainer& tree,
                                        const std::vector<std::string>& listing, int circles,
                                        expr::ScopedCharge& held, ReadingReport* report) {
    expr::RunBudget& budget = tree.Budget();
    // The node list, the evaluator's stack and its steps, given back at the end.
    expr::ScopedCharge charge(budget, EvaluationBytes(listing.size()) + StepBytes(listing.size()));
    const std::vector<expr::NodeId> nodes = expr::ListedNodes(tree, tree.FirstTopLevel(), charge);
    std::vector<EvaluationStep> steps;
    // Reserved whole, so that the evaluator's appends never grow it past its charge.
    steps.reserve(listing.size());
    EvaluateZones(listing, circles, &steps, report);
    held.Add(steps.size() * sizeof(TreeStep));
    std::vector<TreeStep> result;
    result.reserve(steps.size());
    for (const EvaluationStep& step : steps)
        result.push_back({nodes.at(step.line), step.zones});
    return result;
}

void PutInReadingOrder(expr::TreeContainer& tree, std::vector<TreeStep>& steps,
                       expr::ScopedCharge& held) {
    if (steps.empty()) return;
    // Each step's place in `steps`, by its node; and the steps again, in their new order.
    constexpr std::size_t kMapEntryBytes = 64;
    held.Add(steps.size() * (kMapEntryBytes + sizeof(TreeStep)));
    std::unordered_map<expr::NodeId, std::size_t> places;
    places.reserve(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i)
        places.emplace(steps[i].node, i);
    std::vector<TreeStep> ordered;
    ordered.reserve(steps.size());
    // Post-order along the links: down to the first leaf, then after each node its next
    // sibling's first leaf, or else its parent.
    const expr::NodeId root = tree.FirstTopLevel();
    const auto firstLeaf = [&](expr::NodeId node) {
        for (expr::NodeId child = tree.FirstChild(node); child != expr::kNoNode;
             child = tree.FirstChild(node))
            node = child;
        return node;
    };
    for (expr::NodeId node = firstLeaf(root);;) {
        if (const auto found = places.find(node); found != places.end())
            ordered.push_back(steps[found->second]);
        if (node == root) break;
        const expr::NodeId next = tree.NextSibling(node);
        node = next != expr::kNoNode ? firstLeaf(next) : tree.Parent(node);
    }
    steps = std::move(ordered);
}

std::vector<StepText> StepTextsOf(expr::TreeContainer& tree, std::span<const TreeStep> steps,
                                  int circles, std::size_t maxTextBytes, expr::ScopedCharge& held) {
    const std::optional<DiagramSize> size = DiagramSizeOf(circles);
    static constexpr std::string_view kEllipsis = "\u2026";
    // The continuation bytes of a UTF-8 character.
    static constexpr std::size_t kMaxCharacterTail = 3;
    maxTextBytes = std::min(maxTextBytes, SIZE_MAX - kMaxCharacterTail);
    const std::size_t kept = maxTextBytes + kMaxCharacterTail;
    expr::RunBudget& budget = tree.Budget();
    // A step's operands are mostly steps before it: their texts, as far as they were written,
    // are written again from here rather than walked again (a chain's steps would otherwise
    // walk the chain down to its first letter each). The map's nodes and a cut text's bytes
    // are charged as they are kept.
    constexpr std::size_t kMapEntryBytes = 64;
    held.Add(steps.size() * (sizeof(StepText) + sizeof(std::string) + kMapEntryBytes));
    std::vector<StepText> texts;
    texts.reserve(steps.size());
    std::vector<std::string> cutTexts;  // as written, for each text that was cut; else empty
    cutTexts.reserve(steps.size());
    std::unordered_map<expr::NodeId, std::size_t> written;
    written.reserve(steps.size());
    const auto known = [&](expr::NodeId node) -> std::optional<expr::KnownText> {
        const auto found = written.find(node);
        if (found == written.end()) return std::nullopt;
        const std::string& cut = cutTexts[found->second];
        if (!cut.empty()) return expr::KnownText{cut, false};
        return expr::KnownText{texts[found->second].text, true};
    };
    for (const TreeStep& step : steps) {
        std::string text;
        // A few bytes past the cut, to find the character it falls in.
        const bool whole = expr::AppendInfix(tree, step.node, budget, text, kept, known);
        std::string& cut = cutTexts.emplace_back();
        if (!whole || text.size() > maxTextBytes) {
            held.Add(expr::StringHeapBytes(text.size()));
            cut = text;
            // Back to the first byte of a character, never into the middle of one.
            std::size_t end = std::min(maxTextBytes, text.size());
            while (end > 0 && end < text.size() &&
                   (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                --end;
            text.resize(end);
            if (text.capacity() < end + kEllipsis.size()) {
                budget.ChargeMemory(expr::StringHeapBytes(end + kEllipsis.size()));
                text.reserve(end + kEllipsis.size());
            }
            text += kEllipsis;
        }
        std::string regions = size ? RegionsOfZones(*size, step.zones) : ZoneListText(step.zones);
        held.Add(expr::StringHeapBytes(regions.size()));
        written.emplace(step.node, texts.size());
        texts.push_back({std::move(text), std::move(regions)});
    }
    return texts;
}

}  // namespace rivo::diagram
