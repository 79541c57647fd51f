#include "diagram/draw.h"

#include <utility>

#include "diagram/evaluator.h"
#include "diagram/painter.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

std::string DrawDiagram(DiagramSize size, std::string_view text, expr::TreeContainer& tree,
                        std::vector<std::string>& listing, QImage& picture) {
    {
        // The previous listing stays until the new one is complete: both count against the run.
        const expr::HeldMemory held(tree.Budget(), expr::ListingBytes(listing));
        expr::Listing lines = expr::BuildListing(text, tree);
        // The caller's store takes the lines over; moving them is copying and releasing in one.
        listing = std::move(lines);
    }
    std::string regions;
    {
        // The evaluator's stack grows with the listing: charged to the run while it is held.
        const expr::ScopedCharge stack(tree.Budget(), EvaluationBytes(listing.size()));
        regions = EvaluateListing(listing, size);
    }
    PaintDiagram(size, regions, picture);
    return regions;
}

}  // namespace rivo::diagram
