#include "cli/express_command.h"

#include <string>

#include "cli/commands.h"
#include "cli/set_notation_commands.h"
#include "diagram/core/express.h"
#include "diagram/core/zones.h"
#include "expr/budget.h"

namespace rivo::cli {

// The shortest expression whose region set in the N-circle diagram is REGIONS (or with --zones,
// whose truth set is exactly LIST), on one line; the empty set is the empty line. Its work is
// bounded by the circles, not by the operand, which only chooses zones.
int RunExpress(const Arguments& args, std::ostream& out) {
    if (InSetNotation(args)) return RunExpressInSetNotation(args, out);
    std::string line;
    if (args.zones) {
        // Every zone fixed: the expression's truth set is exactly the list.
        const int circles = ReadCircles(args.operands[0]);
        line = diagram::ExpressionForZones(circles, ReadZones(args, circles));
    } else {
        const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
        const std::string& regions = args.operands[1];
        CheckRegionCodes(size, regions);
        line = diagram::ExpressionFor(size, diagram::ZonesOfRegions(size, regions));
    }
    expr::RunBudget budget;
    WriteLines(budget, out, {&line, 1});
    return 0;
}

}  // namespace rivo::cli
