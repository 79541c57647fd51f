// A worksheet: pages of numbered blank diagrams with their expressions, then the same diagrams
// shaded on answer pages, as one A4 PDF.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "diagram/core/diagram_size.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"
#include "diagram/draw/geometric_renderer.h"

namespace rivo::diagram {

// What a sheet keeps of one diagram until its answer page: a few bytes whatever the expression.
struct SheetDiagram {
    DiagramKind kind;
    std::string regions;  // the Euler layout's region set
    ZoneSet zones = 0;    // a Venn layout's zones
    std::string caption;  // SheetCaption of the expression
    // The zones of the set that the diagram cannot show (HiddenZoneList), named on the answer
    // page so that a shading that looks empty or short is not taken for the whole set.
    std::string hidden;
    // A set in set notation, the outside zone included: drawn with its zones in the universe
    // frame instead of `regions` or `zones`.
    std::optional<UniverseSet> set = std::nullopt;
    // A "write the expression" exercise: the exercise shows the shading and a blank line for
    // the answer; the answer page shows `answer` (the shortest expression of the shading) and,
    // when the caption differs from it, "or" and the caption.
    bool reverse = false;
    std::string answer = {};
};

// Where the answer pages go: after the exercises in the one PDF, or into a PDF of their own.
enum class AnswerPlacement { kAfter, kSeparate };

// The PDFs of a sheet: `answers` is empty when they come after the exercises.
struct WorksheetFiles {
    QByteArray exercises;
    QByteArray answers;
};

inline constexpr std::size_t kSheetColumns = 2;
inline constexpr std::size_t kSheetRows = 3;
inline constexpr std::size_t kDiagramsPerPage = kSheetColumns * kSheetRows;
// 100 exercise pages and 100 answer pages: what a class could use, and a PDF of a few
// megabytes held whole in memory before it is written.
inline constexpr std::size_t kMaxSheetDiagrams = 600;
// Far more than a line of the page shows; the rest is elided anyway.
inline constexpr std::size_t kMaxCaptionBytes = 400;

// The expression as the sheet prints it: at most kMaxCaptionBytes of it, cut between whole
// UTF-8 characters and then ending in "…", every control byte (a tab) a blank.
std::string SheetCaption(std::string_view expression);

// The pages: ceil(n / 6) exercise pages, then as many answer pages, each with a heading (the
// options' title, if any, before "Exercises" or "Answers", and the page's number among the
// pages of its part: "Exercises 2 / 3"), the diagrams in 2 columns of 3, numbered "1.", "2.",
// ... in the order given, each with its caption under it, elided to the width of its cell; an
// answer whose set holds zones its diagram cannot show names them beside its number. With a
// title or a "write the expression" exercise, the exercise pages also get a line for the
// pupil's name and the date, and the instruction: "Shade the set." or "Write an expression for
// the shaded set." under the heading when the page holds one kind, beside each number when it
// holds both. The diagrams are drawn with the options (hatch, fill, names: where there is one
// per circle of the diagram), not the title. Needs a QGuiApplication (for the fonts).
WorksheetFiles WorksheetPdfs(std::span<const SheetDiagram> diagrams, const RenderOptions& options,
                             AnswerPlacement placement);

}  // namespace rivo::diagram
