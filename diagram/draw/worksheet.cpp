#include "diagram/draw/worksheet.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <algorithm>

#include "diagram/draw/geometric_renderer.h"

namespace rivo::diagram {

std::string SheetCaption(std::string_view expression) {
    std::string_view kept = expression;
    bool cut = false;
    if (kept.size() > kMaxCaptionBytes) {
        std::size_t end = kMaxCaptionBytes;
        // Back to the first byte of a character, never into the middle of one.
        while (end > 0 && (static_cast<unsigned char>(kept[end]) & 0xC0) == 0x80)
            --end;
        kept = kept.substr(0, end);
        cut = true;
    }
    std::string caption;
    caption.reserve(kept.size() + 3);
    for (const char c : kept)
        caption += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    if (cut) caption += "\u2026";
    return caption;
}

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kMarginMm = 15.0;

double Dots(double millimetres) {
    return millimetres * kDotsPerInch / 25.4;
}

class SheetPainter {
  public:
    SheetPainter(QPdfWriter& writer, std::size_t pageCount)
        : painter_(&writer), writer_(writer), pageCount_(pageCount) {
        const QRectF page = QRectF(writer.pageLayout().paintRectPixels(kDotsPerInch));
        area_ = QRectF(0, 0, page.width(), page.height());
        heading_ = QFont(QStringLiteral("DejaVu Sans"));
        heading_.setPixelSize(static_cast<int>(Dots(5.0)));
        heading_.setBold(true);
        number_ = QFont(QStringLiteral("DejaVu Sans"));
        number_.setPixelSize(static_cast<int>(Dots(4.2)));
        number_.setBold(true);
        caption_ = QFont(QStringLiteral("DejaVu Sans Mono"));
        caption_.setStyleHint(QFont::Monospace);
        caption_.setPixelSize(static_cast<int>(Dots(3.6)));
    }

    void Pages(std::span<const SheetDiagram> diagrams, bool answers, const RenderOptions& options,
               const std::string& title) {
        for (std::size_t first = 0; first < diagrams.size(); first += kDiagramsPerPage) {
            if (pagesDone_ > 0) writer_.newPage();
            ++pagesDone_;
            const QString part = answers ? QStringLiteral("Answers") : QStringLiteral("Exercises");
            Heading(title.empty()
                        ? part
                        : QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())) +
                              QStringLiteral(" \u2013 ") + part);
            const std::size_t last = std::min(diagrams.size(), first + kDiagramsPerPage);
            for (std::size_t i = first; i < last; ++i)
                Cell(i - first, i + 1, diagrams[i], answers, options);
        }
    }

  private:
    void Heading(const QString& title) {
        painter_.setFont(heading_);
        painter_.setPen(Qt::black);
        const QRectF line(area_.left(), area_.top(), area_.width(), Dots(8.0));
        painter_.drawText(line, Qt::AlignLeft | Qt::AlignTop, title);
        painter_.drawText(line, Qt::AlignRight | Qt::AlignTop,
                          QStringLiteral("%1 / %2").arg(pagesDone_).arg(pageCount_));
    }

    void Cell(std::size_t slot, std::size_t number, const SheetDiagram& diagram, bool answers,
              const RenderOptions& options) {
        const double top = area_.top() + Dots(10.0);
        const double width = area_.width() / kSheetColumns;
        const double height = (area_.bottom() - top) / kSheetRows;
        const QRectF cell(area_.left() + static_cast<double>(slot % kSheetColumns) * width,
                          top + static_cast<double>(slot / kSheetColumns) * height, width, height);
        const QRectF inner = cell.adjusted(Dots(3.0), Dots(2.0), -Dots(3.0), -Dots(2.0));

        painter_.setFont(number_);
        const double numberHeight = QFontMetricsF(number_).height();
        painter_.drawText(QRectF(inner.left(), inner.top(), inner.width(), numberHeight),
                          Qt::AlignLeft | Qt::AlignTop, QStringLiteral("%1.").arg(number));

        const QFontMetricsF captionMetrics(caption_);
        const double captionHeight = captionMetrics.height();
        const double side = std::min(inner.width() - 2 * numberHeight,
                                     inner.height() - numberHeight - captionHeight - Dots(2.0));
        const QRectF square(inner.center().x() - side / 2, inner.top() + numberHeight / 2, side,
                            side);
        if (diagram.set) {
            RenderOptions framed = options;
            framed.universe = true;
            RenderZones(painter_, square, diagram.kind, answers ? *diagram.set : 0, framed);
        } else if (const auto size = EulerSizeOf(diagram.kind)) {
            RenderDiagram(painter_, square, *size, answers ? diagram.regions : "", options);
        } else {
            RenderZones(painter_, square, diagram.kind, answers ? FromZoneSet(diagram.zones) : 0,
                        options);
        }

        painter_.setFont(caption_);
        // An answer names the zones it holds but cannot show after its expression, which gives
        // way to that note when the line is too short for both.
        const QString note =
            answers && !diagram.hidden.empty()
                ? QStringLiteral(" (also %1, not drawn)").arg(QString::fromLatin1(diagram.hidden))
                : QString();
        const QString expression = QString::fromUtf8(
            diagram.caption.data(), static_cast<qsizetype>(diagram.caption.size()));
        // The expression keeps at least a third of the line.
        const double room =
            std::max(inner.width() - captionMetrics.horizontalAdvance(note), inner.width() / 3);
        const QString caption = captionMetrics.elidedText(
            captionMetrics.elidedText(expression, Qt::ElideRight, room) + note, Qt::ElideRight,
            inner.width());
        painter_.drawText(
            QRectF(inner.left(), square.bottom() + Dots(1.5), inner.width(), captionHeight),
            Qt::AlignHCenter | Qt::AlignTop, caption);
    }

    QPainter painter_;
    QPdfWriter& writer_;
    std::size_t pageCount_;
    std::size_t pagesDone_ = 0;
    QRectF area_;
    QFont heading_;
    QFont number_;
    QFont caption_;
};

}  // namespace

QByteArray WorksheetPdf(std::span<const SheetDiagram> diagrams, const RenderOptions& options) {
    EnsureFontDatabase();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        writer.setTitle(options.title.empty()
                            ? QStringLiteral("Euler-Rivo circles: worksheet")
                            : QString::fromUtf8(options.title.data(),
                                                static_cast<qsizetype>(options.title.size())));
        writer.setCreator(QStringLiteral("rivo-cli"));
        const std::size_t pages = (diagrams.size() + kDiagramsPerPage - 1) / kDiagramsPerPage;
        SheetPainter sheet(writer, 2 * pages);
        // The title heads the pages, not every diagram.
        RenderOptions drawn = options;
        drawn.title.clear();
        sheet.Pages(diagrams, false, drawn, options.title);
        sheet.Pages(diagrams, true, drawn, options.title);
    }
    return bytes;
}

}  // namespace rivo::diagram
