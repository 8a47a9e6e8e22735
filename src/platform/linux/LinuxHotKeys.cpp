#include "platform/linux/LinuxHotKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {
constexpr int badAccess = 10;
constexpr xcb_keysym_t numLockKeysym = 0xff7f;
// The modifiers a hot key is defined by; the rest (Lock, NumLock, Mod3, Mod5) do not matter.
constexpr quint16 significant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

// XKB's own event types (the second byte of its events); its header is not needed for these two.
constexpr quint8 xkbNewKeyboardNotify = 0;
constexpr quint8 xkbMapNotify = 1;

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

quint16 LinuxHotKeys::numLockMask()
{
    quint16 mask = 0;
    xcb_keycode_t *numLockCodes = xcb_key_symbols_get_keycode(m_keySymbols, numLockKeysym);
    xcb_get_modifier_mapping_reply_t *reply =
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (reply && numLockCodes) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8 && !mask; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                for (const xcb_keycode_t *n = numLockCodes; code && *n != XCB_NO_SYMBOL; ++n) {
                    if (*n == code)
                        mask = quint16(1u << modifier);
                }
            }
        }
    }
    std::free(reply);
    std::free(numLockCodes);
    return mask;
}

QList<quint16> LinuxHotKeys::variants(quint16 modifiers)
{
    const quint16 numLock = numLockMask();
    QList<quint16> result{modifiers, quint16(modifiers | XCB_MOD_MASK_LOCK)};
    if (numLock) {
        result.append(quint16(modifiers | numLock));
        result.append(quint16(modifiers | numLock | XCB_MOD_MASK_LOCK));
    }
    return result;
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

xcb_keycode_t LinuxHotKeys::keycodeFor(quint32 keysym)
{
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_keySymbols, keysym);
    const xcb_keycode_t keycode = codes ? codes[0] : xcb_keycode_t(XCB_NO_SYMBOL);
    std::free(codes);
    return keycode;
}

HotKeys::Result LinuxHotKeys::registerHotKey(quint32 id, quint32 keysym, Modifiers modifiers, Target, bool)
{
    // Every grab on the root is exclusive and there is one target, so the target and the option make
    // no difference here.
    if (!m_connection)
        return {Status::Unavailable, 0};
    const xcb_keycode_t keycode = keycodeFor(keysym);
    if (keycode == XCB_NO_SYMBOL)
        return {Status::Unavailable, 0};

    const quint16 mods = quint16(modifiers.toInt()) & significant;
    const QList<quint16> all = variants(mods);
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

bool LinuxHotKeys::isMappingChange(const xcb_generic_event_t *event) const
{
    const quint8 type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY)
        return reinterpret_cast<const xcb_mapping_notify_event_t *>(event)->request != XCB_MAPPING_POINTER;
    if (m_xkbEventBase && type == m_xkbEventBase) {
        const quint8 xkbType = reinterpret_cast<const quint8 *>(event)[1];
        return xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify;
    }
    return false;
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
    // on another modifier. A grab that stays where it was is left alone.
    xcb_key_symbols_free(m_keySymbols);
    m_keySymbols = xcb_key_symbols_alloc(m_connection);
    for (Registration &registration : m_registrations) {
        const xcb_keycode_t keycode = keycodeFor(registration.keysym);
        const QList<quint16> wanted = keycode == XCB_NO_SYMBOL ? QList<quint16>() : variants(registration.modifiers);
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
    xcb_flush(m_connection);
}

bool LinuxHotKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_registrations.isEmpty())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if (isMappingChange(event)) {
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
