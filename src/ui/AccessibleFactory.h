#pragma once
// Qt's accessibility asks each installed factory for an interface by class name: this answers with an
// `Interface` for a widget of the class named `className`, and with nothing for anything else.

#include <QAccessibleInterface>
#include <QObject>
#include <QString>

template <typename Interface, typename Widget>
QAccessibleInterface *accessibleInterfaceFor(QLatin1String className, const QString &asked, QObject *object)
{
    if (asked != className || !object || !object->isWidgetType())
        return nullptr;
    return new Interface(static_cast<Widget *>(object));
}
