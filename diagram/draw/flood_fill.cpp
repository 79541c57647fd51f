// An iterative scanline fill: each popped seed is widened to its whole run of surface pixels,
// the run is painted, and the runs above and below it are queued by their first pixel. The work
// list holds at most one entry per queued run, so its size is bounded by the image.
#include "diagram/draw/flood_fill.h"

#include <vector>

namespace rivo::diagram {

namespace {

constexpr QRgb kColourBits = 0x00FFFFFF;

struct Seed {
    int x;
    int y;
};

}  // namespace

void SurfaceFill(QImage& image, int x, int y, QRgb surface, QRgb brush) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    if (image.format() != QImage::Format_RGB32) {
        image.convertTo(QImage::Format_RGB32);
    }
    const QRgb from = surface & kColourBits;
    const QRgb to = qRgb(qRed(brush), qGreen(brush), qBlue(brush));
    // Painting a colour over itself would find the same run again and again.
    if ((to & kColourBits) == from) return;

    const int width = image.width();
    const int height = image.height();
    auto row = [&](int r) { return reinterpret_cast<QRgb*>(image.scanLine(r)); };
    auto isSurface = [&](const QRgb* line, int column) {
        return (line[column] & kColourBits) == from;
    };
    if (!isSurface(row(y), x)) return;

    std::vector<Seed> work{{x, y}};
    while (!work.empty()) {
        const Seed seed = work.back();
        work.pop_back();
        QRgb* line = row(seed.y);
        if (!isSurface(line, seed.x)) continue;  // painted since it was queued
        int left = seed.x;
        while (left > 0 && isSurface(line, left - 1))
            --left;
        int right = seed.x;
        while (right + 1 < width && isSurface(line, right + 1))
            ++right;
        for (int column = left; column <= right; ++column)
            line[column] = to;
        for (const int next : {seed.y - 1, seed.y + 1}) {
            if (next < 0 || next >= height) continue;
            const QRgb* neighbour = row(next);
            bool inRun = false;
            for (int column = left; column <= right; ++column) {
                const bool surfaceHere = isSurface(neighbour, column);
                if (surfaceHere && !inRun) work.push_back({column, next});
                inRun = surfaceHere;
            }
        }
    }
}

}  // namespace rivo::diagram
