#include "platform/linux/AtspiSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include <atspi/atspi.h>

namespace {

// Whether the session bus names an accessibility bus; a missing or hung launcher costs this much at most.
constexpr int busQueryTimeoutMs = 500;
// How long an answer about the bus holds before it is asked again.
constexpr qint64 availabilityRecheckMs = 5000;

bool accessibilityBusAnswers()
{
    // Without a session bus address libdbus would try to start one; there is then no bus to find.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
                                                                       QStringLiteral("/org/a11y/bus"),
                                                                       QStringLiteral("org.a11y.Bus"),
                                                                       QStringLiteral("GetAddress")),
                                        QDBus::Block, busQueryTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && !reply.arguments().first().toString().isEmpty();
}

} // namespace

AtspiSession::AtspiSession()
    : m_budget(budgetMs / 1000.0, perCallMs / 1000.0, waitsPerCall, [this] { return m_clock.nsecsElapsed() / 1e9; })
{
    m_clock.start();
}

AtspiSession::~AtspiSession()
{
    *m_alive = false;
    // libatspi keeps its connection for the process; exiting it while other code may still hold
    // accessibles would leave them dangling, so it stays up until the process ends.
}

bool AtspiSession::isAvailable()
{
    const qint64 now = m_clock.elapsed();
    if (m_lastCheckMs >= 0 && now - m_lastCheckMs < availabilityRecheckMs)
        return m_available;
    m_lastCheckMs = now;
    m_available = accessibilityBusAnswers();
    if (m_available && !m_initialized) {
        // atspi_init answers 1 when it was set up already (by another part of the process).
        const int status = atspi_init();
        m_initialized = status == 0 || status == 1;
        m_available = m_initialized;
    }
    return m_available;
}

void AtspiSession::openRequest()
{
    if (m_budget.isRequestOpen())
        return;
    m_budget.openRequest();
    if (m_endScheduled)
        return;
    // Everything until the event loop turns is one request.
    m_endScheduled = true;
    QTimer::singleShot(0, [this, alive = m_alive] {
        if (!*alive)
            return;
        m_endScheduled = false;
        m_budget.endRequest();
    });
}

unsigned AtspiSession::generation()
{
    openRequest();
    return m_budget.generation();
}

bool AtspiSession::begin()
{
    if (!m_initialized)
        return false;
    openRequest();
    const int timeoutMs = m_budget.nextCallTimeoutMs();
    if (timeoutMs <= 0)
        return false;
    atspi_set_timeout(timeoutMs, timeoutMs);
    ++m_calls;
    return true;
}

bool AtspiSession::end(GError *error)
{
    m_budget.callFinished();
    if (!error)
        return true;
    g_error_free(error);
    return false;
}
