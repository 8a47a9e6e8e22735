#include "launcher/panel/NotchLauncherViewAccessible.h"

#include "launcher/panel/NotchFieldHistoryPlaceholderAccessible.h"
#include "launcher/panel/NotchHeaderControlAccessible.h"
#include "launcher/panel/NotchLauncherPainter.h"
#include "launcher/panel/NotchLauncherView.h"
#include "ui/AccessibleFactory.h"

namespace {

// The painted parts are kept by the kind of header button, or this for the field history's placeholder.
constexpr int placeholderKey = -1;

} // namespace

NotchLauncherViewAccessible::NotchLauncherViewAccessible(NotchLauncherView *view)
    : QAccessibleWidget(view, QAccessible::Pane)
{
}

QAccessibleInterface *NotchLauncherViewAccessible::factory(const QString &className, QObject *object)
{
    return accessibleInterfaceFor<NotchLauncherViewAccessible, NotchLauncherView>(QLatin1String("NotchLauncherView"),
                                                                                   className, object);
}

NotchLauncherView *NotchLauncherViewAccessible::view() const
{
    return static_cast<NotchLauncherView *>(widget());
}

QString NotchLauncherViewAccessible::text(QAccessible::Text t) const
{
    const QString own = QAccessibleWidget::text(t);
    return t == QAccessible::Name && own.isEmpty() ? accessibleTitle : own;
}

QList<int> NotchLauncherViewAccessible::partKeys() const
{
    QList<int> keys;
    for (const NotchHeaderLayout::Control &control : view()->headerControls())
        keys.append(int(control.kind));
    if (NotchLauncherPainter::recentPlaceholderBox(*view()))
        keys.append(placeholderKey);
    return keys;
}

QAccessibleInterface *NotchLauncherViewAccessible::part(int key) const
{
    return m_parts.get(key, [&]() -> QAccessibleInterface * {
        if (key == placeholderKey)
            return new NotchFieldHistoryPlaceholderAccessible(view());
        return new NotchHeaderControlAccessible(view(), NotchHeaderLayout::Control::Kind(key));
    });
}

int NotchLauncherViewAccessible::childCount() const
{
    return QAccessibleWidget::childCount() + int(partKeys().size());
}

QAccessibleInterface *NotchLauncherViewAccessible::child(int index) const
{
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets)
        return QAccessibleWidget::child(index);
    const QList<int> keys = partKeys();
    return index - widgets < keys.size() ? part(keys.at(index - widgets)) : nullptr;
}

int NotchLauncherViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->object())
        return QAccessibleWidget::indexOfChild(child);
    if (child->parent() != this)
        return -1;
    const int key = child->role() == QAccessible::Button
        ? int(static_cast<const NotchHeaderControlAccessible *>(child)->kind())
        : placeholderKey;
    const int index = int(partKeys().indexOf(key));
    return index < 0 ? -1 : QAccessibleWidget::childCount() + index;
}

QAccessibleInterface *NotchLauncherViewAccessible::childAt(int x, int y) const
{
    const QPointF local = view()->mapFromGlobal(QPoint(x, y));
    for (const NotchHeaderLayout::Control &control : view()->headerControls()) {
        if (control.hitArea.contains(local))
            return part(int(control.kind));
    }
    if (QAccessibleInterface *widget = QAccessibleWidget::childAt(x, y))
        return widget;
    const std::optional<QRectF> placeholder = NotchLauncherPainter::recentPlaceholderBox(*view());
    return placeholder && placeholder->contains(local) ? part(placeholderKey) : nullptr;
}

QStringList NotchLauncherViewAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (view()->canOpenOnPress())
        names.prepend(pressAction());
    return names;
}

QString NotchLauncherViewAccessible::localizedActionDescription(const QString &name) const
{
    return name == pressAction() ? QStringLiteral("Open the launcher") : QAccessibleWidget::localizedActionDescription(name);
}

void NotchLauncherViewAccessible::doAction(const QString &name)
{
    if (name == pressAction())
        view()->openOnPress();
    else
        QAccessibleWidget::doAction(name);
}
