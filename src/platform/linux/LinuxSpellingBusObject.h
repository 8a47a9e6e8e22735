#pragma once
// The object Tavlen exports on the session bus: one scriptable method per service. It lives on a thread of
// its own, so a flood of calls never waits on the UI thread: one request at a time goes on to
// LinuxTextServices (answered later, a delayed reply), and every call arriving meanwhile is refused at once.
// A second after the last refusal the memory the refused calls took goes back to the system.

#include <QDBusContext>
#include <QObject>

class QTimer;

#include <atomic>

class LinuxTextServices;

class LinuxSpellingBusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "trevik.tavlen.Services")
public:
    // `busy` is set while a request is being answered; LinuxTextServices clears it with its answer.
    LinuxSpellingBusObject(LinuxTextServices &services, std::atomic_bool &busy);

public Q_SLOTS:
    Q_SCRIPTABLE void CheckSpelling(const QString &text);

private:
    LinuxTextServices &m_services; // stops this object's thread before it goes
    std::atomic_bool &m_busy;
    QTimer *m_releaseFreedMemory;
};
