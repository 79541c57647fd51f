#include "tests/diagram_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <queue>

#include "diagram/core/template_layout.h"

namespace rivo::testing {

std::string CirclesAt(diagram::DiagramSize size, int x, int y) {
    std::string names;
    for (const auto& circle : diagram::LayoutOf(size).circles) {
        if (diagram::InsideCircle(circle.box, x, y)) names.push_back(circle.name);
    }
    return names;
}

bool FarFromOutlines(diagram::DiagramSize size, int x, int y) {
    const auto& layout = diagram::LayoutOf(size);
    for (const auto& circle : layout.circles) {
        const diagram::PixelBox& b = circle.box;
        const double rx = (b.right - b.left + 1) / 2.0;
        const double ry = (b.bottom - b.top + 1) / 2.0;
        const double dx = (x + 0.5 - (b.left + b.right + 1) / 2.0) / rx;
        const double dy = (y + 0.5 - (b.top + b.bottom + 1) / 2.0) / ry;
        // The distance from the ellipse, near enough for nearly round ones.
        if (std::abs(std::hypot(dx, dy) - 1.0) * std::min(rx, ry) < 3.0) return false;
    }
    for (const auto& letter : layout.letters) {
        const diagram::PixelBox& b = letter.box;
        if (x >= b.left && x <= b.right && y >= b.top && y <= b.bottom) return false;
    }
    return true;
}

bool IsWhite(QRgb pixel) {
    return (pixel & 0xFFFFFFu) == 0xFFFFFFu;
}

int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xFFFFFFu) != (b.pixel(x, y) & 0xFFFFFFu) ? 1 : 0;
    }
    return count;
}

WhiteAreas FindWhiteAreas(const QImage& picture) {
    WhiteAreas areas;
    const int w = picture.width();
    const int h = picture.height();
    areas.width = w;
    areas.label.assign(static_cast<std::size_t>(w * h), -1);
    auto index = [w](int x, int y) { return static_cast<std::size_t>(y * w + x); };
    for (int y0 = 0; y0 < h; ++y0) {
        for (int x0 = 0; x0 < w; ++x0) {
            if (areas.At(x0, y0) >= 0 || !IsWhite(picture.pixel(x0, y0))) continue;
            const int id = static_cast<int>(areas.size.size());
            areas.size.push_back(0);
            std::queue<std::pair<int, int>> queue;
            queue.push({x0, y0});
            areas.label[index(x0, y0)] = id;
            while (!queue.empty()) {
                const auto [x, y] = queue.front();
                queue.pop();
                ++areas.size.back();
                constexpr std::array<std::array<int, 2>, 4> kSides = {
                    {{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
                for (const auto& d : kSides) {
                    const int nx = x + d[0];
                    const int ny = y + d[1];
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    if (areas.At(nx, ny) >= 0 || !IsWhite(picture.pixel(nx, ny))) continue;
                    areas.label[index(nx, ny)] = id;
                    queue.push({nx, ny});
                }
            }
        }
    }
    return areas;
}

}  // namespace rivo::testing
