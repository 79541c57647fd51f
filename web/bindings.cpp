// The page's door into the core: embind functions that run the pipeline and answer with plain
// values. Nothing is computed here; no exception reaches JavaScript: a pipeline error comes back
// as its message, as the window's error report would show it.
#include <emscripten/bind.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluate_diagram.h"
#include "diagram/core/zones.h"
#include "expr/budget.h"
#include "expr/error.h"
#include "expr/numbers.h"
#include "expr/text.h"
#include "expr/tree.h"
#include "web/number_check.h"

namespace {

// The answer of zones(): with an empty error, the truth set as bits (zone z is bit z - 1, A the
// lowest circle), the region set the picture shades and the zones' names ("AB, ABC"); else the
// pipeline's message, and the report text with the error report's full stop.
struct ZonesAnswer {
    unsigned zones = 0;
    std::string regions;
    std::string names;
    std::string error;
    std::string report;
};

std::string ErrorText(const std::exception& error) {
    // As in the window: running out of memory means the expression was too large.
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return rivo::expr::kTooLargeMessage;
    return error.what();
}

ZonesAnswer Failed(std::string message) {
    ZonesAnswer answer;
    answer.report = rivo::expr::WithFullStop(message);
    answer.error = std::move(message);
    return answer;
}

// The whole road of one request for a diagram of `circles` circles, as the window draws it,
// with a run budget of its own.
ZonesAnswer Zones(const std::string& text, int circles) {
    namespace diagram = rivo::diagram;
    const auto size = diagram::DiagramSizeOf(circles);
    if (!size) return Failed("The diagram has 3, 4 or 5 circles");
    try {
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        std::vector<std::string> listing;
        const diagram::Drawing drawing = diagram::EvaluateDiagram(*size, text, tree, listing);
        ZonesAnswer answer;
        answer.zones = drawing.zones;
        answer.regions = drawing.regions;
        for (diagram::Zone zone = 1; zone <= diagram::ZoneCount(*size); ++zone) {
            if ((drawing.zones & diagram::ZoneBit(zone)) == 0) continue;
            if (!answer.names.empty()) answer.names += ", ";
            answer.names += diagram::ZoneName(zone, "");
        }
        return answer;
    } catch (const std::exception& e) {
        return Failed(ErrorText(e));
    } catch (...) {
        return Failed("Unexpected error");
    }
}

void SetDecimalSeparator(const std::string& separator) {
    if (separator.size() == 1) rivo::expr::SetDecimalSeparator(separator[0]);
}

std::string DecimalSeparator() {
    return std::string(1, rivo::expr::DecimalSeparator());
}

std::string CheckNumbers(const std::string& requests) {
    try {
        return rivo::web::CheckNumbers(requests);
    } catch (const std::exception& e) {
        return std::string("error\t") + ErrorText(e) + "\n";
    }
}

}  // namespace

EMSCRIPTEN_BINDINGS(rivo) {
    namespace em = emscripten;
    em::value_object<ZonesAnswer>("ZonesAnswer")
        .field("zones", &ZonesAnswer::zones)
        .field("regions", &ZonesAnswer::regions)
        .field("names", &ZonesAnswer::names)
        .field("error", &ZonesAnswer::error)
        .field("report", &ZonesAnswer::report);
    em::function("zones", &Zones);
    em::function("setDecimalSeparator", &SetDecimalSeparator);
    em::function("decimalSeparator", &DecimalSeparator);
    em::function("checkNumbers", &CheckNumbers);
}
