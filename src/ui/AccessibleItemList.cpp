#include "ui/AccessibleItemList.h"

#include "ui/AccessibleFactory.h"
#include "ui/AccessibleItemListRow.h"

#include <QComboBox>
#include <QListView>

AccessibleItemList::AccessibleItemList(QListView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

QAccessibleInterface *AccessibleItemList::factory(const QString &className, QObject *object)
{
    return accessibleInterfaceFor<AccessibleItemList, QListView>(QLatin1String("QListView"), className, object);
}

QListView *AccessibleItemList::view() const
{
    return static_cast<QListView *>(widget());
}

QAccessible::State AccessibleItemList::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    // The current row carries the focus.
    state.focused = state.focused && !view()->currentIndex().isValid();
    return state;
}

QAccessibleInterface *AccessibleItemList::parent() const
{
    QWidget *container = view()->parentWidget();
    auto *combo = qobject_cast<QComboBox *>(container ? container->parentWidget() : nullptr);
    if (combo && combo->view() == view())
        return QAccessible::queryAccessibleInterface(combo);
    return QAccessibleWidget::parent();
}

int AccessibleItemList::childCount() const
{
    return view()->model() ? view()->model()->rowCount(view()->rootIndex()) : 0;
}

QAccessibleInterface *AccessibleItemList::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    return m_rows.get(index, [&] { return new AccessibleItemListRow(view(), index); });
}

int AccessibleItemList::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::ListItem || child->parent() != this)
        return -1;
    return static_cast<const AccessibleItemListRow *>(child)->row();
}

QAccessibleInterface *AccessibleItemList::childAt(int x, int y) const
{
    const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *AccessibleItemList::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}
