#include "fields/views/NotchAIContentItemAccessible.h"

#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchAIContentViewAccessible.h"
#include "fields/views/NotchSuggestionRow.h"

using Item = NotchAIContentView::Item;

NotchAIContentItemAccessible::NotchAIContentItemAccessible(NotchAIContentView *pane, QString key)
    : AccessiblePaintedPart(pane)
    , m_key(std::move(key))
{
}

NotchAIContentView *NotchAIContentItemAccessible::pane() const
{
    return static_cast<NotchAIContentView *>(owner());
}

std::optional<int> NotchAIContentItemAccessible::index() const
{
    if (!pane())
        return std::nullopt;
    const QList<Item> &items = pane()->currentContent().items;
    for (int i = 0; i < items.size(); ++i) {
        if (NotchAIContentViewAccessible::keyOf(items.at(i)) == m_key)
            return i;
    }
    return std::nullopt;
}

bool NotchAIContentItemAccessible::isValid() const
{
    return index().has_value();
}

QString NotchAIContentItemAccessible::text(QAccessible::Text t) const
{
    const std::optional<int> found = index();
    if (!found)
        return {};
    const Item &item = pane()->currentContent().items.at(*found);
    if (item.kind != Item::Kind::suggestion)
        return t == QAccessible::Name ? item.text : QString();
    switch (t) {
    case QAccessible::Name:
        return NotchSuggestionRow::displayText(item.suggestion);
    case QAccessible::Description:
        return item.suggestion.title;
    default:
        return {};
    }
}

QRectF NotchAIContentItemAccessible::localRect() const
{
    return pane()->itemRect(index().value_or(-1));
}

QAccessible::Role NotchAIContentItemAccessible::role() const
{
    // The key's first letter tells the kind, also of a part that has gone.
    if (m_key.startsWith(QLatin1Char('h')))
        return QAccessible::Heading;
    if (m_key.startsWith(QLatin1Char('s')))
        return QAccessible::ListItem;
    return QAccessible::StaticText;
}

QAccessible::State NotchAIContentItemAccessible::state() const
{
    QAccessible::State state = placeState();
    if (state.invalid)
        return state;
    const Item &item = pane()->currentContent().items.at(*index());
    if (item.kind != Item::Kind::suggestion) {
        state.readOnly = true;
        return state;
    }
    state.selectable = true;
    state.focusable = true;
    const bool selected = pane()->inputs().selectedSuggestionID == item.suggestion.id;
    state.selected = selected;
    state.focused = selected;
    return state;
}

QStringList NotchAIContentItemAccessible::actionNames() const
{
    if (role() == QAccessible::ListItem)
        return {pressAction()};
    return {};
}

void NotchAIContentItemAccessible::doAction(const QString &name)
{
    const std::optional<int> found = index();
    if (name != pressAction() || !found)
        return;
    const Item &item = pane()->currentContent().items.at(*found);
    if (item.kind == Item::Kind::suggestion)
        pane()->clickSuggestion(item.suggestion.id);
}
