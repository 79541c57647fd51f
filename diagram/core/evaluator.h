// The diagram evaluator: a prefix listing read from its last line to its first, with a stack,
// over the zones of one diagram size. The picture's region set is the drawn part of the result,
// so the region set and the full truth set come from the same steps. No Qt here.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// VariableSet, the sets the listing's variables stand for, comes with the layout.
#include "diagram/core/diagram_layout.h"
#include "diagram/core/zones.h"

namespace rivo::diagram {

// What a listing evaluates to: its truth set, and the variable whose set it is when the result
// is a lone variable's set as pushed (0 otherwise), whose region set is then the stored one.
struct ZoneEvaluation {
    ZoneSet zones = 0;
    char letter = 0;
};

// One operator line that the evaluator performed: its index in the listing and the zones it
// computed. A line skipped for want of an entry on the stack is no step.
struct EvaluationStep {
    std::size_t line;
    ZoneSet zones;
};

// The lines of a listing that the evaluator did not read as written: the lines it skipped (every
// line other than a pushed variable or an applied operator, so also an operator met with fewer
// than two entries) and the pushed lines longer than their letter ("apple" read as A, "cos @F"
// as C). However long the listing, it holds the first kQuoted lines of each kind, in listing
// order, and counts the rest: a caller quotes a few and says how many more there are.
struct ReadingReport {
    static constexpr std::size_t kQuoted = 8;

    // Listing indices, in listing order: skippedLines[0, min(skipped, kQuoted)), and so on.
    std::array<std::size_t, kQuoted> skippedLines{};
    std::array<std::size_t, kQuoted> misreadLines{};
    std::size_t skipped = 0;
    std::size_t misread = 0;

    bool Empty() const { return skipped == 0 && misread == 0; }
};

// The zones that the listing describes over `circles` circles (2 to 5): "+ @F", "* @F" and
// "- @F" combine the two top entries, a line whose first letter names a variable (a to the
// circles' last) pushes its zones, every other line is skipped. The result is the bottom entry.
// With `steps`, it receives the steps in the order performed; with `report`, what was skipped
// or misread. Neither costs anything when not asked for.
ZoneEvaluation EvaluateZones(const std::vector<std::string>& lines, int circles,
                             std::vector<EvaluationStep>* steps = nullptr,
                             ReadingReport* report = nullptr);

// The same over the circles of a diagram size.
inline ZoneEvaluation EvaluateZones(const std::vector<std::string>& lines, DiagramSize size,
                                    std::vector<EvaluationStep>* steps = nullptr,
                                    ReadingReport* report = nullptr) {
    return EvaluateZones(lines, CircleCount(size), steps, report);
}

// The region set of an evaluation: a lone variable's stored set, else the drawn part of its
// zones, canonical.
std::string RegionSetOf(DiagramSize size, const ZoneEvaluation& evaluation);

// The region set that the listing describes: RegionSetOf(EvaluateZones(...)).
std::string EvaluateListing(const std::vector<std::string>& lines, DiagramSize size);

// The most memory the evaluation holds beside its result for a listing of this many lines:
// what a caller charges to the run before evaluating.
std::size_t EvaluationBytes(std::size_t lineCount);

// The most memory the steps of a listing of this many lines take.
std::size_t StepBytes(std::size_t lineCount);

}  // namespace rivo::diagram
