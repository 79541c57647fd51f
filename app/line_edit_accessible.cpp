#include "app/line_edit_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>

#include "app/line_edit.h"

namespace rivo::app {

namespace {

class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
  public:
    explicit LineEditAccessible(LineEdit* edit)
        : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return Edit()->text();
        return QAccessibleWidget::text(kind);
    }

    void setText(QAccessible::Text kind, const QString& text) override {
        if (kind != QAccessible::Value) {
            QAccessibleWidget::setText(kind, text);
            return;
        }
        Edit()->replace(0, characterCount(), text);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.selectableText = true;
        state.multiLine = false;
        return state;
    }

    // The text interface.
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }
    int cursorPosition() const override { return Edit()->cursorPosition(); }
    QRect characterRect(int offset) const override {
        const QRect box = Edit()->characterRect(offset);
        if (box.isEmpty()) return {};
        return {Edit()->mapToGlobal(box.topLeft()), box.size()};
    }
    int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = Edit()->mapFromGlobal(point);
        return Edit()->rect().contains(local) ? Edit()->positionAt(local) : -1;
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Edit()->hasSelectedText()) return;
        *startOffset = Edit()->selectionStart();
        *endOffset = Edit()->selectionEnd();
    }
    QString text(int startOffset, int endOffset) const override {
        const int count = characterCount();
        startOffset = std::clamp(startOffset, 0, count);
        endOffset = std::clamp(endOffset, startOffset, count);
        return Edit()->text().mid(startOffset, endOffset - startOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0) Edit()->deselect();
    }
    void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex != 0) return;
        Edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Edit()->text().size()); }
    void scrollToSubstring(int startIndex, int endIndex) override {
        Edit()->setCursorPosition(endIndex);
        Edit()->setCursorPosition(startIndex);
    }

    // The editable text interface: each change is one step of the edit's undo history.
    void deleteText(int startOffset, int endOffset) override {
        Edit()->replace(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString& text) override {
        Edit()->replace(offset, offset, text);
    }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        Edit()->replace(startOffset, endOffset, text);
    }

  private:
    LineEdit* Edit() const { return static_cast<LineEdit*>(object()); }
};

QAccessibleInterface* LineEditFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(LineEdit::staticMetaObject.className())) return nullptr;
    auto* edit = qobject_cast<LineEdit*>(object);
    return edit != nullptr ? new LineEditAccessible(edit) : nullptr;
}

}  // namespace

void InstallLineEditAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&LineEditFactory);
        return true;
    }();
    static_cast<void>(installed);
}

}  // namespace rivo::app
