#pragma once
// One painted button of the launcher header (a tab, the filters toggle, the settings button) as a screen
// reader sees it: a push button named by its tooltip; pressing it clicks it.

#include "launcher/panel/NotchHeaderLayout.h"
#include "ui/AccessiblePaintedPart.h"

#include <optional>

class NotchLauncherView;

class NotchHeaderControlAccessible : public AccessiblePaintedPart {
public:
    using Kind = NotchHeaderLayout::Control::Kind;

    NotchHeaderControlAccessible(NotchLauncherView *view, Kind kind);

    Kind kind() const { return m_kind; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &name) override;

protected:
    QRectF localRect() const override;

private:
    NotchLauncherView *view() const;
    std::optional<NotchHeaderLayout::Control> control() const;

    Kind m_kind;
};
