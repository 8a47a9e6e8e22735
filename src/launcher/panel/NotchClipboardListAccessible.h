#pragma once
// What a screen reader sees of the clipboard list: a list with one item per clipboard item (all of them,
// not only the rows on screen, so a reader can walk the whole history). The rows are painted, so each item
// is an interface of its own, kept per item id while the item is listed.

#include <QAccessibleWidget>
#include <QHash>
#include <QUuid>

class NotchClipboardList;

class NotchClipboardListAccessible : public QAccessibleWidget {
public:
    explicit NotchClipboardListAccessible(NotchClipboardList *list);

    // Makes the list's interface for Qt's accessibility; installed once for the process.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    NotchClipboardList *list() const;

    // Item id -> registered row interface; rows of items no longer listed are dropped on the next walk.
    mutable QHash<QUuid, QAccessible::Id> m_rows;
};
