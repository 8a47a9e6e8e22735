#include "launcher/panel/NotchClipboardListAccessible.h"

#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardRowAccessible.h"
#include "ui/AccessibleFactory.h"

#include <QSet>

NotchClipboardListAccessible::NotchClipboardListAccessible(NotchClipboardList *list)
    : QAccessibleWidget(list, QAccessible::List)
{
}

QAccessibleInterface *NotchClipboardListAccessible::factory(const QString &className, QObject *object)
{
    return accessibleInterfaceFor<NotchClipboardListAccessible, NotchClipboardList>(QLatin1String("NotchClipboardList"),
                                                                                     className, object);
}

NotchClipboardListAccessible *NotchClipboardListAccessible::of(NotchClipboardList *list)
{
    return static_cast<NotchClipboardListAccessible *>(QAccessible::queryAccessibleInterface(list));
}

NotchClipboardListAccessible *NotchClipboardListAccessible::listening(NotchClipboardList *list)
{
    return QAccessible::isActive() ? of(list) : nullptr;
}

NotchClipboardList *NotchClipboardListAccessible::list() const
{
    return static_cast<NotchClipboardList *>(widget());
}

QAccessibleInterface *NotchClipboardListAccessible::row(const QUuid &id) const
{
    return m_rows.get(id, [&] { return new NotchClipboardRowAccessible(list(), id); });
}

QString NotchClipboardListAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return accessibleTitle;
    if (t == QAccessible::Description && list()->items().isEmpty())
        return NotchClipboardList::emptyText;
    return QAccessibleWidget::text(t);
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
    return row(items.at(index).id());
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
    return active && list()->indexOf(*active) ? row(*active) : nullptr;
}

void NotchClipboardListAccessible::itemsReplacing(const QList<ClipboardItem> &next)
{
    if (m_rows.isEmpty())
        return;
    QSet<QUuid> staying;
    staying.reserve(next.size());
    for (const ClipboardItem &item : next)
        staying.insert(item.id());
    m_rows.dropIf([&](const QUuid &id) { return !staying.contains(id); });
}

void NotchClipboardListAccessible::itemsReplaced(const QList<QUuid> &arrived)
{
    // Only the rows on screen: a query that brings back thousands of items announces a screenful.
    const auto [first, end] = list()->visibleRange();
    for (const QUuid &id : arrived) {
        const std::optional<int> index = list()->indexOf(id);
        if (!index || *index < first || *index >= end)
            continue;
        QAccessibleEvent created(row(id), QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
}

void NotchClipboardListAccessible::activeItemChanged(const std::optional<QUuid> &previous)
{
    if (previous) {
        if (QAccessibleInterface *old = m_rows.find(*previous); old && old->isValid()) {
            QAccessibleEvent deselected(old, QAccessible::SelectionRemove);
            QAccessible::updateAccessibility(&deselected);
        }
    }
    QAccessibleInterface *active = focusChild();
    if (!active)
        return;
    QAccessibleEvent selected(active, QAccessible::SelectionAdd);
    QAccessible::updateAccessibility(&selected);
    // The reader's focus follows the selection only in the window that has the keyboard (hovering a panel
    // the user is not typing in must not pull the reader away from the application in front), and not
    // while the search field is typed in.
    if (list()->activeItemHasReaderFocus()) {
        QAccessibleEvent focused(active, QAccessible::Focus);
        QAccessible::updateAccessibility(&focused);
    }
}
