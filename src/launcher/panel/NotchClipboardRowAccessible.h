#pragma once
// One clipboard row as a screen reader sees it: named by the title the row shows, described by its kind
// and time, selected and focused when it is the panel's active row. Pressing it pastes as a click does;
// "Delete" deletes the item as the row's swipe does.

#include "ui/AccessiblePaintedPart.h"

#include <QUuid>

#include <optional>

class NotchClipboardList;

class NotchClipboardRowAccessible : public AccessiblePaintedPart {
public:
    static inline const QString deleteAction = QStringLiteral("Delete");

    NotchClipboardRowAccessible(NotchClipboardList *list, QUuid id);

    const QUuid &itemID() const { return m_id; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;

protected:
    QRectF localRect() const override;

private:
    NotchClipboardList *list() const;
    std::optional<int> index() const;

    QUuid m_id;
};
