#include "diagram/draw/geometric_renderer.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QtMath>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <span>
#include <vector>

#include "diagram/core/diagram_layout.h"
#include "diagram/core/venn_layout.h"
#include "diagram/core/zone_outline.h"
#include "diagram/core/zone_places.h"
#include "diagram/core/zones.h"
#include "diagram/draw/painter.h"

namespace rivo::diagram {

namespace {

// Everything is laid out in the template's 400 x 400 frame and scaled to the target.
constexpr double kFrame = 400.0;

// A box names the outermost pixels of the drawn outline, whose middles lie on the circle: its
// edge runs half a pixel inside the box's outer edge.
QRectF CircleRect(const PixelBox& box) {
    return QRectF(box.left + 0.5, box.top + 0.5, box.right - box.left, box.bottom - box.top);
}

QPainterPath CirclePath(const PixelBox& box) {
    QPainterPath path;
    path.addEllipse(CircleRect(box));
    return path;
}

// A region is the intersection of its circles less every other circle; the outside region
// (no circle) is the frame less all of them.
QPainterPath RegionPolygon(const DiagramLayout& layout, char code) {
    const std::string inside = CirclesOf(layout.size, code);
    QPainterPath region;
    region.addRect(QRectF(0, 0, kFrame, kFrame));
    for (const CircleOutline& circle : layout.circles) {
        const QPainterPath path = CirclePath(circle.box);
        region = inside.find(circle.name) != std::string::npos ? region.intersected(path)
                                                               : region.subtracted(path);
    }
    return region;
}

// How far, about, a point lies from the outline of a circle, in frame units.
double DistanceFrom(const QRectF& circle, const QPointF& point) {
    const double rx = circle.width() / 2;
    const double ry = circle.height() / 2;
    const double level =
        std::hypot((point.x() - circle.center().x()) / rx, (point.y() - circle.center().y()) / ry);
    return std::abs(level - 1.0) * std::min(rx, ry);
}

// The angle of a point of the circle as QPainterPath::arcTo reads it: in degrees,
// anticlockwise on the screen from three o'clock, of the circle scaled to a round one.
double ArcAngle(const QRectF& circle, const QPointF& point) {
    return qRadiansToDegrees(std::atan2(-(point.y() - circle.center().y()) / circle.height(),
                                        (point.x() - circle.center().x()) / circle.width()));
}

// The region's outline as arcs of its circles. Qt's boolean operations give a polygon of short
// chords, tens for each arc, which a vector file would write out point by point (a sheet's
// answer pages were mostly such points): each run of chords along one circle becomes one arc,
// a curve or two. Nothing when a chord lies on no circle, and the caller keeps the polygon.
std::optional<QPainterPath> InArcs(const QPainterPath& polygon, std::span<const QRectF> circles) {
    // The closed runs of points, one per subpath.
    std::vector<std::vector<QPointF>> rings;
    for (int i = 0; i < polygon.elementCount(); ++i) {
        const QPainterPath::Element element = polygon.elementAt(i);
        if (element.isCurveTo()) return std::nullopt;
        if (element.isMoveTo()) rings.emplace_back();
        rings.back().push_back(element);
    }
    constexpr double kOnOutline = 0.25;
    QPainterPath outline;
    outline.setFillRule(polygon.fillRule());
    for (std::vector<QPointF>& ring : rings) {
        if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
        const std::size_t n = ring.size();
        if (n < 3) return std::nullopt;
        // The circle each chord runs along: the one nearest its ends and its middle.
        std::vector<std::size_t> along(n);
        for (std::size_t k = 0; k < n; ++k) {
            const QPointF a = ring[k];
            const QPointF b = ring[(k + 1) % n];
            double best = kOnOutline;
            along[k] = circles.size();
            for (std::size_t c = 0; c < circles.size(); ++c) {
                const double off =
                    std::max({DistanceFrom(circles[c], a), DistanceFrom(circles[c], b),
                              DistanceFrom(circles[c], (a + b) / 2)});
                if (off < best) {
                    best = off;
                    along[k] = c;
                }
            }
            if (along[k] == circles.size()) return std::nullopt;
        }
        // From the start of a run: the first chord whose circle differs from the one before.
        std::size_t first = 0;
        while (first < n && along[first] == along[(first + n - 1) % n])
            ++first;
        if (first == n) return std::nullopt;  // one circle all round: no region of ours
        outline.moveTo(ring[first]);
        for (std::size_t done = 0; done < n;) {
            const std::size_t start = (first + done) % n;
            const QRectF& circle = circles[along[start]];
            double sweep = 0;
            std::size_t k = start;
            do {
                double step = ArcAngle(circle, ring[(k + 1) % n]) - ArcAngle(circle, ring[k]);
                step -= 360.0 * std::round(step / 360.0);
                sweep += step;
                k = (k + 1) % n;
                ++done;
            } while (done < n && along[k] == along[start]);
            outline.arcTo(circle, ArcAngle(circle, ring[start]), sweep);
        }
        outline.closeSubpath();
    }
    return outline;
}

QPainterPath RegionPath(const DiagramLayout& layout, char code) {
    const QPainterPath polygon = RegionPolygon(layout, code);
    std::vector<QRectF> circles;
    for (const CircleOutline& circle : layout.circles)
        circles.push_back(CircleRect(circle.box));
    return InArcs(polygon, circles).value_or(polygon);
}

// The colour the template draws a circle in, read where its outline touches the box's left
// edge: the renderer looks like the template without a second table of colours.
QColor OutlineColour(DiagramSize size, const PixelBox& box) {
    const QRgb pixel = DiagramTemplate(size).pixel(box.left, (box.top + box.bottom) / 2);
    return (pixel & 0xFFFFFFu) == 0xFFFFFFu ? QColor(Qt::black) : QColor(pixel);
}

// The region paths of every size, in code order, built once: the boolean operations on the
// circles cost far more than filling the result.
const QPainterPath& CachedRegionPath(DiagramSize size, char code) {
    static const auto paths = [] {
        std::array<std::vector<QPainterPath>, std::size(kDiagramSizes)> all;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const DiagramLayout& layout = LayoutOf(kDiagramSizes[i]);
            for (const char c : layout.codes)
                all[i].push_back(RegionPath(layout, c));
        }
        return all;
    }();
    const std::size_t index = LayoutOf(size).codes.find(code);
    return paths[SizeIndex(size)][index];
}

enum class Hatch { kSlash, kBackslash, kCross };

// Silver and green one diagonal each, red both: red reads darker than green on paper.
Hatch HatchOf(std::uint32_t colour) {
    if (colour == kRed) return Hatch::kCross;
    if (colour == kGreen) return Hatch::kBackslash;
    return Hatch::kSlash;
}

// Parallel lines clipped to the region: in frame units, so the pattern scales with the picture
// and is the same in vector output. Only across the region's bounds, and as one path: each
// line is a few operators of a vector file.
void DrawHatch(QPainter& painter, const QPainterPath& region, Hatch hatch) {
    constexpr double kSpacing = 6.0;
    // A line this close to the bounds may still touch the region.
    constexpr double kReach = 1.0;
    // Whole frame units: every end of a line is then a whole number, a few bytes in a vector
    // file rather than ten.
    const QRectF exact = region.boundingRect();
    const double left = std::floor(exact.left() - kReach);
    const double right = std::ceil(exact.right() + kReach);
    const double top = std::floor(exact.top() - kReach);
    const double bottom = std::ceil(exact.bottom() + kReach);
    // The lines lie on the grid of x + y and of x - y that the bounds' corner starts, each
    // drawn across the bounds only.
    QPainterPath lines;
    for (double offset = top - bottom; offset <= right - left; offset += kSpacing) {
        if (hatch != Hatch::kBackslash) {
            // Rising: x + y = rising.
            const double rising = left + offset + bottom;
            const double from = std::max(left, rising - bottom);
            const double to = std::min(right, rising - top);
            lines.moveTo(from, rising - from);
            lines.lineTo(to, rising - to);
        }
        if (hatch != Hatch::kSlash) {
            // Falling: x - y = falling.
            const double falling = left + offset - top;
            const double from = std::max(left, falling + top);
            const double to = std::min(right, falling + bottom);
            lines.moveTo(from, from - falling);
            lines.lineTo(to, to - falling);
        }
    }
    painter.save();
    painter.setClipPath(region, Qt::IntersectClip);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(lines);
    painter.restore();
}

// The letters of a size as glyph outlines, each scaled into the box its black pixels take in
// the template: the same place whatever serif face is installed. Made once: the font look-ups
// and the glyphs' hinting cost more than drawing them.
const QPainterPath& LetterPaths(DiagramSize size) {
    static const auto paths = [] {
        std::array<QPainterPath, std::size(kDiagramSizes)> all;
        QFont font(QStringLiteral("serif"));
        font.setStyleHint(QFont::Serif);
        font.setBold(true);
        font.setPixelSize(64);
        for (std::size_t i = 0; i < all.size(); ++i) {
            for (const LetterPlace& place : LayoutOf(kDiagramSizes[i]).letters) {
                QPainterPath glyph;
                glyph.addText(0, 0, font, QString(QChar::fromLatin1(place.letter)));
                const QRectF from = glyph.boundingRect();
                if (from.isEmpty()) continue;
                const QRectF to(place.box.left, place.box.top, place.box.right - place.box.left + 1,
                                place.box.bottom - place.box.top + 1);
                // One scale for both directions keeps the face's proportions; the glyph is
                // centred.
                const double scale =
                    std::min(to.width() / from.width(), to.height() / from.height());
                QTransform fit;
                fit.translate(to.center().x(), to.center().y());
                fit.scale(scale, scale);
                fit.translate(-from.center().x(), -from.center().y());
                all[i].addPath(fit.map(glyph));
            }
        }
        return all;
    }();
    return paths[SizeIndex(size)];
}

// ---- Zones as paths, for the Venn layouts and the outside zone of either layout ----

QPointF ToQt(const VennPoint& point) {
    return {point.x, point.y};
}

// The outline from parameter t0 on over `sweep` radians, after a line to its first point.
void AppendOutline(QPainterPath& path, const VennShape& shape, double t0, double sweep,
                   int perTurn) {
    path.lineTo(ToQt(VennOutlinePoint(shape, t0)));
    for (const VennCubic& c : PieceCubics(shape, t0, sweep, perTurn))
        path.cubicTo(ToQt(c.control1), ToQt(c.control2), ToQt(c.end));
}

// The universe frame, in frame units: around the shapes, names and letters of every layout.
const QRectF kUniverse(4, 4, kFrame - 8, kFrame - 8);

QPainterPath ShapePath(const VennShape& shape, double size) {
    const VennPath bezier = VennBezierPath(shape, size);
    QPainterPath path(ToQt(bezier.start));
    for (const VennCubic& c : bezier.cubics)
        path.cubicTo(ToQt(c.control1), ToQt(c.control2), ToQt(c.end));
    path.closeSubpath();
    return path;
}

// A zone as its shapes draw it (ZoneOutline): every piece is the shape's own curve, so the fill
// meets the drawn outline and a vector file holds a few curves. The outside zone, zone 0, is
// `frame` less every shape.
QPainterPath ZonePath(std::span<const VennShape> shapes, Zone zone, const QRectF& frame,
                      int perTurn = kVennCubics) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    if (zone == 0) path.addRect(frame);
    for (const OutlineLoop& loop : ZoneOutline(shapes, zone)) {
        path.moveTo(ToQt(loop.front().start));
        for (const OutlinePiece& piece : loop)
            AppendOutline(path, shapes[piece.shape], piece.from, piece.sweep, perTurn);
        path.closeSubpath();
    }
    return path;
}

// Paths built once per key: finding the crossings costs more than filling the result.
class PathCache {
  public:
    template <typename Make>
    const QPainterPath& Get(const std::string& key, Make make) {
        const std::lock_guard lock(mutex_);
        auto found = paths_.find(key);
        if (found == paths_.end()) found = paths_.emplace(key, make()).first;
        return found->second;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, QPainterPath> paths_;  // nodes stay put: references stay valid
};

PathCache& Paths() {
    static PathCache cache;
    return cache;
}

// The shapes of a picture in frame units, shrunk by `scale` about the middle.
std::vector<VennShape> ScaledShapes(DiagramKind kind, double scale) {
    std::vector<VennShape> shapes(ShapesOf(kind).begin(), ShapesOf(kind).end());
    for (VennShape& shape : shapes) {
        shape.centre = {kFrame / 2 + (shape.centre.x - kFrame / 2) * scale,
                        kFrame / 2 + (shape.centre.y - kFrame / 2) * scale};
        shape.a *= scale;
        shape.b *= scale;
    }
    return shapes;
}

std::string KindKey(DiagramKind kind) {
    return (kind.layout == LayoutKind::kVenn ? "venn" : "euler") + std::to_string(kind.circles);
}

// How many cubics a full turn of an outline needs when the frame is drawn `side` device pixels
// wide: kVennCubics at 4096 pixels and over (well within a tenth of a pixel there), and fewer for
// a smaller picture such as a sheet's cell, where the error in pixels stays no larger: a cubic's
// error falls with the fourth power of its step. Rounded up to a multiple of 4 so that few path
// sets are ever cached; a 5-circle Venn diagram in a PDF otherwise carries some 700 cubics.
int CubicsPerTurn(double side) {
    constexpr double kFullDetail = 4096;
    if (!(side < kFullDetail)) return kVennCubics;
    const double needed = kVennCubics * std::sqrt(std::sqrt(std::max(side, 1.0) / kFullDetail));
    return std::clamp(4 * static_cast<int>(std::ceil(needed / 4)), 16, kVennCubics);
}

// The cache key's suffix for a detail level; none at full detail.
std::string DetailKey(int perTurn) {
    return perTurn == kVennCubics ? std::string() : "/" + std::to_string(perTurn);
}

const QPainterPath& VennZonePath(int circles, Zone zone, int perTurn = kVennCubics) {
    const DiagramKind kind{circles, LayoutKind::kVenn};
    return Paths().Get(KindKey(kind) + "/" + std::to_string(zone) + DetailKey(perTurn),
                       [&] { return ZonePath(ShapesOf(kind), zone, kUniverse, perTurn); });
}

const QPainterPath& OutsidePath(DiagramKind kind, double scale, int perTurn = kVennCubics) {
    return Paths().Get(KindKey(kind) + "/outside/" + std::to_string(scale) + DetailKey(perTurn),
                       [&] { return ZonePath(ScaledShapes(kind, scale), 0, kUniverse, perTurn); });
}

const QPainterPath& VennShapePath(int circles, std::size_t shape, int perTurn = kVennCubics) {
    const DiagramKind kind{circles, LayoutKind::kVenn};
    return Paths().Get(
        "venn" + std::to_string(circles) + "/shape/" + std::to_string(shape) + DetailKey(perTurn),
        [&] {
            if (perTurn == kVennCubics)
                return ShapePath(VennLayoutOf(circles)->shapes[shape], kFrame);
            const VennShape& outline = ShapesOf(kind)[shape];
            QPainterPath path(ToQt(VennOutlinePoint(outline, 0)));
            for (const VennCubic& c : PieceCubics(outline, 0, 2 * std::numbers::pi, perTurn))
                path.cubicTo(ToQt(c.control1), ToQt(c.control2), ToQt(c.end));
            path.closeSubpath();
            return path;
        });
}

// The colour of a zone in the convention of the Euler diagrams: silver for up to four circles,
// for five red for an odd number of circles and green for an even one (the outside zone too).
std::uint32_t ZoneColour(int circles, Zone zone) {
    if (circles < 5) return kSilver;
    return std::popcount(zone) % 2 != 0 ? kRed : kGreen;
}

// The colour the Euler template draws a circle in, and the Venn outlines alike: grey, with B and
// C in their accents from four circles on.
QColor VennOutlineColour(int circles, std::size_t shape) {
    if (circles >= 4 && shape == 1) return QColor(0, 128, 128);
    if (circles >= 4 && shape == 2) return QColor(128, 128, 0);
    return QColor(128, 128, 128);
}

// ---- Text as glyph outlines: the same in a raster, SVG and PDF ----

QFont NameFont(bool serif) {
    QFont font(serif ? QStringLiteral("serif") : QStringLiteral("DejaVu Sans"));
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setBold(serif);
    font.setPixelSize(64);
    return font;
}

// A text's outline at the reference size of 64 units, its baseline at 0.
QPainterPath TextPath(const QString& text, const QFont& font) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The height of a letter of the diagrams (the templates' letters are 17 pixels high).
constexpr double kLetterHeight = 17;
// The names' font size: as large as the places allow, down to the smallest still read easily.
constexpr double kNameSize = 15;
constexpr double kSmallestNameSize = 9;
// The title's font size, and the smallest it shrinks to before it is cut.
constexpr double kTitleSize = 20;
constexpr double kSmallestTitleSize = 11;

// A letter's outline scaled to kLetterHeight, its ink box at the origin.
QPainterPath LetterPath(char letter) {
    QPainterPath glyph = TextPath(QString(QChar::fromLatin1(letter)), NameFont(true));
    const QRectF ink = glyph.boundingRect();
    if (ink.isEmpty()) return {};
    QTransform fit;
    fit.scale(kLetterHeight / ink.height(), kLetterHeight / ink.height());
    fit.translate(-ink.left(), -ink.top());
    return fit.map(glyph);
}

// The universe's "U" in the frame's top left corner.
QPainterPath UniverseLetter() {
    QPainterPath u = LetterPath('U');
    u.translate(kUniverse.left() + 6, kUniverse.top() + 5);
    return u;
}

// ---- Where the names go ----

struct NameBox {
    QRectF box;
    bool clear = false;  // inside the bounds, off the shapes and the other names
};

// Whether a box (frame units) stays off every shape: points along its edge, which no shape fits
// inside, lie outside them all, with a margin.
bool OffShapes(std::span<const VennShape> shapes, const QRectF& box) {
    constexpr double kMargin = 3;
    constexpr double kSpacing = 2.5;
    const QRectF around = box.adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const int across = static_cast<int>(std::ceil(around.width() / kSpacing));
    const int down = static_cast<int>(std::ceil(around.height() / kSpacing));
    const auto outside = [&](double x, double y) {
        for (const VennShape& shape : shapes) {
            if (VennContains(shape, {x, y})) return false;
        }
        return true;
    };
    for (int i = 0; i <= across; ++i) {
        const double x = around.left() + around.width() * i / across;
        if (!outside(x, around.top()) || !outside(x, around.bottom())) return false;
    }
    for (int i = 1; i < down; ++i) {
        const double y = around.top() + around.height() * i / down;
        if (!outside(around.left(), y) || !outside(around.right(), y)) return false;
    }
    return true;
}

// How a name sits beside its shape: where it would like to be, and the way out of the shapes.
struct NamePlace {
    QPointF anchor;
    QPointF outward;
};

// The box of a name of `size` on the outward side of an anchor, as VennNameCentre puts it.
QRectF BoxAt(const NamePlace& place, const QSizeF& size) {
    const QPointF centre(place.anchor.x() + place.outward.x() * size.width() / 2,
                         place.anchor.y() + place.outward.y() * size.height() / 2);
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(),
                  size.height());
}

// The first clear box for a name of `size`: at its preferred place, else at the nearest of the
// places along its shape's outline; with none clear, the one inside the bounds nearest the
// preferred place (or the preferred place itself).
NameBox PlaceName(std::span<const VennShape> shapes, std::size_t index, const NamePlace& preferred,
                  const QSizeF& size, const QRectF& bounds, std::span<const QRectF> taken) {
    constexpr int kCandidates = 96;
    // Next to the outline first; further out, into a corner of the picture, where a long name
    // finds room, as long as its own shape is the one it faces.
    constexpr double kGaps[] = {7, 20, 34};
    constexpr double kFarther = 2;  // cost per unit of gap beyond the first
    std::vector<std::pair<double, NamePlace>> candidates = {{0.0, preferred}};
    const VennShape& shape = shapes[index];
    for (int i = 0; i < kCandidates; ++i) {
        const double t = 2 * std::numbers::pi * i / kCandidates;
        const VennPoint p = VennOutlinePoint(shape, t);
        const VennPoint d = VennOutlineTangent(shape, t);
        QPointF normal(d.y, -d.x);
        const double length = std::hypot(normal.x(), normal.y());
        if (length == 0) continue;
        normal /= length;
        if (QPointF::dotProduct(normal, QPointF(p.x - shape.centre.x, p.y - shape.centre.y)) < 0)
            normal = -normal;
        for (const double gap : kGaps) {
            bool faces = true;
            for (double back = 1; faces && back < gap; back += 1) {
                const QPointF q = QPointF(p.x, p.y) + normal * back;
                for (const VennShape& other : shapes)
                    faces = faces && !VennContains(other, {q.x(), q.y()});
            }
            if (!faces) break;
            const NamePlace place{QPointF(p.x, p.y) + normal * gap, normal};
            const QPointF away = place.anchor - preferred.anchor;
            candidates.emplace_back(std::hypot(away.x(), away.y()) + kFarther * (gap - kGaps[0]),
                                    place);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::optional<QRectF> inside;
    for (const auto& [cost, place] : candidates) {
        const QRectF box = BoxAt(place, size);
        if (!bounds.contains(box)) continue;
        if (!inside) inside = box;
        // Two names side by side must not read as one.
        constexpr double kApart = 10;
        const QRectF wide = box.adjusted(-kApart, 0, kApart, 0);
        const bool free = std::none_of(taken.begin(), taken.end(),
                                       [&](const QRectF& other) { return other.intersects(wide); });
        if (free && OffShapes(shapes, box)) return {box, true};
    }
    return {inside.value_or(BoxAt(preferred, size)), false};
}

QTransform Shrunk(double scale) {
    QTransform shrink;
    if (scale == 1) return shrink;
    shrink.translate(kFrame / 2, kFrame / 2);
    shrink.scale(scale, scale);
    shrink.translate(-kFrame / 2, -kFrame / 2);
    return shrink;
}

// The names of a picture, placed: their outlines in frame units (after a title's shrinking),
// and how much the Euler circles shrink to make room for them.
struct NameLayout {
    double scale = 1;
    QPainterPath names;
    std::vector<QRectF> boxes;  // the names' boxes
};

bool UsesLabels(DiagramKind kind, const RenderOptions& options) {
    return options.labels.size() == static_cast<std::size_t>(kind.circles);
}

// Where each name would like to be: a Venn layout's stored places; beside an Euler circle, on the
// side of its letter in the template.
std::vector<NamePlace> PreferredPlaces(DiagramKind kind, std::span<const VennShape> shapes,
                                       double scale) {
    std::vector<NamePlace> places;
    if (kind.layout == LayoutKind::kVenn) {
        const QTransform shrink = Shrunk(scale);
        for (const VennNamePlace& place : VennLayoutOf(kind.circles)->names)
            places.push_back({shrink.map(QPointF(place.anchor.x, place.anchor.y)),
                              QPointF(place.outward.x, place.outward.y)});
        return places;
    }
    const auto letters = LayoutOf(*EulerSizeOf(kind)).letters;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const PixelBox& b = letters[i].box;
        QPointF out((b.left + b.right + 1) / 2.0 - shapes[i].centre.x,
                    (b.top + b.bottom + 1) / 2.0 - shapes[i].centre.y);
        out /= std::hypot(out.x(), out.y());
        const double radius = (shapes[i].a + shapes[i].b) / 2;
        places.push_back(
            {QPointF(shapes[i].centre.x, shapes[i].centre.y) + out * (radius + 7), out});
    }
    return places;
}

NameLayout LayOutNames(DiagramKind kind, const RenderOptions& options) {
    const bool labels = UsesLabels(kind, options);
    // The texts at the reference size, their ink boxes at the origin.
    std::vector<QPainterPath> texts;
    for (int i = 0; i < kind.circles; ++i) {
        QPainterPath text = labels ? TextPath(FromUtf8(options.labels[static_cast<std::size_t>(i)]),
                                              NameFont(false))
                                   : LetterPath(static_cast<char>('A' + i));
        text.translate(-text.boundingRect().topLeft());
        texts.push_back(text);
    }
    const QRectF bounds =
        options.universe ? kUniverse.adjusted(3, 3, -3, -3) : QRectF(2, 2, kFrame - 4, kFrame - 4);
    std::vector<QRectF> obstacles;
    if (options.universe)
        obstacles.push_back(UniverseLetter().boundingRect().adjusted(-2, -2, 2, 2));
    // Tries, best first: the names at full size, the shapes shrinking to make room; then the
    // names shrinking.
    struct Try {
        double scale;
        double size;
    };
    std::vector<Try> tries;
    if (!labels) {
        tries.push_back({1, kLetterHeight});
    } else {
        const std::vector<double> scales = {1, 0.9, 0.8};
        for (const double scale : scales)
            tries.push_back({scale, kNameSize});
        for (double size = kNameSize * 0.9; size >= kSmallestNameSize - 1e-9; size *= 0.9)
            tries.push_back({scales.back(), std::max(size, kSmallestNameSize)});
    }
    for (std::size_t attempt = 0; attempt < tries.size(); ++attempt) {
        const Try& t = tries[attempt];
        const std::vector<VennShape> shapes = ScaledShapes(kind, t.scale);
        const std::vector<NamePlace> preferred = PreferredPlaces(kind, shapes, t.scale);
        const double factor = labels ? t.size / 64 : 1;
        std::vector<QRectF> taken = obstacles;
        NameLayout layout{t.scale, {}, {}};
        bool clear = true;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const QRectF ink = texts[i].boundingRect();
            constexpr double kPad = 1.5;
            const QSizeF size(ink.width() * factor + 2 * kPad, ink.height() * factor + 2 * kPad);
            const NameBox placed = PlaceName(shapes, i, preferred[i], size, bounds, taken);
            clear = clear && placed.clear;
            taken.push_back(placed.box);
            QTransform put;
            put.translate(placed.box.left() + kPad, placed.box.top() + kPad);
            put.scale(factor, factor);
            layout.names.addPath(put.map(texts[i]));
            layout.boxes.push_back(placed.box);
        }
        if (clear || attempt + 1 == tries.size()) return layout;
    }
    return {};
}

const NameLayout& CachedNames(DiagramKind kind, const RenderOptions& options) {
    static std::mutex mutex;
    static std::map<std::string, NameLayout> layouts;
    std::string key = KindKey(kind) + (options.universe ? "/u" : "/-");
    if (UsesLabels(kind, options)) {
        for (const std::string& label : options.labels)
            key += "/" + std::to_string(label.size()) + ":" + label;
    }
    const std::lock_guard lock(mutex);
    auto found = layouts.find(key);
    if (found == layouts.end()) {
        // A long run of pictures with ever other names keeps the latest only.
        if (layouts.size() >= 64) layouts.clear();
        found = layouts.emplace(key, LayOutNames(kind, options)).first;
    }
    return found->second;
}

// The title's outline and the height of its band, in frame units of the whole picture.
struct Title {
    QPainterPath text;
    double band = 0;
};

Title TitleOf(std::string_view text) {
    Title title;
    if (text.empty()) return title;
    QFont font = NameFont(false);
    font.setBold(true);
    const QFontMetricsF metrics(font);
    constexpr double kMargin = 8;
    const double room = kFrame - 2 * kMargin;
    QString shown = FromUtf8(text);
    double size = kTitleSize;
    const double width = metrics.horizontalAdvance(shown) * size / 64;
    if (width > room) size = std::max(kSmallestTitleSize, size * room / width);
    shown = metrics.elidedText(shown, Qt::ElideRight, room * 64 / size);
    QPainterPath path = TextPath(shown, font);
    const double factor = size / 64;
    title.band = (metrics.ascent() + metrics.descent()) * factor + 2 * 5;
    QTransform put;
    put.translate((kFrame - metrics.horizontalAdvance(shown) * factor) / 2,
                  5 + metrics.ascent() * factor);
    put.scale(factor, factor);
    title.text = put.map(path);
    return title;
}

// The picture's frame below a title band: the square that takes the diagram's 400 x 400 units.
QTransform BelowTitle(double band) {
    QTransform below;
    if (band <= 0) return below;
    below.translate(band / 2, band);
    below.scale((kFrame - band) / kFrame, (kFrame - band) / kFrame);
    return below;
}

// Fills or collects for hatching: each shaded zone in its colour, or into its pattern's path.
class Shader {
  public:
    Shader(QPainter& painter, const RenderOptions& options)
        : painter_(painter), options_(options) {}

    void Shade(const QPainterPath& zone, std::uint32_t colour) {
        if (options_.hatch) {
            hatched_[static_cast<std::size_t>(HatchOf(colour))].addPath(zone);
        } else {
            painter_.fillPath(zone, options_.fill.value_or(QColor(FromTableColour(colour))));
        }
    }

    void DrawPatterns() {
        for (std::size_t i = 0; i < hatched_.size(); ++i) {
            if (!hatched_[i].isEmpty()) DrawHatch(painter_, hatched_[i], static_cast<Hatch>(i));
        }
    }

  private:
    QPainter& painter_;
    const RenderOptions& options_;
    std::array<QPainterPath, 3> hatched_;
};

// Everything the renderer draws, for either entry point: the Euler layout shades `regions`, a
// Venn layout the zones of `zones`; bit 0 of `zones` is the outside zone of either.
void Render(QPainter& painter, const QRectF& target, DiagramKind kind, std::string_view regions,
            UniverseSet zones, const RenderOptions& options) {
    const std::optional<DiagramSize> euler = EulerSizeOf(kind);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / kFrame, target.height() / kFrame);
    const double side = kFrame * std::sqrt(std::abs(painter.deviceTransform().determinant()));
    const int perTurn = CubicsPerTurn(side);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(QRectF(0, 0, kFrame, kFrame), Qt::IntersectClip);
    painter.fillRect(QRectF(0, 0, kFrame, kFrame), Qt::white);
    const bool fonts = EnsureFontDatabase();
    if (fonts && !options.title.empty()) {
        const Title title = TitleOf(options.title);
        painter.fillPath(title.text, Qt::black);
        painter.setTransform(BelowTitle(title.band), true);
    }
    // Names other than the template's letters come with their places, and may shrink the
    // Euler circles; the letters of the Euler layout stay where the template has them.
    const bool placedNames = fonts && (!euler || UsesLabels(kind, options));
    const NameLayout* names = placedNames ? &CachedNames(kind, options) : nullptr;
    const double scale = names != nullptr ? names->scale : 1;
    const QTransform shrink = Shrunk(scale);
    const auto shrunk = [&](const QPainterPath& path) {
        return scale == 1 ? path : shrink.map(path);
    };

    Shader shader(painter, options);
    if (options.universe && (zones & kOutsideZone) != 0) {
        shader.Shade(OutsidePath(kind, scale, perTurn), ZoneColour(kind.circles, 0));
    }
    if (euler) {
        // Each code once, whatever the input repeats.
        std::array<bool, 256> done{};
        for (const char code : regions) {
            const SeedEntry* seed = FindSeed(*euler, code);
            auto& seen = done[static_cast<unsigned char>(code)];
            if (seed == nullptr || seen) continue;
            seen = true;
            shader.Shade(shrunk(CachedRegionPath(*euler, code)), seed->colour);
        }
    } else {
        for (Zone zone = 1; zone <= ZoneCount(kind.circles); ++zone) {
            if ((zones >> zone & 1u) != 0) {
                shader.Shade(shrunk(VennZonePath(kind.circles, zone, perTurn)),
                             ZoneColour(kind.circles, zone));
            }
        }
    }
    shader.DrawPatterns();

    painter.setBrush(Qt::NoBrush);
    if (euler) {
        for (const CircleOutline& circle : LayoutOf(*euler).circles) {
            painter.setPen(QPen(OutlineColour(*euler, circle.box), 1.0));
            painter.drawEllipse(scale == 1 ? CircleRect(circle.box)
                                           : shrink.mapRect(CircleRect(circle.box)));
        }
    } else {
        for (std::size_t i = 0; i < static_cast<std::size_t>(kind.circles); ++i) {
            painter.setPen(QPen(VennOutlineColour(kind.circles, i), 1.0));
            painter.drawPath(shrunk(VennShapePath(kind.circles, i, perTurn)));
        }
    }
    // Over a shaded outside zone, the names and letters stand on white, to be read.
    const bool backed = options.universe && (zones & kOutsideZone) != 0 && fonts;
    const auto back = [&](const QRectF& box) {
        if (backed) painter.fillRect(box.adjusted(-2, -2, 2, 2), Qt::white);
    };
    if (names != nullptr) {
        for (const QRectF& box : names->boxes)
            back(box);
        painter.fillPath(names->names, Qt::black);
    } else if (fonts && euler) {
        for (const LetterPlace& letter : LayoutOf(*euler).letters) {
            back(QRectF(letter.box.left, letter.box.top, letter.box.right - letter.box.left + 1,
                        letter.box.bottom - letter.box.top + 1));
        }
        painter.fillPath(LetterPaths(*euler), Qt::black);
    }
    if (options.universe) {
        painter.setPen(QPen(Qt::black, 1.25));
        painter.drawRect(kUniverse);
        if (fonts) {
            back(UniverseLetter().boundingRect());
            painter.fillPath(UniverseLetter(), Qt::black);
        }
    }
    painter.restore();
}

}  // namespace

bool EnsureFontDatabase() {
    if (QCoreApplication::instance() != nullptr)
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    static int argc = 3;
    static char name[] = "rivo";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    // Its start-up notes (a missing runtime folder and the like) are no concern of a picture.
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtFatalMsg) qFatal("%s", qPrintable(message));
        });
    // Ended with the program's other statics, so that the font libraries are closed cleanly.
    static const std::unique_ptr<QGuiApplication> application =
        std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return application != nullptr;
}

void RenderDiagram(QPainter& painter, const QRectF& target, DiagramSize size,
                   std::string_view regions, const RenderOptions& options) {
    Render(painter, target, KindOf(size), regions, 0, options);
}

// A white square of `side` pixels with `draw` run on it over its whole area.
template <typename Draw>
QImage SquarePicture(int side, const Draw& draw) {
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    draw(painter, QRectF(0, 0, side, side));
    return picture;
}

QImage RenderDiagramImage(DiagramSize size, std::string_view regions, int side,
                          const RenderOptions& options) {
    return SquarePicture(side, [&](QPainter& painter, const QRectF& target) {
        RenderDiagram(painter, target, size, regions, options);
    });
}

void RenderZones(QPainter& painter, const QRectF& target, DiagramKind kind, UniverseSet zones,
                 const RenderOptions& options) {
    if (const auto euler = EulerSizeOf(kind)) {
        Render(painter, target, kind, RegionsOfZones(*euler, ToZoneSet(zones)), zones, options);
    } else {
        Render(painter, target, kind, {}, zones, options);
    }
}

QImage RenderZonesImage(DiagramKind kind, UniverseSet zones, int side,
                        const RenderOptions& options) {
    return SquarePicture(side, [&](QPainter& painter, const QRectF& target) {
        RenderZones(painter, target, kind, zones, options);
    });
}

QTransform LayoutTransform(const QRectF& target, DiagramKind kind, const RenderOptions& options) {
    QTransform transform;
    transform.translate(target.left(), target.top());
    transform.scale(target.width() / kFrame, target.height() / kFrame);
    const bool fonts = EnsureFontDatabase();
    if (fonts && !options.title.empty()) {
        transform = BelowTitle(TitleOf(options.title).band) * transform;
    }
    if (fonts && (!EulerSizeOf(kind) || UsesLabels(kind, options))) {
        transform = Shrunk(CachedNames(kind, options).scale) * transform;
    }
    return transform;
}

QPainterPath VennZoneArea(int circles, Zone zone) {
    if (!IsCircleCount(circles) || zone > ZoneCount(circles)) return {};
    // Letters alone never shrink a Venn layout, so its frame units are the layout's.
    if (zone == 0) return OutsidePath({circles, LayoutKind::kVenn}, 1);
    return VennZonePath(circles, zone);
}

}  // namespace rivo::diagram
