#include "diagram/core/zone_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace rivo::diagram {

namespace {

// One stretch of a shape's outline between two crossings with other outlines, and the zone just
// outside the shape along it (the zone just inside has the shape's bit as well).
struct Arc {
    std::size_t shape;
    double from;   // parameter
    double sweep;  // radians, > 0
    Zone outside;
};

// The arcs of every outline: each cut where another outline crosses it, found by sampling the
// outline against the other shapes and bisecting between samples of different zones.
std::vector<Arc> ArcsOf(std::span<const VennShape> shapes) {
    constexpr int kSamples = 1024;
    constexpr double kTurn = 2 * std::numbers::pi;
    std::vector<Arc> arcs;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const auto zoneAt = [&](double t) {
            const VennPoint p = VennOutlinePoint(shapes[i], t);
            Zone zone = 0;
            for (std::size_t j = 0; j < shapes.size(); ++j) {
                if (j != i && VennContains(shapes[j], p)) zone |= Zone{1} << j;
            }
            return zone;
        };
        std::vector<double> cuts;
        Zone before = zoneAt(0);
        for (int k = 1; k <= kSamples; ++k) {
            double low = kTurn * (k - 1) / kSamples;
            double high = kTurn * k / kSamples;
            const Zone after = zoneAt(high);
            if (after == before) continue;
            for (int step = 0; step < 48; ++step) {
                const double middle = (low + high) / 2;
                (zoneAt(middle) == before ? low : high) = middle;
            }
            cuts.push_back((low + high) / 2);
            before = after;
        }
        if (cuts.empty()) {
            arcs.push_back({i, 0, kTurn, zoneAt(0)});
            continue;
        }
        for (std::size_t c = 0; c < cuts.size(); ++c) {
            const double from = cuts[c];
            const double to = c + 1 < cuts.size() ? cuts[c + 1] : cuts.front() + kTurn;
            arcs.push_back({i, from, to - from, zoneAt((from + to) / 2)});
        }
    }
    return arcs;
}

// The arcs that bound `zone`, turned so the zone lies on the same side of each, joined end to
// start into closed loops: from each piece's end on to the nearest start, until the loop's own
// start is the nearest.
std::vector<OutlineLoop> LoopsOf(std::span<const VennShape> shapes, std::span<const Arc> arcs,
                                 Zone zone) {
    std::vector<OutlinePiece> pieces;
    for (const Arc& arc : arcs) {
        const Zone inside = arc.outside | Zone{1} << arc.shape;
        const VennShape& shape = shapes[arc.shape];
        if (inside == zone) {
            pieces.push_back({arc.shape, arc.from, arc.sweep, VennOutlinePoint(shape, arc.from),
                              VennOutlinePoint(shape, arc.from + arc.sweep)});
        } else if (arc.outside == zone) {
            const double end = arc.from + arc.sweep;
            pieces.push_back({arc.shape, end, -arc.sweep, VennOutlinePoint(shape, end),
                              VennOutlinePoint(shape, arc.from)});
        }
    }
    const auto apart = [](VennPoint a, VennPoint b) { return std::hypot(a.x - b.x, a.y - b.y); };
    std::vector<OutlineLoop> loops;
    std::vector<bool> used(pieces.size(), false);
    for (std::size_t first = 0; first < pieces.size(); ++first) {
        if (used[first]) continue;
        OutlineLoop& loop = loops.emplace_back();
        std::size_t at = first;
        while (true) {
            used[at] = true;
            loop.push_back(pieces[at]);
            std::size_t next = pieces.size();
            double nearest = apart(pieces[at].end, pieces[first].start);
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                if (!used[k] && apart(pieces[at].end, pieces[k].start) < nearest) {
                    nearest = apart(pieces[at].end, pieces[k].start);
                    next = k;
                }
            }
            if (next == pieces.size()) break;
            at = next;
        }
    }
    return loops;
}

}  // namespace

std::vector<OutlineLoop> ZoneOutline(std::span<const VennShape> shapes, Zone zone) {
    return LoopsOf(shapes, ArcsOf(shapes), zone);
}

std::vector<std::vector<OutlineLoop>> ZoneOutlines(std::span<const VennShape> shapes) {
    const std::vector<Arc> arcs = ArcsOf(shapes);
    std::vector<std::vector<OutlineLoop>> outlines;
    for (Zone zone = 0; zone < Zone{1} << shapes.size(); ++zone)
        outlines.push_back(LoopsOf(shapes, arcs, zone));
    return outlines;
}

std::vector<VennCubic> PieceCubics(const VennShape& shape, double from, double sweep, int perTurn) {
    const double longest = 2 * std::numbers::pi / std::max(1, perTurn);
    const int count = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / longest - 1e-9)));
    const double step = sweep / count;
    std::vector<VennCubic> cubics;
    cubics.reserve(static_cast<std::size_t>(count));
    VennPoint start = VennOutlinePoint(shape, from);
    VennPoint slope = VennOutlineTangent(shape, from);
    for (int i = 1; i <= count; ++i) {
        const double t = from + step * i;
        const VennPoint end = VennOutlinePoint(shape, t);
        const VennPoint endSlope = VennOutlineTangent(shape, t);
        cubics.push_back({{start.x + slope.x * step / 3, start.y + slope.y * step / 3},
                          {end.x - endSlope.x * step / 3, end.y - endSlope.y * step / 3},
                          end});
        start = end;
        slope = endSlope;
    }
    return cubics;
}

}  // namespace rivo::diagram
