#include "platform/linux/LinuxBeeper.h"

#include "platform/linux/XcbSession.h"

LinuxBeeper::LinuxBeeper(XcbSession &session, QObject *parent)
    : Beeper(parent)
    , m_session(&session)
{
}

void LinuxBeeper::beep()
{
    if (!m_session->isAvailable())
        return;
    xcb_bell(m_session->connection(), 0);
    m_session->flush();
}
