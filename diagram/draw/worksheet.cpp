#include "diagram/draw/worksheet.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QString>
#include <algorithm>
#include <utility>

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

constexpr double kHeadingMm = 10.0;  // the heading's band, above the cells
constexpr double kLineMm = 7.0;      // each line under it: the name line, the instruction

const QString kShadeInstruction = QStringLiteral("Shade the set.");
const QString kWriteInstruction = QStringLiteral("Write an expression for the shaded set.");

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class SheetPainter {
  public:
    // `pupilLines`: the exercise pages get the name line and the instructions. `captionLines`:
    // the lines every cell keeps under its diagram (two where an answer may need an "or").
    SheetPainter(QPdfWriter& writer, std::string title, bool pupilLines, int captionLines)
        : painter_(&writer),
          writer_(writer),
          title_(std::move(title)),
          pupilLines_(pupilLines),
          captionLines_(captionLines) {
        const QRectF page = QRectF(writer.pageLayout().paintRectPixels(kDotsPerInch));
        area_ = QRectF(0, 0, page.width(), page.height());
        heading_ = QFont(QStringLiteral("DejaVu Sans"));
        heading_.setPixelSize(static_cast<int>(Dots(5.0)));
        heading_.setBold(true);
        number_ = QFont(QStringLiteral("DejaVu Sans"));
        number_.setPixelSize(static_cast<int>(Dots(4.2)));
        number_.setBold(true);
        plain_ = QFont(QStringLiteral("DejaVu Sans"));
        plain_.setPixelSize(static_cast<int>(Dots(4.0)));
        note_ = QFont(QStringLiteral("DejaVu Sans"));
        note_.setPixelSize(static_cast<int>(Dots(3.2)));
        note_.setItalic(true);
        caption_ = QFont(QStringLiteral("DejaVu Sans Mono"));
        caption_.setStyleHint(QFont::Monospace);
        caption_.setPixelSize(static_cast<int>(Dots(3.6)));
    }

    // The pages of one part, numbered among themselves.
    void Pages(std::span<const SheetDiagram> diagrams, bool answers, const RenderOptions& options) {
        const std::size_t pageCount = (diagrams.size() + kDiagramsPerPage - 1) / kDiagramsPerPage;
        for (std::size_t first = 0; first < diagrams.size(); first += kDiagramsPerPage) {
            if (pagesDone_ > 0) writer_.newPage();
            ++pagesDone_;
            const QString part = answers ? QStringLiteral("Answers") : QStringLiteral("Exercises");
            Heading(part, first / kDiagramsPerPage + 1, pageCount);
            const std::size_t last = std::min(diagrams.size(), first + kDiagramsPerPage);
            const auto page = diagrams.subspan(first, last - first);
            double top = area_.top() + Dots(kHeadingMm);
            bool mixed = false;
            if (!answers && pupilLines_) {
                TextLine(top, plain_,
                         QStringLiteral("Name: ______________________________   "
                                        "Date: ________________"));
                top += Dots(kLineMm);
                const auto reverse = std::ranges::count_if(
                    page, [](const SheetDiagram& diagram) { return diagram.reverse; });
                mixed = reverse > 0 && static_cast<std::size_t>(reverse) < page.size();
                if (!mixed) {
                    TextLine(top, note_, reverse > 0 ? kWriteInstruction : kShadeInstruction);
                    top += Dots(kLineMm);
                }
            }
            for (std::size_t i = first; i < last; ++i)
                Cell(i - first, i + 1, diagrams[i], answers, options, top, mixed);
        }
    }

  private:
    // The title, the part ("Exercises", "Answers") and the page's number among the part's.
    void Heading(const QString& part, std::size_t page, std::size_t pageCount) {
        painter_.setPen(Qt::black);
        const QString number = QStringLiteral("%1 / %2").arg(page).arg(pageCount);
        const QString title = FromUtf8(title_);
        const QString after = title.isEmpty() ? part : QStringLiteral(" \u2013 ") + part;
        // A long title is set smaller, down to half, and only the title is cut beyond that:
        // the part and the number always show.
        const double room =
            area_.width() - QFontMetricsF(heading_).horizontalAdvance(number) - Dots(6.0);
        QFont font = heading_;
        const double width = QFontMetricsF(font).horizontalAdvance(title + after);
        if (width > room) {
            font.setPixelSize(static_cast<int>(
                std::max(heading_.pixelSize() / 2.0, heading_.pixelSize() * room / width)));
        }
        // Both on the one baseline, so that the heading reads as one line whatever its sizes.
        const QFontMetricsF metrics(font);
        const double baseline = area_.top() + QFontMetricsF(heading_).ascent();
        painter_.setFont(font);
        painter_.drawText(
            QPointF(area_.left(), baseline),
            metrics.elidedText(title, Qt::ElideRight, room - metrics.horizontalAdvance(after)) +
                after);
        painter_.setFont(heading_);
        painter_.drawText(
            QPointF(area_.right() - QFontMetricsF(heading_).horizontalAdvance(number), baseline),
            number);
    }

    void TextLine(double top, const QFont& font, const QString& text) {
        painter_.setFont(font);
        painter_.drawText(QRectF(area_.left(), top, area_.width(), Dots(kLineMm)),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    void Cell(std::size_t slot, std::size_t number, const SheetDiagram& diagram, bool answers,
              const RenderOptions& options, double top, bool instruction) {
        const double width = area_.width() / kSheetColumns;
        const double height = (area_.bottom() - top) / kSheetRows;
        const QRectF cell(area_.left() + static_cast<double>(slot % kSheetColumns) * width,
                          top + static_cast<double>(slot / kSheetColumns) * height, width, height);
        const QRectF inner = cell.adjusted(Dots(3.0), Dots(2.0), -Dots(3.0), -Dots(2.0));

        const double numberHeight = QFontMetricsF(number_).height();

        const QFontMetricsF captionMetrics(caption_);
        const double captionHeight = captionMetrics.height();
        // The diagram starts half a number line down, beside the number; a line with the
        // instruction beside the number pushes it below that line, clear of a universe frame.
        const double lead = instruction ? numberHeight : numberHeight / 2;
        const double side = std::min(
            inner.width() - 2 * numberHeight,
            inner.height() - lead - numberHeight / 2 - captionLines_ * captionHeight - Dots(2.0));
        const QRectF square(inner.center().x() - side / 2, inner.top() + lead, side, side);
        const bool shaded = answers || diagram.reverse;
        if (diagram.set) {
            RenderOptions framed = options;
            framed.universe = true;
            RenderZones(painter_, square, diagram.kind, shaded ? *diagram.set : 0, framed);
        } else if (const auto size = EulerSizeOf(diagram.kind)) {
            RenderDiagram(painter_, square, *size, shaded ? diagram.regions : "", options);
        } else {
            RenderZones(painter_, square, diagram.kind, shaded ? FromZoneSet(diagram.zones) : 0,
                        options);
        }

        // After the diagram, whose white ground would cover what it overlaps.
        painter_.setFont(number_);
        const QString numberText = QStringLiteral("%1.").arg(number);
        painter_.drawText(QRectF(inner.left(), inner.top(), inner.width(), numberHeight),
                          Qt::AlignLeft | Qt::AlignTop, numberText);
        if (instruction) {
            const double indent = QFontMetricsF(number_).horizontalAdvance(numberText) + Dots(2.0);
            painter_.setFont(note_);
            painter_.drawText(
                QRectF(inner.left() + indent, inner.top(), inner.width() - indent, numberHeight),
                Qt::AlignLeft | Qt::AlignVCenter,
                diagram.reverse ? kWriteInstruction : kShadeInstruction);
        }

        painter_.setFont(caption_);
        const QRectF firstLine(inner.left(), square.bottom() + Dots(1.5), inner.width(),
                               captionHeight);
        const QString expression = FromUtf8(diagram.caption);
        if (diagram.reverse && !answers) {
            // The line the pupil writes the expression on.
            const double y = firstLine.top() + captionHeight * 0.9;
            painter_.setPen(QPen(Qt::black, Dots(0.25)));
            painter_.drawLine(QPointF(inner.left() + inner.width() * 0.12, y),
                              QPointF(inner.right() - inner.width() * 0.12, y));
            painter_.setPen(Qt::black);
            return;
        }
        if (diagram.reverse && !diagram.answer.empty()) {
            const QString answer = FromUtf8(diagram.answer);
            painter_.drawText(firstLine, Qt::AlignHCenter | Qt::AlignTop,
                              captionMetrics.elidedText(answer, Qt::ElideRight, inner.width()));
            if (answer != expression) {
                painter_.drawText(firstLine.translated(0, captionHeight),
                                  Qt::AlignHCenter | Qt::AlignTop,
                                  captionMetrics.elidedText(QStringLiteral("or ") + expression,
                                                            Qt::ElideRight, inner.width()));
            }
            return;
        }
        // An answer names the zones it holds but cannot show after its expression, which gives
        // way to that note when the line is too short for both.
        const QString note =
            answers && !diagram.hidden.empty()
                ? QStringLiteral(" (also %1, not drawn)").arg(QString::fromLatin1(diagram.hidden))
                : QString();
        // The expression keeps at least a third of the line.
        const double room =
            std::max(inner.width() - captionMetrics.horizontalAdvance(note), inner.width() / 3);
        const QString caption = captionMetrics.elidedText(
            captionMetrics.elidedText(expression, Qt::ElideRight, room) + note, Qt::ElideRight,
            inner.width());
        painter_.drawText(firstLine, Qt::AlignHCenter | Qt::AlignTop, caption);
    }

    QPainter painter_;
    QPdfWriter& writer_;
    std::string title_;
    bool pupilLines_;
    int captionLines_;
    std::size_t pagesDone_ = 0;
    QRectF area_;
    QFont heading_;
    QFont number_;
    QFont plain_;
    QFont note_;
    QFont caption_;
};

// One A4 PDF of the pages `draw` paints with the painter it is given.
template <typename Draw>
QByteArray Document(const RenderOptions& options, const std::string& documentTitle, Draw draw) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        writer.setTitle(options.title.empty() ? QString::fromStdString(documentTitle)
                                              : FromUtf8(options.title));
        writer.setCreator(QStringLiteral("rivo-cli"));
        draw(writer);
    }
    return bytes;
}

}  // namespace

WorksheetFiles WorksheetPdfs(std::span<const SheetDiagram> diagrams, const RenderOptions& options,
                             AnswerPlacement placement) {
    EnsureFontDatabase();
    const bool anyReverse =
        std::ranges::any_of(diagrams, [](const SheetDiagram& diagram) { return diagram.reverse; });
    const bool pupilLines = anyReverse || !options.title.empty();
    const int captionLines = anyReverse ? 2 : 1;
    // The title heads the pages, not every diagram.
    RenderOptions drawn = options;
    drawn.title.clear();
    WorksheetFiles files;
    const auto part = [&](bool exercises, bool answers) {
        return [&, exercises, answers](QPdfWriter& writer) {
            SheetPainter sheet(writer, options.title, pupilLines, captionLines);
            if (exercises) sheet.Pages(diagrams, false, drawn);
            if (answers) sheet.Pages(diagrams, true, drawn);
        };
    };
    if (placement == AnswerPlacement::kAfter) {
        files.exercises = Document(options, "Euler-Rivo circles: worksheet", part(true, true));
    } else {
        files.exercises = Document(options, "Euler-Rivo circles: worksheet", part(true, false));
        files.answers =
            Document(options, "Euler-Rivo circles: worksheet answers", part(false, true));
    }
    return files;
}

}  // namespace rivo::diagram
