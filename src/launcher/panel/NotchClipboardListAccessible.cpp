#include "launcher/panel/NotchClipboardListAccessible.h"

#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardRowAccessible.h"

NotchClipboardListAccessible::NotchClipboardListAccessible(NotchClipboardList *list)
    : QAccessibleWidget(list, QAccessible::List)
{
}

QAccessibleInterface *NotchClipboardListAccessible::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("NotchClipboardList") && object && object->isWidgetType())
        return new NotchClipboardListAccessible(static_cast<NotchClipboardList *>(object));
    return nullptr;
}

NotchClipboardList *NotchClipboardListAccessible::list() const
{
    return static_cast<NotchClipboardList *>(widget());
}

int NotchClipboardListAccessible::childCount() const
{
    return int(list()->items().size());
}

QAccessibleInterface *NotchClipboardListAccessible::child(int index) const
{
    const QList<ClipboardItem> &items = list()->items();
    if (index < 0 || index >= items.size())
        return nullptr;
    // Interfaces of items that left the list are dropped here rather than on every change of the list.
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (list()->indexOf(it.key())) {
            ++it;
            continue;
        }
        QAccessible::deleteAccessibleInterface(it.value());
        it = m_rows.erase(it);
    }
    const QUuid id = items.at(index).id();
    const auto found = m_rows.constFind(id);
    if (found != m_rows.cend())
        return QAccessible::accessibleInterface(*found);
    auto *row = new NotchClipboardRowAccessible(list(), id);
    m_rows.insert(id, QAccessible::registerAccessibleInterface(row));
    return row;
}

int NotchClipboardListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::ListItem)
        return -1;
    const auto *row = static_cast<const NotchClipboardRowAccessible *>(child);
    return list()->indexOf(row->itemID()).value_or(-1);
}

QAccessibleInterface *NotchClipboardListAccessible::childAt(int x, int y) const
{
    const std::optional<int> index = list()->indexAt(list()->mapFromGlobal(QPoint(x, y)));
    return index ? child(*index) : nullptr;
}

QAccessibleInterface *NotchClipboardListAccessible::focusChild() const
{
    const std::optional<QUuid> active = list()->activeItemID();
    const std::optional<int> index = active ? list()->indexOf(*active) : std::nullopt;
    return index ? child(*index) : nullptr;
}
