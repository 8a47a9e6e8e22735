#include "launcher/panel/NotchLauncherViewAccessible.h"

#include "launcher/panel/NotchHeaderControlAccessible.h"
#include "launcher/panel/NotchLauncherView.h"

NotchLauncherViewAccessible::NotchLauncherViewAccessible(NotchLauncherView *view)
    : QAccessibleWidget(view, QAccessible::Pane)
{
}

QAccessibleInterface *NotchLauncherViewAccessible::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("NotchLauncherView") && object && object->isWidgetType())
        return new NotchLauncherViewAccessible(static_cast<NotchLauncherView *>(object));
    return nullptr;
}

NotchLauncherView *NotchLauncherViewAccessible::view() const
{
    return static_cast<NotchLauncherView *>(widget());
}

QList<NotchHeaderLayout::Control> NotchLauncherViewAccessible::controls() const
{
    return view()->headerControls();
}

QAccessibleInterface *NotchLauncherViewAccessible::control(NotchHeaderLayout::Control::Kind kind) const
{
    return m_controls.get(int(kind), [&] { return new NotchHeaderControlAccessible(view(), kind); });
}

int NotchLauncherViewAccessible::childCount() const
{
    return QAccessibleWidget::childCount() + int(controls().size());
}

QAccessibleInterface *NotchLauncherViewAccessible::child(int index) const
{
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets)
        return QAccessibleWidget::child(index);
    const QList<NotchHeaderLayout::Control> shown = controls();
    if (index - widgets >= shown.size())
        return nullptr;
    return control(shown.at(index - widgets).kind);
}

int NotchLauncherViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->object())
        return QAccessibleWidget::indexOfChild(child);
    if (child->role() != QAccessible::Button || child->parent() != this)
        return -1;
    const auto kind = static_cast<const NotchHeaderControlAccessible *>(child)->kind();
    const QList<NotchHeaderLayout::Control> shown = controls();
    for (int i = 0; i < shown.size(); ++i) {
        if (shown.at(i).kind == kind)
            return QAccessibleWidget::childCount() + i;
    }
    return -1;
}

QAccessibleInterface *NotchLauncherViewAccessible::childAt(int x, int y) const
{
    const QPointF local = view()->mapFromGlobal(QPoint(x, y));
    for (const NotchHeaderLayout::Control &control : controls()) {
        if (control.hitArea.contains(local))
            return this->control(control.kind);
    }
    return QAccessibleWidget::childAt(x, y);
}
