#include "diagram/steps.h"

#include "diagram/evaluator.h"
#include "expr/m_tree.h"

namespace rivo::diagram {

std::vector<TreeStep> EvaluationStepsOf(expr::TreeContainer& tree,
                                        const std::vector<std::string>& listing, DiagramSize size) {
    expr::RunBudget& budget = tree.Budget();
    const std::vector<expr::NodeId> nodes = expr::ListedNodes(tree, tree.FirstTopLevel(), budget);
    std::vector<EvaluationStep> steps;
    std::vector<TreeStep> result;
    {
        const expr::ScopedCharge charge(
            budget, EvaluationBytes(listing.size()) + StepBytes(listing.size()));
        // Reserved whole, so that the evaluator's appends never grow it past its charge.
        steps.reserve(listing.size());
        EvaluateZones(listing, size, &steps);
        budget.ChargeMemory(steps.size() * sizeof(TreeStep));
        result.reserve(steps.size());
        for (const EvaluationStep& step : steps)
            result.push_back({nodes.at(step.line), step.zones});
    }
    return result;
}

}  // namespace rivo::diagram
