#pragma once
// One painted button of the launcher header (a tab, the filters toggle, the settings button) as a screen
// reader sees it: a push button named by its tooltip; pressing it clicks it.

#include "launcher/panel/NotchHeaderLayout.h"

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

#include <optional>

class NotchLauncherView;

class NotchHeaderControlAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    using Kind = NotchHeaderLayout::Control::Kind;

    NotchHeaderControlAccessible(NotchLauncherView *view, Kind kind);

    Kind kind() const { return m_kind; }

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
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    std::optional<NotchHeaderLayout::Control> control() const;

    QPointer<NotchLauncherView> m_view;
    Kind m_kind;
};
