// The diagram evaluator: a prefix listing read from its last line to its first over the region
// sets of one diagram size, with a stack. No Qt here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// VariableSet, the sets the listing's variables stand for, comes with the layout.
#include "diagram/diagram_layout.h"

namespace rivo::diagram {

// The region set that the listing describes: "+ @F", "* @F" and "- @F" combine the two top
// entries, a line whose first letter names a variable pushes its set, every other line is
// skipped. The result is the bottom entry.
std::string EvaluateListing(const std::vector<std::string>& lines, DiagramSize size);

// The most memory EvaluateListing holds beside its result for a listing of this many lines:
// what a caller charges to the run before evaluating.
std::size_t EvaluationBytes(std::size_t lineCount);

}  // namespace rivo::diagram
