#pragma once
// The field history's painted empty state as a screen reader sees it: text saying that no field is
// selected, described by what to do about it.

#include "ui/AccessiblePaintedPart.h"

class NotchLauncherView;

class NotchFieldHistoryPlaceholderAccessible : public AccessiblePaintedPart {
public:
    explicit NotchFieldHistoryPlaceholderAccessible(NotchLauncherView *view);

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override;

protected:
    QRectF localRect() const override;

private:
    NotchLauncherView *view() const;
};
