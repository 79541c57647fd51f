// The steps window on the offscreen platform: opened from the picture's menu, one small picture
// and numbered sub-expression per step of the last completed draw in the order the text reads,
// a click or a key that enlarges a step, and the arrow keys that move between them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "app/steps_window.h"
#include "diagram/core/diagram_layout.h"
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

    // The regions a small picture shades: those whose seed, scaled to the picture, is not white.
    static std::string ShadedRegions(const QLabel* small, DiagramSize size) {
        const QImage pixels = Pixels(small);
        std::string shaded;
        for (const auto& seed : rivo::diagram::LayoutOf(size).seeds) {
            const QPoint at(seed.x * pixels.width() / 400, seed.y * pixels.height() / 400);
            if (pixels.pixel(at) != qRgb(255, 255, 255)) shaded += seed.code;
        }
        return shaded;
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
    const Expected expected[] = {{"1. a*b", "25"}, {"2. a*b+c", "24567"}};
    ASSERT_EQ(steps->StepCount(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps->Caption(i)->text(), expected[i].text);
        const QImage painted = PaintDiagram(DiagramSize::kThree, expected[i].regions);
        EXPECT_EQ(Pixels(steps->SmallPicture(i)).size(),
                  QSize(StepsWindow::kSmallSide, StepsWindow::kSmallSide));
        EXPECT_EQ(ShadedRegions(steps->SmallPicture(i), DiagramSize::kThree), expected[i].regions);
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
    EXPECT_EQ(steps->Caption(1)->text(), "2. a*b+c");
    EXPECT_EQ(Pixels(steps->LargePicture()), PaintDiagram(DiagramSize::kThree, "25"));
    Draw("a-(b-c)", w.Button2);
    steps = OpenSteps();
    ASSERT_EQ(steps->StepCount(), 2);
    EXPECT_EQ(steps->Caption(0)->text(), "1. b-c");
    EXPECT_EQ(steps->Caption(1)->text(), "2. a-(b-c)");
}

// As a teacher shows them: each operator after its operands, left to right, with the set the
// evaluator computed there (A is 1245, B 2356, C 4567); the keys move a framed focus between
// them, and Enter enlarges the focused one.
TEST_F(StepsWindowTest, ListsTheStepsAsTheTextReadsAndMovesBetweenThemByKey) {
    Draw("(a+b)*(a+c)-b*c", w.Button1);
    StepsWindow* steps = OpenSteps();
    ASSERT_NE(steps, nullptr);
    steps->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == steps; }));
    const std::pair<QString, std::string> expected[] = {{"1. a+b", "123456"},
                                                        {"2. a+c", "124567"},
                                                        {"3. (a+b)*(a+c)", "12456"},
                                                        {"4. b*c", "56"},
                                                        {"5. (a+b)*(a+c)-b*c", "124"}};
    ASSERT_EQ(steps->StepCount(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps->Caption(i)->text(), expected[i].first);
        EXPECT_EQ(ShadedRegions(steps->SmallPicture(i), DiagramSize::kThree), expected[i].second);
    }

    // Three a row: 1 2 3 / 4 5.
    const std::pair<Qt::Key, int> moves[] = {
        {Qt::Key_Right, 1}, {Qt::Key_Down, 4},  {Qt::Key_Right, 4}, {Qt::Key_Left, 3},
        {Qt::Key_Up, 0},    {Qt::Key_Up, 0},    {Qt::Key_End, 4},   {Qt::Key_Home, 0},
        {Qt::Key_Left, 0},  {Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Down, 4},
        {Qt::Key_Up, 1},
    };
    ASSERT_EQ(QApplication::focusWidget(), steps->SmallPicture(0));
    for (const auto& [key, to] : moves) {
        QTest::keyClick(QApplication::focusWidget(), key);
        ASSERT_EQ(QApplication::focusWidget(), steps->SmallPicture(to)) << key;
    }
    // The focus is seen: a frame in the highlight colour around the focused picture only.
    const QRgb highlight = steps->palette().color(QPalette::Highlight).rgb();
    for (int i = 0; i < 5; ++i) {
        const QImage shown = steps->SmallPicture(i)->grab().toImage();
        EXPECT_EQ(shown.pixel(1, shown.height() / 2) == highlight, i == 1) << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Pixels(steps->LargePicture()), PaintDiagram(DiagramSize::kThree, "124567"));
    EXPECT_EQ(steps->LargePicture()->accessibleName(), "Step 2 at full size");
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
