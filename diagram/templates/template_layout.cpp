#include "diagram/templates/template_layout.h"

#include <cmath>

namespace rivo::diagram {

namespace {

constexpr CircleOutline kCircles3[] = {
    {'A', {39, 57, 222, 240}},
    {'B', {159, 58, 342, 241}},
    {'C', {99, 162, 282, 345}},
};

constexpr CircleOutline kCircles4[] = {
    {'A', {109, 48, 292, 231}},
    {'B', {179, 118, 361, 301}},
    {'C', {109, 187, 292, 370}},
    {'D', {40, 118, 223, 301}},
};

constexpr CircleOutline kCircles5[] = {
    {'A', {110, 43, 311, 244}}, {'B', {182, 96, 383, 297}}, {'C', {155, 181, 356, 382}},
    {'D', {65, 181, 266, 382}}, {'E', {38, 96, 239, 296}},
};

constexpr LetterPlace kLetters3[] = {
    {'A', {41, 56, 58, 72}},
    {'B', {333, 60, 346, 76}},
    {'C', {73, 301, 87, 317}},
};

constexpr LetterPlace kLetters4[] = {
    {'A', {191, 22, 208, 38}},
    {'B', {371, 162, 384, 178}},
    {'C', {281, 348, 295, 364}},
    {'D', {23, 258, 38, 274}},
};

constexpr LetterPlace kLetters5[] = {
    {'A', {239, 18, 258, 37}}, {'B', {371, 100, 388, 119}}, {'C', {360, 331, 377, 350}},
    {'D', {45, 358, 65, 377}}, {'E', {7, 144, 23, 163}},
};

}  // namespace

std::span<const CircleOutline> TemplateCircles(DiagramSize size) {
    switch (size) {
        case DiagramSize::kThree:
            return kCircles3;
        case DiagramSize::kFour:
            return kCircles4;
        case DiagramSize::kFive:
            return kCircles5;
    }
    return {};
}

std::span<const LetterPlace> TemplateLetters(DiagramSize size) {
    switch (size) {
        case DiagramSize::kThree:
            return kLetters3;
        case DiagramSize::kFour:
            return kLetters4;
        case DiagramSize::kFive:
            return kLetters5;
    }
    return {};
}

std::string_view TemplateFileName(DiagramSize size) {
    switch (size) {
        case DiagramSize::kThree:
            return "circles3.bmp";
        case DiagramSize::kFour:
            return "circles4.bmp";
        case DiagramSize::kFive:
            return "circles5.bmp";
    }
    return {};
}

OutlineCurve CurveOf(const PixelBox& box) {
    return {(box.left + box.right) / 2.0, (box.top + box.bottom) / 2.0,
            (box.right - box.left) / 2.0, (box.bottom - box.top) / 2.0};
}

double CurveLevel(const OutlineCurve& curve, double x, double y) {
    const double u = (x - curve.cx) / curve.rx;
    const double v = (y - curve.cy) / curve.ry;
    return u * u + v * v;
}

double CurveDistance(const OutlineCurve& curve, double x, double y) {
    return std::abs(std::sqrt(CurveLevel(curve, x, y)) - 1.0) * (curve.rx + curve.ry) / 2.0;
}

bool InsideCircle(const PixelBox& box, int x, int y) {
    return CurveLevel(CurveOf(box), x, y) < 1.0;
}

}  // namespace rivo::diagram
