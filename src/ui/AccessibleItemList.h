#pragma once
// A list view (QListView, QListWidget, a combo box's popup) as a screen reader sees it, in place of Qt's own:
// Qt calls the current item focused whether or not the list has the keyboard, and every item showing
// while its window is hidden or its popup closed, so a reader heard two focused elements at once and the
// items of closed windows. Here one element has the focus: the current item while the list has the
// keyboard (the list itself when nothing is current), and the items of a hidden list are invisible.

#include "ui/AccessibleChildCache.h"

#include <QAccessibleWidget>

class QListView;

class AccessibleItemList : public QAccessibleWidget {
public:
    explicit AccessibleItemList(QListView *view);

    // Makes the interface of every list view for Qt's accessibility; installed once for the process.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QListView *view() const;

    QAccessible::State state() const override;
    // A combo box's popup list belongs to the combo box, as with Qt's own.
    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    mutable AccessibleChildCache<int> m_rows;
};
