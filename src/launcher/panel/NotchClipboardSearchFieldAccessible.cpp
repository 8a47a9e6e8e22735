#include "launcher/panel/NotchClipboardSearchFieldAccessible.h"

#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "ui/AccessibleFactory.h"

#include <QFontMetrics>

NotchClipboardSearchFieldAccessible::NotchClipboardSearchFieldAccessible(NotchClipboardSearchTextField *field)
    : QAccessibleWidget(field, QAccessible::EditableText)
{
}

QAccessibleInterface *NotchClipboardSearchFieldAccessible::factory(const QString &className, QObject *object)
{
    return accessibleInterfaceFor<NotchClipboardSearchFieldAccessible, NotchClipboardSearchTextField>(
        QLatin1String("NotchClipboardSearchTextField"), className, object);
}

NotchClipboardSearchTextField *NotchClipboardSearchFieldAccessible::field() const
{
    return static_cast<NotchClipboardSearchTextField *>(widget());
}

QString NotchClipboardSearchFieldAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Value ? field()->text() : QAccessibleWidget::text(t);
}

void NotchClipboardSearchFieldAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value)
        field()->setText(text);
    else
        QAccessibleWidget::setText(t, text);
}

QAccessible::State NotchClipboardSearchFieldAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !field()->isReadOnly();
    state.readOnly = field()->isReadOnly();
    state.selectableText = true;
    state.focused = state.focused && !(field()->isListNavigated && field()->isListNavigated());
    return state;
}

void *NotchClipboardSearchFieldAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void NotchClipboardSearchFieldAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !field()->hasSelectedText())
        return;
    *startOffset = field()->selectionStart();
    *endOffset = field()->selectionEnd();
}

int NotchClipboardSearchFieldAccessible::selectionCount() const
{
    return field()->hasSelectedText() ? 1 : 0;
}

void NotchClipboardSearchFieldAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void NotchClipboardSearchFieldAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        field()->deselect();
}

void NotchClipboardSearchFieldAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        field()->setSelection(startOffset, endOffset - startOffset);
}

int NotchClipboardSearchFieldAccessible::cursorPosition() const
{
    return field()->cursorPosition();
}

void NotchClipboardSearchFieldAccessible::setCursorPosition(int position)
{
    field()->setCursorPosition(position);
}

QString NotchClipboardSearchFieldAccessible::text(int startOffset, int endOffset) const
{
    return field()->text().mid(startOffset, endOffset - startOffset);
}

int NotchClipboardSearchFieldAccessible::characterCount() const
{
    return int(field()->text().size());
}

QRect NotchClipboardSearchFieldAccessible::characterRect(int offset) const
{
    // Measured from where the text starts; a field scrolled past its start reads a little off, as Qt's own
    // line edits do without their private layout.
    const QString text = field()->text();
    if (offset < 0 || offset >= text.size())
        return {};
    const QFontMetrics metrics(field()->font());
    const QRect area = field()->contentsRect().marginsRemoved(field()->textMargins());
    const int left = area.left() + metrics.horizontalAdvance(text.left(offset));
    const QRect local(left, area.top(), metrics.horizontalAdvance(text.at(offset)), area.height());
    return QRect(field()->mapToGlobal(local.topLeft()), local.size());
}

int NotchClipboardSearchFieldAccessible::offsetAtPoint(const QPoint &point) const
{
    return field()->cursorPositionAt(field()->mapFromGlobal(point));
}

QString NotchClipboardSearchFieldAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    Q_UNUSED(offset);
    return {};
}

void NotchClipboardSearchFieldAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void NotchClipboardSearchFieldAccessible::insertText(int offset, const QString &text)
{
    field()->setCursorPosition(offset);
    field()->insert(text);
}

void NotchClipboardSearchFieldAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    field()->setSelection(startOffset, endOffset - startOffset);
    field()->insert(text);
}
