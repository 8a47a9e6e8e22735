#include "launcher/panel/NotchClipboardRowAccessible.h"

#include "launcher/panel/NotchClipboardList.h"

#include <QWidget>

NotchClipboardRowAccessible::NotchClipboardRowAccessible(NotchClipboardList *list, QUuid id)
    : m_list(list)
    , m_id(id)
{
}

std::optional<int> NotchClipboardRowAccessible::index() const
{
    return m_list ? m_list->indexOf(m_id) : std::nullopt;
}

bool NotchClipboardRowAccessible::isValid() const
{
    return index().has_value();
}

QWindow *NotchClipboardRowAccessible::window() const
{
    return m_list ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface *NotchClipboardRowAccessible::parent() const
{
    return m_list ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
}

QString NotchClipboardRowAccessible::text(QAccessible::Text t) const
{
    const std::optional<int> row = index();
    if (!row)
        return {};
    switch (t) {
    case QAccessible::Name:
        return m_list->accessibleTitle(*row);
    case QAccessible::Description:
        return m_list->accessibleDescription(*row);
    default:
        return {};
    }
}

QRect NotchClipboardRowAccessible::rect() const
{
    const std::optional<int> row = index();
    if (!row)
        return {};
    const QRect local = m_list->rowRect(*row).toAlignedRect();
    return QRect(m_list->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State NotchClipboardRowAccessible::state() const
{
    QAccessible::State state;
    const std::optional<int> row = index();
    if (!row) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.focusable = true;
    const bool active = m_list->activeItemID() == m_id;
    state.selected = active;
    state.focused = active;
    const QRectF rect = m_list->rowRect(*row);
    state.offscreen = !m_list->isVisible() || rect.bottom() < 0 || rect.top() > m_list->height();
    state.invisible = !m_list->isVisible();
    return state;
}

void *NotchClipboardRowAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList NotchClipboardRowAccessible::actionNames() const
{
    return {pressAction(), deleteAction};
}

QString NotchClipboardRowAccessible::localizedActionDescription(const QString &name) const
{
    if (name == deleteAction)
        return QStringLiteral("Delete the item from the history");
    if (name == pressAction())
        return QStringLiteral("Paste the item");
    return {};
}

void NotchClipboardRowAccessible::doAction(const QString &name)
{
    const std::optional<int> row = index();
    if (!row)
        return;
    if (name == pressAction())
        m_list->pressItem(*row);
    else if (name == deleteAction)
        m_list->deleteItem(*row);
}
