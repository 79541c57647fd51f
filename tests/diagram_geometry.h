// Test helpers for pictures of diagrams: which circles a pixel lies in by the circle geometry,
// and the 4-connected white areas of a picture, found by a plain breadth-first search that
// shares nothing with the painter's fill.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"

namespace rivo::testing {

// The names of the circles whose inside holds the middle of pixel (x, y), e.g. "ABD".
std::string CirclesAt(diagram::DiagramSize size, int x, int y);

bool IsWhite(QRgb pixel);

// Whether the middle of pixel (x, y) of the 400 x 400 frame lies at least 3 pixels from every
// circle of the outline table (each box's outer edge taken as the circle) and outside every
// letter's box: where a drawn picture must agree with the template painter's.
bool FarFromOutlines(diagram::DiagramSize size, int x, int y);

// How many pixels two pictures of one size differ in, by colour alone (not by format, alpha or
// colour space); -1 for different sizes.
int DifferentPixels(const QImage& a, const QImage& b);

struct WhiteAreas {
    int width = 0;
    std::vector<int> label;  // per pixel, row by row: the area's number, or -1 off white
    std::vector<int> size;   // per area, its pixel count

    int At(int x, int y) const { return label[static_cast<std::size_t>(y * width + x)]; }
};

WhiteAreas FindWhiteAreas(const QImage& picture);

}  // namespace rivo::testing
