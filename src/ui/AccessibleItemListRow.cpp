#include "ui/AccessibleItemListRow.h"

#include <QItemSelectionModel>
#include <QListView>

AccessibleItemListRow::AccessibleItemListRow(QListView *view, int row)
    : AccessiblePaintedPart(view)
    , m_row(row)
{
}

QListView *AccessibleItemListRow::view() const
{
    return static_cast<QListView *>(owner());
}

QModelIndex AccessibleItemListRow::index() const
{
    QListView *list = view();
    return list && list->model() ? list->model()->index(m_row, 0, list->rootIndex()) : QModelIndex();
}

bool AccessibleItemListRow::isValid() const
{
    return index().isValid();
}

QString AccessibleItemListRow::text(QAccessible::Text t) const
{
    const QModelIndex row = index();
    switch (t) {
    case QAccessible::Name: {
        const QString spoken = row.data(Qt::AccessibleTextRole).toString();
        return spoken.isEmpty() ? row.data(Qt::DisplayRole).toString() : spoken;
    }
    case QAccessible::Description:
        return row.data(Qt::AccessibleDescriptionRole).toString();
    default:
        return {};
    }
}

QRectF AccessibleItemListRow::localRect() const
{
    return view()->visualRect(index()).translated(view()->viewport()->pos());
}

QAccessible::State AccessibleItemListRow::state() const
{
    QAccessible::State state = placeState();
    if (state.invalid)
        return state;
    const QModelIndex row = index();
    QListView *list = view();
    state.selectable = state.focusable = bool(row.flags() & Qt::ItemIsSelectable);
    state.selected = list->selectionModel() && list->selectionModel()->isSelected(row);
    state.focused = list->hasFocus() && list->currentIndex() == row;
    return state;
}

void AccessibleItemListRow::doAction(const QString &name)
{
    if (name == pressAction() && isValid())
        view()->setCurrentIndex(index());
}
