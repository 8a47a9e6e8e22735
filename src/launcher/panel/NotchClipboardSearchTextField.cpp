#include "launcher/panel/NotchClipboardSearchTextField.h"

#include "launcher/panel/NotchClipboardSearchFieldAccessible.h"
#include "ui/FontTable.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTimer>

NotchClipboardSearchTextField::NotchClipboardSearchTextField(QWidget *parent)
    : QLineEdit(parent)
{
    // Qt keeps one factory list for the process; this adds ours to it once.
    static const bool factoryInstalled = (QAccessible::installFactory(NotchClipboardSearchFieldAccessible::factory), true);
    Q_UNUSED(factoryInstalled);
    setFrame(false);
    // Focus comes from the panel's focus requests and from clicks only: a window that becomes active
    // must not hand the field the keyboard on its own (the arrows and Return would stop reaching the list).
    setFocusPolicy(Qt::ClickFocus);
    setFont(FontTable::systemFont(12, QFont::Medium));
    // The placeholder is drawn here, beside the caret (Qt's own would stand under it); screen readers get
    // it as the field's description.
    setAccessibleDescription(placeholder);
    setObjectName(identifier);
    setAccessibleName(accessibleTitle);
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    setColors(QColor(255, 255, 255, 240), m_placeholderColor, QColor(10, 132, 255, 115));
}

void NotchClipboardSearchTextField::setColors(const QColor &text, const QColor &placeholder, const QColor &selection)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Text, text);
    colors.setColor(QPalette::Highlight, selection);
    colors.setColor(QPalette::HighlightedText, text);
    if (colors != palette())
        setPalette(colors);
    if (placeholder != m_placeholderColor) {
        m_placeholderColor = placeholder;
        QWidget::update();
    }
}

QColor NotchClipboardSearchTextField::textColor() const
{
    return palette().color(QPalette::Text);
}

double NotchClipboardSearchTextField::caretX() const
{
    // The cursor rectangle Qt reports is a few pixels wide, centred on the caret.
    return QRectF(cursorRect()).center().x();
}

QRectF NotchClipboardSearchTextField::placeholderRect() const
{
    const double left = caretX() + style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this) + placeholderGap;
    return QRectF(left, 0, std::max(width() - left, 0.0), height());
}

void NotchClipboardSearchTextField::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    if (!text().isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(m_placeholderColor);
    const QRectF area = placeholderRect();
    const QString shown = QFontMetricsF(font()).elidedText(placeholder, Qt::ElideRight, area.width());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void NotchClipboardSearchTextField::update(bool focused, int focusRequest)
{
    m_wantsFocus = focused;
    if (focused) {
        if (m_lastFocusRequest == focusRequest && hasFocus())
            return;
        m_lastFocusRequest = focusRequest;
        // Deferred like the field editor's own focus change: the window may take the keyboard in between, and the
        // panel may have given the focus up again (collapsed, switched tabs) by the time this runs.
        QPointer<NotchClipboardSearchTextField> self = this;
        QTimer::singleShot(0, this, [self] {
            if (self && self->m_wantsFocus && self->window())
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

bool NotchClipboardSearchTextField::focusNextPrevChild(bool)
{
    // Tab and Shift+Tab end editing: the field gives up the keyboard, so Space previews and Return pastes
    // the selected row. A click or the panel's next focus request brings the caret back.
    clearFocus();
    return true;
}
