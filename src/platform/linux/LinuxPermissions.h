#pragma once
// Permissions on an X11 desktop: posting events needs the XTest extension; accessibility trust means
// the AT-SPI bus answers on the session bus and accessibility is enabled (asking enables it).

#include "platform/Permissions.h"

class XcbSession;

class LinuxPermissions : public Permissions {
    Q_OBJECT
public:
    explicit LinuxPermissions(QObject *parent = nullptr);

    bool isTrusted() const override;
    bool canPostEvents() const override;
    bool requestTrust() override;
    bool requestEventPosting() override;
    bool openAccessibilitySettings() override;

private:
    XcbSession *m_session = nullptr;
    bool m_warnedMissingBus = false;
};
