#pragma once
// The object Tavlen exports on the session bus: one scriptable method per service, each answered later
// (a delayed reply) by LinuxTextServices.

#include <QDBusContext>
#include <QObject>

class LinuxTextServices;

class LinuxSpellingBusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "trevik.tavlen.Services")
public:
    explicit LinuxSpellingBusObject(LinuxTextServices &services);

public Q_SLOTS:
    Q_SCRIPTABLE void CheckSpelling(const QString &text);

private:
    LinuxTextServices &m_services;
};
