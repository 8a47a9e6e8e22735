#include "launcher/panel/NotchClipboardRowAccessible.h"

#include "launcher/panel/NotchClipboardList.h"

NotchClipboardRowAccessible::NotchClipboardRowAccessible(NotchClipboardList *list, QUuid id)
    : AccessiblePaintedPart(list)
    , m_id(id)
{
}

NotchClipboardList *NotchClipboardRowAccessible::list() const
{
    return static_cast<NotchClipboardList *>(owner());
}

std::optional<int> NotchClipboardRowAccessible::index() const
{
    return list() ? list()->indexOf(m_id) : std::nullopt;
}

bool NotchClipboardRowAccessible::isValid() const
{
    return index().has_value();
}

QString NotchClipboardRowAccessible::text(QAccessible::Text t) const
{
    const std::optional<int> row = index();
    if (!row)
        return {};
    switch (t) {
    case QAccessible::Name:
        return list()->accessibleTitle(*row);
    case QAccessible::Description:
        return list()->accessibleDescription(*row);
    default:
        return {};
    }
}

QRectF NotchClipboardRowAccessible::localRect() const
{
    return list()->rowRect(index().value_or(-1));
}

QAccessible::State NotchClipboardRowAccessible::state() const
{
    QAccessible::State state = placeState();
    if (state.invalid)
        return state;
    state.selectable = true;
    state.focusable = true;
    const bool active = list()->activeItemID() == m_id;
    state.selected = active;
    // One element has the reader's focus: the search field while it is typed in, else the active row.
    state.focused = active && list()->activeItemHasReaderFocus();
    return state;
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
        list()->pressItem(*row);
    else if (name == deleteAction)
        list()->deleteItem(*row);
}
