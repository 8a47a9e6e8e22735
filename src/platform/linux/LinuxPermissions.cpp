#include "platform/linux/LinuxPermissions.h"

#include "platform/linux/XcbSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

#include <xcb/xtest.h>

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
// Short enough that a missing or hung bus costs little, long enough for the launcher to start.
constexpr int busTimeoutMs = 1500;

QDBusMessage callBus(const QDBusMessage &message)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QDBusMessage::createError(QStringLiteral("org.freedesktop.DBus.Error.NoServer"),
                                         QStringLiteral("No session bus"));
    return bus.call(message, QDBus::Block, busTimeoutMs);
}

bool busReachable()
{
    const QDBusMessage reply = callBus(
        QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("GetAddress")));
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && !reply.arguments().first().toString().isEmpty();
}

bool accessibilityEnabled()
{
    QDBusMessage get = QDBusMessage::createMethodCall(busService, busPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = callBus(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

} // namespace

LinuxPermissions::LinuxPermissions(QObject *parent)
    : Permissions(parent)
    , m_session(new XcbSession(this))
{
}

bool LinuxPermissions::isTrusted() const
{
    return busReachable() && accessibilityEnabled();
}

bool LinuxPermissions::canPostEvents() const
{
    if (!m_session->isAvailable())
        return false;
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_session->connection(), &xcb_test_id);
    return xtest && xtest->present;
}

bool LinuxPermissions::requestTrust()
{
    if (!busReachable()) {
        if (!m_warnedMissingBus) {
            m_warnedMissingBus = true;
            qWarning("The accessibility bus (org.a11y.Bus, from at-spi2-core) is not available: Tavlen cannot "
                     "paste into other applications or read their fields until it runs.");
        }
        return false;
    }
    if (accessibilityEnabled())
        return true;
    QDBusMessage set = QDBusMessage::createMethodCall(busService, busPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(true));
    const QDBusMessage reply = callBus(set);
    if (reply.type() == QDBusMessage::ErrorMessage)
        qWarning("Could not enable accessibility: %s", qPrintable(reply.errorMessage()));
    return accessibilityEnabled();
}

bool LinuxPermissions::requestEventPosting()
{
    // XTest needs no consent: it is there or it is not.
    return canPostEvents();
}

bool LinuxPermissions::openAccessibilitySettings()
{
    struct Tool {
        const char *program;
        const char *argument;
    };
    static const Tool tools[] = {
        {"gnome-control-center", "universal-access"},
        {"systemsettings", "kcm_access"},
        {"xfce4-accessibility-settings", nullptr},
    };
    for (const Tool &tool : tools) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(tool.program));
        if (path.isEmpty())
            continue;
        QStringList arguments;
        if (tool.argument)
            arguments << QString::fromLatin1(tool.argument);
        if (QProcess::startDetached(path, arguments))
            return true;
    }
    return false;
}
