#include "platform/linux/LinuxHotKeys.h"
#include "platform/linux/QtKeysyms.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <cstring>

namespace {
constexpr int badAccess = 10;
// The modifiers a hot key is defined by; the rest (Lock, NumLock, Mod3, Mod5) do not matter.
constexpr quint16 significant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

// XKB's own event types (the second byte of its events) and the parts of its map-notify event read here;
// its header is not needed for these.
constexpr quint8 xkbNewKeyboardNotify = 0;
constexpr quint8 xkbMapNotify = 1;
constexpr quint16 xkbKeyTypesChanged = 0x01;
constexpr quint16 xkbKeySymsChanged = 0x02;
constexpr quint16 xkbModifierMapChanged = 0x04;

struct XkbMapNotifyEvent {
    quint8 responseType;
    quint8 xkbType;
    quint16 sequence;
    quint32 time;
    quint8 deviceId;
    quint8 pointerButtonActions;
    quint16 changed;
    quint8 minKeyCode;
    quint8 maxKeyCode;
    quint8 firstType;
    quint8 typeCount;
    quint8 firstKeySym;
    quint8 keySymCount;
    quint8 rest[14];
};
static_assert(sizeof(XkbMapNotifyEvent) == 32);

quint32 grabKey(xcb_keycode_t keycode, quint16 mods)
{
    return (quint32(keycode) << 16) | mods;
}
} // namespace

LinuxHotKeys::LinuxHotKeys(QObject *parent)
    : HotKeys(parent)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    if (!it.rem) {
        m_connection = nullptr;
        return;
    }
    m_root = it.data->root;
    m_keySymbols = xcb_key_symbols_alloc(m_connection);
    // Clients that use XKB, Qt among them, hear of mapping changes through XKB rather than the core event.
    const char xkb[] = "XKEYBOARD";
    xcb_query_extension_reply_t *extension = xcb_query_extension_reply(
        m_connection, xcb_query_extension(m_connection, sizeof xkb - 1, xkb), nullptr);
    if (extension && extension->present)
        m_xkbEventBase = extension->first_event;
    std::free(extension);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

LinuxHotKeys::~LinuxHotKeys()
{
    if (!m_connection)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (auto it = m_grabCounts.cbegin(); it != m_grabCounts.cend(); ++it)
        xcb_ungrab_key(m_connection, xcb_keycode_t(it.key() >> 16), m_root, quint16(it.key() & 0xffff));
    xcb_flush(m_connection);
    if (m_keySymbols)
        xcb_key_symbols_free(m_keySymbols);
}

int LinuxHotKeys::grab(xcb_keycode_t keycode, quint16 mods)
{
    int &count = m_grabCounts[grabKey(keycode, mods)];
    if (count > 0) {
        ++count;
        return 0;
    }
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 1, m_root, mods, keycode,
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
        const int code = error->error_code;
        std::free(error);
        m_grabCounts.remove(grabKey(keycode, mods));
        return code;
    }
    count = 1;
    return 0;
}

void LinuxHotKeys::ungrab(xcb_keycode_t keycode, quint16 mods)
{
    const auto it = m_grabCounts.find(grabKey(keycode, mods));
    if (it == m_grabCounts.end())
        return;
    if (--it.value() > 0)
        return;
    m_grabCounts.erase(it);
    xcb_ungrab_key(m_connection, keycode, m_root, mods);
}

xcb_keycode_t LinuxHotKeys::keycodeFor(quint32 keysym, xcb_keycode_t current)
{
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_keySymbols, keysym);
    xcb_keycode_t keycode = codes ? codes[0] : xcb_keycode_t(XCB_NO_SYMBOL);
    for (const xcb_keycode_t *code = codes; current && code && *code != XCB_NO_SYMBOL; ++code) {
        if (*code == current)
            keycode = current;
    }
    std::free(codes);
    return keycode;
}

HotKeys::Result LinuxHotKeys::registerHotKey(quint32 id, quint32 keysym, Qt::KeyboardModifiers modifiers, Target, bool)
{
    // Every grab on the root is exclusive and there is one target, so the target and the option make
    // no difference here.
    if (!m_connection)
        return {Status::Unavailable, 0};
    // Changes seen while nothing was registered were not followed: read the maps afresh.
    if (m_registrations.isEmpty()) {
        xcb_key_symbols_free(m_keySymbols);
        m_keySymbols = xcb_key_symbols_alloc(m_connection);
        m_modifiers = X11ModifierMap::read(m_connection, m_keySymbols);
    }
    const xcb_keycode_t keycode = keycodeFor(keysym);
    if (keycode == XCB_NO_SYMBOL)
        return {Status::Unavailable, 0};

    const quint16 mods = x11ModifiersFrom(modifiers);
    const QList<quint16> all = m_modifiers.lockVariants(mods);
    QList<quint16> held;
    for (quint16 variant : all) {
        const int error = grab(keycode, variant);
        if (error != 0) {
            for (quint16 done : held)
                ungrab(keycode, done);
            xcb_flush(m_connection);
            return {error == badAccess ? Status::Exists : Status::Unavailable, 0};
        }
        held.append(variant);
    }
    xcb_flush(m_connection);
    const Ref ref = m_nextRef++;
    m_registrations.insert(ref, {id, keysym, keycode, mods, all});
    return {Status::Ok, ref};
}

void LinuxHotKeys::unregisterHotKey(Ref ref)
{
    const auto it = m_registrations.find(ref);
    if (it == m_registrations.end())
        return;
    const Registration registration = it.value();
    m_registrations.erase(it);
    for (quint16 variant : registration.variants)
        ungrab(registration.keycode, variant);
    xcb_flush(m_connection);
}

void LinuxHotKeys::MappingChange::addKeys(int first, int count)
{
    for (int keycode = first; keycode < first + count && keycode < int(keys.size()); ++keycode)
        keys.set(std::size_t(keycode));
}

bool LinuxHotKeys::noteMappingChange(const xcb_generic_event_t *event)
{
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto *notify = reinterpret_cast<const xcb_mapping_notify_event_t *>(event);
        if (notify->request == XCB_MAPPING_MODIFIER)
            m_change.modifiers = true;
        else if (notify->request == XCB_MAPPING_KEYBOARD)
            m_change.addKeys(notify->first_keycode, notify->count);
        else
            return false;
        return true;
    }
    if (!m_xkbEventBase || type != m_xkbEventBase)
        return false;
    XkbMapNotifyEvent xkb;
    std::memcpy(&xkb, event, sizeof xkb);
    if (xkb.xkbType == xkbNewKeyboardNotify) {
        m_change.everything = true;
        return true;
    }
    if (xkb.xkbType != xkbMapNotify)
        return false;
    // Key types decide which symbol each level of a key gives; actions and behaviours change no symbol.
    if (xkb.changed & xkbKeyTypesChanged)
        m_change.everything = true;
    if (xkb.changed & xkbKeySymsChanged)
        m_change.addKeys(xkb.firstKeySym, xkb.keySymCount);
    if (xkb.changed & xkbModifierMapChanged)
        m_change.modifiers = true;
    return true;
}

void LinuxHotKeys::scheduleRegrab()
{
    if (m_regrabPending)
        return;
    m_regrabPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_regrabPending = false;
            regrab();
        },
        Qt::QueuedConnection);
}

void LinuxHotKeys::regrab()
{
    // Another layout, or keys moved by a program: the symbols may sit on other keycodes now, and NumLock
    // on another modifier. The symbols are fetched again at the next lookup (allocating asks nothing);
    // only keys the change touched are looked up, and a grab that stays where it was is left alone.
    const MappingChange change = std::exchange(m_change, MappingChange{});
    xcb_key_symbols_free(m_keySymbols);
    m_keySymbols = xcb_key_symbols_alloc(m_connection);
    bool modifiersMoved = change.everything || change.modifiers;
    for (xcb_keycode_t code : m_modifiers.modifierKeycodes())
        modifiersMoved = modifiersMoved || change.touches(code);
    if (modifiersMoved)
        m_modifiers = X11ModifierMap::read(m_connection, m_keySymbols);
    bool lookedUp = modifiersMoved;
    for (Registration &registration : m_registrations) {
        // A key no change touched still types its symbol.
        const bool keyTouched = registration.keycode == XCB_NO_SYMBOL || change.touches(registration.keycode);
        if (!keyTouched && !modifiersMoved)
            continue;
        xcb_keycode_t keycode = registration.keycode;
        if (keyTouched) {
            keycode = keycodeFor(registration.keysym, keycode);
            lookedUp = true;
        }
        const QList<quint16> wanted =
            keycode == XCB_NO_SYMBOL ? QList<quint16>() : m_modifiers.lockVariants(registration.modifiers);
        if (keycode == registration.keycode && wanted == registration.variants)
            continue;
        for (quint16 variant : std::as_const(registration.variants))
            ungrab(registration.keycode, variant);
        registration.keycode = keycode;
        registration.variants.clear();
        // A symbol no key carries any more is grabbed again when a later change brings it back.
        for (quint16 variant : wanted) {
            if (grab(keycode, variant) == 0)
                registration.variants.append(variant);
        }
    }
    if (lookedUp)
        ++m_mappingLookups;
    xcb_flush(m_connection);
}

bool LinuxHotKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_registrations.isEmpty())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if (noteMappingChange(event)) {
        ++m_mappingChanges;
        scheduleRegrab();
        return false;
    }
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != m_root)
        return false;
    const quint16 mods = key->state & significant;
    QList<quint32> ids;
    for (const Registration &r : std::as_const(m_registrations)) {
        if (r.keycode == key->detail && r.modifiers == mods && !ids.contains(r.id))
            ids.append(r.id);
    }
    if (ids.isEmpty())
        return false;
    if (type == XCB_KEY_PRESS) {
        for (quint32 id : ids)
            Q_EMIT pressed(id);
    }
    return true;
}
