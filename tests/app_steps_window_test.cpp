// The steps window on the offscreen platform: opened from the picture's menu, one small picture
// and sub-expression per step of the last completed draw, and a click that enlarges a step.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "app/steps_window.h"
#include "diagram/draw/painter.h"
#include "tests/widget_test_support.h"

namespace {

using rivo::app::StepsWindow;
using rivo::app::Tfrm_gorsek;
using rivo::diagram::DiagramSize;
using rivo::diagram::PaintDiagram;

class StepsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    void Draw(const QString& text, QPushButton* button) {
        w.eIN->setText(text);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Opens the steps window through the picture's menu, as a user does.
    StepsWindow* OpenSteps() {
        const auto menu = w.BuildPictureMenu();
        if (menu == nullptr) return nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text().remove('&') == QStringLiteral("Show steps…")) action->trigger();
        }
        return w.StepsWindowShown();
    }

    static QImage Pixels(const QLabel* label) {
        return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }

    Tfrm_gorsek w;
};

TEST_F(StepsWindowTest, ShowsEachStepOfTheLastDrawAndEnlargesTheClickedOne) {
    Draw("a*b+c", w.Button1);
    StepsWindow* steps = OpenSteps();
    ASSERT_NE(steps, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(steps));
    EXPECT_FALSE(steps->isModal());
    struct Expected {
        QString text;
        std::string regions;  // A is 1245, B 2356, C 4567
    };
    const Expected expected[] = {{"a*b", "25"}, {"a*b+c", "24567"}};
    ASSERT_EQ(steps->StepCount(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps->Caption(i)->text(), expected[i].text);
        const QImage painted = PaintDiagram(DiagramSize::kThree, expected[i].regions);
        EXPECT_EQ(Pixels(steps->SmallPicture(i)),
                  painted.scaled(StepsWindow::kSmallSide, StepsWindow::kSmallSide,
                                 Qt::KeepAspectRatio, Qt::SmoothTransformation));
        QTest::mouseClick(steps->SmallPicture(i), Qt::LeftButton);
        EXPECT_EQ(Pixels(steps->LargePicture()), painted);
    }
    EXPECT_TRUE(steps->Summary()->isHidden());

    // An edit without a draw changes nothing; a failed draw neither, though it rebuilt the
    // tree; the next completed draw does.
    w.eIN->setText("a");
    EXPECT_EQ(OpenSteps()->StepCount(), 2);
    {
        rivo::testing::ModalBoxWatcher box;
        Draw("1/0", w.Button2);
        ASSERT_TRUE(box.Wait());
    }
    steps = OpenSteps();
    ASSERT_EQ(steps->StepCount(), 2);
    EXPECT_EQ(steps->Caption(1)->text(), "a*b+c");
    EXPECT_EQ(Pixels(steps->LargePicture()), PaintDiagram(DiagramSize::kThree, "25"));
    Draw("a-(b-c)", w.Button2);
    steps = OpenSteps();
    ASSERT_EQ(steps->StepCount(), 2);
    EXPECT_EQ(steps->Caption(0)->text(), "b-c");
    EXPECT_EQ(steps->Caption(1)->text(), "a-(b-c)");
}

TEST_F(StepsWindowTest, BuildsAtMostItsCapAndSaysSo) {
    QString chain = "a";
    for (int i = 0; i < 1000; ++i)
        chain += i % 2 == 0 ? "+b" : "*c";
    Draw(chain, w.Button1);
    StepsWindow* steps = OpenSteps();
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(steps->StepCount(), static_cast<int>(StepsWindow::kMaxShownSteps));
    EXPECT_EQ(steps->Summary()->text(), "The first 200 of 1000 steps are shown.");

    Draw("a", w.Button1);
    steps = OpenSteps();
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(steps->StepCount(), 0);
    EXPECT_EQ(steps->Summary()->text(), "The expression has no operator step.");
}

}  // namespace
