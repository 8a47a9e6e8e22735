#include "platform/linux/LinuxNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

void LinuxNotifications::post(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Tavlen") << quint32(0) << QString() << summary << body << QStringList()
         << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}} << qint32(-1);
    // No reply is awaited: a missing service answers with an error nobody needs to see.
    call.setAutoStartService(true);
    bus.asyncCall(call, 2000);
}
