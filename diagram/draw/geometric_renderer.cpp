#include "diagram/draw/geometric_renderer.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QtMath>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "diagram/core/diagram_layout.h"
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
    const DiagramLayout& layout = LayoutOf(size);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / kFrame, target.height() / kFrame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(QRectF(0, 0, kFrame, kFrame), Qt::IntersectClip);
    painter.fillRect(QRectF(0, 0, kFrame, kFrame), Qt::white);

    // Each code once, whatever the input repeats. Hatched regions of one pattern are hatched
    // together: one set of lines over all of them.
    std::array<bool, 256> done{};
    std::array<QPainterPath, 3> hatched;
    for (const char code : regions) {
        const SeedEntry* seed = FindSeed(size, code);
        auto& seen = done[static_cast<unsigned char>(code)];
        if (seed == nullptr || seen) continue;
        seen = true;
        const QPainterPath& region = CachedRegionPath(size, code);
        if (options.hatch) {
            hatched[static_cast<std::size_t>(HatchOf(seed->colour))].addPath(region);
        } else {
            painter.fillPath(region, QColor(FromTableColour(seed->colour)));
        }
    }
    for (std::size_t i = 0; i < hatched.size(); ++i) {
        if (!hatched[i].isEmpty()) DrawHatch(painter, hatched[i], static_cast<Hatch>(i));
    }

    painter.setBrush(Qt::NoBrush);
    for (const CircleOutline& circle : layout.circles) {
        painter.setPen(QPen(OutlineColour(size, circle.box), 1.0));
        painter.drawEllipse(CircleRect(circle.box));
    }
    if (EnsureFontDatabase()) painter.fillPath(LetterPaths(size), Qt::black);
    painter.restore();
}

QImage RenderDiagramImage(DiagramSize size, std::string_view regions, int side,
                          const RenderOptions& options) {
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    RenderDiagram(painter, QRectF(0, 0, side, side), size, regions, options);
    return picture;
}

}  // namespace rivo::diagram
