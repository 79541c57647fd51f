#include "diagram/draw/geometric_renderer.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <array>
#include <cmath>
#include <memory>
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
QPainterPath RegionPath(const DiagramLayout& layout, char code) {
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

// Parallel lines over the frame, clipped to the region: in frame units, so the pattern scales
// with the picture and is the same in vector output.
void DrawHatch(QPainter& painter, const QPainterPath& region, Hatch hatch) {
    constexpr double kSpacing = 6.0;
    painter.save();
    painter.setClipPath(region, Qt::IntersectClip);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    const QRectF bounds = region.boundingRect();
    const double span = bounds.width() + bounds.height();
    for (double offset = -span; offset <= span; offset += kSpacing) {
        if (hatch != Hatch::kBackslash) {
            // Rising lines through (left + offset, bottom).
            const QPointF start(bounds.left() + offset, bounds.bottom());
            painter.drawLine(start, start + QPointF(span, -span));
        }
        if (hatch != Hatch::kSlash) {
            const QPointF start(bounds.left() + offset, bounds.top());
            painter.drawLine(start, start + QPointF(span, span));
        }
    }
    painter.restore();
}

// The letter as a glyph outline, scaled into the box its black pixels take in the template: the
// same place whatever serif face is installed.
void DrawLetter(QPainter& painter, const LetterPlace& place) {
    if (!EnsureFontDatabase()) return;
    QFont font(QStringLiteral("serif"));
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(64);
    QPainterPath glyph;
    glyph.addText(0, 0, font, QString(QChar::fromLatin1(place.letter)));
    const QRectF from = glyph.boundingRect();
    if (from.isEmpty()) return;
    const QRectF to(place.box.left, place.box.top, place.box.right - place.box.left + 1,
                    place.box.bottom - place.box.top + 1);
    // One scale for both directions keeps the face's proportions; the glyph is centred.
    const double scale = std::min(to.width() / from.width(), to.height() / from.height());
    QTransform fit;
    fit.translate(to.center().x(), to.center().y());
    fit.scale(scale, scale);
    fit.translate(-from.center().x(), -from.center().y());
    painter.fillPath(fit.map(glyph), Qt::black);
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

    // Each code once, whatever the input repeats.
    std::array<bool, 256> done{};
    for (const char code : regions) {
        const SeedEntry* seed = FindSeed(size, code);
        auto& seen = done[static_cast<unsigned char>(code)];
        if (seed == nullptr || seen) continue;
        seen = true;
        const QPainterPath& region = CachedRegionPath(size, code);
        if (options.hatch) {
            DrawHatch(painter, region, HatchOf(seed->colour));
        } else {
            painter.fillPath(region, QColor(FromTableColour(seed->colour)));
        }
    }

    painter.setBrush(Qt::NoBrush);
    for (const CircleOutline& circle : layout.circles) {
        painter.setPen(QPen(OutlineColour(size, circle.box), 1.0));
        painter.drawEllipse(CircleRect(circle.box));
    }
    for (const LetterPlace& letter : layout.letters)
        DrawLetter(painter, letter);
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
