#pragma once
// The clipboard search field as a screen reader sees it: an editable one-line text, as Qt presents any line
// edit, except that it gives up the reader's focus while the arrows move through the list (the field keeps
// the keyboard for typing, but the reader is on the active row then: one focused element at a time).

#include <QAccessibleWidget>

class NotchClipboardSearchTextField;

class NotchClipboardSearchFieldAccessible : public QAccessibleWidget,
                                            public QAccessibleTextInterface,
                                            public QAccessibleEditableTextInterface {
public:
    explicit NotchClipboardSearchFieldAccessible(NotchClipboardSearchTextField *field);

    // Makes the field's interface for Qt's accessibility; installed once for the process.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    NotchClipboardSearchTextField *field() const;
};
