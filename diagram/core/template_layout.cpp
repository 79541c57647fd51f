#include "diagram/core/template_layout.h"

#include <cmath>

namespace rivo::diagram {

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
