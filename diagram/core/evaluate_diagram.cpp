#include "diagram/core/evaluate_diagram.h"

#include <utility>

#include "diagram/core/evaluator.h"
#include "diagram/core/reading_note.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

namespace {

// With `report`, what the evaluator skipped or misread.
ZoneEvaluation Evaluate(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing, ReadingReport* report = nullptr) {
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
    return EvaluateZones(listing, circles, nullptr, report);
}

}  // namespace

Drawing EvaluateDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    ReadingReport report;
    const ZoneEvaluation evaluation = Evaluate(CircleCount(size), text, tree, listing, &report);
    return {RegionSetOf(size, evaluation), evaluation.zones, ReadingNote(listing, report)};
}

ZoneSet EvaluateZoneSet(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    return Evaluate(circles, text, tree, listing).zones;
}

Drawing EvaluateDrawing(int circles, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing) {
    if (const auto size = DiagramSizeOf(circles))
        return EvaluateDiagram(*size, text, tree, listing);
    ReadingReport report;
    const ZoneEvaluation evaluation = Evaluate(circles, text, tree, listing, &report);
    return {{}, evaluation.zones, ReadingNote(listing, report)};
}

}  // namespace rivo::diagram
