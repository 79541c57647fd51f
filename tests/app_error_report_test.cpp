// The default error report on the offscreen platform: its text, the modal box and when it
// appears, and the window after a failed draw request.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/error_report.h"
#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "diagram/draw/painter.h"
#include "expr/error.h"
#include "tests/widget_test_support.h"

namespace {

using rivo::app::Tfrm_gorsek;
using rivo::diagram::DiagramSize;
using rivo::diagram::PaintDiagram;
using rivo::expr::PipelineError;
using rivo::testing::ModalBoxWatcher;
using rivo::testing::ShownPicture;

TEST(ErrorReport, AddsTheFullStopByTheRule) {
    const struct {
        const char* name;
        std::string message;
        QString text;
    } rows[] = {
        {"ends in a letter", "Floating point division by zero", "Floating point division by zero."},
        {"ends in a parenthesis", "List index out of bounds (0)", "List index out of bounds (0)"},
        {"ends in a full stop", "Done.", "Done."},
        {"ends in a digit", "Code 7", "Code 7."},
        {"ends in a quote", "'x' is wrong'", "'x' is wrong'"},
        {"empty", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rivo::app::ErrorReportText(PipelineError(row.message)), row.text);
    }
    EXPECT_EQ(rivo::app::ErrorReportText(std::bad_alloc()), "Expression is too large.");
}

TEST(ErrorReport, ShowsTheBoxAfterTheFailingEventHasReturned) {
    QWidget context;
    ModalBoxWatcher watcher;
    EXPECT_TRUE(rivo::app::RunRequest(&context, [] {}));
    EXPECT_FALSE(rivo::app::RunRequest(
        &context, [] { throw PipelineError("Floating point division by zero"); }));
    // Queued: nothing is shown while the failing handler is still on the stack.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(watcher.Seen());
    const auto box = watcher.Wait();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(box->icon, QMessageBox::Critical);
    EXPECT_EQ(box->text, "Floating point division by zero.");
    EXPECT_EQ(box->buttons, 1);
    EXPECT_TRUE(box->ok);
    EXPECT_TRUE(box->modal);
}

TEST(ErrorReport, CatchesEveryException) {
    QWidget context;
    ModalBoxWatcher watcher;
    EXPECT_FALSE(rivo::app::RunRequest(&context, [] { throw std::logic_error("Broken"); }));
    const auto box = watcher.Wait();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "Broken.");
}

// A failed request leaves the listing, the tree's last listing and the picture as the previous
// request left them, and the window goes on working.
TEST(ErrorReport, WindowStaysUsableAndKeepsItsState) {
    Tfrm_gorsek w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "K.O.B. Rivo");

    // Before any picture: the error leaves no picture and the listing "MOP".
    {
        ModalBoxWatcher watcher;
        w.eIN->setText("diff(x)");
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        const auto box = watcher.Wait();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, "List index out of bounds (0)");  // ends in ")": no full stop
        EXPECT_EQ(box->caption, "K.O.B. Rivo");
        EXPECT_TRUE(ShownPicture(w).isNull());
        EXPECT_EQ(w.MOP, std::vector<std::string>{"MOP"});
    }

    w.eIN->setText("a*b+b*c+a*c-a*b*c");
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    const std::vector<std::string> listing = w.MOP;
    const QImage picture = PaintDiagram(DiagramSize::kThree, "246");
    ASSERT_EQ(ShownPicture(w), picture);

    for (QPushButton* button : {w.Button1, w.Button2, w.Button3}) {
        SCOPED_TRACE(button->text().toStdString());
        ModalBoxWatcher watcher;
        w.eIN->setText("a+1/0");
        QTest::mouseClick(button, Qt::LeftButton);
        const auto box = watcher.Wait();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "K.O.B. Rivo");
        EXPECT_EQ(box->icon, QMessageBox::Critical);
        EXPECT_EQ(box->text, "Floating point division by zero.");
        EXPECT_EQ(box->buttons, 1);
        EXPECT_TRUE(box->ok);
        EXPECT_EQ(w.MOP, listing);
        EXPECT_EQ(ShownPicture(w), picture);
        EXPECT_EQ(w.Picture(), picture);
        EXPECT_EQ(w.eIN->text(), "a+1/0");
    }

    w.eIN->setText("a");
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    EXPECT_EQ(ShownPicture(w), PaintDiagram(DiagramSize::kFour, "ABCDEFG"));
    EXPECT_EQ(w.MOP, std::vector<std::string>{"a"});
}

}  // namespace
