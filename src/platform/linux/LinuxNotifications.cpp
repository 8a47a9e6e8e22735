#include "platform/linux/LinuxNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace {

QDBusMessage notifyCall(const QString &summary, const QString &body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Tavlen") << quint32(0) << QString() << summary << body << QStringList()
         << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}} << qint32(-1);
    call.setAutoStartService(true);
    return call;
}

} // namespace

void LinuxNotifications::post(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // No reply is awaited: a missing service answers with an error nobody needs to see.
    bus.asyncCall(notifyCall(summary, body), 2000);
}

void LinuxNotifications::postBeforeExit(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.call(notifyCall(summary, body), QDBus::Block, 2000);
}
