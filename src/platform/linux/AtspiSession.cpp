#include "platform/linux/AtspiSession.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QTimer>

#include <cstring>

#include <atspi/atspi.h>

namespace {

// Without a session bus address libdbus would try to start one; there is then no bus to find.
bool hasSessionBus()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") && QDBusConnection::sessionBus().isConnected();
}

} // namespace

AtspiSession::AtspiSession(std::function<qint64()> elapsedMs)
    : m_elapsedMs(std::move(elapsedMs))
    , m_budget(budgetMs / 1000.0, perCallMs / 1000.0, waitsPerCall, [this] { return m_clock.nsecsElapsed() / 1e9; })
{
    m_clock.start();
    if (!m_elapsedMs)
        m_elapsedMs = [this] { return m_clock.elapsed(); };
    // Asked on the first turn of the event loop, so the start-up does not wait for the session bus; a
    // caller before that asks itself.
    QTimer::singleShot(0, [self = Lifetime::Pointer<AtspiSession>(this, m_lifetime)] {
        if (self && self->m_answeredAtMs < 0)
            self->askBus();
    });
}

AtspiSession::~AtspiSession()
{
    m_lifetime.end();
    // libatspi keeps its connection for the process; exiting it while other code may still hold
    // accessibles would leave them dangling, so it stays up until the process ends.
}

void AtspiSession::askBus()
{
    if (m_question || !hasSessionBus())
        return;
    m_question = QDBusConnection::sessionBus().asyncCall(
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                       QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
        busQueryTimeoutMs);
}

void AtspiSession::takeAnswer(bool wait)
{
    if (!m_question)
        return;
    if (!m_question->isFinished()) {
        if (!wait)
            return;
        // Bounded by the question's own timeout.
        ++m_busWaits;
        m_question->waitForFinished();
    }
    const QDBusPendingReply<QString> reply = *m_question;
    m_question.reset();
    m_answeredAtMs = m_elapsedMs();
    m_busHung = reply.isError()
        && (reply.error().type() == QDBusError::NoReply || reply.error().type() == QDBusError::Timeout);
    m_available = reply.isValid() && !reply.value().isEmpty();
    if (m_available && !m_initialized) {
        quietenMissingCaches();
        // atspi_init answers 1 when it was set up already (by another part of the process).
        const int status = atspi_init();
        m_initialized = status == 0 || status == 1;
    }
    m_available = m_available && m_initialized;
}

void AtspiSession::quietenMissingCaches()
{
    // libatspi asks each application it meets for its element cache and warns on stderr when one keeps none:
    // a line at every spelling check about another program that says nothing wrong with ours. Its other
    // warnings still show.
    static const bool installed = [] {
        g_log_set_handler(
            "dbind", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
            [](const gchar *domain, GLogLevelFlags level, const gchar *message, gpointer data) {
                if (message && std::strstr(message, "/org/a11y/atspi/cache"))
                    return;
                g_log_default_handler(domain, level, message, data);
            },
            nullptr);
        return true;
    }();
    Q_UNUSED(installed);
}

bool AtspiSession::isAvailable()
{
    const bool stale = m_answeredAtMs < 0 || m_elapsedMs() - m_answeredAtMs >= availabilityRecheckMs;
    if (stale)
        askBus();
    // Before the first answer, or when the bus was quickly missing (it may have just started), waiting is
    // short; a launcher that let the last question time out is not waited for again.
    takeAnswer(m_answeredAtMs < 0 || (stale && !m_available && !m_busHung));
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
    QTimer::singleShot(0, [self = Lifetime::Pointer<AtspiSession>(this, m_lifetime)] {
        if (!self)
            return;
        self->m_endScheduled = false;
        self->m_budget.endRequest();
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
