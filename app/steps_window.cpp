#include "app/steps_window.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "diagram/draw/picture_plan.h"

namespace rivo::app {

void StepPicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}

void StepPicture::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit clicked();
            return;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
                emit moveAsked(event->key());
                return;
            }
            break;
        default:
            break;
    }
    QLabel::keyPressEvent(event);
}

void StepPicture::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    emit focused();
}

void StepPicture::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // Drawn over the picture's edge, so that the picture keeps its size and place.
    QPainter painter(this);
    constexpr int kWidth = 3;
    painter.setPen(QPen(palette().color(QPalette::Highlight), kWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(
        QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
}

StepsWindow::StepsWindow(diagram::DiagramSize size, std::vector<ShownStep> steps,
                         std::size_t totalCount, QWidget* parent)
    : QWidget(parent, Qt::Window), size_(size), steps_(std::move(steps)) {
    setWindowTitle(QStringLiteral("Steps"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QWidget;
    auto* cells = new QGridLayout(grid);
    pictures_.reserve(steps_.size());
    captions_.reserve(steps_.size());
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const QString number = QString::number(i + 1);
        auto* picture = new StepPicture;
        picture->setFixedSize(kSmallSide, kSmallSide);
        picture->setFocusPolicy(Qt::StrongFocus);
        picture->setCursor(Qt::PointingHandCursor);
        picture->setAccessibleName(QStringLiteral("Step %1: %2").arg(number, steps_[i].text));
        picture->setToolTip(QStringLiteral("Step %1: click to enlarge").arg(number));
        auto* caption = new QLabel(QStringLiteral("%1. %2").arg(number, steps_[i].text));
        caption->setWordWrap(true);
        caption->setFixedWidth(kSmallSide);
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setTextFormat(Qt::PlainText);
        const int row = static_cast<int>(i / kColumns) * 2;
        const int column = static_cast<int>(i % kColumns);
        cells->addWidget(picture, row, column);
        cells->addWidget(caption, row + 1, column, Qt::AlignTop);
        const int index = static_cast<int>(i);
        connect(picture, &StepPicture::clicked, this, [this, index] { ShowLarge(index); });
        connect(picture, &StepPicture::moveAsked, this,
                [this, index](int key) { MoveFocus(index, key); });
        connect(picture, &StepPicture::focused, this,
                [this, picture] { scroll_->ensureWidgetVisible(picture); });
        pictures_.push_back(picture);
        captions_.push_back(caption);
    }
    cells->setRowStretch(cells->rowCount(), 1);
    scroll_ = new QScrollArea;
    scroll_->setWidget(grid);
    scroll_->setWidgetResizable(false);
    scroll_->setMinimumWidth(grid->sizeHint().width() + 24);

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
    body->addWidget(scroll_);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addLayout(body, 1);
    resize(std::max(sizeHint().width(), 960), 560);
    DrawPictures();
    if (!steps_.empty()) ShowLarge(0);
}

void StepsWindow::DrawPictures() {
    drawnRatio_ = devicePixelRatioF();
    diagram::PictureRequest request(size_);
    request.devicePixelRatio = drawnRatio_;
    request.side = kSmallSide;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        pictures_[i]->setPixmap(
            QPixmap::fromImage(diagram::MakePicture(request, steps_[i].regions, scratch_).raster));
    }
    if (largeIndex_ >= 0) ShowLarge(largeIndex_);
}

void StepsWindow::ShowLarge(int index) {
    const ShownStep& step = steps_.at(static_cast<std::size_t>(index));
    largeIndex_ = index;
    diagram::PictureRequest request(size_);
    request.devicePixelRatio = devicePixelRatioF();
    large_->setPixmap(
        QPixmap::fromImage(diagram::MakePicture(request, step.regions, scratch_).raster));
    large_->setAccessibleName(QStringLiteral("Step %1 at full size").arg(index + 1));
    largeCaption_->setText(QStringLiteral("%1. %2").arg(index + 1).arg(step.text));
}

void StepsWindow::FocusStep(int index) {
    if (index < 0 || index >= StepCount()) return;
    StepPicture* picture = SmallPicture(index);
    picture->setFocus(Qt::OtherFocusReason);
    scroll_->ensureWidgetVisible(picture);
}

void StepsWindow::MoveFocus(int from, int key) {
    const int last = StepCount() - 1;
    int to = from;
    switch (key) {
        case Qt::Key_Left:
            to = from - 1;
            break;
        case Qt::Key_Right:
            to = from + 1;
            break;
        case Qt::Key_Up:
            to = from - kColumns;
            break;
        case Qt::Key_Down:
            // From above a short last row, down goes to that row's last step.
            if (from + kColumns <= last) {
                to = from + kColumns;
            } else if (from / kColumns < last / kColumns) {
                to = last;
            }
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = last;
            break;
        default:
            return;
    }
    if (to >= 0 && to <= last) FocusStep(to);
}

void StepsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Made before it had a screen, or moved to another one: the pictures follow its ratio.
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &StepsWindow::DrawPictures,
                Qt::UniqueConnection);
    }
    if (devicePixelRatioF() != drawnRatio_) DrawPictures();
    // The keys start at the first step (a hidden widget takes no focus, so not before).
    if (!event->spontaneous() && !steps_.empty() && focusWidget() == nullptr) FocusStep(0);
}

}  // namespace rivo::app
