#include "ui/AccessiblePaintedPart.h"

AccessiblePaintedPart::AccessiblePaintedPart(QWidget *owner)
    : m_owner(owner)
{
}

QWindow *AccessiblePaintedPart::window() const
{
    return m_owner ? m_owner->window()->windowHandle() : nullptr;
}

QAccessibleInterface *AccessiblePaintedPart::parent() const
{
    return m_owner ? QAccessible::queryAccessibleInterface(m_owner.data()) : nullptr;
}

QRect AccessiblePaintedPart::rect() const
{
    if (!m_owner || !isValid())
        return {};
    const QRect local = localRect().toAlignedRect();
    return QRect(m_owner->mapToGlobal(local.topLeft()), local.size());
}

void *AccessiblePaintedPart::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface && !actionNames().isEmpty())
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QAccessible::State AccessiblePaintedPart::placeState() const
{
    QAccessible::State state;
    if (!m_owner || !isValid()) {
        state.invalid = true;
        return state;
    }
    const QRectF rect = localRect();
    state.invisible = !m_owner->isVisible();
    state.offscreen = state.invisible || rect.bottom() < 0 || rect.top() > m_owner->height();
    return state;
}
