// Searches the Venn layouts stored in diagram/core/venn_layout.cpp and prints them as C++ data.
//
// A layout is a few parameters (circle spacing; ellipse centres, axes and turns; the harmonics of
// wavy curves) turned into shapes fitted to the picture's union box. Random samples find
// parameter sets on which every zone exists; Nelder-Mead, restarted from its best point, then
// raises the smallest zone's share of the union, evens the zones out and fills the box, while
// keeping every zone one region wide enough for a label, every outline free of sharp bends and
// waves, and every crossing wide. Zone areas are counted softly on a coarse grid (each outline
// blurred over one cell) so the score moves smoothly. The winner is rounded as it will be stored
// and confirmed at 400 x 400: areas, regions, inscribed discs, label points and name places.
// `--from` starts from a printed parameter list; with `--evaluations 0` it is only confirmed.
// docs/venn-layouts.md lists the commands that made the stored data. A developer tool: never run
// at start-up or by the tests.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diagram/core/venn_layout.h"

namespace {

using rivo::diagram::kVennHarmonics;
using rivo::diagram::VennContains;
using rivo::diagram::VennOutlinePoint;
using rivo::diagram::VennPoint;
using rivo::diagram::VennShape;
using rivo::diagram::Zone;

constexpr double kPi = std::numbers::pi;
// The union is fitted to this box, leaving the margins for the set names and a universe frame.
constexpr double kBoxLeft = 40;
constexpr double kBoxTop = 48;
constexpr double kBoxRight = 360;
constexpr double kBoxBottom = 360;
constexpr int kPicture = 400;

struct Options {
    int sets = 0;
    int harmonics = 0;
    int samples = 3000;
    int starts = 6;
    int evaluations = 4000;
    unsigned seed = 1;
    double cell = 2.5;
    double disc = 10;      // wanted clearance of the narrowest zone, pixels from its outlines
    double bend = 12;      // smallest radius of curvature wanted, pixels
    double balance = 0.1;  // weight of the spread between the largest and the smallest zone
    double fill = 0.02;    // weight of the union's share of the union box
    bool same = false;     // four sets: all four shapes congruent
    double angle = 0;      // smallest crossing angle wanted, degrees
    double smooth = 0;     // weight of the shapes' bending
    std::vector<double> from;
    std::string picture;
};

// ---- Parameters to shapes ----

struct Bounds {
    std::vector<double> low;
    std::vector<double> high;
    std::size_t base = 0;  // the family's own parameters; the harmonics follow
};

// The parameters of each family, with their ranges. Harmonics follow the family's own
// parameters, cosine and sine of orders 1..K for each shape the family varies.
Bounds BoundsOf(const Options& o) {
    Bounds b;
    auto add = [&b](double lo, double hi) {
        b.low.push_back(lo);
        b.high.push_back(hi);
    };
    int wavy = 0;
    switch (o.sets) {
        case 2:
        case 3:
            add(0.2, 1.9);  // centre spacing over radius
            break;
        case 4:
            // A: x, axis ratio b/a, turn; B: x, y, a, b, turn. A has a = 1 and y = 0.
            add(-1.5, 0.5), add(0.15, 1.0), add(0, kPi);
            add(-1.5, 0.5), add(-1.0, 1.0);
            if (!o.same) add(0.4, 2.0), add(0.15, 1.5);
            add(0, kPi);
            wavy = o.same ? 1 : 2;  // congruent shapes share their harmonics
            break;
        case 5:
            // The shape on top: its centre's height above the middle, b/a, turn.
            add(0, 1.2), add(0.2, 1.0), add(0, kPi);
            wavy = 1;
            break;
        default:
            break;
    }
    b.base = b.low.size();
    for (int s = 0; s < wavy; ++s) {
        for (int k = 0; k < 2 * o.harmonics; ++k)
            add(-0.25, 0.25);
    }
    return b;
}

void SetHarmonics(VennShape& shape, const double* h, int count) {
    for (int k = 0; k < count && k < kVennHarmonics; ++k) {
        shape.cosine[static_cast<std::size_t>(k)] = h[2 * k];
        shape.sine[static_cast<std::size_t>(k)] = h[2 * k + 1];
    }
}

// The shape's mirror image in the vertical line x = 0: turned by pi - angle, its frame's y axis
// flipped, so f(t) becomes f(-t).
VennShape Mirrored(VennShape s) {
    s.centre.x = -s.centre.x;
    s.angle = kPi - s.angle;
    for (double& v : s.sine)
        v = -v;
    return s;
}

VennShape Rotated(VennShape s, double by) {
    const double c = std::cos(by);
    const double n = std::sin(by);
    s.centre = {s.centre.x * c - s.centre.y * n, s.centre.x * n + s.centre.y * c};
    s.angle += by;
    return s;
}

// The shapes in free units, A first.
std::vector<VennShape> RawShapes(const Options& o, const std::vector<double>& x) {
    std::vector<VennShape> shapes;
    const double* h = x.data();
    switch (o.sets) {
        case 2:
            shapes.push_back({{-x[0] / 2, 0}, 1, 1, 0, {}, {}});
            shapes.push_back({{x[0] / 2, 0}, 1, 1, 0, {}, {}});
            break;
        case 3:
            // A top left, B top right, C below (y grows downwards).
            for (const double at : {7 * kPi / 6, 11 * kPi / 6, kPi / 2}) {
                shapes.push_back({{x[0] * std::cos(at), x[0] * std::sin(at)}, 1, 1, 0, {}, {}});
            }
            break;
        case 4: {
            VennShape a{{x[0], 0}, 1, x[1], x[2], {}, {}};
            VennShape b = o.same ? VennShape{{x[3], x[4]}, 1, x[1], x[5], {}, {}}
                                 : VennShape{{x[3], x[4]}, x[5], x[6], x[7], {}, {}};
            h = x.data() + (o.same ? 6 : 8);
            SetHarmonics(a, h, o.harmonics);
            SetHarmonics(b, o.same ? h : h + 2 * o.harmonics, o.harmonics);
            // A and B on the left, their mirror images D and C on the right.
            shapes = {a, b, Mirrored(b), Mirrored(a)};
            break;
        }
        case 5: {
            VennShape top{{0, -x[0]}, 1, x[1], x[2], {}, {}};
            SetHarmonics(top, x.data() + 3, o.harmonics);
            // A on top, then clockwise on screen.
            for (int i = 0; i < 5; ++i)
                shapes.push_back(Rotated(top, 2 * kPi * i / 5));
            break;
        }
        default:
            break;
    }
    return shapes;
}

// Moves and scales the shapes so that their union's bounding box fills the union box, centred.
std::vector<VennShape> Fitted(std::vector<VennShape> shapes) {
    double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
    for (const VennShape& s : shapes) {
        for (int i = 0; i < 512; ++i) {
            const VennPoint p = VennOutlinePoint(s, 2 * kPi * i / 512);
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
    }
    const double scale =
        std::min((kBoxRight - kBoxLeft) / (right - left), (kBoxBottom - kBoxTop) / (bottom - top));
    const double dx = (kBoxLeft + kBoxRight) / 2 - scale * (left + right) / 2;
    const double dy = (kBoxTop + kBoxBottom) / 2 - scale * (top + bottom) / 2;
    for (VennShape& s : shapes) {
        s.centre = {s.centre.x * scale + dx, s.centre.y * scale + dy};
        s.a *= scale;
        s.b *= scale;
    }
    return shapes;
}

std::vector<double> Clamped(const Bounds& b, std::vector<double> x) {
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = std::clamp(x[i], b.low[i], b.high[i]);
    return x;
}

// ---- Shape measures ----

// The smallest radius of curvature along the outline and the smallest radius factor f.
// Also the bending: the length times the integral of the squared curvature, over its value
// for a circle (4 pi^2); 1 for a circle, more for every squeeze and wave.
struct ShapeCheck {
    double minBend;
    double minFactor;
    double bending;
};

ShapeCheck CheckShape(const VennShape& s) {
    constexpr int kSamples = 360;
    ShapeCheck c{1e300, 1e300, 0};
    const double h = 2 * kPi / kSamples;
    double length = 0, energy = 0;
    for (int i = 0; i < kSamples; ++i) {
        const double t = h * i;
        const VennPoint p0 = VennOutlinePoint(s, t - h);
        const VennPoint p1 = VennOutlinePoint(s, t);
        const VennPoint p2 = VennOutlinePoint(s, t + h);
        const double dx = (p2.x - p0.x) / (2 * h), dy = (p2.y - p0.y) / (2 * h);
        const double ddx = (p2.x - 2 * p1.x + p0.x) / (h * h);
        const double ddy = (p2.y - 2 * p1.y + p0.y) / (h * h);
        const double cross = std::abs(dx * ddy - dy * ddx);
        const double speed = std::hypot(dx, dy);
        if (cross > 0) c.minBend = std::min(c.minBend, speed * speed * speed / cross);
        length += speed * h;
        energy += cross * cross / (speed * speed * speed * speed * speed) * h;
        double f = 1;
        for (std::size_t k = 0; k < s.cosine.size(); ++k) {
            const double order = static_cast<double>(k + 1);
            f += s.cosine[k] * std::cos(order * t) + s.sine[k] * std::sin(order * t);
        }
        c.minFactor = std::min(c.minFactor, f);
    }
    c.bending = length * energy / (4 * kPi * kPi);
    return c;
}

// Where two outlines cross: the smallest angle between them at a crossing, in degrees, and how
// many crossings there are (a simple Venn layout of n sets has 2^n - 2).
struct Crossings {
    double minAngle = 90;
    int count = 0;
};

VennPoint Tangent(const VennShape& s, double t) {
    const VennPoint p = VennOutlinePoint(s, t - 1e-6), q = VennOutlinePoint(s, t + 1e-6);
    return {q.x - p.x, q.y - p.y};
}

Crossings CrossingsOf(const std::vector<VennShape>& shapes) {
    constexpr int kSamples = 512;
    Crossings c;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        for (std::size_t j = i + 1; j < shapes.size(); ++j) {
            const VennShape& a = shapes[i];
            const VennShape& b = shapes[j];
            auto inside = [&](double t) { return VennContains(b, VennOutlinePoint(a, t)); };
            for (int k = 0; k < kSamples; ++k) {
                double lo = 2 * kPi * k / kSamples, hi = 2 * kPi * (k + 1) / kSamples;
                const bool first = inside(lo);
                if (first == inside(hi)) continue;
                for (int step = 0; step < 40; ++step) {
                    const double mid = (lo + hi) / 2;
                    (inside(mid) == first ? lo : hi) = mid;
                }
                const VennPoint p = VennOutlinePoint(a, lo);
                // b's parameter at p: the eccentric angle in b's unstretched frame.
                const double dx = p.x - b.centre.x, dy = p.y - b.centre.y;
                const double cs = std::cos(b.angle), sn = std::sin(b.angle);
                const double tb = std::atan2((dy * cs - dx * sn) / b.b, (dx * cs + dy * sn) / b.a);
                const VennPoint ta = Tangent(a, lo), tbv = Tangent(b, tb);
                const double cosine = std::abs(ta.x * tbv.x + ta.y * tbv.y) /
                                      (std::hypot(ta.x, ta.y) * std::hypot(tbv.x, tbv.y));
                c.minAngle = std::min(c.minAngle, std::acos(std::min(1.0, cosine)) * 180 / kPi);
                ++c.count;
            }
        }
    }
    return c;
}

// The approximate signed distance from a point to the outline (positive inside): the gap in the
// unstretched polar form over that form's gradient.
double SignedDistance(const VennShape& s, double px, double py) {
    const double dx = px - s.centre.x, dy = py - s.centre.y;
    const double c = std::cos(s.angle), n = std::sin(s.angle);
    const double u = dx * c + dy * n, v = dy * c - dx * n;
    const double x = u / s.a, y = v / s.b;
    const double rho = std::hypot(x, y);
    if (rho < 1e-12) return std::min(s.a, s.b);
    double f = 1, ck = x / rho, sk = y / rho;
    const double c1 = ck, s1 = sk;
    for (std::size_t k = 0; k < s.cosine.size(); ++k) {
        f += s.cosine[k] * ck + s.sine[k] * sk;
        const double next = ck * c1 - sk * s1;
        sk = sk * c1 + ck * s1;
        ck = next;
    }
    const double gradient = std::hypot(u / (s.a * s.a), v / (s.b * s.b)) / rho;
    return (f - rho) / gradient;
}

// ---- The coarse score ----

struct Score {
    double value = -1e300;
    double minShare = 0;  // smallest zone over the union, soft areas
    double maxShare = 0;
    double minClearance = 0;  // pixels
    int extraRegions = 0;
    int missing = 0;
};

// Connected pieces of each zone on a labelled grid, 4-neighbours, counted by breadth-first
// fill: per zone its size, its largest piece's size and its number of pieces.
struct ZonePieces {
    std::vector<int> total;
    std::vector<int> largest;
    std::vector<int> count;
    int extra = 0;  // pieces beyond one per zone
    bool whole() const {
        return extra == 0 && std::find(total.begin() + 1, total.end(), 0) == total.end();
    }
};

ZonePieces Pieces(const std::vector<Zone>& grid, int nx, int ny, int zones) {
    const auto zn = static_cast<std::size_t>(zones) + 1;
    ZonePieces p{std::vector<int>(zn, 0), std::vector<int>(zn, 0), std::vector<int>(zn, 0), 0};
    std::vector<char> seen(grid.size(), 0);
    std::vector<int> queue;
    queue.reserve(grid.size());
    for (std::size_t start = 0; start < grid.size(); ++start) {
        if (seen[start] || grid[start] == 0) continue;
        const Zone z = grid[start];
        queue.clear();
        queue.push_back(static_cast<int>(start));
        seen[start] = 1;
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const int i = queue[head];
            const int cx = i % nx, cy = i / nx;
            const int next[4][2] = {{cx - 1, cy}, {cx + 1, cy}, {cx, cy - 1}, {cx, cy + 1}};
            for (const auto& q : next) {
                if (q[0] < 0 || q[1] < 0 || q[0] >= nx || q[1] >= ny) continue;
                const auto j = static_cast<std::size_t>(q[1] * nx + q[0]);
                if (seen[j] || grid[j] != z) continue;
                seen[j] = 1;
                queue.push_back(static_cast<int>(j));
            }
        }
        const int size = static_cast<int>(queue.size());
        p.largest[z] = std::max(p.largest[z], size);
        p.total[z] += size;
        ++p.count[z];
    }
    for (std::size_t z = 1; z < zn; ++z)
        p.extra += std::max(0, p.count[z] - 1);
    return p;
}

Score Evaluate(const Options& o, const std::vector<VennShape>& shapes, double cell) {
    Score score;
    const int n = static_cast<int>(shapes.size());
    const int zones = (1 << n) - 1;
    // Every outline smooth and its radius factor clear of zero.
    double penalty = 0;
    for (const VennShape& s : shapes) {
        const ShapeCheck c = CheckShape(s);
        if (c.minFactor < 0.3) penalty += 1 + (0.3 - c.minFactor);
        if (c.minBend < o.bend) penalty += 0.002 * (o.bend - c.minBend);
        penalty += o.smooth * (c.bending - 1) / n;
    }
    if (o.angle > 0) {
        const Crossings x = CrossingsOf(shapes);
        if (x.minAngle < o.angle) penalty += 0.0005 * (o.angle - x.minAngle);
    }
    const int nx = static_cast<int>(std::ceil((kBoxRight - kBoxLeft + 2) / cell));
    const int ny = static_cast<int>(std::ceil((kBoxBottom - kBoxTop + 2) / cell));
    std::vector<double> soft(static_cast<std::size_t>(zones) + 1, 0.0);
    std::vector<double> clearance(static_cast<std::size_t>(zones) + 1, 0.0);
    std::vector<Zone> grid(static_cast<std::size_t>(nx * ny), 0);
    std::array<double, 5> m{};
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const double px = kBoxLeft - 1 + (i + 0.5) * cell;
            const double py = kBoxTop - 1 + (j + 0.5) * cell;
            Zone hard = 0;
            bool blurred = false;
            double clear = 1e300;
            for (int s = 0; s < n; ++s) {
                const double d = SignedDistance(shapes[static_cast<std::size_t>(s)], px, py);
                clear = std::min(clear, std::abs(d));
                if (d > 0) hard |= Zone{1} << s;
                const double mm = std::clamp(0.5 + d / cell, 0.0, 1.0);
                m[static_cast<std::size_t>(s)] = mm;
                blurred = blurred || (mm > 0 && mm < 1);
            }
            grid[static_cast<std::size_t>(j * nx + i)] = hard;
            if (hard != 0) {
                clearance[hard] = std::max(clearance[hard], clear);
            }
            if (!blurred) {
                soft[hard] += 1;
                continue;
            }
            for (int z = 1; z <= zones; ++z) {
                double w = 1;
                for (int s = 0; s < n && w > 0; ++s) {
                    const double mm = m[static_cast<std::size_t>(s)];
                    w *= (z >> s & 1) ? mm : 1 - mm;
                }
                soft[static_cast<std::size_t>(z)] += w;
            }
        }
    }
    const ZonePieces pieces = Pieces(grid, nx, ny, zones);
    score.extraRegions = pieces.extra;
    double uni = 0;
    for (int z = 1; z <= zones; ++z)
        uni += soft[static_cast<std::size_t>(z)];
    score.minShare = 1;
    score.maxShare = 0;
    score.minClearance = 1e300;
    double split = 0;
    for (int z = 1; z <= zones; ++z) {
        const auto zi = static_cast<std::size_t>(z);
        score.minShare = std::min(score.minShare, soft[zi] / uni);
        score.maxShare = std::max(score.maxShare, soft[zi] / uni);
        score.minClearance = std::min(score.minClearance, clearance[zi]);
        if (pieces.total[zi] == 0) ++score.missing;
        split += (pieces.total[zi] - pieces.largest[zi]) * cell * cell;
    }
    const double unionPixels = uni * cell * cell;
    penalty += 3 * split / unionPixels + 0.002 * score.extraRegions;
    if (score.minClearance < o.disc) penalty += 0.002 * (o.disc - score.minClearance);
    const double boxArea = (kBoxRight - kBoxLeft) * (kBoxBottom - kBoxTop);
    score.value = score.minShare - o.balance * (score.maxShare - score.minShare) +
                  o.fill * unionPixels / boxArea - penalty;
    return score;
}

// ---- Search ----

struct Candidate {
    std::vector<double> x;
    double value;
};

class Search {
  public:
    Search(const Options& o) : o_(o), bounds_(BoundsOf(o)), rng_(o.seed) {}

    double Value(const std::vector<double>& x, double cell) {
        ++evaluations_;
        return Evaluate(o_, Fitted(RawShapes(o_, Clamped(bounds_, x))), cell).value;
    }

    std::vector<double> Sample() {
        std::vector<double> x(bounds_.low.size());
        for (std::size_t i = 0; i < x.size(); ++i) {
            // Harmonics start small: the ellipse or circle sets the arrangement.
            const double shrink = i < bounds_.base ? 1 : 0.2;
            std::uniform_real_distribution<double> d(bounds_.low[i] * shrink,
                                                     bounds_.high[i] * shrink);
            x[i] = d(rng_);
        }
        return x;
    }

    // Nelder-Mead maximising the value; stops after `budget` evaluations or when the simplex
    // has collapsed.
    Candidate NelderMead(std::vector<double> start, double stepShare, int budget) {
        const std::size_t dim = start.size();
        std::vector<Candidate> simplex;
        simplex.push_back({start, Value(start, o_.cell)});
        for (std::size_t i = 0; i < dim; ++i) {
            std::vector<double> x = start;
            const double step = stepShare * (bounds_.high[i] - bounds_.low[i]);
            x[i] += (x[i] + step <= bounds_.high[i]) ? step : -step;
            simplex.push_back({x, Value(x, o_.cell)});
        }
        int used = static_cast<int>(dim) + 1;
        auto order = [&simplex] {
            std::sort(simplex.begin(), simplex.end(),
                      [](const Candidate& l, const Candidate& r) { return l.value > r.value; });
        };
        while (used < budget) {
            order();
            if (simplex.front().value - simplex.back().value < 1e-7) break;
            std::vector<double> centroid(dim, 0.0);
            for (std::size_t i = 0; i < dim; ++i) {
                for (std::size_t k = 0; k < dim; ++k)
                    centroid[k] += simplex[i].x[k] / static_cast<double>(dim);
            }
            auto along = [&](double t) {
                std::vector<double> x(dim);
                for (std::size_t k = 0; k < dim; ++k) {
                    x[k] = centroid[k] + t * (simplex.back().x[k] - centroid[k]);
                }
                return Clamped(bounds_, x);
            };
            const std::vector<double> reflected = along(-1);
            const double fr = Value(reflected, o_.cell);
            ++used;
            if (fr > simplex.front().value) {
                const std::vector<double> expanded = along(-2);
                const double fe = Value(expanded, o_.cell);
                ++used;
                simplex.back() = fe > fr ? Candidate{expanded, fe} : Candidate{reflected, fr};
                continue;
            }
            if (fr > simplex[dim - 1].value) {
                simplex.back() = {reflected, fr};
                continue;
            }
            const bool outside = fr > simplex.back().value;
            const std::vector<double> contracted = along(outside ? -0.5 : 0.5);
            const double fc = Value(contracted, o_.cell);
            ++used;
            if (fc > std::max(fr, simplex.back().value)) {
                simplex.back() = {contracted, fc};
                continue;
            }
            for (std::size_t i = 1; i <= dim; ++i) {
                for (std::size_t k = 0; k < dim; ++k) {
                    simplex[i].x[k] = simplex[0].x[k] + 0.5 * (simplex[i].x[k] - simplex[0].x[k]);
                }
                simplex[i].value = Value(simplex[i].x, o_.cell);
                ++used;
            }
        }
        order();
        return simplex.front();
    }

    // Nelder-Mead restarted from its best point with ever smaller simplices.
    Candidate Polish(std::vector<double> start) {
        Candidate best{start, Value(start, o_.cell)};
        for (const double step : {0.08, 0.04, 0.02, 0.01, 0.005}) {
            const Candidate c = NelderMead(best.x, step, o_.evaluations / 5);
            if (c.value > best.value) best = c;
        }
        return best;
    }

    Candidate Run() {
        std::vector<Candidate> found;
        if (!o_.from.empty()) {
            std::vector<double> x = o_.from;
            x.resize(bounds_.low.size(), 0.0);
            found.push_back({x, Value(x, 5.0)});
        } else {
            for (int i = 0; i < o_.samples; ++i) {
                std::vector<double> x = Sample();
                found.push_back({x, Value(x, 5.0)});
            }
            std::sort(found.begin(), found.end(),
                      [](const Candidate& l, const Candidate& r) { return l.value > r.value; });
        }
        if (o_.evaluations == 0) return found.front();
        Candidate best{{}, -1e300};
        const std::size_t starts = std::min(found.size(), static_cast<std::size_t>(o_.starts));
        for (std::size_t i = 0; i < starts; ++i) {
            const Candidate c = Polish(found[i].x);
            std::fprintf(stderr, "start %zu: sampled %.4f, polished %.4f\n", i, found[i].value,
                         c.value);
            if (c.value > best.value) best = c;
        }
        best.x = Clamped(bounds_, best.x);
        return best;
    }

    long evaluations() const { return evaluations_; }

  private:
    Options o_;
    Bounds bounds_;
    std::mt19937 rng_;
    long evaluations_ = 0;
};

// ---- Confirmation at 400 x 400 ----

// A value as it reads back from the printed data: printed with `digits` decimals and parsed.
double Printed(double v, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, v);
    return std::strtod(text, nullptr);
}

double Rounded(double v, double unit) {
    return std::round(v / unit) * unit;
}

// The shapes as stored: positions and axes to 1/10000 px, turns and harmonics to 1e-6.
std::vector<VennShape> AsStored(std::vector<VennShape> shapes) {
    for (VennShape& s : shapes) {
        s.centre = {Printed(s.centre.x, 4), Printed(s.centre.y, 4)};
        s.a = Printed(s.a, 4);
        s.b = Printed(s.b, 4);
        s.angle = Printed(std::remainder(s.angle, 2 * kPi), 6);
        for (double& v : s.cosine)
            v = Printed(v, 6);
        for (double& v : s.sine)
            v = Printed(v, 6);
    }
    return shapes;
}

Zone ZoneAt(const std::vector<VennShape>& shapes, double x, double y) {
    Zone z = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (VennContains(shapes[i], {x, y})) z |= Zone{1} << i;
    }
    return z;
}

// Squared Euclidean distance transform of one row or column (Felzenszwalb and Huttenlocher):
// f holds 0 at feature cells and a large value elsewhere.
void Transform1D(std::vector<double>& f) {
    const std::size_t n = f.size();
    std::vector<double> d(n), zs(n + 1);
    std::vector<std::size_t> v(n);
    std::size_t k = 0;
    v[0] = 0;
    zs[0] = -1e300;
    zs[1] = 1e300;
    for (std::size_t q = 1; q < n; ++q) {
        auto meet = [&](std::size_t p) {
            const double qd = static_cast<double>(q), pd = static_cast<double>(p);
            return ((f[q] + qd * qd) - (f[p] + pd * pd)) / (2 * qd - 2 * pd);
        };
        double s = meet(v[k]);
        while (s <= zs[k]) {
            --k;
            s = meet(v[k]);
        }
        ++k;
        v[k] = q;
        zs[k] = s;
        zs[k + 1] = 1e300;
    }
    k = 0;
    for (std::size_t q = 0; q < n; ++q) {
        while (zs[k + 1] < static_cast<double>(q))
            ++k;
        const double diff = static_cast<double>(q) - static_cast<double>(v[k]);
        d[q] = diff * diff + f[v[k]];
    }
    f = d;
}

// Per pixel, the distance to the nearest pixel of another zone.
std::vector<double> DistanceToOtherZones(const std::vector<Zone>& raster, int side) {
    const auto n = static_cast<std::size_t>(side);
    std::vector<double> grid(n * n, 0.0);
    for (std::size_t y = 0; y < n; ++y) {
        for (std::size_t x = 0; x < n; ++x) {
            const Zone z = raster[y * n + x];
            bool edge = false;
            if (x > 0 && raster[y * n + x - 1] != z) edge = true;
            if (x + 1 < n && raster[y * n + x + 1] != z) edge = true;
            if (y > 0 && raster[(y - 1) * n + x] != z) edge = true;
            if (y + 1 < n && raster[(y + 1) * n + x] != z) edge = true;
            // A pixel at a zone's edge is one step from the other zone's pixel.
            grid[y * n + x] = edge ? 1.0 : 1e12;
        }
    }
    std::vector<double> line(n);
    for (std::size_t y = 0; y < n; ++y) {
        for (std::size_t x = 0; x < n; ++x)
            line[x] = grid[y * n + x];
        Transform1D(line);
        for (std::size_t x = 0; x < n; ++x)
            grid[y * n + x] = line[x];
    }
    for (std::size_t x = 0; x < n; ++x) {
        for (std::size_t y = 0; y < n; ++y)
            line[y] = grid[y * n + x];
        Transform1D(line);
        for (std::size_t y = 0; y < n; ++y)
            grid[y * n + x] = line[y];
    }
    for (double& v : grid)
        v = std::sqrt(v);
    return grid;
}

struct Outlines {
    std::vector<std::vector<VennPoint>> polygons;

    explicit Outlines(const std::vector<VennShape>& shapes) {
        for (const VennShape& s : shapes) {
            polygons.push_back(rivo::diagram::VennPolygon(s, kPicture, 4096));
        }
    }

    double Distance(VennPoint p, int skip = -1) const {
        double best = 1e300;
        for (std::size_t k = 0; k < polygons.size(); ++k) {
            if (static_cast<int>(k) == skip) continue;
            const auto& poly = polygons[k];
            for (std::size_t i = 0; i < poly.size(); ++i) {
                const VennPoint a = poly[i], b = poly[(i + 1) % poly.size()];
                const double ex = b.x - a.x, ey = b.y - a.y;
                const double t = std::clamp(
                    ((p.x - a.x) * ex + (p.y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
                best = std::min(best, std::hypot(p.x - a.x - t * ex, p.y - a.y - t * ey));
            }
        }
        return best;
    }
};

struct NamePlace {
    VennPoint anchor;
    VennPoint outward;
};

struct Confirmed {
    std::vector<VennShape> shapes;
    std::vector<int> area;            // supersampled, whole pixels
    std::vector<int> rasterArea;      // pixel centres
    std::vector<int> regions;         // 4-connected pieces at 400 x 400
    std::vector<double> rasterClear;  // largest distance to another zone's pixel
    std::vector<VennPoint> label;
    std::vector<double> labelClear;  // the label point's distance to the nearest outline
    std::vector<NamePlace> names;
    std::vector<Zone> raster;
};

// A set name's place: beside a stretch of the shape's outline that no other shape covers, the
// farther from the other outlines the better, pushed out along the outline's normal. Names
// above or below the shapes are preferred: a long name has room there.
// Whether a name's box of the given size, placed at the anchor as the renderers place it, lies
// inside the picture and outside every shape.
bool NameFits(const std::vector<VennShape>& shapes, VennPoint anchor, VennPoint outward,
              double width, double height) {
    const VennPoint centre = rivo::diagram::VennNameCentre({anchor, outward}, width, height);
    for (int j = 0; j <= 4; ++j) {
        for (int i = 0; i <= 8; ++i) {
            const double x = centre.x - width / 2 + width * i / 8;
            const double y = centre.y - height / 2 + height * j / 4;
            if (x < 2 || y < 2 || x > kPicture - 2 || y > kPicture - 2) return false;
            if (ZoneAt(shapes, x, y) != 0) return false;
        }
    }
    return true;
}

NamePlace PlaceName(const std::vector<VennShape>& shapes, const Outlines& outlines, int which) {
    constexpr double kGap = 8;
    const VennShape& s = shapes[static_cast<std::size_t>(which)];
    NamePlace best{};
    double bestScore = -1e300;
    VennPoint middle{0, 0};
    for (const VennShape& other : shapes) {
        middle.x += other.centre.x / static_cast<double>(shapes.size());
        middle.y += other.centre.y / static_cast<double>(shapes.size());
    }
    for (int i = 0; i < 720; ++i) {
        const double t = 2 * kPi * i / 720;
        const VennPoint p = VennOutlinePoint(s, t);
        const VennPoint q = VennOutlinePoint(s, t + 1e-4);
        double nx = (q.y - p.y), ny = -(q.x - p.x);
        const double len = std::hypot(nx, ny);
        nx /= len, ny /= len;
        if (VennContains(s, {p.x + nx * 0.5, p.y + ny * 0.5})) nx = -nx, ny = -ny;
        nx = Rounded(nx, 1e-3), ny = Rounded(ny, 1e-3);
        const VennPoint anchor{Rounded(p.x + nx * kGap, 0.1), Rounded(p.y + ny * kGap, 0.1)};
        if (outlines.Distance(anchor) < kGap - 0.5) continue;
        // A short name must fit; room for a long one counts.
        if (!NameFits(shapes, anchor, {nx, ny}, 40, 16)) continue;
        const bool longFits = NameFits(shapes, anchor, {nx, ny}, 170, 16);
        // Beside the shape's own part of the outline, away from the union's middle, above
        // rather than below.
        const double ox = p.x - middle.x, oy = p.y - middle.y;
        const double away = (ox * nx + oy * ny) / std::hypot(ox, oy);
        const double own = std::min(40.0, outlines.Distance(p, which));
        const double value = own + 25 * std::max(0.0, -ny) + 10 * std::max(0.0, ny) + 15 * away +
                             (longFits ? 20 : 0);
        if (value > bestScore) {
            bestScore = value;
            best = {anchor, {nx, ny}};
        }
    }
    if (bestScore < -1e299) std::fprintf(stderr, "no place for the name of shape %d\n", which);
    return best;
}

// Whether every zone of the pixel-centre raster is one 4-connected region.
bool RasterIsConnected(const std::vector<VennShape>& shapes) {
    const int zones = (1 << shapes.size()) - 1;
    std::vector<Zone> raster(static_cast<std::size_t>(kPicture * kPicture));
    for (int y = 0; y < kPicture; ++y) {
        for (int x = 0; x < kPicture; ++x) {
            raster[static_cast<std::size_t>(y * kPicture + x)] = ZoneAt(shapes, x + 0.5, y + 0.5);
        }
    }
    return Pieces(raster, kPicture, kPicture, zones).whole();
}

// Where two outlines cross at a shallow angle, the tip of the narrow wedge between them can
// leave a pixel centre whose four neighbours all lie in other zones. A shift by a fraction of a
// pixel moves the tips off such places; the smallest shift that leaves every zone whole wins.
std::vector<VennShape> ShiftedToWholeZones(const std::vector<VennShape>& shapes) {
    std::vector<std::pair<double, double>> shifts;
    for (int j = -5; j <= 5; ++j) {
        for (int i = -5; i <= 5; ++i)
            shifts.emplace_back(i * 0.09, j * 0.09);
    }
    std::stable_sort(shifts.begin(), shifts.end(), [](const auto& l, const auto& r) {
        return std::hypot(l.first, l.second) < std::hypot(r.first, r.second);
    });
    for (const auto& [dx, dy] : shifts) {
        std::vector<VennShape> moved = shapes;
        for (VennShape& s : moved)
            s.centre = {s.centre.x + dx, s.centre.y + dy};
        moved = AsStored(moved);
        if (RasterIsConnected(moved)) {
            std::fprintf(stderr, "shifted by (%.2f, %.2f) px for whole zones\n", dx, dy);
            return moved;
        }
    }
    std::fprintf(stderr, "no shift leaves every zone whole at 400 x 400\n");
    return shapes;
}

Confirmed Confirm(const std::vector<VennShape>& unshifted) {
    Confirmed c;
    const std::vector<VennShape> shapes = ShiftedToWholeZones(unshifted);
    c.shapes = shapes;
    const int n = static_cast<int>(shapes.size());
    const int zones = (1 << n) - 1;
    const auto zn = static_cast<std::size_t>(zones) + 1;
    // Areas: 8 x 8 samples per pixel.
    std::vector<long> fine(zn, 0);
    constexpr int kSuper = 8;
    for (int y = 0; y < kPicture * kSuper; ++y) {
        for (int x = 0; x < kPicture * kSuper; ++x) {
            ++fine[ZoneAt(shapes, (x + 0.5) / kSuper, (y + 0.5) / kSuper)];
        }
    }
    c.area.resize(zn);
    for (std::size_t z = 0; z < zn; ++z) {
        c.area[z] = static_cast<int>(std::lround(static_cast<double>(fine[z]) / (kSuper * kSuper)));
    }
    // The raster the layout test sees: pixel centres.
    c.raster.resize(static_cast<std::size_t>(kPicture * kPicture));
    for (int y = 0; y < kPicture; ++y) {
        for (int x = 0; x < kPicture; ++x) {
            c.raster[static_cast<std::size_t>(y * kPicture + x)] = ZoneAt(shapes, x + 0.5, y + 0.5);
        }
    }
    const ZonePieces pieces = Pieces(c.raster, kPicture, kPicture, zones);
    c.rasterArea = pieces.total;
    c.regions = pieces.count;
    const std::vector<double> distance = DistanceToOtherZones(c.raster, kPicture);
    c.rasterClear.assign(zn, 0.0);
    std::vector<VennPoint> deepest(zn);
    for (int y = 0; y < kPicture; ++y) {
        for (int x = 0; x < kPicture; ++x) {
            const auto i = static_cast<std::size_t>(y * kPicture + x);
            const Zone z = c.raster[i];
            if (distance[i] > c.rasterClear[z]) {
                c.rasterClear[z] = distance[i];
                deepest[z] = {x + 0.5, y + 0.5};
            }
        }
    }
    // Label points: around the deepest pixel, the point farthest from every outline, searched
    // on ever finer grids (the distance has ridges a hill climb would stall on).
    const Outlines outlines(shapes);
    c.label.assign(zn, {});
    c.labelClear.assign(zn, 0.0);
    for (int z = 1; z <= zones; ++z) {
        const auto zi = static_cast<std::size_t>(z);
        VennPoint p = deepest[zi];
        double best = outlines.Distance(p);
        for (double step = 0.5; step > 0.004; step /= 4) {
            // Follow the best point while it lies on the window's edge.
            for (int round = 0, edge = 1; edge != 0 && round < 100; ++round) {
                const VennPoint middle = p;
                edge = 0;
                for (int j = -8; j <= 8; ++j) {
                    for (int i = -8; i <= 8; ++i) {
                        const VennPoint q{middle.x + i * step, middle.y + j * step};
                        if (ZoneAt(shapes, q.x, q.y) != static_cast<Zone>(z)) continue;
                        const double v = outlines.Distance(q);
                        if (v > best) {
                            best = v, p = q;
                            edge = std::abs(i) == 8 || std::abs(j) == 8;
                        }
                    }
                }
            }
        }
        c.label[zi] = {Rounded(p.x, 0.01), Rounded(p.y, 0.01)};
        c.labelClear[zi] = outlines.Distance(c.label[zi]);
    }
    for (int i = 0; i < n; ++i)
        c.names.push_back(PlaceName(shapes, outlines, i));
    return c;
}

std::string Letters(Zone z) {
    std::string s;
    for (int i = 0; i < 5; ++i) {
        if (z >> i & 1u) s += static_cast<char>('A' + i);
    }
    return s;
}

// A picture to look at: zones in their own tints, outlines dark, label points red, name places
// blue. Written as binary PPM at twice the size.
void WritePicture(const std::string& path, const Confirmed& c) {
    constexpr int kScale = 2;
    constexpr int kSide = kPicture * kScale;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kSide * kSide * 3), 255);
    std::vector<Zone> zone(static_cast<std::size_t>(kSide * kSide));
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            zone[static_cast<std::size_t>(y * kSide + x)] =
                ZoneAt(c.shapes, (x + 0.5) / kScale, (y + 0.5) / kScale);
        }
    }
    auto put = [&](int x, int y, int r, int g, int b) {
        if (x < 0 || y < 0 || x >= kSide || y >= kSide) return;
        const auto i = static_cast<std::size_t>((y * kSide + x) * 3);
        rgb[i] = static_cast<unsigned char>(r);
        rgb[i + 1] = static_cast<unsigned char>(g);
        rgb[i + 2] = static_cast<unsigned char>(b);
    };
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const Zone z = zone[static_cast<std::size_t>(y * kSide + x)];
            const bool edge =
                (x + 1 < kSide && zone[static_cast<std::size_t>(y * kSide + x + 1)] != z) ||
                (y + 1 < kSide && zone[static_cast<std::size_t>((y + 1) * kSide + x)] != z);
            if (edge) {
                put(x, y, 40, 40, 40);
            } else if (z != 0) {
                const double hue = 2 * kPi * (z * 0.618034);
                put(x, y, static_cast<int>(200 + 50 * std::cos(hue)),
                    static_cast<int>(200 + 50 * std::cos(hue + 2.1)),
                    static_cast<int>(200 + 50 * std::cos(hue + 4.2)));
            }
        }
    }
    auto dot = [&](VennPoint p, int r, int g, int b) {
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                if (dx * dx + dy * dy <= 9) {
                    put(static_cast<int>(p.x * kScale) + dx, static_cast<int>(p.y * kScale) + dy, r,
                        g, b);
                }
            }
        }
    };
    for (std::size_t z = 1; z < c.label.size(); ++z)
        dot(c.label[z], 220, 0, 0);
    for (const NamePlace& name : c.names)
        dot(name.anchor, 0, 0, 220);
    // The union box and the picture's edge.
    for (int i = 0; i < kSide; ++i) {
        put(i, static_cast<int>(kBoxTop * kScale), 150, 150, 255);
        put(i, static_cast<int>(kBoxBottom * kScale), 150, 150, 255);
        put(static_cast<int>(kBoxLeft * kScale), i, 150, 150, 255);
        put(static_cast<int>(kBoxRight * kScale), i, 150, 150, 255);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(f, "P6\n%d %d\n255\n", kSide, kSide);
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    std::fclose(f);
}

void PrintData(const Confirmed& c, int sets) {
    std::printf("constexpr VennShape kShapes%d[] = {\n", sets);
    for (const VennShape& s : c.shapes) {
        std::printf("    {{%.4f, %.4f}, %.4f, %.4f, %.6f,", s.centre.x, s.centre.y, s.a, s.b,
                    s.angle);
        const bool wavy =
            std::any_of(s.cosine.begin(), s.cosine.end(), [](double v) { return v != 0; }) ||
            std::any_of(s.sine.begin(), s.sine.end(), [](double v) { return v != 0; });
        if (!wavy) {
            std::printf(" {}, {}},\n");
            continue;
        }
        for (const auto* row : {&s.cosine, &s.sine}) {
            std::printf(row == &s.cosine ? "\n     {" : ", {");
            for (std::size_t k = 0; k < row->size(); ++k) {
                std::printf("%s%.6f", k ? ", " : "", (*row)[k]);
            }
            std::printf("}");
        }
        std::printf("},\n");
    }
    std::printf("};\nconstexpr VennNamePlace kNames%d[] = {\n", sets);
    for (const NamePlace& n : c.names) {
        std::printf("    {{%.1f, %.1f}, {%.3f, %.3f}},\n", n.anchor.x, n.anchor.y, n.outward.x,
                    n.outward.y);
    }
    std::printf("};\nconstexpr VennZoneData kZones%d[] = {\n", sets);
    for (std::size_t z = 1; z < c.label.size(); ++z) {
        std::printf("    {{%.2f, %.2f}, %d},  // %s\n", c.label[z].x, c.label[z].y, c.area[z],
                    Letters(static_cast<Zone>(z)).c_str());
    }
    std::printf("};\n");
}

void Report(const Confirmed& c) {
    const std::size_t zn = c.area.size();
    long uni = 0;
    for (std::size_t z = 1; z < zn; ++z)
        uni += c.area[z];
    double minShare = 1, maxShare = 0, minClear = 1e300, minLabel = 1e300;
    int split = 0, missing = 0;
    for (std::size_t z = 1; z < zn; ++z) {
        const double share = static_cast<double>(c.area[z]) / static_cast<double>(uni);
        minShare = std::min(minShare, share);
        maxShare = std::max(maxShare, share);
        minClear = std::min(minClear, c.rasterClear[z]);
        minLabel = std::min(minLabel, c.labelClear[z]);
        if (c.regions[z] == 0) ++missing;
        if (c.regions[z] > 1) ++split;
        std::fprintf(stderr,
                     "  %-5s area %6d (%5.2f %%) raster %6d regions %d clear %5.2f label %5.2f\n",
                     Letters(static_cast<Zone>(z)).c_str(), c.area[z], 100 * share, c.rasterArea[z],
                     c.regions[z], c.rasterClear[z], c.labelClear[z]);
    }
    const Crossings x = CrossingsOf(c.shapes);
    double bend = 1e300, bending = 0;
    for (const VennShape& s : c.shapes) {
        bend = std::min(bend, CheckShape(s).minBend);
        bending = std::max(bending, CheckShape(s).bending);
    }
    std::fprintf(stderr,
                 "crossings %d, smallest crossing angle %.1f deg, tightest bend %.1f px, "
                 "bending %.2f\n",
                 x.count, x.minAngle, bend, bending);
    std::fprintf(stderr,
                 "union %ld px; smallest zone %.2f %%, largest %.2f %%; missing %d, split %d;\n"
                 "largest disc inside the narrowest zone: %.1f px across (to the outlines), "
                 "%.1f px clear of 1.5 px outlines\n",
                 uni, 100 * minShare, 100 * maxShare, missing, split, 2 * minLabel,
                 2 * minLabel - 1.5);
}

std::vector<double> ParseList(std::string_view text) {
    std::vector<double> out;
    std::string item;
    for (const char ch : std::string(text) + ",") {
        if (ch == ',') {
            if (!item.empty()) out.push_back(std::strtod(item.c_str(), nullptr));
            item.clear();
        } else {
            item += ch;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    // Every option takes one value.
    using Setter = void (*)(Options&, const char*);
    constexpr std::pair<std::string_view, Setter> kOptions[] = {
        {"--sets", [](Options& x, const char* v) { x.sets = std::atoi(v); }},
        {"--harmonics", [](Options& x, const char* v) { x.harmonics = std::atoi(v); }},
        {"--samples", [](Options& x, const char* v) { x.samples = std::atoi(v); }},
        {"--starts", [](Options& x, const char* v) { x.starts = std::atoi(v); }},
        {"--evaluations", [](Options& x, const char* v) { x.evaluations = std::atoi(v); }},
        {"--seed", [](Options& x, const char* v) { x.seed = static_cast<unsigned>(std::atoi(v)); }},
        {"--cell", [](Options& x, const char* v) { x.cell = std::atof(v); }},
        {"--disc", [](Options& x, const char* v) { x.disc = std::atof(v); }},
        {"--bend", [](Options& x, const char* v) { x.bend = std::atof(v); }},
        {"--balance", [](Options& x, const char* v) { x.balance = std::atof(v); }},
        {"--fill", [](Options& x, const char* v) { x.fill = std::atof(v); }},
        {"--same", [](Options& x, const char* v) { x.same = std::atoi(v) != 0; }},
        {"--angle", [](Options& x, const char* v) { x.angle = std::atof(v); }},
        {"--smooth", [](Options& x, const char* v) { x.smooth = std::atof(v); }},
        {"--from", [](Options& x, const char* v) { x.from = ParseList(v); }},
        {"--picture", [](Options& x, const char* v) { x.picture = v; }},
    };
    for (int i = 1; i < argc; i += 2) {
        const auto* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                          [&](const auto& row) { return row.first == argv[i]; });
        if (option == std::end(kOptions) || i + 1 == argc) {
            std::fprintf(stderr, "unknown option or missing value: %s\n", argv[i]);
            return 2;
        }
        option->second(o, argv[i + 1]);
    }
    if (o.sets < 2 || o.sets > 5 || o.harmonics < 0 || o.harmonics > kVennHarmonics) {
        std::fprintf(stderr,
                     "usage: venn_optimize --sets 2..5 [--harmonics 0..%d] [--samples M] "
                     "[--starts S] [--evaluations E] [--seed N] [--cell px] [--disc px] "
                     "[--bend px] [--balance w] [--fill w] [--same 0|1] [--angle deg] [--smooth w] "
                     "[--from x1,x2,...] "
                     "[--picture file.ppm]\n",
                     kVennHarmonics);
        return 2;
    }
    const auto began = std::chrono::steady_clock::now();
    Search search(o);
    const Candidate best = search.Run();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::fprintf(stderr, "search: %ld evaluations, %.1f s; coarse score %.5f\nparameters:",
                 search.evaluations(), seconds, best.value);
    for (std::size_t i = 0; i < best.x.size(); ++i) {
        std::fprintf(stderr, "%s%.6f", i ? "," : " ", best.x[i]);
    }
    std::fprintf(stderr, "\n");
    const Confirmed c = Confirm(AsStored(Fitted(RawShapes(o, best.x))));
    Report(c);
    PrintData(c, o.sets);
    if (!o.picture.empty()) WritePicture(o.picture, c);
    return 0;
}
