// The window's single-line edit. It holds the whole text, however long (a pasted expression of a
// mebibyte included), but lays out only the part it shows, so a key press costs about the same
// in a long line as in a short one, and its undo history is bounded. It looks and behaves like
// the toolkit's own line edit: cursor, selection by mouse and keyboard, the clipboards, undo and
// redo, input methods, its context menu, drops of text, focus and accessibility.
#pragma once

#include <QBasicTimer>
#include <QList>
#include <QPoint>
#include <QString>
#include <QTextLayout>
#include <QWidget>
#include <deque>
#include <memory>

class QMenu;
class QStyleOptionFrame;

namespace rivo::app {

class LineEdit : public QWidget {
    Q_OBJECT

  public:
    explicit LineEdit(const QString& text = {}, QWidget* parent = nullptr);
    ~LineEdit() override;

    QString text() const { return text_; }
    // Replaces the whole text, puts the cursor at its end and forgets the undo history.
    void setText(const QString& text);

    int cursorPosition() const { return cursor_; }
    void setCursorPosition(int position);
    bool hasSelectedText() const { return anchor_ != cursor_; }
    QString selectedText() const;
    // The first selected position, or -1 without a selection.
    int selectionStart() const;
    // One past the last selected position, or -1 without a selection.
    int selectionEnd() const;
    // Selects `length` characters from `start`; with a negative length the selection runs
    // backwards and the cursor ends at its lower end.
    void setSelection(int start, int length);
    void selectAll();
    void deselect();

    // Edits as the keys make them; each is a step of the undo history.
    void insert(const QString& text);
    void backspace();
    void del();
    void cut();
    void copy() const;
    void paste();
    // Replaces the characters from `start` to `end` with `text` as one step, the way assistive
    // technologies edit; the cursor ends after the new text.
    void replace(int start, int end, const QString& text);
    void undo();
    void redo();
    bool isUndoAvailable() const { return done_ > 0; }
    bool isRedoAvailable() const { return done_ < steps_.size(); }

    // Undo, redo, cut, copy, paste, delete and select all, as the right click offers them.
    QMenu* createStandardContextMenu();

    // Where the cursor is drawn, in widget coordinates.
    QRect cursorRect() const;
    // The text position nearest to a point of the widget.
    int positionAt(const QPoint& point) const;
    // The box of the character at `position` while it is shown, else an empty rectangle.
    QRect characterRect(int position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // What an undo step did; typing, backspacing and deleting in a row each grow one step.
    enum class StepKind { kOther, kTyping, kBackspace, kDelete };
    struct Step {
        int position = 0;  // where `removed` stood and `inserted` stands
        QString removed;
        QString inserted;
        int cursorBefore = 0;
        int anchorBefore = 0;
        StepKind kind = StepKind::kOther;
    };

    // Part of the shown text laid out from a display position; see DisplayText.
    struct Slice {
        int start = 0;
        int end = 0;
        std::unique_ptr<QTextLayout> layout;
        QTextLine Line() const { return layout->lineAt(0); }
        // The x of a display position inside the slice, from the slice's start.
        qreal X(int position) const { return Line().cursorToX(position - start); }
    };

    // The one edit of the text: replaces [from, to) with `with` as a step of `kind`, then
    // puts the cursor after the new text. Refused past kMaxLength.
    void Replace(int from, int to, const QString& with, StepKind kind);
    void ApplyStep(const Step& step, bool forward);
    void DropRedoSteps();
    void MoveCursor(int position, bool select);
    void SelectWordAt(int position);
    void InsertTyped(const QString& text);
    void Changed();
    void SelectionChanged();
    void CopyToSelectionClipboard() const;
    void CommitPreedit();
    bool WantsShortcut(QKeyEvent* event) const;
    void RestartBlinking();
    void StopBlinking();

    // The shown text is the text with the input method's preedit at the cursor.
    int DisplayLength() const;
    QString DisplayText(int start, int end) const;
    int ToDisplay(int position) const;
    int FromDisplay(int position) const;
    int CursorDisplay() const;

    void InitStyleOption(QStyleOptionFrame* option) const;
    QRect LineRect() const;
    Slice LayOut(int start, int end) const;
    Slice Shown(int width) const;
    // Moves the view as the toolkit's line edit does: the cursor always shows, and a text
    // that does not fit leaves no room after its end.
    void UpdateView() const;
    void AlignRight(int position, int x) const;
    QPointF TextOrigin(const Slice& slice) const;

    QString text_;
    int cursor_ = 0;
    int anchor_ = 0;

    QString preedit_;
    int preeditCursor_ = 0;
    bool preeditHidesCursor_ = false;
    QList<QTextLayout::FormatRange> preeditFormats_;

    // The view: the display position the laid-out part starts at and how many pixels of it
    // lie left of the line. Brought up to date whenever it is read.
    mutable int viewStart_ = 0;
    mutable int hscroll_ = 0;

    std::deque<Step> steps_;
    std::size_t done_ = 0;  // steps_[done_..] are undone and can be redone
    qsizetype stepCharacters_ = 0;
    bool separate_ = true;  // the next edit starts a step of its own

    QBasicTimer blinkTimer_;
    bool blinkOn_ = true;
    bool cursorVisible_ = false;
    QBasicTimer tripleClickTimer_;
    QPoint tripleClickPoint_;
};

}  // namespace rivo::app
