#include "platform/linux/LinuxKeyboardOutput.h"

#include "platform/Clock.h"
#include "platform/linux/QtKeysyms.h"
#include "platform/linux/XcbSession.h"

#include <QPointer>

#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

constexpr xcb_keysym_t noSymbol = 0;
constexpr xcb_keysym_t keysymReturn = 0xff0d;
constexpr xcb_keysym_t keysymTab = 0xff09;

struct Modifier {
    Qt::KeyboardModifier flag;
    xcb_keysym_t keysym;
};
constexpr Modifier modifierKeys[] = {
    {Qt::ControlModifier, 0xffe3}, // Control_L
    {Qt::ShiftModifier, 0xffe1},   // Shift_L
    {Qt::AltModifier, 0xffe9},     // Alt_L
    {Qt::MetaModifier, 0xffeb},    // Super_L
};

// The keysym that types one code point; none for control characters that have no key.
xcb_keysym_t keysymFor(char32_t cp)
{
    if (cp == U'\n' || cp == U'\r')
        return keysymReturn;
    if (cp == U'\t')
        return keysymTab;
    if (cp < 0x20 || cp == 0x7f)
        return noSymbol;
    return 0x01000000u | cp;
}

} // namespace

xcb_keysym_t LinuxKeyboardOutput::KeyMap::at(xcb_keycode_t code, int column) const
{
    const qsizetype index = qsizetype(code - minKeycode) * perKeycode + column;
    return index >= 0 && index < keysyms.size() ? keysyms.at(index) : noSymbol;
}

LinuxKeyboardOutput::LinuxKeyboardOutput(Clock &clock, XcbSession &session, QObject *parent)
    : KeyboardOutput(clock, parent)
    , m_session(&session)
{
    if (m_session->isAvailable() && !isAvailable())
        qWarning("Keyboard output unavailable: the X server has no XTest extension");
}

LinuxKeyboardOutput::~LinuxKeyboardOutput()
{
    // The clock may already be gone (siblings die in creation order): a pending restore finds us gone, so
    // put the keyboard map back now, once the target had its time to read the last keys.
    if (!m_dirty.isEmpty()) {
        const auto due = m_lastKeyAt + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                           std::chrono::duration<double>(exitRestoreDelaySeconds));
        std::this_thread::sleep_until(due);
    }
    restoreSpares();
}

bool LinuxKeyboardOutput::isAvailable() const
{
    if (!m_session->isAvailable())
        return false;
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_session->connection(), &xcb_test_id);
    return xtest && xtest->present;
}

std::optional<LinuxKeyboardOutput::KeyMap> LinuxKeyboardOutput::readKeyMap()
{
    xcb_connection_t *c = m_session->connection();
    const xcb_setup_t *setup = xcb_get_setup(c);
    const auto cookie = xcb_get_keyboard_mapping(c, setup->min_keycode,
                                                 uint8_t(setup->max_keycode - setup->min_keycode + 1));
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_mapping_reply(c, cookie, nullptr), &std::free);
    m_session->scheduleDispatch();
    if (!reply)
        return std::nullopt;
    KeyMap map;
    map.minKeycode = setup->min_keycode;
    map.perKeycode = reply->keysyms_per_keycode;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int count = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    map.keysyms = QList<xcb_keysym_t>(syms, syms + count);
    return map;
}

qint64 LinuxKeyboardOutput::focusedPid()
{
    // XTest keys go to the window with the X input focus. The window manager's _NET_ACTIVE_WINDOW can lag
    // behind it during a focus change, so both must name the same process.
    const xcb_window_t active = m_session->activeWindow();
    const qint64 activePid = active ? m_session->windowPid(active) : 0;
    if (activePid <= 0)
        return 0;
    xcb_connection_t *connection = m_session->connection();
    const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&free)> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr), &free);
    if (!focus)
        return activePid;
    // The focus may sit on a child of the client window: walk up to the first window that names its process.
    xcb_window_t window = focus->focus;
    for (int depth = 0; depth < 16 && window != XCB_NONE && window != XCB_INPUT_FOCUS_POINTER_ROOT
         && window != m_session->root();
         ++depth) {
        if (const qint64 pid = m_session->windowPid(window); pid > 0)
            return pid == activePid ? pid : 0;
        const std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &free);
        if (!tree)
            break;
        window = tree->parent;
    }
    // A focus no process claims (a window manager frame, say): trust the window manager.
    return activePid;
}

bool LinuxKeyboardOutput::ensurePool()
{
    if (!m_pool.isEmpty())
        return true;
    const auto map = readKeyMap();
    if (!map || map->perKeycode == 0)
        return false;
    const int keycodes = int(map->keysyms.size() / map->perKeycode);
    for (int i = 0; i < keycodes; ++i) {
        const auto code = xcb_keycode_t(map->minKeycode + i);
        // Spare: no symbols at all, or one Unicode keysym in every column, which is what a typing program
        // that ended before restoring its map leaves behind.
        const xcb_keysym_t first = map->at(code, 0);
        bool spare = first == noSymbol || (first & 0xff000000u) == 0x01000000u;
        for (int col = 1; col < map->perKeycode && spare; ++col) {
            const xcb_keysym_t sym = map->at(code, col);
            spare = sym == noSymbol || sym == first;
        }
        if (spare)
            m_pool.append(code);
    }
    if (m_pool.isEmpty())
        qWarning("Cannot type text: the keyboard map has no spare keycode");
    return !m_pool.isEmpty();
}

std::optional<LinuxKeyboardOutput::RealKey> LinuxKeyboardOutput::realKey(const KeyMap &map, xcb_keysym_t keysym) const
{
    // Latin-1 characters have their code point as keysym in keyboard maps; Unicode keysyms also occur.
    xcb_keysym_t candidates[2] = {keysym, noSymbol};
    if ((keysym & 0xff000000u) == 0x01000000u) {
        const xcb_keysym_t cp = keysym & 0x00ffffffu;
        if ((cp >= 0x20 && cp <= 0x7e) || (cp >= 0xa0 && cp <= 0xff))
            candidates[1] = cp;
    }
    const int keycodes = map.perKeycode ? int(map.keysyms.size() / map.perKeycode) : 0;
    for (int column = 0; column < std::min(2, map.perKeycode); ++column) {
        for (int i = 0; i < keycodes; ++i) {
            const auto code = xcb_keycode_t(map.minKeycode + i);
            if (m_pool.contains(code))
                continue;
            const xcb_keysym_t sym = map.at(code, column);
            if (sym != noSymbol && (sym == candidates[0] || sym == candidates[1]))
                return RealKey{code, column == 1};
        }
    }
    return std::nullopt;
}

xcb_keycode_t LinuxKeyboardOutput::borrowSpare(xcb_keysym_t keysym)
{
    if (m_nextSpare >= m_pool.size()) {
        // Give the target time to read the map for the keys it has not handled yet (what is left of that
        // time: paced typing may have waited already).
        m_session->flush();
        const double remaining = wrapPauseSeconds - secondsSinceLastSpare();
        if (remaining > 0)
            m_clock.blockFor(remaining);
        m_nextSpare = 0;
    }
    m_lastKeyAt = std::chrono::steady_clock::now();
    const xcb_keycode_t code = m_pool.at(m_nextSpare++);
    const xcb_keysym_t syms[2] = {keysym, keysym};
    xcb_change_keyboard_mapping(m_session->connection(), 1, code, 2, syms);
    if (!m_dirty.contains(code))
        m_dirty.append(code);
    return code;
}

double LinuxKeyboardOutput::secondsSinceLastSpare() const
{
    if (m_lastKeyAt == std::chrono::steady_clock::time_point())
        return wrapPauseSeconds;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_lastKeyAt).count();
}

int LinuxKeyboardOutput::sparesNeeded(const KeyMap &map, const QString &chunk) const
{
    const xcb_keycode_t shift = realKey(map, modifierKeys[1].keysym).value_or(RealKey{}).code;
    const QList<uint> codePoints = chunk.toUcs4();
    int needed = 0;
    for (qsizetype i = 0; i < codePoints.size(); ++i) {
        const char32_t cp = codePoints.at(i);
        if (cp == U'\r' && i + 1 < codePoints.size() && codePoints.at(i + 1) == U'\n')
            continue;
        const xcb_keysym_t keysym = keysymFor(cp);
        if (keysym == noSymbol)
            continue;
        const std::optional<RealKey> key = realKey(map, keysym);
        if (!key || (key->shifted && !shift))
            ++needed;
    }
    return needed;
}

int LinuxKeyboardOutput::unicodeRunLength()
{
    if (!isAvailable() || !ensurePool())
        return typingChunkLength;
    return std::min(int(typingChunkLength), int(m_pool.size()));
}

double LinuxKeyboardOutput::pauseBeforeUnicodeText(const QString &chunk)
{
    if (!isAvailable() || !ensurePool())
        return 0;
    const std::optional<KeyMap> map = readKeyMap();
    if (!map)
        return 0;
    const int needed = sparesNeeded(*map, chunk);
    if (needed == 0 || m_nextSpare + needed <= m_pool.size())
        return 0;
    const double remaining = wrapPauseSeconds - secondsSinceLastSpare();
    if (remaining > 0)
        return remaining;
    // The target has had its pause: start the pool over now rather than in the middle of the run.
    m_nextSpare = 0;
    return 0;
}

void LinuxKeyboardOutput::fake(uint8_t type, xcb_keycode_t code)
{
    xcb_test_fake_input(m_session->connection(), type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void LinuxKeyboardOutput::scheduleRestore()
{
    if (m_restoreTimer)
        m_clock.cancelTimer(m_restoreTimer);
    QPointer<LinuxKeyboardOutput> self(this);
    m_restoreTimer = m_clock.callAfter(restoreDelaySeconds, [self] {
        if (!self)
            return;
        self->m_restoreTimer = 0;
        self->restoreSpares();
    });
}

void LinuxKeyboardOutput::restoreSpares()
{
    if (!m_session->isAvailable() || m_dirty.isEmpty())
        return;
    const xcb_keysym_t syms[2] = {noSymbol, noSymbol};
    for (xcb_keycode_t code : std::as_const(m_dirty))
        xcb_change_keyboard_mapping(m_session->connection(), 1, code, 2, syms);
    m_dirty.clear();
    m_session->flush();
    // The rotation goes on where it was: the keycode used next is still the one used longest ago.
}

bool LinuxKeyboardOutput::postUnicodeText(const QString &chunk, qint64 pid)
{
    if (!isAvailable())
        return false;
    // XTest reaches the focused window, whoever owns it: refuse rather than type into another application.
    if (pid > 0 && focusedPid() != pid)
        return false;
    if (!ensurePool())
        return false;
    if (m_restoreTimer) {
        m_clock.cancelTimer(m_restoreTimer);
        m_restoreTimer = 0;
    }
    const std::optional<KeyMap> map = readKeyMap();
    const xcb_keycode_t shift = map ? realKey(*map, modifierKeys[1].keysym).value_or(RealKey{}).code : 0;
    const QList<uint> codePoints = chunk.toUcs4();
    for (qsizetype i = 0; i < codePoints.size(); ++i) {
        const char32_t cp = codePoints.at(i);
        // "\r\n" is one line break.
        if (cp == U'\r' && i + 1 < codePoints.size() && codePoints.at(i + 1) == U'\n')
            continue;
        const xcb_keysym_t keysym = keysymFor(cp);
        if (keysym == noSymbol)
            continue;
        // A key the map already has needs no map change, which the target would have to catch up with.
        const std::optional<RealKey> key = map ? realKey(*map, keysym) : std::nullopt;
        if (key && (!key->shifted || shift)) {
            if (key->shifted)
                fake(XCB_KEY_PRESS, shift);
            fake(XCB_KEY_PRESS, key->code);
            fake(XCB_KEY_RELEASE, key->code);
            if (key->shifted)
                fake(XCB_KEY_RELEASE, shift);
        } else {
            const xcb_keycode_t code = borrowSpare(keysym);
            fake(XCB_KEY_PRESS, code);
            fake(XCB_KEY_RELEASE, code);
        }
        m_session->flush();
    }
    scheduleRestore();
    return true;
}

bool LinuxKeyboardOutput::postChordHalf(const KeyChord &chord, bool down, qint64 targetPid)
{
    if (!isAvailable())
        return false;
    if (down && targetPid > 0 && focusedPid() != targetPid)
        return false;
    const auto map = readKeyMap();
    if (!map)
        return false;
    auto keycodeOf = [&](xcb_keysym_t keysym) -> xcb_keycode_t {
        const int keycodes = map->perKeycode ? int(map->keysyms.size() / map->perKeycode) : 0;
        for (int i = 0; i < keycodes; ++i) {
            const auto code = xcb_keycode_t(map->minKeycode + i);
            if (map->at(code, 0) == keysym)
                return code;
        }
        return 0;
    };

    QList<xcb_keycode_t> modifiers;
    for (const Modifier &m : modifierKeys) {
        if (!chord.modifiers.testFlag(m.flag))
            continue;
        const xcb_keycode_t code = keycodeOf(m.keysym);
        if (!code)
            return false;
        modifiers.append(code);
    }

    if (down) {
        const xcb_keysym_t keysym = keysymFromQtKey(chord.key);
        if (keysym == noSymbol)
            return false;
        xcb_keycode_t key = keycodeOf(keysym);
        if (!key) {
            // A layout without the key: lend it a spare keycode for the chord.
            if (!ensurePool())
                return false;
            key = borrowSpare(keysym);
        }
        m_chordKey = key;
        for (xcb_keycode_t code : std::as_const(modifiers))
            fake(XCB_KEY_PRESS, code);
        fake(XCB_KEY_PRESS, key);
    } else {
        if (!m_chordKey)
            return false;
        fake(XCB_KEY_RELEASE, m_chordKey);
        m_chordKey = 0;
        for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
            fake(XCB_KEY_RELEASE, *it);
        if (!m_dirty.isEmpty())
            scheduleRestore();
    }
    m_session->flush();
    return true;
}
