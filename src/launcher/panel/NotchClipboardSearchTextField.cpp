#include "launcher/panel/NotchClipboardSearchTextField.h"

#include "ui/FontTable.h"

#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

NotchClipboardSearchTextField::NotchClipboardSearchTextField(QWidget *parent)
    : QLineEdit(parent)
{
    setFrame(false);
    // Focus comes from the panel's focus requests and from clicks only: a window that becomes active
    // must not hand the field the keyboard on its own (the arrows and Return would stop reaching the list).
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setFont(FontTable::systemFont(12, QFont::Medium));
    setPlaceholderText(placeholder);
    setObjectName(identifier);
    setAccessibleName(identifier);
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
}

void NotchClipboardSearchTextField::update(bool focused, int focusRequest)
{
    if (focused) {
        if (m_lastFocusRequest == focusRequest && hasFocus())
            return;
        m_lastFocusRequest = focusRequest;
        // Deferred like the field editor's own focus change: the window may become key in between.
        QPointer<NotchClipboardSearchTextField> self = this;
        QTimer::singleShot(0, this, [self] {
            if (self && self->window())
                self->setFocus(Qt::OtherFocusReason);
        });
        return;
    }
    if (hasFocus())
        clearFocus();
}

void NotchClipboardSearchTextField::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Down:
        if (onArrowDown)
            onArrowDown();
        event->accept();
        return;
    case Qt::Key_Up:
        if (onArrowUp)
            onArrowUp();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onSubmit)
            onSubmit();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void NotchClipboardSearchTextField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (onFocusChanged)
        onFocusChanged(true);
}

void NotchClipboardSearchTextField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (onFocusChanged)
        onFocusChanged(false);
}
