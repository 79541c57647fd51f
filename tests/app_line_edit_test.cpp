// The window's single-line edit on the offscreen platform, against the toolkit's QLineEdit as
// the reference for editing and look; in a long line, that the cursor shows and the parts a
// cost would grow with (undo history, input-method context) stay bounded.
#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/line_edit.h"
#include "expr/m_tree.h"
#include "tests/expression_shapes.h"

namespace {

using rivo::app::LineEdit;

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

// The keys a user edits with, Undo and Redo aside: the toolkit groups its undo steps
// differently.
const Key kEditingKeys[] = {
    {Qt::Key_A, {}},
    {Qt::Key_B, Qt::ShiftModifier},
    {Qt::Key_Plus, {}},
    {Qt::Key_Asterisk, {}},
    {Qt::Key_Space, {}},
    {Qt::Key_ParenLeft, {}},
    {Qt::Key_Backspace, {}},
    {Qt::Key_Delete, {}},
    {Qt::Key_Left, {}},
    {Qt::Key_Right, {}},
    {Qt::Key_Home, {}},
    {Qt::Key_End, {}},
    {Qt::Key_Left, Qt::ShiftModifier},
    {Qt::Key_Right, Qt::ShiftModifier},
    {Qt::Key_Home, Qt::ShiftModifier},
    {Qt::Key_End, Qt::ShiftModifier},
    {Qt::Key_Left, Qt::ControlModifier},
    {Qt::Key_Right, Qt::ControlModifier},
    {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier},
    {Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier},
    {Qt::Key_Backspace, Qt::ControlModifier},
    {Qt::Key_Delete, Qt::ControlModifier},
    {Qt::Key_A, Qt::ControlModifier},
    {Qt::Key_X, Qt::ControlModifier},
    {Qt::Key_C, Qt::ControlModifier},
    {Qt::Key_V, Qt::ControlModifier},
};

// Both edits take the same random keys and must agree on text, cursor and selection after
// each; then undoing everything gives the first text back and redoing everything the last.
TEST(LineEdit, EditsAsTheToolkitsLineEditDoes) {
    const char* starts[] = {"a*b+b*c+a*c-a*b*c", "", "(a + b)  *  c", "x"};
    std::mt19937 random(20240607);
    for (const char* start : starts) {
        SCOPED_TRACE(start);
        QLineEdit reference(QString::fromLatin1(start));
        LineEdit edit(QString::fromLatin1(start));
        std::string keys;
        for (int step = 0; step < 400; ++step) {
            const Key& key = kEditingKeys[random() % std::size(kEditingKeys)];
            keys += QKeySequence(key.key | key.modifiers).toString().toStdString() + " ";
            QTest::keyClick(&reference, key.key, key.modifiers);
            QTest::keyClick(&edit, key.key, key.modifiers);
            ASSERT_EQ(edit.text(), reference.text()) << keys;
            ASSERT_EQ(edit.cursorPosition(), reference.cursorPosition()) << keys;
            ASSERT_EQ(edit.selectedText(), reference.selectedText()) << keys;
            ASSERT_EQ(edit.selectionStart(), reference.selectionStart()) << keys;
        }
        const QString last = edit.text();
        while (edit.isUndoAvailable())
            QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(edit.text(), QString::fromLatin1(start));
        while (edit.isRedoAvailable())
            QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(edit.text(), last);
    }
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

Key Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    return {key, modifiers};
}

std::vector<Key> Repeated(Key key, int times) {
    return std::vector<Key>(static_cast<std::size_t>(times), key);
}

// Unfocused, so that no blinking cursor decides, both edits take the same keys and must show
// the same pixels after each: the view scrolls as the toolkit's does, whether the cursor
// leaves it on the right or on the left or the end of the text moves into it.
TEST(LineEdit, LooksAsTheToolkitsLineEditDoes) {
    const QString longText = QString::fromStdString(
        rivo::testing::ShapedText(rivo::testing::TextShape::kLeftChain, 4096));
    std::vector<Key> scrolling = {Press(Qt::Key_End)};
    for (const std::vector<Key>& keys : {Repeated(Press(Qt::Key_Left), 60),
                                         {Press(Qt::Key_Home)},
                                         Repeated(Press(Qt::Key_Right), 60),
                                         Repeated(Press(Qt::Key_Right, Qt::ShiftModifier), 8),
                                         {Press(Qt::Key_End)},
                                         Repeated(Press(Qt::Key_Backspace), 40),
                                         Repeated(Press(Qt::Key_Left, Qt::ControlModifier), 4),
                                         {Press(Qt::Key_Home)},
                                         Repeated(Press(Qt::Key_Delete), 3)}) {
        scrolling.insert(scrolling.end(), keys.begin(), keys.end());
    }
    const struct {
        const char* name;
        QString text;
        std::vector<Key> keys;
    } rows[] = {
        {"fits",
         "a*b+b*c+a*c-a*b*c",
         {Press(Qt::Key_End), Press(Qt::Key_Left, Qt::ShiftModifier),
          Press(Qt::Key_Left, Qt::ShiftModifier), Press(Qt::Key_Home), Press(Qt::Key_Right),
          Press(Qt::Key_End, Qt::ShiftModifier)}},
        {"empty, then typed", "", {Press(Qt::Key_A), Press(Qt::Key_Plus), Press(Qt::Key_B)}},
        {"long", longText, scrolling},
    };
    // Whole-pixel advances: a view that starts further into the text then puts every glyph at
    // the same pixel as the toolkit's view of the whole line, not at a different fraction.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setHintingPreference(QFont::PreferFullHinting);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QLineEdit reference;
        reference.setMaxLength(std::numeric_limits<int>::max());
        reference.setText(row.text);
        LineEdit edit(row.text);
        for (QWidget* widget : {static_cast<QWidget*>(&reference), static_cast<QWidget*>(&edit)}) {
            widget->setFont(font);
            widget->resize(225, 21);
        }
        ASSERT_EQ(Grab(edit), Grab(reference));
        for (std::size_t step = 0; step < row.keys.size(); ++step) {
            QTest::keyClick(&reference, row.keys[step].key, row.keys[step].modifiers);
            QTest::keyClick(&edit, row.keys[step].key, row.keys[step].modifiers);
            ASSERT_EQ(Grab(edit), Grab(reference)) << "after key " << step;
        }
    }
}

// In a mebibyte line the cursor shows wherever it goes, and a click where it shows finds it.
TEST(LineEdit, ShowsTheCursorAnywhereInALongLine) {
    const QString text = QString::fromStdString(rivo::testing::ShapedText(
        rivo::testing::TextShape::kLeftChain, rivo::expr::kMaxExpressionBytes));
    const int length = static_cast<int>(text.size());
    LineEdit edit(text);
    edit.resize(225, 21);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    const QRect inside = edit.rect().adjusted(2, 2, -2, -2);
    const auto check = [&](const char* how) {
        SCOPED_TRACE(how);
        const QRect cursor = edit.cursorRect();
        const QPoint at(cursor.left() + 5, cursor.center().y());  // the cursor's own x
        EXPECT_TRUE(inside.contains(at)) << edit.cursorPosition();
        EXPECT_EQ(edit.positionAt(at), edit.cursorPosition());
    };
    for (const int position : {length, 0, 1, length / 2, length - 1, 1000, length - 1000}) {
        edit.setCursorPosition(position);
        check("set");
        QTest::keyClick(&edit, Qt::Key_Right, Qt::ControlModifier);
        check("a word right");
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(&edit, Qt::Key_Left);
        check("thirty left");
    }
}

// The history keeps the newest 1000 steps, and drops the oldest of them while they hold more
// than 2 Mi characters; the newest step stays whatever its size.
TEST(LineEdit, BoundsItsUndoHistory) {
    LineEdit edit;
    for (int i = 0; i < 1100; ++i) {
        QTest::keyClick(&edit, Qt::Key_A);
        QTest::keyClick(&edit, Qt::Key_Home);  // a cursor move ends a typing step
    }
    int undone = 0;
    for (; edit.isUndoAvailable(); ++undone)
        edit.undo();
    EXPECT_EQ(undone, 1000);
    EXPECT_EQ(edit.text(), QString(100, QLatin1Char('a')));

    edit.setText({});
    const QString big(3 << 19, QLatin1Char('b'));  // 1.5 Mi characters
    edit.insert(big);
    edit.insert(big);
    edit.undo();
    EXPECT_EQ(edit.text(), big);
    EXPECT_FALSE(edit.isUndoAvailable());
    edit.redo();
    EXPECT_EQ(edit.text().size(), 2 * big.size());
}

// The preedit shows but is no text until committed; an input method sees a window of the text
// around the cursor, not the whole line.
TEST(LineEdit, TakesInputMethodText) {
    const QString text = QString::fromStdString(rivo::testing::ShapedText(
        rivo::testing::TextShape::kLeftChain, rivo::expr::kMaxExpressionBytes));
    LineEdit edit(text);
    const int middle = static_cast<int>(text.size()) / 2;
    edit.setCursorPosition(middle);
    QInputMethodEvent composing(QStringLiteral("ab"), {});
    QCoreApplication::sendEvent(&edit, &composing);
    EXPECT_EQ(edit.text(), text);
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("ab"));
    QCoreApplication::sendEvent(&edit, &committed);
    EXPECT_EQ(edit.text(), QString(text).insert(middle, QStringLiteral("ab")));
    EXPECT_EQ(edit.cursorPosition(), middle + 2);

    const QString around = edit.inputMethodQuery(Qt::ImSurroundingText).toString();
    const int cursor = edit.inputMethodQuery(Qt::ImCursorPosition).toInt();
    EXPECT_LE(around.size(), 2048);
    EXPECT_EQ(around.mid(cursor - 2, 4), edit.text().mid(middle, 4));
}

}  // namespace
