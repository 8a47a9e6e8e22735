#include "launcher/panel/NotchFieldHistoryPlaceholderAccessible.h"

#include "launcher/panel/NotchHeaderLayout.h"
#include "launcher/panel/NotchLauncherPainter.h"
#include "launcher/panel/NotchLauncherView.h"

NotchFieldHistoryPlaceholderAccessible::NotchFieldHistoryPlaceholderAccessible(NotchLauncherView *view)
    : AccessiblePaintedPart(view)
{
}

NotchLauncherView *NotchFieldHistoryPlaceholderAccessible::view() const
{
    return static_cast<NotchLauncherView *>(owner());
}

bool NotchFieldHistoryPlaceholderAccessible::isValid() const
{
    return view() && NotchLauncherPainter::recentPlaceholderBox(*view()).has_value();
}

QString NotchFieldHistoryPlaceholderAccessible::text(QAccessible::Text t) const
{
    if (!isValid())
        return {};
    if (t == QAccessible::Name)
        return NotchHeaderLayout::noFieldTitle;
    if (t == QAccessible::Description)
        return NotchHeaderLayout::noFieldDescription;
    return {};
}

QRectF NotchFieldHistoryPlaceholderAccessible::localRect() const
{
    return NotchLauncherPainter::recentPlaceholderBox(*view()).value_or(QRectF());
}

QAccessible::State NotchFieldHistoryPlaceholderAccessible::state() const
{
    QAccessible::State state = placeState();
    state.readOnly = !state.invalid;
    return state;
}
