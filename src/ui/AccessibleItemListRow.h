#pragma once
// One row of a list view as a screen reader sees it (see AccessibleItemList): named by its text, selected
// with the list's selection, focused only while the list has the keyboard and the row is current. Pressing
// it makes it the current row, as a click does.

#include "ui/AccessiblePaintedPart.h"

#include <QModelIndex>

class QListView;

class AccessibleItemListRow : public AccessiblePaintedPart {
public:
    AccessibleItemListRow(QListView *view, int row);

    int row() const { return m_row; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override;

protected:
    QRectF localRect() const override;

private:
    QListView *view() const;
    QModelIndex index() const;

    int m_row;
};
