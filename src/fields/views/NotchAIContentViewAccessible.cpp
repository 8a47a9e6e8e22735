#include "fields/views/NotchAIContentViewAccessible.h"

#include "fields/views/NotchAIContentItemAccessible.h"

#include <QSet>

using Item = NotchAIContentView::Item;

NotchAIContentViewAccessible::NotchAIContentViewAccessible(NotchAIContentView *pane)
    : QAccessibleWidget(pane, QAccessible::List)
{
}

QAccessibleInterface *NotchAIContentViewAccessible::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("NotchAIContentView") && object && object->isWidgetType())
        return new NotchAIContentViewAccessible(static_cast<NotchAIContentView *>(object));
    return nullptr;
}

NotchAIContentViewAccessible *NotchAIContentViewAccessible::of(NotchAIContentView *pane)
{
    return static_cast<NotchAIContentViewAccessible *>(QAccessible::queryAccessibleInterface(pane));
}

QString NotchAIContentViewAccessible::keyOf(const Item &item)
{
    switch (item.kind) {
    case Item::Kind::sectionHeader:
        return QLatin1Char('h') + item.text;
    case Item::Kind::suggestion:
        return suggestionKey(item.suggestion.id);
    case Item::Kind::message:
        return QLatin1Char('m') + item.text;
    case Item::Kind::manualEntry:
        break;
    }
    return {};
}

QString NotchAIContentViewAccessible::suggestionKey(const QUuid &id)
{
    return QLatin1Char('s') + id.toString(QUuid::WithoutBraces);
}

NotchAIContentView *NotchAIContentViewAccessible::pane() const
{
    return static_cast<NotchAIContentView *>(widget());
}

QList<int> NotchAIContentViewAccessible::partIndexes() const
{
    QList<int> indexes;
    const QList<Item> &items = pane()->currentContent().items;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).kind != Item::Kind::manualEntry)
            indexes.append(i);
    }
    return indexes;
}

QAccessibleInterface *NotchAIContentViewAccessible::part(const QString &key) const
{
    return m_parts.get(key, [&] { return new NotchAIContentItemAccessible(pane(), key); });
}

int NotchAIContentViewAccessible::childCount() const
{
    return QAccessibleWidget::childCount() + int(partIndexes().size());
}

QAccessibleInterface *NotchAIContentViewAccessible::child(int index) const
{
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets)
        return QAccessibleWidget::child(index);
    const QList<int> parts = partIndexes();
    if (index - widgets >= parts.size())
        return nullptr;
    return part(keyOf(pane()->currentContent().items.at(parts.at(index - widgets))));
}

int NotchAIContentViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->object())
        return QAccessibleWidget::indexOfChild(child);
    if (child->parent() != this)
        return -1;
    const QString &key = static_cast<const NotchAIContentItemAccessible *>(child)->key();
    const QList<int> parts = partIndexes();
    const QList<Item> &items = pane()->currentContent().items;
    for (int i = 0; i < parts.size(); ++i) {
        if (keyOf(items.at(parts.at(i))) == key)
            return QAccessibleWidget::childCount() + i;
    }
    return -1;
}

QAccessibleInterface *NotchAIContentViewAccessible::childAt(int x, int y) const
{
    if (QAccessibleInterface *widget = QAccessibleWidget::childAt(x, y))
        return widget;
    const std::optional<int> index = pane()->itemAt(pane()->mapFromGlobal(QPoint(x, y)));
    if (!index)
        return nullptr;
    const QString key = keyOf(pane()->currentContent().items.at(*index));
    return key.isEmpty() ? nullptr : part(key);
}

QAccessibleInterface *NotchAIContentViewAccessible::focusChild() const
{
    if (QAccessibleInterface *widget = QAccessibleWidget::focusChild())
        return widget;
    return selectedPart();
}

QAccessibleInterface *NotchAIContentViewAccessible::selectedPart() const
{
    const std::optional<QUuid> &selected = pane()->inputs().selectedSuggestionID;
    if (!selected)
        return nullptr;
    for (const Item &item : pane()->currentContent().items) {
        if (item.kind == Item::Kind::suggestion && item.suggestion.id == *selected)
            return part(keyOf(item));
    }
    return nullptr;
}

void NotchAIContentViewAccessible::contentReplacing(const NotchAIContentView::Content &next)
{
    if (m_parts.isEmpty())
        return;
    QSet<QString> staying;
    for (const Item &item : next.items)
        staying.insert(keyOf(item));
    m_parts.dropIf([&](const QString &key) { return !staying.contains(key); });
}

void NotchAIContentViewAccessible::selectionChanged(const std::optional<QUuid> &previous)
{
    if (previous) {
        if (QAccessibleInterface *old = m_parts.find(suggestionKey(*previous)); old && old->isValid()) {
            QAccessibleEvent deselected(old, QAccessible::SelectionRemove);
            QAccessible::updateAccessibility(&deselected);
        }
    }
    QAccessibleInterface *row = selectedPart();
    if (!row)
        return;
    QAccessibleEvent added(row, QAccessible::SelectionAdd);
    QAccessible::updateAccessibility(&added);
    // The reader's focus follows only in the window that has the keyboard, and never away from the manual
    // entry while the user types in it.
    if (pane()->isActiveWindow() && !QAccessibleWidget::focusChild()) {
        QAccessibleEvent focused(row, QAccessible::Focus);
        QAccessible::updateAccessibility(&focused);
    }
}
