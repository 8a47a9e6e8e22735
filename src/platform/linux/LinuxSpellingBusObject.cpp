#include "platform/linux/LinuxSpellingBusObject.h"

#include "platform/FreedMemory.h"
#include "platform/linux/LinuxTextServices.h"

#include <QDBusMessage>
#include <QTimer>

LinuxSpellingBusObject::LinuxSpellingBusObject(LinuxTextServices &services, std::atomic_bool &busy)
    : m_services(services)
    , m_busy(busy)
    , m_releaseFreedMemory(new QTimer(this))
{
    m_releaseFreedMemory->setSingleShot(true);
    m_releaseFreedMemory->setInterval(1000);
    connect(m_releaseFreedMemory, &QTimer::timeout, this, [] { FreedMemory::release(); });
}

void LinuxSpellingBusObject::CheckSpelling(const QString &text)
{
    if (m_busy.exchange(true)) {
        sendErrorReply(LinuxTextServices::refusedError, LinuxTextServices::busyMessage);
        m_releaseFreedMemory->start();
        return;
    }
    // The answer waits for the handler (which may ask the model whether it can be used), on the UI thread.
    setDelayedReply(true);
    LinuxTextServices *services = &m_services;
    QMetaObject::invokeMethod(services, [services, request = message(), text] { services->answer(request, text); },
                              Qt::QueuedConnection);
}
