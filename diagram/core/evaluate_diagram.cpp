#include "diagram/core/evaluate_diagram.h"

#include <utility>

#include "diagram/core/evaluator.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

namespace {

ZoneEvaluation Evaluate(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    expr::Listing lines;
    {
        // The previous listing stays until the new one is complete: both count against the run.
        const expr::HeldMemory held(tree.Budget(), expr::ListingBytes(listing));
        lines = expr::BuildListing(text, tree);
    }
    // The evaluator's stack grows with the listing. It is charged before the caller's listing is
    // replaced, so that a refusal leaves that listing as it was, and allocated after, once the
    // previous listing is gone.
    const expr::ScopedCharge stack(tree.Budget(), EvaluationBytes(lines.size()));
    // The caller's store takes the lines over; moving them is copying and releasing in one.
    listing = std::move(lines);
    return EvaluateZones(listing, circles);
}

}  // namespace

Drawing EvaluateDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    const ZoneEvaluation evaluation = Evaluate(CircleCount(size), text, tree, listing);
    return {RegionSetOf(size, evaluation), evaluation.zones};
}

ZoneSet EvaluateZoneSet(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    return Evaluate(circles, text, tree, listing).zones;
}

Drawing EvaluateDrawing(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    if (const auto size = DiagramSizeOf(circles))
        return EvaluateDiagram(*size, text, tree, listing);
    return {{}, EvaluateZoneSet(circles, text, tree, listing)};
}

}  // namespace rivo::diagram
