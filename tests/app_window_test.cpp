// The main window Tfrm_gorsek on the offscreen platform: its properties, controls, fonts, focus,
// the pictures its three buttons paint, and the locale refresh of the decimal separator.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/frm_gorsek_circle.h"
#include "app/line_edit.h"
#include "diagram/draw/painter.h"
#include "expr/numbers.h"
#include "tests/comma_locale.h"
#include "tests/separator_scope.h"
#include "tests/widget_test_support.h"

// glibc's newlocale leaks its search path when LOCPATH is set, as the locale test does; the
// sanitizer build's LeakSanitizer passes over that one allocation.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:argz_add_sep\n";
}

namespace {

using rivo::app::Tfrm_gorsek;
using rivo::diagram::DiagramSize;
using rivo::diagram::PaintDiagram;
using rivo::testing::ShownPicture;

const std::vector<std::string> kDefaultListing = {"- @F", "+ @F", "+ @F", "* @F", "a", "b",
                                                  "* @F", "b",    "c",    "* @F", "a", "c",
                                                  "* @F", "* @F", "a",    "b",    "c"};

// A window as the user meets it: shown, exposed and active.
struct ShownWindow {
    Tfrm_gorsek frm_gorsek;
    ShownWindow() {
        frm_gorsek.show();
        frm_gorsek.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frm_gorsek));
    }
};

TEST(MainWindow, HasTheWindowProperties) {
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    EXPECT_EQ(w.windowTitle(), "K.O.B. Rivo");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "K.O.B. Rivo");  // set by FormCreate
    EXPECT_EQ(w.size(), QSize(414, 505));
    EXPECT_EQ(w.minimumSize(), QSize(414, 505));
    EXPECT_EQ(w.maximumSize(), QSize(414, 505));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Window));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_LE(std::abs(w.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(w.geometry().center().y() - screen.center().y()), 1);
    // The button face shows through where IM has no picture yet.
    const QColor buttonFace = w.palette().color(QPalette::Button);
    EXPECT_EQ(w.palette().color(QPalette::Window), buttonFace);
    const QImage grabbed = w.grab().toImage();
    EXPECT_EQ(grabbed.pixelColor(200, 300), buttonFace);
    EXPECT_EQ(grabbed.pixelColor(410, 200), buttonFace);
}

TEST(MainWindow, UsesTheNearestInstalledFaces) {
    const Tfrm_gorsek w;
    const QFontInfo window(w.font());
    EXPECT_TRUE(QStringList({"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans",
                             "DejaVu Sans"})
                    .contains(window.family()))
        << window.family().toStdString();
    EXPECT_EQ(window.pixelSize(), 11);
    EXPECT_FALSE(window.fixedPitch());
    for (const QWidget* control :
         std::initializer_list<const QWidget*>{w.eIN, w.Button1, w.Button2, w.Button3}) {
        EXPECT_EQ(QFontInfo(control->font()).family(), window.family());
        EXPECT_EQ(QFontInfo(control->font()).pixelSize(), 11);
    }
    const QFontInfo legend(w.Memo1->font());
    EXPECT_TRUE(QStringList({"Courier", "Courier New", "Liberation Mono", "DejaVu Sans Mono"})
                    .contains(legend.family()))
        << legend.family().toStdString();
    EXPECT_EQ(legend.pixelSize(), 20);
    EXPECT_TRUE(legend.fixedPitch());
}

TEST(MainWindow, PlacesEveryControl) {
    ShownWindow shown;
    const Tfrm_gorsek& w = shown.frm_gorsek;
    const struct {
        const char* name;
        const QWidget* control;
        QRect geometry;
    } rows[] = {
        {"IM", w.IM, {8, 96, 400, 400}},           {"eIN", w.eIN, {8, 8, 225, 21}},
        {"Button1", w.Button1, {240, 8, 75, 23}},  {"Memo1", w.Memo1, {320, 8, 89, 73}},
        {"Button2", w.Button2, {240, 32, 75, 23}}, {"Button3", w.Button3, {240, 56, 75, 23}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.control->parentWidget(), &w);
        EXPECT_EQ(row.control->geometry(), row.geometry);
        EXPECT_TRUE(row.control->isVisible());
    }
}

TEST(MainWindow, StartsWithTheInitialContent) {
    const Tfrm_gorsek w;
    EXPECT_EQ(w.eIN->text(), "a*b+b*c+a*c-a*b*c");
    EXPECT_EQ(w.Button1->text(), "Draw (3)");
    EXPECT_EQ(w.Button2->text(), "Draw (4)");
    EXPECT_EQ(w.Button3->text(), "Draw (5)");
    EXPECT_EQ(w.Memo1->toPlainText(), "+ OR\n* AND\n- SUB");
    EXPECT_TRUE(w.Memo1->isReadOnly());
    EXPECT_EQ(w.Memo1->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(w.Memo1->palette().color(QPalette::Base), w.palette().color(QPalette::Button));
    EXPECT_TRUE(w.IM->pixmap().isNull());
    EXPECT_TRUE(w.Picture().isNull());
    EXPECT_EQ(w.MOP, std::vector<std::string>{"MOP"});
    EXPECT_EQ(w.defTV.NodeCount(), 0u);
    EXPECT_EQ(&w.IV3, &rivo::diagram::DiagramTemplate(DiagramSize::kThree));
    EXPECT_EQ(&w.IV4, &rivo::diagram::DiagramTemplate(DiagramSize::kFour));
    EXPECT_EQ(&w.IV5, &rivo::diagram::DiagramTemplate(DiagramSize::kFive));
}

// The three lines of the legend lie wholly inside its 89 x 73 pixels.
TEST(MainWindow, LegendFitsItsBox) {
    ShownWindow shown;
    const QPlainTextEdit* legend = shown.frm_gorsek.Memo1;
    const QRect box = legend->viewport()->rect();
    EXPECT_EQ(box.size(), QSize(89, 73));
    QTextCursor cursor(legend->document());
    for (int line = 0; line < 3; ++line) {
        SCOPED_TRACE(line);
        cursor.setPosition(legend->document()->findBlockByNumber(line).position());
        const QRect start = legend->cursorRect(cursor);
        cursor.movePosition(QTextCursor::EndOfBlock);
        const QRect end = legend->cursorRect(cursor);
        EXPECT_GE(start.top(), 0);
        EXPECT_GE(start.left(), 0);
        EXPECT_LE(end.bottom(), box.bottom());
        EXPECT_LE(end.right(), box.right());
    }
    EXPECT_EQ(legend->document()->blockCount(), 3);
}

// The legend takes no focus, not even from a click: the keyboard stays where it was.
TEST(MainWindow, FocusStartsInTheEditLineAndTabsThroughTheButtons) {
    ShownWindow shown;
    const Tfrm_gorsek& w = shown.frm_gorsek;
    EXPECT_EQ(QApplication::focusWidget(), w.eIN);
    const QWidget* order[] = {w.Button1, w.Button2, w.Button3, w.eIN};
    for (const QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->metaObject()->className();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), w.Button3);
    EXPECT_EQ(w.Memo1->focusPolicy(), Qt::NoFocus);
    w.Button2->setFocus();
    QTest::mouseClick(w.Memo1->viewport(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(QApplication::focusWidget(), w.Button2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.Button3);
}

TEST(MainWindow, HasNoDefaultButton) {
    ShownWindow shown;
    const Tfrm_gorsek& w = shown.frm_gorsek;
    for (const QPushButton* button : {w.Button1, w.Button2, w.Button3}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    QTest::keyClick(w.eIN, Qt::Key_Return);
    QTest::keyClick(w.eIN, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(w.IM->pixmap().isNull());
}

// Each button paints its own diagram; every click replaces the listing and the whole picture.
TEST(MainWindow, ButtonsPaintTheirDiagrams) {
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    const struct {
        const char* name;
        QPushButton* button;
        const char* text;
        DiagramSize size;
        const char* regions;
    } rows[] = {
        {"Draw (3), default text", w.Button1, "a*b+b*c+a*c-a*b*c", DiagramSize::kThree, "246"},
        {"Draw (4), default text", w.Button2, "a*b+b*c+a*c-a*b*c", DiagramSize::kFour, "CDEJK"},
        {"Draw (5), a+e", w.Button3, "a+e", DiagramSize::kFive, "ABCDEFGHIJKLNOP"},
        {"Draw (3), empty", w.Button1, "", DiagramSize::kThree, ""},
        {"Draw (4), empty", w.Button2, "", DiagramSize::kFour, ""},
        {"Draw (5), empty", w.Button3, "", DiagramSize::kFive, ""},
        {"Draw (5), default text", w.Button3, "a*b+b*c+a*c-a*b*c", DiagramSize::kFive, "CDFJPQR"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        w.eIN->setText(QString::fromLatin1(row.text));
        QTest::mouseClick(row.button, Qt::LeftButton);
        const QImage expected = PaintDiagram(row.size, row.regions);
        EXPECT_EQ(ShownPicture(w), expected);
        EXPECT_EQ(w.Picture(), expected);
        EXPECT_EQ(w.eIN->text(), row.text);  // only read, never changed
    }
    w.eIN->setText("a*b+b*c+a*c-a*b*c");
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    EXPECT_EQ(w.MOP, kDefaultListing);
}

// A pasted text longer than Qt's default edit limit must reach the pipeline whole: here the only
// "b" comes after 40 000 bytes of "a+".
TEST(MainWindow, LongPastedTextIsDrawnWhole) {
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "a+";
    text += "b";
    w.eIN->setText(QString::fromStdString(text));
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    EXPECT_EQ(w.eIN->text().size(), static_cast<qsizetype>(text.size()));
    EXPECT_EQ(ShownPicture(w), PaintDiagram(DiagramSize::kThree, "123456"));
}

// Pressing a button with the keyboard runs the same handler.
TEST(MainWindow, SpaceOnAFocusedButtonDraws) {
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    w.Button2->setFocus();
    QTest::keyClick(w.Button2, Qt::Key_Space);
    EXPECT_EQ(ShownPicture(w), PaintDiagram(DiagramSize::kFour, "CDEJK"));
}

// Return and keypad Enter press a focused draw button; Ctrl+3, Ctrl+4 and Ctrl+5 press the
// buttons from anywhere in the window, with the keypad's digits too, and type nothing.
TEST(MainWindow, KeyboardPressesTheDrawButtons) {
    const QImage three = PaintDiagram(DiagramSize::kThree, "246");
    const QImage four = PaintDiagram(DiagramSize::kFour, "CDEJK");
    const QImage five = PaintDiagram(DiagramSize::kFive, "CDFJPQR");
    const struct {
        const char* name;
        int focus;  // eIN, Button1, Button2, Button3
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const QImage& drawn;
    } rows[] = {
        {"Return on Draw (3)", 1, Qt::Key_Return, {}, three},
        {"keypad Enter on Draw (4)", 2, Qt::Key_Enter, Qt::KeypadModifier, four},
        {"Return on Draw (5)", 3, Qt::Key_Return, {}, five},
        {"Ctrl+3 in the edit line", 0, Qt::Key_3, Qt::ControlModifier, three},
        {"Ctrl+4 on Draw (5)", 3, Qt::Key_4, Qt::ControlModifier, four},
        {"Ctrl+5 of the keypad in the edit line", 0, Qt::Key_5,
         Qt::ControlModifier | Qt::KeypadModifier, five},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ShownWindow shown;
        Tfrm_gorsek& w = shown.frm_gorsek;
        QWidget* const controls[] = {w.eIN, w.Button1, w.Button2, w.Button3};
        controls[row.focus]->setFocus();
        QTest::keyClick(controls[row.focus], row.key, row.modifiers);
        EXPECT_EQ(ShownPicture(w), row.drawn);
        EXPECT_EQ(w.eIN->text(), "a*b+b*c+a*c-a*b*c");
    }
}

// What assistive technologies read: every control in the window's tree with a name, what each
// button draws, and the edit line as an editable text they read and change.
TEST(MainWindow, NamesItsControlsForAssistiveTechnology) {
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w);
    const struct {
        QWidget* control;
        const char* name;
        const char* description;
    } rows[] = {
        {w.eIN, "Set expression", "The sets a to e joined by + (or), * (and) and - (without)"},
        {w.Button1, "Draw (3)", "Draws the diagram of three circles"},
        {w.Button2, "Draw (4)", "Draws the diagram of four circles"},
        {w.Button3, "Draw (5)", "Draws the diagram of five circles"},
        {w.Memo1, "Operators", "+ OR, * AND, - SUB"},
        {w.IM, "Diagram", "No diagram yet."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(row.control);
        ASSERT_NE(control, nullptr);
        EXPECT_GE(window->indexOfChild(control), 0);
        EXPECT_EQ(control->text(QAccessible::Name), row.name);
        EXPECT_EQ(control->text(QAccessible::Description), row.description);
    }

    QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(w.eIN);
    EXPECT_EQ(edit->role(), QAccessible::EditableText);
    EXPECT_TRUE(edit->state().editable);
    EXPECT_TRUE(edit->state().focused);
    EXPECT_EQ(edit->text(QAccessible::Value), "a*b+b*c+a*c-a*b*c");
    QAccessibleTextInterface* text = edit->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 17);
    EXPECT_EQ(text->text(4, 7), "b*c");
    text->setSelection(0, 2, 5);
    EXPECT_EQ(w.eIN->selectedText(), "b+b");
    int start = 0, end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(2, 5));
    const QRect cursor = w.eIN->cursorRect();
    EXPECT_EQ(
        text->offsetAtPoint(w.eIN->mapToGlobal(QPoint(cursor.left() + 5, cursor.center().y()))),
        text->cursorPosition());
    ASSERT_NE(edit->editableTextInterface(), nullptr);
    edit->editableTextInterface()->replaceText(0, 1, "c");
    EXPECT_EQ(w.eIN->text(), "c*b+b*c+a*c-a*b*c");
    w.eIN->undo();
    EXPECT_EQ(w.eIN->text(), "a*b+b*c+a*c-a*b*c");
}

// The picture's description says the diagram size and each shaded region with the circles it
// lies in, anew with every draw; a request that fails leaves it as it was.
TEST(MainWindow, DescribesThePicture) {
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(w.IM);
    const struct {
        QPushButton* button;
        const char* text;
        const char* description;
    } rows[] = {
        {w.Button1, "a*b+b*c+a*c-a*b*c",
         "Three circles. Shaded: region 2 (A and B), region 4 (A and C), region 6 (B and C)."},
        {w.Button1, "c*b*a", "Three circles. Shaded: region 5 (A, B and C)."},
        {w.Button1, "a-b-c", "Three circles. Shaded: region 1 (A)."},
        {w.Button2, "", "Four circles. Nothing shaded."},
        {w.Button3, "1/0", "Four circles. Nothing shaded."},  // fails: unchanged
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        rivo::testing::ModalBoxWatcher box;
        w.eIN->setText(QString::fromLatin1(row.text));
        QTest::mouseClick(row.button, Qt::LeftButton);
        if (row.button == w.Button3) {
            EXPECT_TRUE(box.Wait());
        }
        EXPECT_EQ(picture->text(QAccessible::Description), row.description);
        EXPECT_EQ(picture->role(), QAccessible::Graphic);
    }
}

// The separator is read from the user's locale when the window starts and again on the
// locale-change event, sent to the window or to the application.
TEST(MainWindow, ReadsTheSeparatorAtStartAndOnLocaleChange) {
    const rivo::testing::CommaLocale comma;
    if (!comma.Built()) GTEST_SKIP() << "localedef could not build de_DE (package locales missing)";
    const rivo::testing::SeparatorScope restore('.');
    rivo::testing::EnvironmentScope environment;
    environment.Set("LOCPATH", comma.Dir().string());
    environment.Set("LC_ALL", comma.kName);
    ShownWindow shown;
    Tfrm_gorsek& w = shown.frm_gorsek;
    EXPECT_EQ(rivo::expr::DecimalSeparator(), ',');
    w.eIN->setText("2,5+1");
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    EXPECT_EQ(w.MOP, std::vector<std::string>{"3,5 @N"});

    environment.Set("LC_ALL", "C.UTF-8");
    QEvent toWindow(QEvent::LocaleChange);
    QCoreApplication::sendEvent(&w, &toWindow);
    EXPECT_EQ(rivo::expr::DecimalSeparator(), '.');
    w.eIN->setText("2.5+1");
    QTest::mouseClick(w.Button1, Qt::LeftButton);
    EXPECT_EQ(w.MOP, std::vector<std::string>{"3.5 @N"});

    environment.Set("LC_ALL", comma.kName);
    QEvent toApplication(QEvent::LocaleChange);
    QCoreApplication::sendEvent(qApp, &toApplication);
    EXPECT_EQ(rivo::expr::DecimalSeparator(), ',');
}

}  // namespace
