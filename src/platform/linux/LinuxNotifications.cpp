#include "platform/linux/LinuxNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QVariantMap>

#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage serviceCall(const QString &method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                                       kService, method);
    call.setAutoStartService(true);
    return call;
}

// Only a service that lists "body-markup" parses the body; elsewhere "&amp;" would show as it is. The
// summary is never markup.
QDBusMessage notifyCall(const QString &summary, const QString &body, bool bodyMarkup)
{
    QDBusMessage call = serviceCall(QStringLiteral("Notify"));
    call << QStringLiteral("Tavlen") << quint32(0) << QString() << summary
         << (bodyMarkup ? body.toHtmlEscaped() : body) << QStringList()
         << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}} << qint32(-1);
    return call;
}

// Whether a GetCapabilities reply lists body markup; nothing when the service did not answer.
std::optional<bool> bodyMarkupIn(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"));
}

} // namespace

LinuxNotifications::LinuxNotifications(QObject *parent)
    : Notifications(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Another notification daemon taking the name may read bodies differently.
    auto *watcher = new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { m_bodyMarkup.reset(); });
}

void LinuxNotifications::post(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (m_bodyMarkup) {
        // No reply is awaited: a missing service answers with an error nobody needs to see.
        bus.asyncCall(notifyCall(summary, body, *m_bodyMarkup), 2000);
        return;
    }
    m_waiting.append({summary, body});
    if (std::exchange(m_asking, true))
        return;
    auto *answer = new QDBusPendingCallWatcher(bus.asyncCall(serviceCall(QStringLiteral("GetCapabilities")), 2000), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer] {
        answer->deleteLater();
        onCapabilities(answer->reply());
    });
}

void LinuxNotifications::onCapabilities(const QDBusMessage &reply)
{
    m_asking = false;
    m_bodyMarkup = bodyMarkupIn(reply);
    // Without an answer the service may still show the notification: escaped, as most services parse markup.
    const bool bodyMarkup = m_bodyMarkup.value_or(true);
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const Message &message : std::exchange(m_waiting, {}))
        bus.asyncCall(notifyCall(message.summary, message.body, bodyMarkup), 2000);
}

void LinuxNotifications::postBeforeExit(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const QDeadlineTimer deadline(2000);
    const QDBusMessage capabilities = bus.call(serviceCall(QStringLiteral("GetCapabilities")), QDBus::Block, 2000);
    const int left = int(deadline.remainingTime());
    if (left > 0)
        bus.call(notifyCall(summary, body, bodyMarkupIn(capabilities).value_or(true)), QDBus::Block, left);
}
