// What the three diagram templates show: the circle outlines and the letters that name them,
// by the inclusive pixel boxes the pictures are drawn to, as the rows of
// diagram/diagram_layout.h hold them. The generator in tools/ draws the templates from these;
// the tests check the stored pictures against them.
#pragma once

#include <span>
#include <string_view>

#include "diagram/diagram_layout.h"

namespace rivo::diagram {

inline constexpr int kTemplateWidth = 400;
inline constexpr int kTemplateHeight = 400;

constexpr std::span<const CircleOutline> TemplateCircles(DiagramSize size) {
    return LayoutOf(size).circles;
}

constexpr std::span<const LetterPlace> TemplateLetters(DiagramSize size) {
    return LayoutOf(size).letters;
}

// File name of the stored template, e.g. "circles3.bmp".
constexpr std::string_view TemplateFileName(DiagramSize size) {
    return LayoutOf(size).templateFile;
}

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
