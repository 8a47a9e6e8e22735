#pragma once
// Permissions on an X11 desktop: posting events needs the XTest extension; accessibility trust means
// the AT-SPI bus (org.a11y.Bus) is on the session bus with accessibility enabled. Both are asked at start
// without waiting (trust reads false until the answer comes) and then followed (the bus's name owner and
// its status property changes), so no check ever waits on D-Bus; asking for trust enables accessibility
// without waiting for the answer.

#include "platform/Permissions.h"

#include <QStringList>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;
class XcbSession;

class LinuxPermissions : public Permissions {
    Q_OBJECT
public:
    // The session is shared and outlives the permissions.
    explicit LinuxPermissions(XcbSession &session, QObject *parent = nullptr);

    bool isTrusted() const override { return m_busPresent && m_accessibilityEnabled; }
    bool canPostEvents() const override { return m_canPostEvents; }
    bool requestTrust() override;
    bool requestEventPosting() override;
    bool openAccessibilitySettings() override;

private Q_SLOTS:
    void onStatusPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                   const QStringList &invalidated);

private:
    // Follows the accessibility bus's status from now on.
    void watchBus();
    // Reads the status again without waiting; the answer updates the state when it comes.
    void refresh();
    void onStatusRead(QDBusPendingCallWatcher *call);
    void setState(bool busPresent, bool enabled);

    XcbSession *m_session = nullptr;
    QDBusServiceWatcher *m_busWatcher = nullptr;
    bool m_canPostEvents = false;
    bool m_busPresent = false;
    bool m_accessibilityEnabled = false;
    bool m_warnedMissingBus = false;
    // The question asked at start has not been answered yet; trust asked for meanwhile waits for it.
    bool m_firstReadPending = false;
    bool m_trustRequestedEarly = false;
};
