// Which region of a diagram a pixel of its picture lies in, read off the template by the same
// flood fills that paint the regions. Qt Gui, beside the painter.
#pragma once

#include "diagram/core/diagram_size.h"

namespace rivo::diagram {

// RegionAt's answer for a pixel beyond every circle.
inline constexpr char kOutsideEveryCircle = '.';

// The code of the region whose seed's fill reaches the pixel (x, y) of a size's 400 x 400
// picture; kOutsideEveryCircle for the white area around the circles; 0 for an outline or
// letter pixel, a white speck no fill reaches, or a point off the picture. Each size's map is
// worked out once.
char RegionAt(DiagramSize size, int x, int y);

}  // namespace rivo::diagram
