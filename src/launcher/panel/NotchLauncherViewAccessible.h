#pragma once
// What a screen reader sees of a launcher panel: its widgets (search bar, list, field history pane, filter
// bar) and, after them, what the view paints itself: the header's buttons and the field history's
// placeholder, each an interface of its own while it is shown. Collapsed, a press opens it.

#include "ui/AccessibleChildCache.h"

#include <QAccessibleWidget>
#include <QList>

class NotchLauncherView;

class NotchLauncherViewAccessible : public QAccessibleWidget {
public:
    explicit NotchLauncherViewAccessible(NotchLauncherView *view);

    // Makes the view's interface for Qt's accessibility; installed once for the process.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    static inline const QString accessibleTitle = QStringLiteral("Tavlen launcher");

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    // Collapsed, the launcher is a pane to press: pressing opens it.
    QStringList actionNames() const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;

private:
    NotchLauncherView *view() const;
    // The painted parts shown now, in order.
    QList<int> partKeys() const;
    QAccessibleInterface *part(int key) const;

    mutable AccessibleChildCache<int> m_parts;
};
