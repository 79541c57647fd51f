// The steps window: the evaluation of the last drawn expression one operator step at a time, a
// small picture per step with its sub-expression under it, and one step at full size.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <string>
#include <vector>

#include "diagram/core/diagram_size.h"
#include "diagram/core/steps.h"

class QKeyEvent;
class QMouseEvent;

namespace rivo::app {

// One step as the window shows it.
struct ShownStep {
    QString text;         // the operator's sub-expression, cut short when it is long
    std::string regions;  // the region set the step computed
};

// A small picture that shows its step at full size when clicked, or on Space or Enter.
class StepPicture : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class StepsWindow : public QWidget {
    Q_OBJECT

  public:
    // However many steps an expression has, the window builds at most this many pictures, and
    // says how many more there are.
    static constexpr std::size_t kMaxShownSteps = 200;
    // The side of a small picture, in pixels.
    static constexpr int kSmallSide = 160;
    // A sub-expression is shown up to this many bytes, then "…".
    static constexpr std::size_t kMaxTextBytes = diagram::kMaxStepTextBytes;

    // `steps` are the first of `totalCount` steps, in the order performed; the first one is
    // shown at full size.
    StepsWindow(diagram::DiagramSize size, std::vector<ShownStep> steps, std::size_t totalCount,
                QWidget* parent = nullptr);

    int StepCount() const { return static_cast<int>(pictures_.size()); }
    StepPicture* SmallPicture(int index) const {
        return pictures_.at(static_cast<std::size_t>(index));
    }
    QLabel* Caption(int index) const { return captions_.at(static_cast<std::size_t>(index)); }
    // The step shown at full size, and its number and text beside it.
    QLabel* LargePicture() const { return large_; }
    // How many steps are left out, or that there is none; hidden when every step is shown.
    QLabel* Summary() const { return summary_; }

    // Shows the step (0-based) at full size.
    void ShowLarge(int index);

  private:
    diagram::DiagramSize size_;
    std::vector<ShownStep> steps_;
    std::vector<StepPicture*> pictures_;
    std::vector<QLabel*> captions_;
    QLabel* large_;
    QLabel* largeCaption_;
    QLabel* summary_;
};

}  // namespace rivo::app
