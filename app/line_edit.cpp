#include "app/line_edit.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionFrame>
#include <QTextBoundaryFinder>
#include <QTextCharFormat>
#include <QTimerEvent>
#include <algorithm>
#include <limits>
#include <string_view>

#include "app/line_edit_accessible.h"

namespace rivo::app {

namespace {

// The margins the toolkit's line edit keeps around its text inside the style's contents box.
constexpr int kHorizontalMargin = 2;
// A view is laid out from this many characters, doubled while they do not fill the line, up to
// the cap: a long run of zero-width characters shows only that much.
constexpr int kSliceCharacters = 256;
constexpr int kSliceCap = 1 << 14;
// Characters before the view are laid out too: their glyphs reach into the left margin.
constexpr int kLeadCharacters = 8;
// The undo history keeps at most this many steps and, besides the newest step, this many
// characters of removed and inserted text.
constexpr std::size_t kUndoSteps = 1000;
constexpr qsizetype kUndoCharacters = qsizetype{1} << 21;
// An input method sees this many characters on each side of the cursor.
constexpr int kSurroundingCharacters = 1024;
// Positions are ints; a text may grow to this length, far beyond anything the pipeline takes.
constexpr qsizetype kMaxLength = std::numeric_limits<int>::max() / 2;
// Grapheme boundaries are found in a window of this many characters around a position.
constexpr int kGraphemeWindow = 64;

int Length(const QString& text) {
    return static_cast<int>(text.size());
}

// Where a word move stops, as the toolkit's text layout decides it.
bool IsWordSeparator(QChar c) {
    static constexpr std::u16string_view kSeparators = u".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\";
    return kSeparators.find(c.unicode()) != std::u16string_view::npos;
}

// A run of separators or of other non-blank characters, then the blanks after it.
int NextWordPosition(const QString& text, int position) {
    const int length = Length(text);
    if (position >= length) return length;
    if (IsWordSeparator(text[position])) {
        while (position < length && IsWordSeparator(text[position]))
            ++position;
    } else {
        while (position < length && !text[position].isSpace() && !IsWordSeparator(text[position]))
            ++position;
    }
    while (position < length && text[position].isSpace())
        ++position;
    return position;
}

int PreviousWordPosition(const QString& text, int position) {
    while (position > 0 && text[position - 1].isSpace())
        --position;
    if (position > 0 && IsWordSeparator(text[position - 1])) {
        while (position > 0 && IsWordSeparator(text[position - 1]))
            --position;
    } else {
        while (position > 0 && !text[position - 1].isSpace() &&
               !IsWordSeparator(text[position - 1]))
            --position;
    }
    return position;
}

// The grapheme boundary next to `position`, looked for in a window around it: a cluster longer
// than the window is split at the window's edge, which is harmless.
int GraphemeBoundary(const QString& text, int position, bool forward) {
    const int length = Length(text);
    const int from = std::max(0, position - kGraphemeWindow);
    const int to = std::min(length, position + kGraphemeWindow);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.constData() + from, to - from);
    finder.setPosition(position - from);
    const qsizetype found = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    if (found < 0) return forward ? to : from;
    return from + static_cast<int>(found);
}

// A position moved off the low half of a surrogate pair.
int NotInsidePair(const QString& text, int position) {
    if (position > 0 && position < Length(text) && text[position].isLowSurrogate() &&
        text[position - 1].isHighSurrogate()) {
        return position - 1;
    }
    return position;
}

// What the toolkit takes as typed text: printable, not a Control chord.
bool IsTypedText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format) return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    if (first.isPrint() || first.category() == QChar::Other_PrivateUse) return true;
    return first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate();
}

// Whether Left and Right first collapse a selection to its end, as the X11 and macOS key schemes
// have it, or move the cursor from where it is, as the Windows scheme has it. The toolkit tells
// its scheme only through its key bindings, and only Windows has none to delete to the end of
// the line.
bool CollapsesSelection() {
    return !QKeySequence::keyBindings(QKeySequence::DeleteEndOfLine).isEmpty();
}

QString WithShortcut(const QString& text, QKeySequence::StandardKey key) {
    const QKeySequence sequence(key);
    if (sequence.isEmpty()) return text;
    return text + QLatin1Char('\t') + sequence.toString(QKeySequence::NativeText);
}

}  // namespace

LineEdit::LineEdit(const QString& text, QWidget* parent)
    : QWidget(parent), text_(text.left(kMaxLength)), cursor_(Length(text_)), anchor_(cursor_) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_KeyCompression);
    setAttribute(Qt::WA_MacShowFocusRect);
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::LineEdit));
    setBackgroundRole(QPalette::Base);
    setAcceptDrops(true);
    setCursor(Qt::IBeamCursor);
    InstallLineEditAccessibility();
}

LineEdit::~LineEdit() = default;

void LineEdit::setText(const QString& text) {
    const QString old = text_;
    // A composition in progress belongs to the old text: the input method drops it.
    if (!preedit_.isEmpty() && hasFocus()) QGuiApplication::inputMethod()->reset();
    preedit_.clear();
    text_ = text.left(kMaxLength);
    steps_.clear();
    done_ = 0;
    stepCharacters_ = 0;
    separate_ = true;
    cursor_ = anchor_ = Length(text_);
    viewStart_ = 0;
    hscroll_ = 0;
    if (QAccessible::isActive() && old != text_) {
        QAccessibleTextUpdateEvent updated(this, 0, old, text_);
        updated.setCursorPosition(cursor_);
        QAccessible::updateAccessibility(&updated);
    }
    Changed();
}

void LineEdit::setCursorPosition(int position) {
    MoveCursor(std::clamp(position, 0, Length(text_)), false);
}

QString LineEdit::selectedText() const {
    if (!hasSelectedText()) return {};
    return text_.mid(selectionStart(), selectionEnd() - selectionStart());
}

int LineEdit::selectionStart() const {
    return hasSelectedText() ? std::min(anchor_, cursor_) : -1;
}

int LineEdit::selectionEnd() const {
    return hasSelectedText() ? std::max(anchor_, cursor_) : -1;
}

void LineEdit::setSelection(int start, int length) {
    const int size = Length(text_);
    if (start < 0 || start > size) return;
    const qint64 end = std::clamp<qint64>(qint64{start} + length, 0, size);
    MoveCursor(start, false);
    MoveCursor(static_cast<int>(end), true);
}

void LineEdit::selectAll() {
    MoveCursor(0, false);
    MoveCursor(Length(text_), true);
}

void LineEdit::deselect() {
    MoveCursor(cursor_, false);
}

void LineEdit::insert(const QString& text) {
    CommitPreedit();
    separate_ = true;
    if (hasSelectedText()) {
        Replace(selectionStart(), selectionEnd(), text, StepKind::kOther);
    } else if (!text.isEmpty()) {
        Replace(cursor_, cursor_, text, StepKind::kOther);
    }
    separate_ = true;
}

void LineEdit::backspace() {
    if (hasSelectedText()) {
        Replace(selectionStart(), selectionEnd(), {}, StepKind::kOther);
    } else if (cursor_ > 0) {
        // A surrogate pair goes as a whole; a combining mark goes alone, so that a typo in an
        // accent is taken back without its letter.
        Replace(NotInsidePair(text_, cursor_ - 1), cursor_, {}, StepKind::kBackspace);
    }
}

void LineEdit::del() {
    if (hasSelectedText()) {
        Replace(selectionStart(), selectionEnd(), {}, StepKind::kOther);
    } else if (cursor_ < Length(text_)) {
        Replace(cursor_, GraphemeBoundary(text_, cursor_, true), {}, StepKind::kDelete);
    }
}

void LineEdit::cut() {
    if (!hasSelectedText()) return;
    copy();
    separate_ = true;
    del();
    separate_ = true;
}

void LineEdit::copy() const {
    if (hasSelectedText()) QGuiApplication::clipboard()->setText(selectedText());
}

void LineEdit::paste() {
    const QString pasted = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    if (!pasted.isEmpty() || hasSelectedText()) insert(pasted);
}

void LineEdit::replace(int start, int end, const QString& text) {
    const int size = Length(text_);
    start = std::clamp(start, 0, size);
    end = std::clamp(end, start, size);
    CommitPreedit();
    separate_ = true;
    if (end > start || !text.isEmpty()) Replace(start, end, text, StepKind::kOther);
    separate_ = true;
}

void LineEdit::undo() {
    CommitPreedit();
    if (done_ == 0) return;
    --done_;
    ApplyStep(steps_[done_], false);
    separate_ = true;
}

void LineEdit::redo() {
    CommitPreedit();
    if (done_ == steps_.size()) return;
    ApplyStep(steps_[done_], true);
    ++done_;
    separate_ = true;
}

void LineEdit::Replace(int from, int to, const QString& with, StepKind kind) {
    if (text_.size() - (to - from) + with.size() > kMaxLength) return;
    const QString removed = text_.mid(from, to - from);
    DropRedoSteps();
    Step* last = steps_.empty() ? nullptr : &steps_.back();
    const bool grows =
        last != nullptr && !separate_ && kind != StepKind::kOther && last->kind == kind &&
        ((kind == StepKind::kTyping && from == to &&
          last->position + Length(last->inserted) == from) ||
         (kind == StepKind::kBackspace && last->inserted.isEmpty() && to == last->position) ||
         (kind == StepKind::kDelete && last->inserted.isEmpty() && from == last->position));
    if (grows) {
        if (kind == StepKind::kTyping) {
            last->inserted += with;
        } else if (kind == StepKind::kBackspace) {
            last->removed.prepend(removed);
            last->position = from;
        } else {
            last->removed += removed;
        }
    } else {
        steps_.push_back(Step{from, removed, with, cursor_, anchor_, kind});
        ++done_;
    }
    stepCharacters_ += removed.size() + with.size();
    while (steps_.size() > kUndoSteps || (steps_.size() > 1 && stepCharacters_ > kUndoCharacters)) {
        stepCharacters_ -= steps_.front().removed.size() + steps_.front().inserted.size();
        steps_.pop_front();
        --done_;
    }
    separate_ = false;

    const bool hadSelection = hasSelectedText();
    text_.replace(from, to - from, with);
    cursor_ = anchor_ = from + Length(with);
    if (QAccessible::isActive()) {
        if (!removed.isEmpty() && !with.isEmpty()) {
            QAccessibleTextUpdateEvent updated(this, from, removed, with);
            updated.setCursorPosition(cursor_);
            QAccessible::updateAccessibility(&updated);
        } else if (!removed.isEmpty()) {
            QAccessibleTextRemoveEvent removal(this, from, removed);
            removal.setCursorPosition(cursor_);
            QAccessible::updateAccessibility(&removal);
        } else {
            QAccessibleTextInsertEvent insertion(this, from, with);
            insertion.setCursorPosition(cursor_);
            QAccessible::updateAccessibility(&insertion);
        }
    }
    if (hadSelection) SelectionChanged();
    Changed();
}

void LineEdit::ApplyStep(const Step& step, bool forward) {
    const QString& out = forward ? step.removed : step.inserted;
    const QString& in = forward ? step.inserted : step.removed;
    text_.replace(step.position, out.size(), in);
    if (forward) {
        cursor_ = anchor_ = step.position + Length(in);
    } else {
        cursor_ = step.cursorBefore;
        anchor_ = step.anchorBefore;
    }
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent updated(this, step.position, out, in);
        updated.setCursorPosition(cursor_);
        QAccessible::updateAccessibility(&updated);
    }
    SelectionChanged();
    Changed();
}

void LineEdit::DropRedoSteps() {
    while (steps_.size() > done_) {
        stepCharacters_ -= steps_.back().removed.size() + steps_.back().inserted.size();
        steps_.pop_back();
    }
}

void LineEdit::MoveCursor(int position, bool select) {
    CommitPreedit();
    if (position != cursor_) separate_ = true;
    const bool hadSelection = hasSelectedText();
    cursor_ = position;
    if (!select) anchor_ = position;
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, cursor_);
        QAccessible::updateAccessibility(&moved);
    }
    if (hadSelection || hasSelectedText()) SelectionChanged();
    update();
    updateMicroFocus();
}

void LineEdit::SelectWordAt(int position) {
    const int size = Length(text_);
    const int start = PreviousWordPosition(text_, std::min(position + 1, size));
    int end = NextWordPosition(text_, start);
    while (end > position && end > start && text_[end - 1].isSpace())
        --end;
    MoveCursor(start, false);
    MoveCursor(end, true);
}

void LineEdit::InsertTyped(const QString& text) {
    if (hasSelectedText()) {
        separate_ = true;
        Replace(selectionStart(), selectionEnd(), text, StepKind::kTyping);
    } else {
        Replace(cursor_, cursor_, text, StepKind::kTyping);
    }
}

void LineEdit::Changed() {
    update();
    updateMicroFocus();
}

void LineEdit::SelectionChanged() {
    // As in the toolkit's edit: beside a selection the cursor shows where the style wants it
    // there, focused or not; without one, while the edit has the focus.
    if (preedit_.isEmpty()) {
        QStyleOptionFrame option;
        InitStyleOption(&option);
        cursorVisible_ =
            hasSelectedText()
                ? style()->styleHint(QStyle::SH_BlinkCursorWhenTextSelected, &option, this) != 0
                : hasFocus();
    }
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent selected(this, std::max(0, selectionStart()),
                                               std::max(0, selectionEnd()));
        selected.setCursorPosition(cursor_);
        QAccessible::updateAccessibility(&selected);
    }
}

void LineEdit::CopyToSelectionClipboard() const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelectedText() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void LineEdit::CommitPreedit() {
    if (preedit_.isEmpty()) return;
    QGuiApplication::inputMethod()->commit();
    // An input method that kept its preedit loses it here: the edit goes on without it.
    preedit_.clear();
    preeditFormats_.clear();
    preeditHidesCursor_ = false;
    update();
}

// --- Keys

bool LineEdit::WantsShortcut(QKeyEvent* event) const {
    if (event->matches(QKeySequence::Copy)) return hasSelectedText();
    for (const QKeySequence::StandardKey key : {QKeySequence::Paste,
                                                QKeySequence::Cut,
                                                QKeySequence::Undo,
                                                QKeySequence::Redo,
                                                QKeySequence::SelectAll,
                                                QKeySequence::MoveToNextWord,
                                                QKeySequence::MoveToPreviousWord,
                                                QKeySequence::MoveToStartOfLine,
                                                QKeySequence::MoveToEndOfLine,
                                                QKeySequence::MoveToStartOfDocument,
                                                QKeySequence::MoveToEndOfDocument,
                                                QKeySequence::SelectNextWord,
                                                QKeySequence::SelectPreviousWord,
                                                QKeySequence::SelectStartOfLine,
                                                QKeySequence::SelectEndOfLine,
                                                QKeySequence::SelectStartOfDocument,
                                                QKeySequence::SelectEndOfDocument,
                                                QKeySequence::DeleteStartOfWord,
                                                QKeySequence::DeleteEndOfWord,
                                                QKeySequence::DeleteEndOfLine,
                                                QKeySequence::DeleteCompleteLine}) {
        if (event->matches(key)) return true;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier) return false;
    if (event->key() < Qt::Key_Escape) return true;
    switch (event->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Left:
        case Qt::Key_Right:
            return true;
        default:
            return false;
    }
}

void LineEdit::keyPressEvent(QKeyEvent* event) {
    const int size = Length(text_);
    const auto is = [event](QKeySequence::StandardKey key) { return event->matches(key); };
    // Return and Enter belong to the window, which has no default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    if (is(QKeySequence::Undo)) {
        undo();
    } else if (is(QKeySequence::Redo)) {
        redo();
    } else if (is(QKeySequence::SelectAll)) {
        selectAll();
    } else if (is(QKeySequence::Copy)) {
        copy();
    } else if (is(QKeySequence::Paste)) {
        paste();
    } else if (is(QKeySequence::Cut)) {
        cut();
    } else if (is(QKeySequence::DeleteEndOfLine)) {
        MoveCursor(cursor_, false);
        MoveCursor(size, true);
        cut();
    } else if (is(QKeySequence::DeleteCompleteLine)) {
        selectAll();
        cut();
    } else if (is(QKeySequence::MoveToStartOfLine) || is(QKeySequence::MoveToStartOfBlock) ||
               is(QKeySequence::MoveToStartOfDocument)) {
        MoveCursor(0, false);
    } else if (is(QKeySequence::MoveToEndOfLine) || is(QKeySequence::MoveToEndOfBlock) ||
               is(QKeySequence::MoveToEndOfDocument)) {
        MoveCursor(size, false);
    } else if (is(QKeySequence::SelectStartOfLine) || is(QKeySequence::SelectStartOfBlock) ||
               is(QKeySequence::SelectStartOfDocument)) {
        MoveCursor(0, true);
    } else if (is(QKeySequence::SelectEndOfLine) || is(QKeySequence::SelectEndOfBlock) ||
               is(QKeySequence::SelectEndOfDocument)) {
        MoveCursor(size, true);
    } else if (is(QKeySequence::MoveToNextChar)) {
        MoveCursor(hasSelectedText() && CollapsesSelection()
                       ? selectionEnd()
                       : GraphemeBoundary(text_, cursor_, true),
                   false);
    } else if (is(QKeySequence::MoveToPreviousChar)) {
        MoveCursor(hasSelectedText() && CollapsesSelection()
                       ? selectionStart()
                       : GraphemeBoundary(text_, cursor_, false),
                   false);
    } else if (is(QKeySequence::SelectNextChar)) {
        MoveCursor(GraphemeBoundary(text_, cursor_, true), true);
    } else if (is(QKeySequence::SelectPreviousChar)) {
        MoveCursor(GraphemeBoundary(text_, cursor_, false), true);
    } else if (is(QKeySequence::MoveToNextWord)) {
        MoveCursor(NextWordPosition(text_, cursor_), false);
    } else if (is(QKeySequence::MoveToPreviousWord)) {
        MoveCursor(PreviousWordPosition(text_, cursor_), false);
    } else if (is(QKeySequence::SelectNextWord)) {
        MoveCursor(NextWordPosition(text_, cursor_), true);
    } else if (is(QKeySequence::SelectPreviousWord)) {
        MoveCursor(PreviousWordPosition(text_, cursor_), true);
    } else if (is(QKeySequence::Delete)) {
        del();
    } else if (is(QKeySequence::DeleteEndOfWord)) {
        MoveCursor(NextWordPosition(text_, cursor_), true);
        separate_ = true;
        del();
    } else if (is(QKeySequence::DeleteStartOfWord)) {
        MoveCursor(PreviousWordPosition(text_, cursor_), true);
        separate_ = true;
        if (hasSelectedText()) del();
    } else if (event->key() == Qt::Key_Backspace &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        backspace();
    } else if (IsTypedText(event)) {
        InsertTyped(event->text());
    } else {
        event->ignore();
        return;
    }
    CopyToSelectionClipboard();
    RestartBlinking();
    event->accept();
}

// --- Mouse, focus, drops

void LineEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->ignore();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    if (tripleClickTimer_.isActive() &&
        (point - tripleClickPoint_).manhattanLength() < QApplication::startDragDistance()) {
        selectAll();
        return;
    }
    MoveCursor(positionAt(point), event->modifiers() & Qt::ShiftModifier);
}

void LineEdit::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        MoveCursor(positionAt(event->position().toPoint()), true);
}

void LineEdit::mouseReleaseEvent(QMouseEvent* event) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) return;
    if (event->button() == Qt::LeftButton) {
        CopyToSelectionClipboard();
    } else if (event->button() == Qt::MiddleButton) {
        deselect();
        const QString pasted = clipboard->text(QClipboard::Selection);
        if (!pasted.isEmpty()) insert(pasted);
    }
}

void LineEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    SelectWordAt(positionAt(event->position().toPoint()));
    tripleClickTimer_.start(QApplication::doubleClickInterval(), this);
    tripleClickPoint_ = event->position().toPoint();
}

void LineEdit::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
         reason == Qt::ShortcutFocusReason) &&
        !hasSelectedText()) {
        selectAll();
    }
    RestartBlinking();
    QStyleOptionFrame option;
    InitStyleOption(&option);
    if ((!hasSelectedText() && preedit_.isEmpty()) ||
        style()->styleHint(QStyle::SH_BlinkCursorWhenTextSelected, &option, this)) {
        cursorVisible_ = true;
    }
    update();
    QWidget::focusInEvent(event);
}

void LineEdit::focusOutEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) deselect();
    StopBlinking();
    cursorVisible_ = false;
    update();
    QWidget::focusOutEvent(event);
}

void LineEdit::contextMenuEvent(QContextMenuEvent* event) {
    if (!preedit_.isEmpty()) return;
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu* LineEdit::createStandardContextMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("qt_edit_menu"));
    const auto add = [this, menu](const QString& text, const char* name, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(WithShortcut(tr("&Undo"), QKeySequence::Undo), "edit-undo", isUndoAvailable(),
        [this] { undo(); });
    add(WithShortcut(tr("&Redo"), QKeySequence::Redo), "edit-redo", isRedoAvailable(),
        [this] { redo(); });
    menu->addSeparator();
    add(WithShortcut(tr("Cu&t"), QKeySequence::Cut), "edit-cut", hasSelectedText(),
        [this] { cut(); });
    add(WithShortcut(tr("&Copy"), QKeySequence::Copy), "edit-copy", hasSelectedText(),
        [this] { copy(); });
    add(WithShortcut(tr("&Paste"), QKeySequence::Paste), "edit-paste",
        !QGuiApplication::clipboard()->text().isEmpty(), [this] { paste(); });
    add(tr("Delete"), "edit-delete", hasSelectedText(), [this] {
        separate_ = true;
        del();
        separate_ = true;
    });
    menu->addSeparator();
    const bool allSelected = selectionStart() == 0 && selectionEnd() == Length(text_);
    add(WithShortcut(tr("Select All"), QKeySequence::SelectAll), "select-all",
        !text_.isEmpty() && !allSelected, [this] { selectAll(); });
    return menu;
}

void LineEdit::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void LineEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasText()) return;
    event->acceptProposedAction();
    MoveCursor(positionAt(event->position().toPoint()), false);
    cursorVisible_ = true;
    update();
}

void LineEdit::dragLeaveEvent(QDragLeaveEvent*) {
    cursorVisible_ = hasFocus() && !hasSelectedText();
    update();
}

void LineEdit::dropEvent(QDropEvent* event) {
    const QString dropped = event->mimeData()->text();
    if (dropped.isEmpty()) {
        event->ignore();
        return;
    }
    MoveCursor(positionAt(event->position().toPoint()), false);
    event->acceptProposedAction();
    insert(dropped);
}

// --- Input methods

void LineEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString& commit = event->commitString();
    const bool input =
        !commit.isEmpty() || event->preeditString() != preedit_ || event->replacementLength() > 0;
    // The preedit is shown, not edited: it is dropped and remade from the event.
    preedit_.clear();
    if (input && hasSelectedText()) {
        separate_ = true;
        Replace(selectionStart(), selectionEnd(), {}, StepKind::kOther);
    }
    const int size = Length(text_);
    const int from = std::clamp(cursor_ + event->replacementStart(), 0, size);
    const int to = std::clamp(from + event->replacementLength(), from, size);
    if (!commit.isEmpty() || to > from) {
        if (commit.size() == 1 && to == from) {
            InsertTyped(commit);
        } else {
            separate_ = true;
            Replace(from, to, commit, StepKind::kOther);
        }
    }
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type != QInputMethodEvent::Selection) continue;
        const int start = std::clamp(attribute.start, 0, Length(text_));
        MoveCursor(start, false);
        MoveCursor(std::clamp(attribute.start + attribute.length, 0, Length(text_)), true);
    }
    preedit_ = event->preeditString();
    preeditCursor_ = Length(preedit_);
    preeditHidesCursor_ = false;
    preeditFormats_.clear();
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = std::clamp(attribute.start, 0, Length(preedit_));
            preeditHidesCursor_ = attribute.length == 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format =
                qvariant_cast<QTextFormat>(attribute.value).toCharFormat();
            if (format.isValid())
                preeditFormats_.append({attribute.start, attribute.length, format});
        }
    }
    update();
    updateMicroFocus();
}

QVariant LineEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    // Input methods ask for the text around the cursor at every key; they get a window of it.
    const int size = Length(text_);
    const int first = NotInsidePair(text_, std::max(0, cursor_ - kSurroundingCharacters));
    const int last = NotInsidePair(text_, std::min(size, cursor_ + kSurroundingCharacters));
    switch (query) {
        case Qt::ImEnabled:
            return isEnabled();
        case Qt::ImCursorRectangle:
            return cursorRect();
        case Qt::ImAnchorRectangle:
            return cursorRect();
        case Qt::ImFont:
            return font();
        case Qt::ImCursorPosition:
            return cursor_ - first;
        case Qt::ImAnchorPosition:
            return std::clamp(anchor_, first, last) - first;
        case Qt::ImSurroundingText:
            return text_.mid(first, last - first);
        case Qt::ImCurrentSelection: {
            if (!hasSelectedText()) return QString();
            const int start = std::clamp(selectionStart(), first, last);
            return text_.mid(start, std::clamp(selectionEnd(), first, last) - start);
        }
        case Qt::ImTextBeforeCursor:
            return text_.mid(first, cursor_ - first);
        case Qt::ImTextAfterCursor:
            return text_.mid(cursor_, last - cursor_);
        case Qt::ImAbsolutePosition:
            return cursor_;
        case Qt::ImMaximumTextLength:
            return QVariant();
        case Qt::ImReadOnly:
            return false;
        default:
            return QWidget::inputMethodQuery(query);
    }
}

// --- Events, blinking

bool LineEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (WantsShortcut(key)) key->accept();
    } else if (event->type() == QEvent::ContextMenu && !preedit_.isEmpty()) {
        return true;
    }
    return QWidget::event(event);
}

void LineEdit::timerEvent(QTimerEvent* event) {
    if (event->timerId() == blinkTimer_.timerId()) {
        blinkOn_ = !blinkOn_;
        update(cursorRect());
    } else if (event->timerId() == tripleClickTimer_.timerId()) {
        tripleClickTimer_.stop();
    } else {
        QWidget::timerEvent(event);
    }
}

void LineEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::FontChange ||
        event->type() == QEvent::StyleChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void LineEdit::RestartBlinking() {
    blinkOn_ = true;
    blinkTimer_.stop();
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flashTime >= 2) blinkTimer_.start(flashTime / 2, this);
    update();
}

void LineEdit::StopBlinking() {
    blinkTimer_.stop();
    blinkOn_ = true;
}

// --- The shown text and its view

int LineEdit::DisplayLength() const {
    return Length(text_) + Length(preedit_);
}

QString LineEdit::DisplayText(int start, int end) const {
    const int composed = Length(preedit_);
    QString shown;
    shown.reserve(end - start);
    const auto take = [&](const QString& from, int first, int last, int offset) {
        if (last > first) shown += QStringView(from).mid(first - offset, last - first);
    };
    take(text_, start, std::min(end, cursor_), 0);
    take(preedit_, std::max(start, cursor_), std::min(end, cursor_ + composed), cursor_);
    take(text_, std::max(start, cursor_ + composed), end, composed);
    // Control characters would show as boxes; they show as blanks, as the toolkit's edit does.
    for (QChar& c : shown) {
        if ((c.unicode() < 0x20 && c.unicode() != 0x09) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = QLatin1Char(' ');
        }
    }
    return shown;
}

int LineEdit::ToDisplay(int position) const {
    return position <= cursor_ ? position : position + Length(preedit_);
}

int LineEdit::FromDisplay(int position) const {
    if (position <= cursor_) return position;
    const int composed = Length(preedit_);
    return position < cursor_ + composed ? cursor_ : position - composed;
}

int LineEdit::CursorDisplay() const {
    return cursor_ + (preedit_.isEmpty() ? 0 : preeditCursor_);
}

void LineEdit::InitStyleOption(QStyleOptionFrame* option) const {
    option->initFrom(this);
    option->rect = contentsRect();
    option->lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, option, this);
    option->midLineWidth = 0;
    option->state |= QStyle::State_Sunken;
    option->features = QStyleOptionFrame::None;
}

QRect LineEdit::LineRect() const {
    QStyleOptionFrame option;
    InitStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int height = fontMetrics().height();
    const int top = contents.y() + (contents.height() - height + 1) / 2;
    return {contents.x() + kHorizontalMargin, top, contents.width() - 2 * kHorizontalMargin,
            height};
}

LineEdit::Slice LineEdit::LayOut(int start, int end) const {
    Slice slice;
    slice.start = start;
    slice.end = end;
    slice.layout = std::make_unique<QTextLayout>(DisplayText(start, end), font());
    QTextOption option;
    option.setTextDirection(layoutDirection());
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    slice.layout->setTextOption(option);
    if (!preedit_.isEmpty()) {
        QList<QTextLayout::FormatRange> formats;
        for (QTextLayout::FormatRange range : preeditFormats_) {
            const int first = std::max(cursor_ + range.start, start);
            const int last = std::min(cursor_ + range.start + range.length, end);
            if (last <= first) continue;
            range.start = first - start;
            range.length = last - first;
            formats.append(range);
        }
        slice.layout->setFormats(formats);
    }
    slice.layout->beginLayout();
    slice.layout->createLine();
    slice.layout->endLayout();
    return slice;
}

LineEdit::Slice LineEdit::Shown(int width) const {
    const int length = DisplayLength();
    int lead = std::max(0, viewStart_ - kLeadCharacters);
    if (preedit_.isEmpty()) lead = NotInsidePair(text_, lead);
    for (int characters = kSliceCharacters;; characters *= 2) {
        const int end = characters >= length - viewStart_ ? length : viewStart_ + characters;
        Slice slice = LayOut(lead, end);
        const qreal shown = slice.Line().naturalTextWidth() - slice.X(viewStart_);
        if (end == length || shown >= hscroll_ + width + 2 * kHorizontalMargin ||
            characters >= kSliceCap) {
            return slice;
        }
    }
}

void LineEdit::UpdateView() const {
    const int width = LineRect().width();
    const int length = DisplayLength();
    const int cursor = CursorDisplay();
    viewStart_ = std::min(viewStart_, length);
    if (preedit_.isEmpty()) viewStart_ = NotInsidePair(text_, viewStart_);
    // A text that fits starts at the left edge.
    if (length <= kSliceCharacters) {
        const Slice all = LayOut(0, length);
        if (qRound(all.Line().naturalTextWidth()) + 1 <= width) {
            viewStart_ = 0;
            hscroll_ = 0;
            return;
        }
    }
    if (cursor < viewStart_) {
        viewStart_ = cursor;
        hscroll_ = 0;
        return;
    }
    const Slice shown = Shown(width);
    // x from the view's start, as the toolkit rounds it.
    const auto x = [&](int position) { return qRound(shown.X(position) - shown.X(viewStart_)); };
    if (cursor > shown.end || x(cursor) - hscroll_ >= width) {
        AlignRight(cursor, width - 1);
    } else if (x(cursor) - hscroll_ < 0) {
        viewStart_ = cursor;
        hscroll_ = 0;
    } else if (shown.end == length && x(length) + 1 - hscroll_ < width) {
        AlignRight(length, width - 2);
    }
}

void LineEdit::AlignRight(int position, int x) const {
    for (int characters = kSliceCharacters;; characters *= 2) {
        int from = characters >= position ? 0 : position - characters;
        if (preedit_.isEmpty()) from = NotInsidePair(text_, from);
        const Slice slice = LayOut(from, position);
        const qreal right = slice.X(position);
        if (right >= x) {
            const int start =
                from + slice.Line().xToCursor(right - x, QTextLine::CursorOnCharacter);
            viewStart_ = start;
            hscroll_ = std::max(0, qRound(right - slice.X(start)) - x);
            return;
        }
        if (from == 0 || characters >= kSliceCap) {
            viewStart_ = from;
            hscroll_ = 0;
            return;
        }
    }
}

QPointF LineEdit::TextOrigin(const Slice& slice) const {
    const QRect line = LineRect();
    // Keeps the baseline where a line in the widget's own font has it.
    const int rise = qRound(slice.Line().ascent()) - fontMetrics().ascent();
    return QPointF(line.topLeft()) - QPointF(hscroll_ + slice.X(viewStart_), rise);
}

void LineEdit::paintEvent(QPaintEvent*) {
    UpdateView();
    QPainter painter(this);
    QStyleOptionFrame option;
    InitStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    painter.setClipRect(contents);

    const Slice shown = Shown(LineRect().width());
    const QPointF origin = TextOrigin(shown);
    const QPalette& colours = palette();
    painter.setPen(colours.text().color());
    QList<QTextLayout::FormatRange> selections;
    if (hasSelectedText()) {
        const int first = std::max(ToDisplay(selectionStart()), shown.start);
        const int last = std::min(ToDisplay(selectionEnd()), shown.end);
        if (last > first) {
            QTextLayout::FormatRange range;
            range.start = first - shown.start;
            range.length = last - first;
            range.format.setBackground(colours.brush(QPalette::Highlight));
            range.format.setForeground(colours.brush(QPalette::HighlightedText));
            selections.append(range);
        }
    }
    shown.layout->draw(&painter, origin, selections, contents);
    const int cursor = CursorDisplay();
    if (cursorVisible_ && blinkOn_ && !preeditHidesCursor_ && cursor >= shown.start &&
        cursor <= shown.end) {
        shown.layout->drawCursor(&painter, origin, cursor - shown.start,
                                 style()->pixelMetric(QStyle::PM_TextCursorWidth, &option, this));
    }
}

QRect LineEdit::cursorRect() const {
    UpdateView();
    const QRect line = LineRect();
    const Slice shown = Shown(line.width());
    const int cursor = std::clamp(CursorDisplay(), shown.start, shown.end);
    const QPointF origin = TextOrigin(shown);
    const int x = qRound(origin.x() + shown.X(cursor));
    QStyleOptionFrame option;
    InitStyleOption(&option);
    const int width = style()->pixelMetric(QStyle::PM_TextCursorWidth, &option, this);
    return {x - 5, qRound(origin.y()), width + 9, static_cast<int>(shown.Line().height()) + 1};
}

int LineEdit::positionAt(const QPoint& point) const {
    UpdateView();
    const QRect line = LineRect();
    const Slice shown = Shown(line.width());
    const qreal x = point.x() - TextOrigin(shown).x();
    return FromDisplay(shown.start + shown.Line().xToCursor(x));
}

QRect LineEdit::characterRect(int position) const {
    UpdateView();
    const QRect line = LineRect();
    const Slice shown = Shown(line.width());
    const int display = ToDisplay(position);
    if (position < 0 || position >= Length(text_) || display < shown.start ||
        display >= shown.end) {
        return {};
    }
    const QPointF origin = TextOrigin(shown);
    const int next = GraphemeBoundary(text_, position, true);
    const int left = qRound(origin.x() + shown.X(display));
    const int right = qRound(origin.x() + shown.X(std::min(ToDisplay(next), shown.end)));
    const int top = qRound(origin.y());
    return QRect(QPoint(std::min(left, right), top),
                 QPoint(std::max(left, right) - 1, top + line.height() - 1));
}

QSize LineEdit::sizeHint() const {
    ensurePolished();
    const QFontMetrics metrics(font());
    const int height = std::max(metrics.height(), 14) + 2;
    const int width = metrics.horizontalAdvance(QLatin1Char('x')) * 17 + 2 * kHorizontalMargin;
    QStyleOptionFrame option;
    InitStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(width, height), this);
}

QSize LineEdit::minimumSizeHint() const {
    ensurePolished();
    const QFontMetrics metrics(font());
    const int height = metrics.height() + std::max(2, metrics.leading());
    const int width = metrics.maxWidth();
    QStyleOptionFrame option;
    InitStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(width, height), this);
}

}  // namespace rivo::app
