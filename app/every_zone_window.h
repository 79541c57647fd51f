// The every-zone window: a set on the Venn layout of its circles, where every zone is a region of
// its own (the main window's Euler diagrams of four and five circles cannot show them all). It
// shows the main window's last drawn set, or the set of its own edit line in set notation, with
// the universe frame. Each zone has a tooltip, and the keyboard moves a visible focus from zone to
// zone; the picture's accessible name follows the focused zone.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "diagram/core/set_notation.h"
#include "diagram/core/zones.h"

class QFocusEvent;
class QHelpEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPaintEvent;
class QShowEvent;
class QSpinBox;

namespace rivo::app {

// A zone and whether the set holds it, as the tooltips and the screen reader say it: "In A and C
// only — in the set", without "only" where the zone lies in every circle, and "Outside every set
// — not in the set" for zone 0.
QString ZoneInWords(int circles, diagram::Zone zone, bool inSet);

// Answers a tooltip event of `owner` with `text`, or hides the tooltip where the text is empty.
void AnswerToolTip(const QHelpEvent& help, const QString& text, QWidget* owner);

// The Venn picture of a set, 400 x 400, drawn at the screen's device-pixel ratio. It takes the
// focus by Tab or a click; then the arrow keys, Home and End move a focus ring from zone to zone
// in reading order of their label points (top to bottom, left to right; the outside zone first
// when the universe frame is drawn).
//
// For screen readers the widget itself stands for the focused zone: its accessible name is that
// zone in words, and a move sends a focus event, so a reader speaks each zone as the ring reaches
// it. One focusable widget keeps the window's tab order and the picture's tooltips simple, where
// a child interface per zone would need its own geometry and navigation for every reader.
class ZonePicture : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kSide = 400;

    explicit ZonePicture(QWidget* parent = nullptr);

    // Shows `set` on the Venn layout of `circles` (2 to 5); `universe` draws the frame, shades
    // the outside zone when the set holds it, and makes that zone a focus stop.
    void SetSet(int circles, diagram::UniverseSet set, bool universe);

    int Circles() const { return circles_; }
    diagram::UniverseSet Set() const { return set_; }
    bool Universe() const { return universe_; }
    // The focus stops in order, and the one the ring is on.
    const std::vector<diagram::Zone>& Order() const { return order_; }
    diagram::Zone FocusedZone() const { return order_.at(focused_); }
    // The zone under a point of the widget; nothing on an outline or outside the drawn zones.
    std::optional<diagram::Zone> ZoneAt(const QPointF& at) const;
    // What the tooltip says at a point: the zone in words, or empty.
    QString ToolTipAt(const QPointF& at) const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Redraw();
    void MoveFocus(std::size_t to);
    void Announce();

    int circles_ = 0;  // none until the first set: its focus stops are made then
    diagram::UniverseSet set_ = 0;
    bool universe_ = false;
    std::vector<diagram::Zone> order_{1};
    std::size_t focused_ = 0;
    QPixmap pixmap_;
};

class EveryZoneWindow : public QWidget {
    Q_OBJECT

  public:
    explicit EveryZoneWindow(QWidget* parent = nullptr);

    // The main window's last drawn set of `circles` circles and its text: shown until the user
    // types in the window's own line.
    void ShowDrawnSet(int circles, diagram::ZoneSet zones, const QString& text);

    QLineEdit* NotationLine() const { return line_; }
    QSpinBox* CirclesBox() const { return circlesBox_; }
    // The reading error of the line ("column 4: …"); empty while the line reads.
    QLabel* ErrorLabel() const { return error_; }
    // Says whose set the picture shows.
    QLabel* SourceLabel() const { return source_; }
    ZonePicture* Picture() const { return picture_; }
    // Whether the picture shows the line's set rather than the main window's.
    bool ShowsOwnSet() const { return own_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Reads the line for the chosen count; on success the picture shows its set, else the error
    // shows under the line and the picture keeps its last good state.
    void ReadLine();

    QLineEdit* line_ = nullptr;
    QSpinBox* circlesBox_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* source_ = nullptr;
    ZonePicture* picture_ = nullptr;
    bool own_ = false;
};

}  // namespace rivo::app
