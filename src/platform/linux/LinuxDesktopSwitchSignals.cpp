#include "platform/linux/LinuxDesktopSwitchSignals.h"

#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <QDBusConnection>

#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace {
} // namespace

LinuxDesktopSwitchSignals::LinuxDesktopSwitchSignals(QObject *parent)
    : DesktopSwitchSignals(parent)
    , m_session(std::make_unique<XcbSession>())
{
    if (m_session->isAvailable()) {
        xcb_connection_t *c = m_session->connection();
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, m_session->root(), XCB_CW_EVENT_MASK, &mask);
        m_session->addEventHandler([this](const xcb_generic_event_t &event) { handleEvent(event); });
        readCurrentDesktop(false);
        readActiveWindow(false);
        m_session->flush();
    } else {
        m_error = m_session->errorMessage();
    }
    // No system bus (a container, a test session): no sleep signal, and nothing else is wrong.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(onPrepareForSleep(bool)));
}

LinuxDesktopSwitchSignals::~LinuxDesktopSwitchSignals() = default;

bool LinuxDesktopSwitchSignals::isAvailable() const
{
    return m_session->isAvailable();
}

void LinuxDesktopSwitchSignals::onPrepareForSleep(bool start)
{
    if (start)
        Q_EMIT willSleep();
}

void LinuxDesktopSwitchSignals::readCurrentDesktop(bool announce)
{
    const auto desktop = m_session->cardinal(m_session->root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL);
    const quint32 value = desktop.value_or(0xffffffff);
    // The window manager may set the same value again: only a change counts.
    if (value == m_currentDesktop)
        return;
    m_currentDesktop = value;
    if (announce)
        Q_EMIT currentDesktopChanged();
}

void LinuxDesktopSwitchSignals::readActiveWindow(bool announce)
{
    const xcb_window_t window = m_session->activeWindow();
    // During a desktop switch the active window is 0 for a moment; that is nobody being activated.
    if (window == 0)
        return;
    const qint64 pid = m_session->windowPid(window);
    const qint64 identity = pid > 0 ? pid : -qint64(window);
    if (identity == m_activeIdentity)
        return;
    m_activeIdentity = identity;
    if (announce)
        Q_EMIT applicationActivated();
}

void LinuxDesktopSwitchSignals::handleEvent(const xcb_generic_event_t &event)
{
    const quint8 type = event.response_type & 0x7f;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto &property = reinterpret_cast<const xcb_property_notify_event_t &>(event);
        if (property.window != m_session->root())
            return;
        if (property.atom == m_session->atom("_NET_CURRENT_DESKTOP"))
            readCurrentDesktop(true);
        else if (property.atom == m_session->atom("_NET_ACTIVE_WINDOW"))
            readActiveWindow(true);
        return;
    }
    if (type != XCB_GE_GENERIC || !m_listening)
        return;
    const auto &generic = reinterpret_cast<const xcb_ge_generic_event_t &>(event);
    if (generic.extension != m_inputOpcode)
        return;
    if (generic.event_type != XCB_INPUT_RAW_BUTTON_PRESS)
        return;
    const auto &raw = reinterpret_cast<const xcb_input_raw_button_press_event_t &>(event);
    DesktopSwitchInputEvent out;
    if (raw.detail == 1)
        out.type = DesktopSwitchInputEvent::Type::LeftMouseDown;
    else if (raw.detail == 3)
        out.type = DesktopSwitchInputEvent::Type::RightMouseDown;
    else
        return;
    Q_EMIT inputEvent(out);
}

void LinuxDesktopSwitchSignals::selectRawInput(bool on)
{
    const quint32 mask = on ? quint32(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u;
    struct {
        xcb_input_event_mask_t head;
        quint32 bits;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
    xcb_input_xi_select_events(m_session->connection(), m_session->root(), 1, &selection.head);
    m_session->flush();
}

bool LinuxDesktopSwitchSignals::startListening()
{
    if (m_listening)
        return true;
    if (!m_session->isAvailable())
        return false;
    xcb_connection_t *c = m_session->connection();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 2))
        return false;
    m_inputOpcode = extension->major_opcode;
    m_listening = true;
    selectRawInput(true);
    return true;
}

void LinuxDesktopSwitchSignals::stopListening()
{
    if (!m_listening)
        return;
    m_listening = false;
    selectRawInput(false);
}
