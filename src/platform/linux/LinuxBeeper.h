#pragma once
// The X server's bell.

#include "platform/Beeper.h"

class XcbSession;

class LinuxBeeper : public Beeper {
    Q_OBJECT
public:
    // The session is shared and outlives the beeper.
    explicit LinuxBeeper(XcbSession &session, QObject *parent = nullptr);

    void beep() override;

private:
    XcbSession *m_session = nullptr;
};
