#include "cli/express_command.h"

#include <string>

#include "cli/commands.h"
#include "diagram/core/express.h"
#include "diagram/core/zones.h"
#include "expr/budget.h"

namespace rivo::cli {

// The shortest expression whose region set in the N-circle diagram is REGIONS, on one line; the
// empty set is the empty line. Its work is bounded by the size, not by REGIONS, whose codes only
// choose zones.
int RunExpress(const Arguments& args, std::ostream& out) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    const std::string& regions = args.operands[1];
    CheckRegionCodes(size, regions);
    const std::string line = diagram::ExpressionFor(size, diagram::ZonesOfRegions(size, regions));
    expr::RunBudget budget;
    WriteLines(budget, out, {&line, 1});
    return 0;
}

}  // namespace rivo::cli
