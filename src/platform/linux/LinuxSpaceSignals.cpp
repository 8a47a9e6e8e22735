#include "platform/linux/LinuxSpaceSignals.h"

#include "platform/linux/XcbSession.h"

#include <QDBusConnection>

#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace {
struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr xcb_keysym_t leftKeysym = 0xff51;
constexpr xcb_keysym_t rightKeysym = 0xff53;

quint32 spaceModifierOfMask(int modifierIndex)
{
    switch (modifierIndex) {
    case 0:
        return SpaceInputEvent::Shift;
    case 2:
        return SpaceInputEvent::Control;
    case 3:
        return SpaceInputEvent::Alt;
    case 6:
        return SpaceInputEvent::Super;
    default:
        return 0;
    }
}

quint32 spaceModifiersOfState(quint16 state)
{
    quint32 result = 0;
    for (int i = 0; i < 8; ++i) {
        if (state & (1u << i))
            result |= spaceModifierOfMask(i);
    }
    return result;
}
} // namespace

LinuxSpaceSignals::LinuxSpaceSignals(QObject *parent)
    : SpaceSignals(parent)
    , m_session(std::make_unique<XcbSession>())
{
    if (m_session->isAvailable()) {
        xcb_connection_t *c = m_session->connection();
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, m_session->root(), XCB_CW_EVENT_MASK, &mask);
        m_session->addEventHandler([this](const xcb_generic_event_t &event) { handleEvent(event); });
        m_symbols = xcb_key_symbols_alloc(c);
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

LinuxSpaceSignals::~LinuxSpaceSignals()
{
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
}

bool LinuxSpaceSignals::isAvailable() const
{
    return m_session->isAvailable();
}

void LinuxSpaceSignals::onPrepareForSleep(bool start)
{
    if (start)
        Q_EMIT willSleep();
}

void LinuxSpaceSignals::readCurrentDesktop(bool announce)
{
    const auto desktop = m_session->cardinal(m_session->root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL);
    const quint32 value = desktop.value_or(0xffffffff);
    // The window manager may set the same value again: only a change counts.
    if (value == m_currentDesktop)
        return;
    m_currentDesktop = value;
    if (announce)
        Q_EMIT activeSpaceChanged();
}

void LinuxSpaceSignals::readActiveWindow(bool announce)
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

void LinuxSpaceSignals::handleEvent(const xcb_generic_event_t &event)
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
    if (type == XCB_MAPPING_NOTIFY) {
        if (m_symbols) {
            auto &mapping = const_cast<xcb_mapping_notify_event_t &>(
                reinterpret_cast<const xcb_mapping_notify_event_t &>(event));
            xcb_refresh_keyboard_mapping(m_symbols, &mapping);
        }
        loadModifierMap();
        return;
    }
    if (type != XCB_GE_GENERIC || !m_listening)
        return;
    const auto &generic = reinterpret_cast<const xcb_ge_generic_event_t &>(event);
    if (generic.extension != m_inputOpcode)
        return;
    SpaceInputEvent out;
    switch (generic.event_type) {
    case XCB_INPUT_RAW_KEY_PRESS: {
        const auto &raw = reinterpret_cast<const xcb_input_raw_key_press_event_t &>(event);
        const quint8 keycode = quint8(raw.detail);
        if (m_modifierOfKeycode.contains(keycode)) {
            m_heldModifierKeys.insert(keycode);
            return;
        }
        const xcb_keysym_t keysym = m_symbols ? xcb_key_symbols_get_keysym(m_symbols, keycode, 0) : 0;
        out.type = SpaceInputEvent::Type::KeyDown;
        out.key = keysym == leftKeysym ? SpaceInputEvent::Key::LeftArrow
            : keysym == rightKeysym    ? SpaceInputEvent::Key::RightArrow
                                       : SpaceInputEvent::Key::Other;
        out.modifiers = modifiersHeld();
        break;
    }
    case XCB_INPUT_RAW_KEY_RELEASE: {
        const auto &raw = reinterpret_cast<const xcb_input_raw_key_release_event_t &>(event);
        if (m_heldModifierKeys.remove(quint8(raw.detail)))
            m_modifiersAtStart = 0; // a modifier went up: from now on the tracked keys are the truth
        return;
    }
    case XCB_INPUT_RAW_BUTTON_PRESS: {
        const auto &raw = reinterpret_cast<const xcb_input_raw_button_press_event_t &>(event);
        if (raw.detail == 1)
            out.type = SpaceInputEvent::Type::LeftMouseDown;
        else if (raw.detail == 3)
            out.type = SpaceInputEvent::Type::RightMouseDown;
        else
            return;
        break;
    }
    default:
        return;
    }
    Q_EMIT inputEvent(out);
}

quint32 LinuxSpaceSignals::modifiersHeld() const
{
    quint32 result = m_modifiersAtStart;
    for (quint8 keycode : m_heldModifierKeys)
        result |= m_modifierOfKeycode.value(keycode);
    return result;
}

void LinuxSpaceSignals::loadModifierMap()
{
    m_modifierOfKeycode.clear();
    xcb_connection_t *c = m_session->connection();
    Reply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!reply)
        return;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        const quint32 bit = spaceModifierOfMask(modifier);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            // Lock, NumLock and the like are modifier keys too: their presses are not desktop switches.
            if (code)
                m_modifierOfKeycode[code] |= bit;
        }
    }
}

void LinuxSpaceSignals::selectRawInput(bool on)
{
    const quint32 mask = on ? quint32(XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE
                                      | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS)
                            : 0u;
    struct {
        xcb_input_event_mask_t head;
        quint32 bits;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
    xcb_input_xi_select_events(m_session->connection(), m_session->root(), 1, &selection.head);
    m_session->flush();
}

bool LinuxSpaceSignals::startListening()
{
    if (m_listening)
        return true;
    if (!m_session->isAvailable())
        return false;
    xcb_connection_t *c = m_session->connection();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    Reply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 2))
        return false;
    m_inputOpcode = extension->major_opcode;
    loadModifierMap();
    m_heldModifierKeys.clear();
    // Modifiers already down when listening starts are only known from the server's state.
    Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_session->root()), nullptr));
    m_modifiersAtStart = pointer ? spaceModifiersOfState(pointer->mask) : 0;
    m_listening = true;
    selectRawInput(true);
    return true;
}

void LinuxSpaceSignals::stopListening()
{
    if (!m_listening)
        return;
    m_listening = false;
    selectRawInput(false);
}
