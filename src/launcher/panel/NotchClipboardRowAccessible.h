#pragma once
// One clipboard row as a screen reader sees it: named by the title the row shows, described by its kind
// and time, selected and focused when it is the panel's active row. Pressing it pastes as a click does;
// "Delete" deletes the item as the row's swipe does.

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>
#include <QUuid>

#include <optional>

class NotchClipboardList;

class NotchClipboardRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    static inline const QString deleteAction = QStringLiteral("Delete");

    NotchClipboardRowAccessible(NotchClipboardList *list, QUuid id);

    const QUuid &itemID() const { return m_id; }

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    std::optional<int> index() const;

    QPointer<NotchClipboardList> m_list;
    QUuid m_id;
};
