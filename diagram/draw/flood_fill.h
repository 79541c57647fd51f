// The surface flood fill of the painter.
#pragma once

#include <QImage>
#include <QRgb>

namespace rivo::diagram {

// Repaints with `brush` every pixel of colour `surface` that is connected to (x, y) through up,
// down, left and right neighbours; diagonal neighbours do not connect. Nothing changes when
// (x, y) lies outside the image or is not of the surface colour. Colours are compared without
// their alpha. An image that is not 32-bit RGB is converted to QImage::Format_RGB32 first.
void SurfaceFill(QImage& image, int x, int y, QRgb surface, QRgb brush);

}  // namespace rivo::diagram
