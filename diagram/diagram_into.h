// The one way a diagram is drawn into a rectangle of a page (a worksheet's cell).
#pragma once

#include <QPainter>
#include <QRectF>
#include <string_view>

#include "diagram/diagram_size.h"

namespace rivo::diagram {

// Draws the diagram of `size` with the regions of `regions` shaded into `target`, a square.
// With `hatch` the shading is to be a pattern for each region instead of a flat fill; the
// template picture knows no patterns, so for now every shading is its flat fill.
void DrawDiagramInto(QPainter& painter, const QRectF& target, DiagramSize size,
                     std::string_view regions, bool hatch);

}  // namespace rivo::diagram
