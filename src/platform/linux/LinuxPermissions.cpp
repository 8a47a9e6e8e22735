#include "platform/linux/LinuxPermissions.h"

#include "platform/linux/XcbSession.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

#include <utility>

#include <xcb/xtest.h>

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString enabledProperty = QStringLiteral("IsEnabled");
QDBusMessage readEnabled()
{
    QDBusMessage get = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface, QStringLiteral("Get"));
    get << statusInterface << enabledProperty;
    return get;
}

// Whether the reply says the bus is there, and whether accessibility is on.
std::pair<bool, bool> stateOf(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {false, false};
    return {true, reply.arguments().first().value<QDBusVariant>().variant().toBool()};
}

} // namespace

LinuxPermissions::LinuxPermissions(XcbSession &session, QObject *parent)
    : Permissions(parent)
    , m_session(&session)
{
    if (m_session->isAvailable()) {
        const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_session->connection(), &xcb_test_id);
        m_canPostEvents = xtest && xtest->present;
    }
    // Connecting to the session bus takes a few milliseconds the start-up does not wait for: the bus is
    // watched from the first turn of the event loop on. Trust asked for meanwhile waits for the answer.
    m_firstReadPending = true;
    QMetaObject::invokeMethod(this, &LinuxPermissions::watchBus, Qt::QueuedConnection);
}

void LinuxPermissions::watchBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_firstReadPending = false;
        if (std::exchange(m_trustRequestedEarly, false))
            requestTrust();
        return;
    }
    m_busWatcher = new QDBusServiceWatcher(busService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_busWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                if (owner.isEmpty())
                    setState(false, false);
                else
                    refresh();
            });
    bus.connect(busService, busPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(onStatusPropertiesChanged(QString, QVariantMap, QStringList)));
    // Nothing waits for the bus: the answer arrives as a change, usually within milliseconds.
    refresh();
}

void LinuxPermissions::setState(bool busPresent, bool enabled)
{
    const bool trustedBefore = isTrusted();
    m_busPresent = busPresent;
    m_accessibilityEnabled = enabled;
    if (isTrusted() != trustedBefore)
        Q_EMIT changed();
}

void LinuxPermissions::refresh()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(readEnabled()), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &LinuxPermissions::onStatusRead);
}

void LinuxPermissions::onStatusRead(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const auto [present, enabled] = stateOf(call->reply());
    setState(present, enabled);
    if (!std::exchange(m_firstReadPending, false))
        return;
    // Trust asked for before the first answer is asked for now, knowing whether the bus is there.
    if (std::exchange(m_trustRequestedEarly, false))
        requestTrust();
}

void LinuxPermissions::onStatusPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                                 const QStringList &invalidated)
{
    if (interface != statusInterface)
        return;
    if (changed.contains(enabledProperty))
        setState(true, changed.value(enabledProperty).toBool());
    else if (invalidated.contains(enabledProperty))
        refresh();
}

bool LinuxPermissions::requestTrust()
{
    if (isTrusted())
        return true;
    if (m_firstReadPending) {
        m_trustRequestedEarly = true;
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_busPresent) {
        if (!m_warnedMissingBus) {
            m_warnedMissingBus = true;
            qWarning("The accessibility bus (org.a11y.Bus, from at-spi2-core) is not available: Tavlen pastes, "
                     "but cannot read other applications' fields or refocus them until it runs.");
        }
        // It may have come up since: look again.
        refresh();
        return false;
    }
    QDBusMessage set = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface, QStringLiteral("Set"));
    set << statusInterface << enabledProperty << QVariant::fromValue(QDBusVariant(true));
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(set), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (done->isError())
            qWarning("Could not enable accessibility: %s", qPrintable(done->error().message()));
        refresh();
    });
    return false;
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
