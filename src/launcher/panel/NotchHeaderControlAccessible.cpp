#include "launcher/panel/NotchHeaderControlAccessible.h"

#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"

NotchHeaderControlAccessible::NotchHeaderControlAccessible(NotchLauncherView *view, Kind kind)
    : m_view(view)
    , m_kind(kind)
{
}

std::optional<NotchHeaderLayout::Control> NotchHeaderControlAccessible::control() const
{
    if (!m_view)
        return std::nullopt;
    for (const NotchHeaderLayout::Control &control : m_view->headerControls()) {
        if (control.kind == m_kind)
            return control;
    }
    return std::nullopt;
}

bool NotchHeaderControlAccessible::isValid() const
{
    return control().has_value();
}

QWindow *NotchHeaderControlAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *NotchHeaderControlAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
}

QString NotchHeaderControlAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name)
        return {};
    const std::optional<NotchHeaderLayout::Control> shown = control();
    return shown ? shown->title : QString();
}

QRect NotchHeaderControlAccessible::rect() const
{
    const std::optional<NotchHeaderLayout::Control> shown = control();
    if (!shown)
        return {};
    const QRect local = shown->rect.toAlignedRect();
    return QRect(m_view->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State NotchHeaderControlAccessible::state() const
{
    QAccessible::State state;
    if (!control()) {
        state.invalid = true;
        return state;
    }
    state.invisible = !m_view->isVisible();
    state.offscreen = state.invisible;
    // The tab of the list on show is the selected one.
    if (m_kind == Kind::clipboardTab || m_kind == Kind::recentTab) {
        state.selectable = true;
        state.selected = m_view->model().selectedList()
            == (m_kind == Kind::clipboardTab ? NotchLauncherListKind::clipboard : NotchLauncherListKind::recent);
    }
    return state;
}

void *NotchHeaderControlAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList NotchHeaderControlAccessible::actionNames() const
{
    return {pressAction()};
}

void NotchHeaderControlAccessible::doAction(const QString &name)
{
    const std::optional<NotchHeaderLayout::Control> shown = control();
    if (name == pressAction() && shown)
        m_view->pointerClicked(shown->rect.center());
}
