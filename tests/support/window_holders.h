// What the window keeps between clicks, for tests, benchmarks and fuzz targets that draw as the
// window does:
// the tree holder, the listing memo and the picture, which all outlive a request.
#pragma once

#include <QImage>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/draw/draw.h"
#include "expr/tree.h"

namespace rivo::testing {

struct WindowHolders {
    WindowHolders() = default;
    explicit WindowHolders(const expr::BudgetLimits& limits) : budget(limits) {}

    // The one place where tests, benchmarks and fuzz targets make the window's tree and its
    // budget.
    expr::RunBudget budget;
    expr::TreeContainer tree{budget};
    std::vector<std::string> listing;
    QImage picture;

    // The painted region set; a pipeline error propagates.
    std::string Draw(diagram::DiagramSize size, std::string_view text) {
        return diagram::DrawDiagram(size, text, tree, listing, picture).regions;
    }
};

}  // namespace rivo::testing
