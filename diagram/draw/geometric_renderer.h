// The geometric renderer: the picture of a region set drawn from the circles themselves, at any
// size and onto any paint device (raster, SVG, PDF). The template painter stays the truth at
// 400 x 400; this one agrees with it away from the outlines and letters.
#pragma once

#include <QImage>
#include <QRectF>
#include <string_view>

#include "diagram/core/diagram_size.h"

class QPainter;

namespace rivo::diagram {

struct RenderOptions {
    // Patterns instead of flat colours, for black-and-white printing: one for silver regions,
    // and two for red and green that differ in density, so they stay apart without colour.
    bool hatch = false;
};

// The letters need Qt's font database, which exists only beside a QGuiApplication: a program
// without one (rivo-cli, a test) gets an offscreen one, made once and ended at exit. False
// when another kind of application object is there, and the letters are left out. Called by
// RenderDiagram; call it before opening a painter on a device that records the font it starts
// with (SVG). The C locale is the environment's afterwards, as with any Qt application.
bool EnsureFontDatabase();

// Draws the diagram of `size` with the regions of `regions` shaded into the square `target`:
// an opaque white background, the regions, the circles and their letters. Codes the size does
// not have are ignored, as the template painter ignores them.
void RenderDiagram(QPainter& painter, const QRectF& target, DiagramSize size,
                   std::string_view regions, const RenderOptions& options);

// The same as a `side` x `side` picture in QImage::Format_RGB32.
QImage RenderDiagramImage(DiagramSize size, std::string_view regions, int side,
                          const RenderOptions& options);

}  // namespace rivo::diagram
