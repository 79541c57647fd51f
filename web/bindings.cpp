// The page's door into the core: embind functions that run the pipeline and answer with plain
// values. Nothing is computed here; no exception reaches JavaScript: a pipeline error comes back
// as its message, as the window's error report would show it.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/diagram_size.h"
#include "diagram/core/evaluate_diagram.h"
#include "diagram/core/exercise_generator.h"
#include "diagram/core/express.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/set_writer.h"
#include "diagram/core/steps.h"
#include "diagram/core/zone_outline.h"
#include "diagram/core/zone_places.h"
#include "diagram/core/zones.h"
#include "expr/budget.h"
#include "expr/error.h"
#include "expr/m_tree.h"
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

// ---- The page's requests: both notations, 2 to 5 circles, zones as UniverseSets (bit 0 the
// outside zone "none", bit z zone z) ----

namespace diagram = rivo::diagram;
using emscripten::val;

bool ValidCircles(int circles) {
    return circles >= diagram::kMinSetCircles && circles <= diagram::kMaxSetCircles;
}

diagram::LayoutKind LayoutKindOf(const std::string& layoutName) {
    return layoutName == "euler" ? diagram::LayoutKind::kEuler : diagram::LayoutKind::kVenn;
}

// What a text means: its truth set, or an error with its 1-based column (0: the text as a whole,
// as the plain language reports its errors).
struct Reading {
    diagram::UniverseSet set = 0;
    std::string error;
    std::size_t column = 0;
    std::string note;
};

Reading Read(const std::string& text, const std::string& notation, int circles) {
    Reading reading;
    if (!ValidCircles(circles)) {
        reading.error = "The diagram has 2 to 5 circles";
        return reading;
    }
    if (notation == "set") {
        const diagram::SetReading read = diagram::ReadSetNotation(text, circles);
        if (read.error) {
            reading.error = read.error->message;
            reading.column = read.error->column;
        } else {
            reading.set = read.set;
        }
        return reading;
    }
    try {
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        std::vector<std::string> listing;
        const diagram::Drawing drawing = diagram::EvaluateDrawing(circles, text, tree, listing);
        reading.set = diagram::FromZoneSet(drawing.zones);
        reading.note = drawing.readingNote;
    } catch (const std::exception& e) {
        reading.error = ErrorText(e);
    } catch (...) {
        reading.error = "Unexpected error";
    }
    return reading;
}

val ReadingValue(const Reading& reading) {
    val answer = val::object();
    answer.set("set", reading.set);
    answer.set("error", reading.error);
    answer.set("column", static_cast<unsigned>(reading.column));
    answer.set("report",
               reading.error.empty() ? std::string() : rivo::expr::WithFullStop(reading.error));
    answer.set("note", reading.note);
    return answer;
}

// evaluate(text, notation, circles): {set, error, column, report, note}.
val Evaluate(const std::string& text, const std::string& notation, int circles) {
    return ReadingValue(Read(text, notation, circles));
}

// ---- Outlines as SVG path data, in the 400-unit frame of the layouts ----

// The universe frame around the shapes of every layout, as the desktop pictures draw it.
constexpr double kFrameLeft = 4, kFrameRight = 396;

// A coordinate to one decimal, as "%g" writes it. The layouts' paths hold thousands of numbers
// on the way to the first picture, and printf was most of their cost.
void AppendNumber(std::string& out, double value) {
    char buffer[32];
    if (!(std::abs(value) < 1e5)) {
        const double rounded = std::round(value * 10) / 10;
        std::snprintf(buffer, sizeof buffer, "%g", rounded == 0 ? 0.0 : rounded);
        out += buffer;
        return;
    }
    const long long tenths = std::llround(value * 10);
    if (tenths < 0) out += '-';
    const long long magnitude = tenths < 0 ? -tenths : tenths;
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, magnitude / 10).ptr);
    if (magnitude % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + magnitude % 10);
    }
}

void AppendPoint(std::string& out, diagram::VennPoint point) {
    AppendNumber(out, point.x);
    out += ' ';
    AppendNumber(out, point.y);
}

void AppendCubic(std::string& out, const diagram::VennCubic& c) {
    out += 'C';
    AppendPoint(out, c.control1);
    out += ' ';
    AppendPoint(out, c.control2);
    out += ' ';
    AppendPoint(out, c.end);
}

std::string LoopsPath(std::span<const diagram::VennShape> shapes,
                      const std::vector<diagram::OutlineLoop>& loops) {
    std::string path;
    for (const diagram::OutlineLoop& loop : loops) {
        path += 'M';
        AppendPoint(path, loop.front().start);
        for (const diagram::OutlinePiece& piece : loop) {
            for (const diagram::VennCubic& c :
                 diagram::PieceCubics(shapes[piece.shape], piece.from, piece.sweep))
                AppendCubic(path, c);
        }
        path += 'Z';
    }
    return path;
}

std::string ShapePath(const diagram::VennShape& shape) {
    const diagram::VennPath bezier = diagram::VennBezierPath(shape, diagram::kVennUnits);
    std::string path = "M";
    AppendPoint(path, bezier.start);
    for (const diagram::VennCubic& c : bezier.cubics)
        AppendCubic(path, c);
    return path + 'Z';
}

// layout(circles, "venn" | "euler"): {circles, layout, frame, shapes: [path], names: [{x, y}],
// zones: [{zone, name, path}]}: every zone the picture draws (a zone the shapes do not form has
// no outline), the outside zone first (the frame less the shapes, even-odd). Worked out once per
// layout: finding the crossings is the costly part.
val Layout(int circles, const std::string& layoutName) {
    static std::map<std::pair<int, bool>, val> cache;
    if (!ValidCircles(circles)) return val::null();
    const diagram::DiagramKind kind = diagram::KindOf(circles, LayoutKindOf(layoutName));
    const std::pair key{circles, kind.layout == diagram::LayoutKind::kVenn};
    if (const auto found = cache.find(key); found != cache.end()) return found->second;

    const std::span<const diagram::VennShape> shapes = diagram::ShapesOf(kind);
    const auto outlines = diagram::ZoneOutlines(shapes);
    val answer = val::object();
    answer.set("circles", circles);
    answer.set("layout", std::string(kind.layout == diagram::LayoutKind::kVenn ? "venn" : "euler"));
    val frame = val::array();
    for (double v : {kFrameLeft, kFrameLeft, kFrameRight - kFrameLeft, kFrameRight - kFrameLeft})
        frame.call<void>("push", v);
    answer.set("frame", frame);
    val shapePaths = val::array();
    for (const diagram::VennShape& shape : shapes)
        shapePaths.call<void>("push", ShapePath(shape));
    answer.set("shapes", shapePaths);
    // Where each circle's letter stands: the Venn layouts' name places, the Euler templates'
    // letter boxes.
    val names = val::array();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        diagram::VennPoint at;
        if (const auto size = diagram::EulerSizeOf(kind)) {
            for (const diagram::LetterPlace& letter : diagram::LayoutOf(*size).letters) {
                if (letter.letter != static_cast<char>('A' + i)) continue;
                at = {(letter.box.left + letter.box.right + 1) / 2.0,
                      (letter.box.top + letter.box.bottom + 1) / 2.0};
            }
        } else {
            at = diagram::VennNameCentre(diagram::VennLayoutOf(circles)->names[i], 16, 16);
        }
        val name = val::object();
        name.set("x", std::round(at.x * 10) / 10);
        name.set("y", std::round(at.y * 10) / 10);
        names.call<void>("push", name);
    }
    answer.set("names", names);
    val zones = val::array();
    for (diagram::Zone zone = 0; zone < outlines.size(); ++zone) {
        if (zone != 0 && outlines[zone].empty()) continue;
        val entry = val::object();
        entry.set("zone", zone);
        entry.set("name", zone == 0 ? std::string("none") : diagram::ZoneName(zone, ""));
        std::string path;
        if (zone == 0) {
            path = "M4 4H396V396H4Z";
        }
        path += LoopsPath(shapes, outlines[zone]);
        entry.set("path", path);
        zones.call<void>("push", entry);
    }
    answer.set("zones", zones);
    cache.emplace(key, answer);
    return answer;
}

// zonePoints(circles, layout): per zone 1 to 2^circles - 1 the point for its label, {x, y}, or
// null where the picture has no region for it. The Euler layout's points are worked out on the
// first request (the largest disc inside each region), so the page asks only when it needs them.
val ZonePoints(int circles, const std::string& layoutName) {
    val points = val::array();
    if (!ValidCircles(circles)) return points;
    const diagram::DiagramKind kind = diagram::KindOf(circles, LayoutKindOf(layoutName));
    for (const diagram::ZonePlace& place : diagram::ZonePlaces(kind)) {
        if (!place.drawn) {
            points.call<void>("push", val::null());
            continue;
        }
        val point = val::object();
        point.set("x", std::round(place.point.x * 10) / 10);
        point.set("y", std::round(place.point.y * 10) / 10);
        points.call<void>("push", point);
    }
    return points;
}

// ---- Steps, identity, the way back ----

// steps(text, notation, circles): {error, column, report, steps: [{text, set}]}, in reading
// order, at most kMaxSteps of them.
constexpr std::size_t kMaxSteps = 200;

val Steps(const std::string& text, const std::string& notation, int circles) {
    Reading reading = Read(text, notation, circles);
    val answer = ReadingValue(reading);
    val steps = val::array();
    answer.set("steps", steps);
    if (!reading.error.empty()) return answer;
    if (notation == "set") {
        const diagram::SetReading read = diagram::ReadSetNotation(text, circles);
        for (const diagram::SetStep& step : diagram::ReadingSteps(read.expression, kMaxSteps)) {
            val entry = val::object();
            entry.set("text", step.text);
            entry.set("set", step.set);
            steps.call<void>("push", entry);
        }
        return answer;
    }
    try {
        rivo::expr::RunBudget budget;
        rivo::expr::TreeContainer tree(budget);
        const rivo::expr::Listing listing = rivo::expr::BuildListing(text, tree);
        rivo::expr::ScopedCharge held(budget);
        std::vector<diagram::TreeStep> treeSteps =
            diagram::EvaluationStepsOf(tree, listing, circles, held);
        diagram::PutInReadingOrder(tree, treeSteps, held);
        if (treeSteps.size() > kMaxSteps) treeSteps.resize(kMaxSteps);
        const std::vector<diagram::StepText> texts =
            diagram::StepTextsOf(tree, treeSteps, circles, diagram::kMaxStepTextBytes, held);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            val entry = val::object();
            entry.set("text", texts[i].text);
            entry.set("set", diagram::FromZoneSet(treeSteps[i].zones));
            steps.call<void>("push", entry);
        }
    } catch (const std::exception& e) {
        answer.set("error", ErrorText(e));
        answer.set("report", rivo::expr::WithFullStop(ErrorText(e)));
    } catch (...) {
        answer.set("error", std::string("Unexpected error"));
        answer.set("report", std::string("Unexpected error."));
    }
    return answer;
}

// identity(first, second, notation, circles): {equal, differ (the zones where they differ),
// error, column, report, which (1 or 2: the text with the error)}.
val Identity(const std::string& first, const std::string& second, const std::string& notation,
             int circles) {
    const Reading one = Read(first, notation, circles);
    const Reading two = Read(second, notation, circles);
    const Reading& failed = !one.error.empty() ? one : two;
    val answer = ReadingValue(failed.error.empty() ? Reading{} : failed);
    answer.set("which", !one.error.empty() ? 1 : !two.error.empty() ? 2 : 0);
    // The plain language has no outside zone: it is never a difference there.
    const diagram::UniverseSet differ = one.set ^ two.set;
    answer.set("differ", failed.error.empty() ? differ : 0u);
    answer.set("equal", failed.error.empty() && differ == 0);
    return answer;
}

// express(set, notation, circles): the shortest expression of the set in that notation (the
// plain language has no outside zone: it is left out there).
std::string Express(double setValue, const std::string& notation, int circles) {
    // A number that is no set (negative, fractional, too large) would not convert soundly.
    if (!ValidCircles(circles) || !(setValue >= 0 && setValue <= 4294967295.0) ||
        setValue != std::floor(setValue))
        return {};
    const diagram::UniverseSet set =
        static_cast<diagram::UniverseSet>(setValue) & diagram::UniverseOf(circles);
    if (notation == "set") return diagram::ExpressionInSetNotation(circles, set);
    return diagram::ExpressionForZones(circles, diagram::ToZoneSet(set));
}

// exercises(circles, count, seed, layout): [{plain, set, truth, reverse, level}] from the
// generator, the shading ones first, then the reverse ones. On the Euler layout of four and five
// circles, which has no region for some zones, no exercise is blank or looks like another there.
val Exercises(int circles, int count, double seed, const std::string& layoutName) {
    val items = val::array();
    // Seeds are whole numbers below 2^53, as JavaScript's numbers hold them exactly.
    if (!ValidCircles(circles) || !(seed >= 0 && seed < 9007199254740992.0)) return items;
    const auto size = diagram::EulerSizeOf(diagram::KindOf(circles, LayoutKindOf(layoutName)));
    const diagram::ZoneSet shown = size ? diagram::DrawnZones(*size) : diagram::AllZones(circles);
    for (const diagram::GeneratedExercise& exercise :
         diagram::GenerateExercises(circles, count, static_cast<std::uint64_t>(seed), shown)) {
        val item = val::object();
        item.set("plain", exercise.plain);
        item.set("set", exercise.set);
        item.set("truth", exercise.truth);
        item.set("reverse", exercise.reverse);
        item.set("level", exercise.level);
        items.call<void>("push", item);
    }
    return items;
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
    em::function("evaluate", &Evaluate);
    em::function("layout", &Layout);
    em::function("zonePoints", &ZonePoints);
    em::function("steps", &Steps);
    em::function("identity", &Identity);
    em::function("express", &Express);
    em::function("exercises", &Exercises);
}
