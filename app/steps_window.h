// The steps window: the evaluation of the last drawn expression one operator step at a time, in
// the order the text reads, a small numbered picture per step with its sub-expression under it,
// and one step at full size. The keyboard moves between the steps as the pointer does.
#pragma once

#include <QImage>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/steps.h"

class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QScrollArea;
class QShowEvent;

namespace rivo::app {

// One step as the window shows it.
struct ShownStep {
    QString text;         // the operator's sub-expression, cut short when it is long
    std::string regions;  // the region set the step computed
};

// A small picture that shows its step at full size when clicked, or on Space or Enter; the arrow
// keys, Home and End ask the window for another step. With the focus it wears a frame in the
// palette's highlight colour.
class StepPicture : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

  signals:
    void clicked();
    // An arrow key, Home or End: the window moves the focus.
    void moveAsked(int key);
    void focused();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

class StepsWindow : public QWidget {
    Q_OBJECT

  public:
    // However many steps an expression has, the window builds at most this many pictures, and
    // says how many more there are.
    static constexpr std::size_t kMaxShownSteps = 200;
    // The side of a small picture, in pixels.
    static constexpr int kSmallSide = 160;
    // The small pictures in a row.
    static constexpr int kColumns = 3;
    // A sub-expression is shown up to this many bytes, then "…".
    static constexpr std::size_t kMaxTextBytes = diagram::kMaxStepTextBytes;

    // `steps` are the first of `totalCount` steps, in the order shown (the text's reading
    // order, diagram::PutInReadingOrder); the first one is shown at full size and has the focus.
    StepsWindow(diagram::DiagramSize size, std::vector<ShownStep> steps, std::size_t totalCount,
                QWidget* parent = nullptr);

    int StepCount() const { return static_cast<int>(pictures_.size()); }
    StepPicture* SmallPicture(int index) const {
        return pictures_.at(static_cast<std::size_t>(index));
    }
    // The step's number and sub-expression under its picture: "1. a+b".
    QLabel* Caption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
    // The step shown at full size, and its number and text beside it.
    QLabel* LargePicture() const { return large_; }
    // How many steps are left out, or that there is none; hidden when every step is shown.
    QLabel* Summary() const { return summary_; }

    // Shows the step (0-based) at full size.
    void ShowLarge(int index);
    // Gives the step's small picture the focus and scrolls it into view.
    void FocusStep(int index);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Draws every picture for the device-pixel ratio of the screen the window is on, through the
    // one picture plan: crisp on a screen scaled above 100 %.
    void DrawPictures();
    void MoveFocus(int from, int key);

    diagram::DiagramSize size_;
    std::vector<ShownStep> steps_;
    std::vector<StepPicture*> pictures_;
    std::vector<QLabel*> captions_;
    QScrollArea* scroll_ = nullptr;
    QLabel* large_ = nullptr;
    QLabel* largeCaption_ = nullptr;
    QLabel* summary_ = nullptr;
    int largeIndex_ = -1;
    double drawnRatio_ = 0.0;  // the device-pixel ratio the pictures were drawn for
    QImage scratch_;           // the template painter's picture, kept between draws
};

}  // namespace rivo::app
