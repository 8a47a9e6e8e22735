#pragma once
// What a screen reader sees of the clipboard list: a list with one item per clipboard item (all of them,
// not only the rows on screen, so a reader can walk the whole history). The rows are painted, so each item
// is an interface of its own, kept per item id while the item is listed. The list tells a reader when
// rows come and go and when its active row moves, so the reader follows the selection.

#include "model/ClipboardItem.h"
#include "ui/AccessibleChildCache.h"

#include <QAccessibleWidget>
#include <QUuid>

#include <optional>

class NotchClipboardList;

class NotchClipboardListAccessible : public QAccessibleWidget {
public:
    static inline const QString accessibleTitle = QStringLiteral("Clipboard history");

    explicit NotchClipboardListAccessible(NotchClipboardList *list);

    // Makes the list's interface for Qt's accessibility; installed once for the process.
    static QAccessibleInterface *factory(const QString &className, QObject *object);
    static NotchClipboardListAccessible *of(NotchClipboardList *list);
    // The list's interface while a screen reader listens, else null (nothing to announce, nothing to build).
    static NotchClipboardListAccessible *listening(NotchClipboardList *list);

    // Named as a whole; an empty list is described by the text it shows in place of rows.
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // Before the list takes `next`: rows of items that leave are announced and dropped (also when no reader
    // listens now: rows a reader asked for earlier must not outlive their items).
    void itemsReplacing(const QList<ClipboardItem> &next);
    // After: rows on screen of items that were not listed before are announced.
    void itemsReplaced(const QList<QUuid> &arrived);
    // The active row moved from `previous` to the list's active item.
    void activeItemChanged(const std::optional<QUuid> &previous);

private:
    NotchClipboardList *list() const;
    QAccessibleInterface *row(const QUuid &id) const;

    mutable AccessibleChildCache<QUuid> m_rows;
};
