// The geometry of the templates' circles: the outline curve through the pixel boxes that the
// rows of diagram/diagram_layout.h hold. The generator in tools/ draws the templates with it;
// the tests check the stored pictures against it.
#pragma once

#include "diagram/core/diagram_layout.h"

namespace rivo::diagram {

inline constexpr int kTemplateWidth = 400;
inline constexpr int kTemplateHeight = 400;

// The outline curve of a circle: centre and radii measured between pixel middles, so the middle
// of pixel (x, y) is the point (x, y). Two circles are a pixel narrower one way than the other.
struct OutlineCurve {
    double cx;
    double cy;
    double rx;
    double ry;
};

OutlineCurve CurveOf(const PixelBox& box);

// ((x - cx) / rx)^2 + ((y - cy) / ry)^2: below 1 inside the circle, 1 on the curve.
double CurveLevel(const OutlineCurve& curve, double x, double y);

// About how many pixels the point (x, y) lies from the curve, either side.
double CurveDistance(const OutlineCurve& curve, double x, double y);

// Whether the middle of pixel (x, y) lies inside the circle (strictly).
bool InsideCircle(const PixelBox& box, int x, int y);

}  // namespace rivo::diagram
