#include "diagram/core/steps.h"

#include "diagram/core/evaluator.h"
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

}  // namespace rivo::diagram
