// The geometric renderer: the picture of a set drawn from the shapes themselves, at any size and
// onto any paint device (raster, SVG, PDF), in the Euler layout (the templates' circles) or a
// Venn layout (every zone one region). The template painter stays the truth at 400 x 400; this
// one agrees with it away from the outlines and letters, and draws what the template cannot:
// the Venn layouts, names and a title, one fill colour, the universe frame.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"

class QPainter;

namespace rivo::diagram {

// The longest circle name and title the renderer is meant for (rivo-cli refuses longer ones):
// bytes of UTF-8 for a name, characters for a title. Longer ones are drawn smaller or cut.
inline constexpr std::size_t kMaxLabelBytes = 24;
inline constexpr std::size_t kMaxTitleCharacters = 60;

struct RenderOptions {
    // Patterns instead of flat colours, for black-and-white printing: one for silver zones, and
    // two for red and green that differ in density, so they stay apart without colour.
    bool hatch = false;
    // One colour for every shaded zone instead of the layout's colours; `hatch` wins over it.
    std::optional<QColor> fill = {};
    // The circles' names, A first, in UTF-8, drawn beside their shapes instead of the letters;
    // used only when there is one per circle.
    std::vector<std::string> labels = {};
    // One line of UTF-8 above the picture: it takes a band at the top, and the diagram shrinks
    // into the square below it. Empty: none.
    std::string title = {};
    // A frame around the shapes with "U" in its top left corner: the universe. The outside zone
    // (bit 0 of a UniverseSet) is shaded inside it; without the frame it is not drawn.
    bool universe = false;

    // Whether anything beyond the layout's own picture is asked (the hatch aside): names, a
    // title, a fill colour or the frame. Without it the Euler picture is the template's.
    bool Decorated() const {
        return fill.has_value() || !labels.empty() || !title.empty() || universe;
    }
};

// The letters need Qt's font database, which exists only beside a QGuiApplication: a program
// without one (rivo-cli, a test) gets an offscreen one, made once and ended at exit. False
// when another kind of application object is there, and the letters are left out. Called by
// RenderDiagram; call it before opening a painter on a device that records the font it starts
// with (SVG). The C locale is the environment's afterwards, as with any Qt application.
bool EnsureFontDatabase();

// The Euler diagram of `size` with the regions of `regions` shaded, drawn into the square
// `target`: an opaque white background, the regions, the circles and their letters (or names),
// and what the options add. Codes the size does not have are ignored, as the template painter
// ignores them.
void RenderDiagram(QPainter& painter, const QRectF& target, DiagramSize size,
                   std::string_view regions, const RenderOptions& options);

// The same as a `side` x `side` picture in QImage::Format_RGB32.
QImage RenderDiagramImage(DiagramSize size, std::string_view regions, int side,
                          const RenderOptions& options);

// The picture of a set of zones, for either layout: bit z of `zones` shades zone z (its circles
// as bits, A the lowest); bit 0, the outside zone, is shaded inside the universe frame only. The
// Euler layout shades the zones it has a region for and leaves out the others (four and five
// circles cannot show every zone); colours as the Euler diagram of that many circles has them:
// silver for two to four, for five red for a zone in an odd number of circles and green for an
// even one.
void RenderZones(QPainter& painter, const QRectF& target, DiagramKind kind, UniverseSet zones,
                 const RenderOptions& options);

// The same as a `side` x `side` picture in QImage::Format_RGB32.
QImage RenderZonesImage(DiagramKind kind, UniverseSet zones, int side,
                        const RenderOptions& options);

// Where the layout's units (the 400 x 400 frame of diagram/core/zone_places.h: shapes, zone
// points) land in `target` when the picture is drawn with these options: a title moves the frame
// down and shrinks it, and long names may shrink the shapes to make room. For a window
// that maps the pointer to a zone, or draws a focus mark on one.
QTransform LayoutTransform(const QRectF& target, DiagramKind kind, const RenderOptions& options);

// The area of one zone of the Venn layout of `circles` sets, in layout units, as the renderer
// fills it; zone 0 is the part of the universe frame outside every shape. For a window that
// finds the zone under the pointer or draws a focus mark around one. Empty for a zone the count
// does not have.
QPainterPath VennZoneArea(int circles, Zone zone);

}  // namespace rivo::diagram
