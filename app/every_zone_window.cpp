#include "app/every_zone_window.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <string>

#include "diagram/core/diagram_size.h"
#include "diagram/core/zone_places.h"
#include "diagram/draw/geometric_renderer.h"

namespace rivo::app {

namespace {

using diagram::DiagramKind;
using diagram::LayoutKind;
using diagram::UniverseSet;
using diagram::Zone;

// A text of the main window's line can be a megabyte long; the window names its start only.
constexpr qsizetype kShownTextCharacters = 80;

DiagramKind VennKind(int circles) {
    return {circles, LayoutKind::kVenn};
}

diagram::RenderOptions OptionsFor(bool universe) {
    diagram::RenderOptions options;
    options.universe = universe;
    return options;
}

QString CirclesOfZone(Zone zone) {
    QStringList names;
    for (int circle = 0; circle < diagram::kMaxCircles; ++circle) {
        if ((zone >> circle & 1u) != 0)
            names << QString(QLatin1Char(static_cast<char>('A' + circle)));
    }
    if (names.size() < 2) return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.back();
}

bool Holds(UniverseSet set, Zone zone) {
    return (set >> zone & 1u) != 0;
}

}  // namespace

QString ZoneInWords(int circles, Zone zone, bool inSet) {
    const QString where =
        zone == 0 ? QStringLiteral("Outside every set")
                  : QStringLiteral("In ") + CirclesOfZone(zone) +
                        (zone == diagram::ZoneCount(circles) ? QString() : QStringLiteral(" only"));
    return where + (inSet ? QStringLiteral(" \u2014 in the set")
                          : QStringLiteral(" \u2014 not in the set"));
}

void AnswerToolTip(const QHelpEvent& help, const QString& text, QWidget* owner) {
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(help.globalPos(), text, owner);
    }
}

ZonePicture::ZonePicture(QWidget* parent) : QWidget(parent) {
    setFixedSize(kSide, kSide);
    setFocusPolicy(Qt::StrongFocus);
    SetSet(3, 0, false);
}

void ZonePicture::SetSet(int circles, UniverseSet set, bool universe) {
    const bool sameStops = circles == circles_ && universe == universe_;
    circles_ = circles;
    set_ = set & diagram::UniverseOf(circles);
    universe_ = universe;
    if (!sameStops) {
        // Reading order of the label points, as a page reads: top to bottom, then left to right.
        const auto places = diagram::ZonePlaces(VennKind(circles));
        std::vector<Zone> zones;
        for (Zone zone = 1; zone <= diagram::ZoneCount(circles); ++zone)
            zones.push_back(zone);
        std::stable_sort(zones.begin(), zones.end(), [&](Zone a, Zone b) {
            const diagram::VennPoint& p = places[a - 1].point;
            const diagram::VennPoint& q = places[b - 1].point;
            return p.y != q.y ? p.y < q.y : p.x < q.x;
        });
        // The universe's corner, with its "U", comes before every zone.
        order_.clear();
        if (universe) order_.push_back(0);
        order_.insert(order_.end(), zones.begin(), zones.end());
        focused_ = 0;
    }
    QStringList shaded;
    for (const Zone zone : order_) {
        if (Holds(set_, zone)) {
            shaded << (zone == 0 ? QStringLiteral("outside every set")
                                 : QString::fromStdString(diagram::ZoneName(zone, {})));
        }
    }
    setAccessibleDescription(
        QStringLiteral("Every zone of %1 sets. ").arg(circles) +
        (shaded.isEmpty()
             ? QStringLiteral("Nothing shaded.")
             : QStringLiteral("Shaded: ") + shaded.join(QStringLiteral(", ")) + QLatin1Char('.')) +
        QStringLiteral(" The arrow keys move from zone to zone."));
    Redraw();
    Announce();
}

std::optional<Zone> ZonePicture::ZoneAt(const QPointF& at) const {
    const QTransform toWidget =
        diagram::LayoutTransform(QRectF(rect()), VennKind(circles_), OptionsFor(universe_));
    const QPointF p = toWidget.inverted().map(at);
    const Zone zone = diagram::ZoneAt(VennKind(circles_), {p.x(), p.y()});
    if (zone != 0) return zone;
    if (universe_ && diagram::VennZoneArea(circles_, 0).contains(p)) return Zone{0};
    return std::nullopt;
}

QString ZonePicture::ToolTipAt(const QPointF& at) const {
    const std::optional<Zone> zone = ZoneAt(at);
    if (!zone) return {};
    return ZoneInWords(circles_, *zone, Holds(set_, *zone));
}

bool ZonePicture::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto& help = *static_cast<QHelpEvent*>(event);
        AnswerToolTip(help, ToolTipAt(help.pos()), this);
        return true;
    }
    return QWidget::event(event);
}

void ZonePicture::Redraw() {
    const double ratio = devicePixelRatioF();
    QImage image = diagram::RenderZonesImage(VennKind(circles_), set_,
                                             static_cast<int>(std::lround(kSide * ratio)),
                                             OptionsFor(universe_));
    image.setDevicePixelRatio(ratio);
    pixmap_ = QPixmap::fromImage(image);
    update();
}

void ZonePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, pixmap_);
    if (!hasFocus()) return;
    // A ring inside the focused zone's edge: a clear band in the highlight colour, edged in
    // white so that it shows on a shaded zone as on a blank one.
    const QTransform toWidget =
        diagram::LayoutTransform(QRectF(rect()), VennKind(circles_), OptionsFor(universe_));
    const QPainterPath zone = toWidget.map(diagram::VennZoneArea(circles_, FocusedZone()));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(zone);
    painter.strokePath(zone, QPen(Qt::white, 10));
    painter.strokePath(zone, QPen(palette().color(QPalette::Highlight), 7));
}

void ZonePicture::keyPressEvent(QKeyEvent* event) {
    const bool plain =
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !order_.empty();
    if (plain) {
        const std::size_t last = order_.size() - 1;
        switch (event->key()) {
            case Qt::Key_Right:
            case Qt::Key_Down:
                MoveFocus(std::min(focused_ + 1, last));
                return;
            case Qt::Key_Left:
            case Qt::Key_Up:
                MoveFocus(focused_ == 0 ? 0 : focused_ - 1);
                return;
            case Qt::Key_Home:
                MoveFocus(0);
                return;
            case Qt::Key_End:
                MoveFocus(last);
                return;
            default:
                break;
        }
    }
    QWidget::keyPressEvent(event);
}

void ZonePicture::MoveFocus(std::size_t to) {
    if (to == focused_) return;
    focused_ = to;
    Announce();
}

void ZonePicture::Announce() {
    // Qt tells a reader of the changed name.
    setAccessibleName(ZoneInWords(circles_, FocusedZone(), Holds(set_, FocusedZone())));
    if (hasFocus()) {
        // The widget stands for the focused zone: a reader speaks the new one as focused.
        QAccessibleEvent focus(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
    update();
}

void ZonePicture::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void ZonePicture::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void ZonePicture::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Made before it had a screen, or moved to another one: the picture follows its ratio.
    if (QWindow* window = this->window()->windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &ZonePicture::Redraw, Qt::UniqueConnection);
    }
    if (pixmap_.devicePixelRatio() != devicePixelRatioF()) Redraw();
}

EveryZoneWindow::EveryZoneWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Every zone"));
    setAttribute(Qt::WA_DeleteOnClose);

    line_ = new QLineEdit;
    line_->setPlaceholderText(QStringLiteral("such as (A \u222a B)\u2032 \u2229 C"));
    line_->setAccessibleName(QStringLiteral("Set in set notation"));
    line_->setToolTip(QStringLiteral(
        "Sets A to E, U and \u2205; \u222a union, \u2229 intersection, \\ difference, "
        "\u0394 symmetric difference, \u2032 or ' complement"));
    auto* lineLabel = new QLabel(QStringLiteral("Set &notation:"));
    lineLabel->setBuddy(line_);
    circlesBox_ = new QSpinBox;
    circlesBox_->setRange(diagram::kMinSetCircles, diagram::kMaxSetCircles);
    circlesBox_->setValue(3);
    circlesBox_->setAccessibleName(QStringLiteral("Number of sets"));
    auto* circlesLabel = new QLabel(QStringLiteral("S&ets:"));
    circlesLabel->setBuddy(circlesBox_);
    error_ = new QLabel;
    error_->setTextFormat(Qt::PlainText);
    error_->setWordWrap(true);
    error_->setAccessibleName(QStringLiteral("Reading error"));
    QPalette errorPalette = error_->palette();
    errorPalette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    error_->setPalette(errorPalette);
    // Room for a line even while empty, so that the picture does not jump as the user types.
    error_->setMinimumHeight(error_->fontMetrics().height());
    source_ = new QLabel;
    source_->setTextFormat(Qt::PlainText);
    source_->setWordWrap(true);
    picture_ = new ZonePicture;

    auto* row = new QHBoxLayout;
    row->addWidget(lineLabel);
    row->addWidget(line_, 1);
    row->addWidget(circlesLabel);
    row->addWidget(circlesBox_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(error_);
    layout->addWidget(source_);
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
    layout->addStretch();
    setTabOrder(line_, circlesBox_);
    setTabOrder(circlesBox_, picture_);
    setMinimumWidth(ZonePicture::kSide + 2 * layout->contentsMargins().left());

    // Once the user types, the window shows the line's set, whatever the main window draws next.
    connect(line_, &QLineEdit::textEdited, this, [this] {
        own_ = true;
        ReadLine();
    });
    connect(circlesBox_, &QSpinBox::valueChanged, this, [this] {
        own_ = true;
        ReadLine();
    });
    ReadLine();
}

void EveryZoneWindow::keyPressEvent(QKeyEvent* event) {
    // The line, the count and the picture leave Escape to the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void EveryZoneWindow::ShowDrawnSet(int circles, diagram::ZoneSet zones, const QString& text) {
    if (own_) return;
    const QSignalBlocker blocker(circlesBox_);
    circlesBox_->setValue(circles);
    picture_->SetSet(circles, diagram::FromZoneSet(zones), false);
    const QString shown = text.size() > kShownTextCharacters
                              ? text.left(kShownTextCharacters) + QStringLiteral("\u2026")
                              : text;
    source_->setText(QStringLiteral("The main window's set: %1").arg(shown));
}

void EveryZoneWindow::ReadLine() {
    const int circles = circlesBox_->value();
    const std::string text = line_->text().toStdString();
    const diagram::SetReading reading = diagram::ReadSetNotation(text, circles);
    // An empty line is no error yet: the user has not begun.
    if (reading.error && !line_->text().trimmed().isEmpty()) {
        std::string report = diagram::FormatSetNotationError({}, text, *reading.error);
        report.erase(std::min(report.find('\n'), report.size()));
        error_->setText(QString::fromStdString(report));
        line_->setAccessibleDescription(error_->text());
        return;
    }
    error_->clear();
    line_->setAccessibleDescription({});
    if (!own_) return;
    picture_->SetSet(circles, reading.error ? 0 : reading.set, true);
    source_->setText(QStringLiteral("The set of the line above"));
}

}  // namespace rivo::app
