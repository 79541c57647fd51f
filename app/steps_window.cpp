#include "app/steps_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "diagram/draw/painter.h"

namespace rivo::app {

void StepPicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}

void StepPicture::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

StepsWindow::StepsWindow(diagram::DiagramSize size, std::vector<ShownStep> steps,
                         std::size_t totalCount, QWidget* parent)
    : QWidget(parent, Qt::Window), size_(size), steps_(std::move(steps)) {
    setWindowTitle(QStringLiteral("Steps"));
    setAttribute(Qt::WA_DeleteOnClose);

    constexpr int kColumns = 3;
    auto* grid = new QWidget;
    auto* cells = new QGridLayout(grid);
    pictures_.reserve(steps_.size());
    captions_.reserve(steps_.size());
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const QString number = QString::number(i + 1);
        auto* picture = new StepPicture;
        picture->setPixmap(QPixmap::fromImage(
            diagram::PaintDiagram(size_, steps_[i].regions)
                .scaled(kSmallSide, kSmallSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        picture->setFixedSize(kSmallSide, kSmallSide);
        picture->setFocusPolicy(Qt::StrongFocus);
        picture->setCursor(Qt::PointingHandCursor);
        picture->setAccessibleName(QStringLiteral("Step %1: %2").arg(number, steps_[i].text));
        picture->setToolTip(QStringLiteral("Step %1: click to enlarge").arg(number));
        auto* caption = new QLabel(steps_[i].text);
        caption->setWordWrap(true);
        caption->setFixedWidth(kSmallSide);
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setTextFormat(Qt::PlainText);
        const int row = static_cast<int>(i / kColumns) * 2;
        const int column = static_cast<int>(i % kColumns);
        cells->addWidget(picture, row, column);
        cells->addWidget(caption, row + 1, column, Qt::AlignTop);
        connect(picture, &StepPicture::clicked, this,
                [this, i] { ShowLarge(static_cast<int>(i)); });
        pictures_.push_back(picture);
        captions_.push_back(caption);
    }
    cells->setRowStretch(cells->rowCount(), 1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(grid);
    scroll->setWidgetResizable(false);
    scroll->setMinimumWidth(grid->sizeHint().width() + 24);

    summary_ = new QLabel;
    if (steps_.empty()) {
        summary_->setText(QStringLiteral("The expression has no operator step."));
    } else if (totalCount > steps_.size()) {
        summary_->setText(QStringLiteral("The first %1 of %2 steps are shown.")
                              .arg(steps_.size())
                              .arg(totalCount));
    } else {
        summary_->hide();
    }

    large_ = new QLabel;
    large_->setFixedSize(400, 400);
    largeCaption_ = new QLabel;
    largeCaption_->setWordWrap(true);
    largeCaption_->setFixedWidth(400);
    largeCaption_->setTextFormat(Qt::PlainText);
    largeCaption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* side = new QVBoxLayout;
    side->addWidget(large_);
    side->addWidget(largeCaption_);
    side->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(scroll);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addLayout(body, 1);
    resize(std::max(sizeHint().width(), 960), 560);
    if (!steps_.empty()) ShowLarge(0);
}

void StepsWindow::ShowLarge(int index) {
    const ShownStep& step = steps_.at(static_cast<std::size_t>(index));
    large_->setPixmap(QPixmap::fromImage(diagram::PaintDiagram(size_, step.regions)));
    large_->setAccessibleName(QStringLiteral("Step %1 at full size").arg(index + 1));
    largeCaption_->setText(QStringLiteral("%1. %2").arg(index + 1).arg(step.text));
}

}  // namespace rivo::app
