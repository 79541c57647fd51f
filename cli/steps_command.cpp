#include "cli/steps_command.h"

#include <QImage>
#include <ostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/picture_output.h"
#include "diagram/core/steps.h"
#include "diagram/draw/painter.h"
#include "expr/error.h"
#include "expr/infix.h"
#include "expr/m_tree.h"

namespace rivo::cli {

int RunSteps(const Arguments& args, std::ostream& out) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    if (args.output && args.output->empty()) throw UsageError{"the output prefix is empty"};
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    const expr::Listing listing = expr::BuildListing(ReadExpression(args.operands[1]), tree);
    expr::ScopedCharge held(budget);
    const std::vector<diagram::TreeStep> steps =
        diagram::EvaluationStepsOf(tree, listing, size, held);
    if (args.output && steps.size() > kMaxStepPictures) {
        throw expr::PipelineError("The expression has " + std::to_string(steps.size()) +
                                  " steps, more than the " + std::to_string(kMaxStepPictures) +
                                  " that get a picture each");
    }

    // A step's text is its whole sub-expression, so a chain's lines add up to the square of its
    // length: the writer charges every line as it grows, and the run ends once they are too
    // many.
    std::vector<std::string> lines;
    budget.ChargeMemory(steps.size() * sizeof(std::string));
    lines.reserve(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::string& line = lines.emplace_back(std::to_string(i + 1) + '\t');
        expr::AppendInfix(tree, steps[i].node, budget, line);
        const std::string tail = '\t' + diagram::RegionsOfZones(size, steps[i].zones);
        if (line.capacity() - line.size() < tail.size()) {
            budget.ChargeMemory(expr::StringHeapBytes(line.size() + tail.size()));
            line.reserve(line.size() + tail.size());
        }
        line += tail;
    }
    WriteLines(budget, out, lines);
    if (!args.output) return 0;
    // One picture at a time, however many steps: memory stays that of one picture.
    QImage picture;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string regions = diagram::RegionsOfZones(size, steps[i].zones);
        const std::string file = *args.output + "-" + std::to_string(i + 1) + ".png";
        const int status = WriteDiagramPicture(args, size, regions, picture, file, budget);
        if (status != 0) return status;
    }
    return 0;
}

}  // namespace rivo::cli
