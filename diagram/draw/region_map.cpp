#include "diagram/draw/region_map.h"

#include <QImage>
#include <QRgb>
#include <array>
#include <utility>
#include <vector>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/template_layout.h"
#include "diagram/draw/flood_fill.h"
#include "diagram/draw/painter.h"

namespace rivo::diagram {

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

// Marks no template colour has: the 16-colour palette never uses 1 or 2 as a component.
QRgb Mark(int index) {
    return qRgb(1, 2, index);
}

constexpr int kOutsideMark = 255;

// One byte per pixel, row by row: a code, kOutsideEveryCircle or 0.
std::vector<char> BuildMap(DiagramSize size) {
    QImage work = DiagramTemplate(size).copy();
    const auto seeds = LayoutOf(size).seeds;
    for (std::size_t i = 0; i < seeds.size(); ++i)
        SurfaceFill(work, seeds[i].x, seeds[i].y, kWhite, Mark(static_cast<int>(i)));
    // The area around the circles reaches the picture's edge; a corner lies in it.
    const int right = work.width() - 1;
    const int bottom = work.height() - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
        SurfaceFill(work, x, y, kWhite, Mark(kOutsideMark));

    std::vector<char> map(static_cast<std::size_t>(work.width()) *
                          static_cast<std::size_t>(work.height()));
    std::size_t at = 0;
    for (int y = 0; y < work.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(work.constScanLine(y));
        for (int x = 0; x < work.width(); ++x, ++at) {
            const QRgb pixel = row[x];
            if (qRed(pixel) != 1 || qGreen(pixel) != 2) continue;
            const int index = qBlue(pixel);
            if (index == kOutsideMark) {
                map[at] = kOutsideEveryCircle;
            } else if (static_cast<std::size_t>(index) < seeds.size()) {
                map[at] = seeds[static_cast<std::size_t>(index)].code;
            }
        }
    }
    return map;
}

}  // namespace

char RegionAt(DiagramSize size, int x, int y) {
    static const auto maps = [] {
        std::array<std::vector<char>, std::size(kDiagramSizes)> built;
        for (std::size_t i = 0; i < built.size(); ++i)
            built[i] = BuildMap(kDiagramSizes[i]);
        return built;
    }();
    if (x < 0 || y < 0 || x >= kTemplateWidth || y >= kTemplateHeight) return 0;
    return maps[SizeIndex(size)]
               [static_cast<std::size_t>(y) * static_cast<std::size_t>(kTemplateWidth) +
                static_cast<std::size_t>(x)];
}

}  // namespace rivo::diagram
