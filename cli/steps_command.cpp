#include "cli/steps_command.h"

#include <QImage>
#include <iostream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/picture_output.h"
#include "cli/set_notation_commands.h"
#include "cli/zone_commands.h"
#include "diagram/core/reading_note.h"
#include "diagram/core/steps.h"
#include "diagram/draw/painter.h"
#include "expr/error.h"
#include "expr/m_tree.h"

namespace rivo::cli {

int RunSteps(const Arguments& args, std::ostream& out) {
    const int circles = ReadCircles(args.operands[0]);
    if (args.output && args.output->empty()) throw UsageError{"the output prefix is empty"};
    // What only the pictures show needs pictures.
    for (const auto& [given, name] : {std::pair{args.labels.has_value(), "--labels"},
                                      std::pair{args.title.has_value(), "--title"},
                                      std::pair{args.fill.has_value(), "--fill"}}) {
        if (given && !args.output)
            throw UsageError{std::string(name) + " with steps needs -o PREFIX"};
    }
    RenderOptionsOf(args, circles);
    if (InSetNotation(args)) return RunStepsInSetNotation(args, out);
    const diagram::DiagramKind kind = diagram::KindOf(circles, AskedLayout(args));
    expr::RunBudget budget;
    expr::TreeContainer tree(budget);
    const expr::Listing listing = expr::BuildListing(ReadExpression(args.operands[1]), tree);
    expr::ScopedCharge held(budget);
    diagram::ReadingReport report;
    std::vector<diagram::TreeStep> steps =
        diagram::EvaluationStepsOf(tree, listing, circles, held, &report);
    if (args.order == "reading") diagram::PutInReadingOrder(tree, steps, held);
    if (args.output && steps.size() > kMaxStepPictures) {
        throw expr::PipelineError("The expression has " + std::to_string(steps.size()) +
                                  " steps, more than the " + std::to_string(kMaxStepPictures) +
                                  " that get a picture each");
    }

    const std::vector<diagram::StepText> texts =
        diagram::StepTextsOf(tree, steps, circles, diagram::kMaxStepTextBytes, held);
    // Charged as WriteLines charges its lines: the stream and main's copy of it.
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < texts.size(); ++i)
        bytes += std::to_string(i + 1).size() + texts[i].text.size() + texts[i].regions.size() + 3;
    budget.ChargeMemory(3 * bytes);
    for (std::size_t i = 0; i < texts.size(); ++i)
        out << i + 1 << '\t' << texts[i].text << '\t' << texts[i].regions << '\n';
    const std::string note = diagram::ReadingNote(listing, report);
    if (args.output) {
        // One picture at a time, however many steps: memory stays that of one picture.
        QImage picture;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string file = *args.output + "-" + std::to_string(i + 1) + ".png";
            // For two circles the texts hold zone lists, which the Venn layout does not read.
            const diagram::Drawing drawing{
                .regions = circles == 2 ? std::string() : texts[i].regions,
                .zones = steps[i].zones,
                .readingNote = {}};
            const int status = WriteDiagramPicture(args, kind, drawing, picture, file, budget);
            if (status != 0) return status;
        }
    }
    WriteReadingNote(std::cerr, note);
    return 0;
}

}  // namespace rivo::cli
