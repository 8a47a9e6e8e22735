#include "launcher/panel/NotchHeaderControlAccessible.h"

#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"

NotchHeaderControlAccessible::NotchHeaderControlAccessible(NotchLauncherView *view, Kind kind)
    : AccessiblePaintedPart(view)
    , m_kind(kind)
{
}

NotchLauncherView *NotchHeaderControlAccessible::view() const
{
    return static_cast<NotchLauncherView *>(owner());
}

std::optional<NotchHeaderLayout::Control> NotchHeaderControlAccessible::control() const
{
    if (!view())
        return std::nullopt;
    for (const NotchHeaderLayout::Control &control : view()->headerControls()) {
        if (control.kind == m_kind)
            return control;
    }
    return std::nullopt;
}

bool NotchHeaderControlAccessible::isValid() const
{
    return control().has_value();
}

QString NotchHeaderControlAccessible::text(QAccessible::Text t) const
{
    const std::optional<NotchHeaderLayout::Control> shown = control();
    return shown && t == QAccessible::Name ? shown->title : QString();
}

QRectF NotchHeaderControlAccessible::localRect() const
{
    const std::optional<NotchHeaderLayout::Control> shown = control();
    return shown ? shown->rect : QRectF();
}

QAccessible::State NotchHeaderControlAccessible::state() const
{
    QAccessible::State state = placeState();
    // The tab of the list on show is the selected one.
    if (!state.invalid && (m_kind == Kind::clipboardTab || m_kind == Kind::recentTab)) {
        state.selectable = true;
        state.selected = view()->model().selectedList()
            == (m_kind == Kind::clipboardTab ? NotchLauncherListKind::clipboard : NotchLauncherListKind::recent);
    }
    return state;
}

QStringList NotchHeaderControlAccessible::actionNames() const
{
    return {pressAction()};
}

void NotchHeaderControlAccessible::doAction(const QString &name)
{
    const std::optional<NotchHeaderLayout::Control> shown = control();
    if (name == pressAction() && shown)
        view()->pointerClicked(shown->rect.center());
}
