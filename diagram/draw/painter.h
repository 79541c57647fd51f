// The painter: a region set becomes a picture, the template of its diagram size with each of its
// regions flood-filled from the region's seed point.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <string_view>

#include "diagram/core/diagram_size.h"

namespace rivo::diagram {

// Where the stored template of a size lives among the program's resources,
// e.g. ":/diagram/templates/circles3.bmp".
QString TemplateResourcePath(DiagramSize size);

// The template of a size as a 400 x 400 picture in QImage::Format_RGB32, decoded once.
const QImage& DiagramTemplate(DiagramSize size);

// Makes `picture` a 400 x 400 true-colour copy of the template, whatever it held before, then
// fills the regions of `regionSet` one code after the other, each in its seed's colour: silver
// for three and four circles, red or green for five. A code without a seed, or whose seed is no
// longer white, changes nothing, so duplicates and the order of the codes do not matter.
void PaintDiagram(DiagramSize size, std::string_view regionSet, QImage& picture);

// The same, into a new picture.
QImage PaintDiagram(DiagramSize size, std::string_view regionSet);

// A colour of the seed table, which keeps red in the low byte, as an opaque Qt colour.
QRgb FromTableColour(std::uint32_t colour);

}  // namespace rivo::diagram
