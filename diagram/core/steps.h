// The evaluation step by step: which node of the tree each operator step of the evaluator
// performed, and what it computed. No Qt.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluator.h"
#include "diagram/core/zones.h"
#include "expr/tree.h"

namespace rivo::diagram {

// One step: the node of the operator line the evaluator performed and the zones it computed.
// Where the evaluator skipped a line for want of an operand (as in 2-a, whose "2" pushes
// nothing), the zones are what was really combined, not that node's own set.
struct TreeStep {
    expr::NodeId node;
    ZoneSet zones;
};

// The steps of the evaluation of `listing`, the listing of the root of `tree` as ListTree made
// it, in the order the evaluator performs them. What the walk holds is charged to the tree's
// budget while it runs; the result is charged to `held`, which the caller keeps while it keeps
// the result. With `report`, it also receives what the evaluator skipped or misread.
std::vector<TreeStep> EvaluationStepsOf(expr::TreeContainer& tree,
                                        const std::vector<std::string>& listing, int circles,
                                        expr::ScopedCharge& held, ReadingReport* report = nullptr);

inline std::vector<TreeStep> EvaluationStepsOf(expr::TreeContainer& tree,
                                               const std::vector<std::string>& listing,
                                               DiagramSize size, expr::ScopedCharge& held,
                                               ReadingReport* report = nullptr) {
    return EvaluationStepsOf(tree, listing, CircleCount(size), held, report);
}

// The steps as a reader follows the text: left to right, each operator after its operands (for
// (a+b)*(a+c)-b*c: a+b, a+c, their product, b*c, the difference), where the evaluator, reading
// its listing from the end, performs b*c first. Each step keeps the zones the evaluator
// computed at its operator. One walk of the tree that follows its links (no stack); the work
// is charged to the tree's budget, the map of the steps' nodes to `held` while it runs.
void PutInReadingOrder(expr::TreeContainer& tree, std::vector<TreeStep>& steps,
                       expr::ScopedCharge& held);

// The longest step text shown whole: the window's captions and rivo-cli's lines cut a longer
// one, so that a long chain's steps cost what they show, not the square of its length.
inline constexpr std::size_t kMaxStepTextBytes = 300;

// A step as a reader is shown it: the text of its sub-expression and the region set it computed;
// for two circles, which have no region codes, its zones as a list ("A,AB", ZoneListText).
struct StepText {
    std::string text;
    std::string regions;
};

// The texts of `steps`, steps of `tree` in the order performed: each sub-expression as the
// infix writer writes it, and when that is longer than `maxTextBytes`, its first bytes up to a
// whole UTF-8 character and then "…". A step's operands that are earlier steps are written
// from their texts, so the cost is that of the texts kept, and a run that cannot keep them
// ends as soon as its budget says so: every node written is a work step, and each text is
// charged before it is kept.
std::vector<StepText> StepTextsOf(expr::TreeContainer& tree, std::span<const TreeStep> steps,
                                  int circles, std::size_t maxTextBytes, expr::ScopedCharge& held);

inline std::vector<StepText> StepTextsOf(expr::TreeContainer& tree, std::span<const TreeStep> steps,
                                         DiagramSize size, std::size_t maxTextBytes,
                                         expr::ScopedCharge& held) {
    return StepTextsOf(tree, steps, CircleCount(size), maxTextBytes, held);
}

}  // namespace rivo::diagram
