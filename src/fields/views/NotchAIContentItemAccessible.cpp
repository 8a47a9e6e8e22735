#include "fields/views/NotchAIContentItemAccessible.h"

#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchAIContentViewAccessible.h"
#include "fields/views/NotchSuggestionRow.h"

#include <QWidget>

using Item = NotchAIContentView::Item;

NotchAIContentItemAccessible::NotchAIContentItemAccessible(NotchAIContentView *pane, QString key)
    : m_pane(pane)
    , m_key(std::move(key))
{
}

std::optional<int> NotchAIContentItemAccessible::index() const
{
    if (!m_pane)
        return std::nullopt;
    const QList<Item> &items = m_pane->currentContent().items;
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

QWindow *NotchAIContentItemAccessible::window() const
{
    return m_pane ? m_pane->window()->windowHandle() : nullptr;
}

QAccessibleInterface *NotchAIContentItemAccessible::parent() const
{
    return m_pane ? QAccessible::queryAccessibleInterface(m_pane.data()) : nullptr;
}

QString NotchAIContentItemAccessible::text(QAccessible::Text t) const
{
    const std::optional<int> found = index();
    if (!found)
        return {};
    const Item &item = m_pane->currentContent().items.at(*found);
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

QRect NotchAIContentItemAccessible::rect() const
{
    const std::optional<int> found = index();
    if (!found)
        return {};
    const QRect local = m_pane->itemRect(*found).toAlignedRect();
    return QRect(m_pane->mapToGlobal(local.topLeft()), local.size());
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
    QAccessible::State state;
    const std::optional<int> found = index();
    if (!found) {
        state.invalid = true;
        return state;
    }
    const QRectF rect = m_pane->itemRect(*found);
    state.invisible = !m_pane->isVisible();
    state.offscreen = state.invisible || rect.bottom() < 0 || rect.top() > m_pane->height();
    state.readOnly = true;
    const Item &item = m_pane->currentContent().items.at(*found);
    if (item.kind == Item::Kind::suggestion) {
        state.readOnly = false;
        state.selectable = true;
        state.focusable = true;
        const bool selected = m_pane->inputs().selectedSuggestionID == item.suggestion.id;
        state.selected = selected;
        state.focused = selected;
    }
    return state;
}

void *NotchAIContentItemAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface && role() == QAccessible::ListItem)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList NotchAIContentItemAccessible::actionNames() const
{
    return {pressAction()};
}

void NotchAIContentItemAccessible::doAction(const QString &name)
{
    const std::optional<int> found = index();
    if (name != pressAction() || !found)
        return;
    const Item &item = m_pane->currentContent().items.at(*found);
    if (item.kind == Item::Kind::suggestion)
        m_pane->clickSuggestion(item.suggestion.id);
}
