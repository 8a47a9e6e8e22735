#include "platform/linux/LinuxEventMonitors.h"

#include "platform/linux/LinuxPanel.h"
#include "platform/linux/LinuxScreens.h"
#include "platform/linux/QtKeysyms.h"
#include "platform/linux/X11SuperClickGrab.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <QApplication>
#include <QHash>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformscreen.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <cmath>
#include <cstdlib>

namespace {

// Global points (y up) of the pixel under a y-down device-independent position.
QPointF globalPointOf(QPointF topDown)
{
    return ScreenSpace::pixelFromTopDown(QPoint(int(std::floor(topDown.x())), int(std::floor(topDown.y()))),
                                         LinuxScreens::primaryTopDown());
}

// A native (device pixel) root position in Qt's device-independent space.
QPointF fromNative(QPointF native)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect nativeGeometry = screen->handle()->geometry();
        if (QRectF(nativeGeometry).contains(native)) {
            const double ratio = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
            return QPointF(screen->geometry().topLeft()) + (native - QPointF(nativeGeometry.topLeft())) / ratio;
        }
    }
    return native;
}

MouseButton buttonFromX11(int button)
{
    if (button == 1)
        return MouseButton::Left;
    if (button == 3)
        return MouseButton::Right;
    return MouseButton::Other;
}

MouseButton buttonFromQt(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        return MouseButton::Left;
    if (button == Qt::RightButton)
        return MouseButton::Right;
    return MouseButton::Other;
}

// X11's button numbers, so that local and global presses continue one click sequence.
int x11ButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    case Qt::RightButton:
        return 3;
    case Qt::BackButton:
        return 8;
    case Qt::ForwardButton:
        return 9;
    default:
        return 10;
    }
}

Panel *panelOfWindow(const QWindow *window)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return LinuxPanel::panelOf(widget);
    }
    return nullptr;
}

unsigned phaseFromQt(Qt::ScrollPhase phase)
{
    switch (phase) {
    case Qt::ScrollBegin:
        return ScrollPhase::Began;
    case Qt::ScrollUpdate:
        return ScrollPhase::Changed;
    case Qt::ScrollEnd:
        return ScrollPhase::Ended;
    case Qt::NoScrollPhase:
    case Qt::ScrollMomentum:
        return ScrollPhase::None;
    }
    return ScrollPhase::None;
}

// The text a key types, from its keysym (Latin-1 directly, other characters through the Unicode range).
QString textOfKeysym(xcb_keysym_t keysym)
{
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))
        return QString(QChar(char16_t(keysym)));
    if ((keysym & 0xff000000u) == 0x01000000u)
        return QString::fromUcs4(reinterpret_cast<const char32_t *>(&keysym), 1).left(2);
    if (keysym == 0xff0d || keysym == 0xff8d)
        return QStringLiteral("\r");
    if (keysym == 0xff09)
        return QStringLiteral("\t");
    if (keysym == 0xff1b)
        return QString(QChar(0x1b));
    return {};
}

} // namespace

struct LinuxEventMonitors::Global {
    std::unique_ptr<XcbSession> session;
    QString error;
    quint8 opcode = 0;
    xcb_input_device_id_t pointer = 0;
    xcb_key_symbols_t *symbols = nullptr;
    quint32 selected = 0;
    // Modifier keys held now, by keycode, from the raw key stream: in step with the raw button events,
    // unlike a pointer query made after the fact (a quick Super+click is released by then).
    QHash<quint32, quint32> heldModifiers;

    quint32 modifierBitOf(quint32 keycode) const
    {
        switch (xcb_key_symbols_get_keysym(symbols, xcb_keycode_t(keycode), 0)) {
        case 0xffe1: // Shift_L
        case 0xffe2:
            return XCB_MOD_MASK_SHIFT;
        case 0xffe3: // Control_L
        case 0xffe4:
            return XCB_MOD_MASK_CONTROL;
        case 0xffe9: // Alt_L
        case 0xffea:
            return XCB_MOD_MASK_1;
        case 0xffeb: // Super_L
        case 0xffec:
            return XCB_MOD_MASK_4;
        default:
            return 0;
        }
    }
    quint32 heldMask() const
    {
        quint32 mask = 0;
        for (quint32 bit : heldModifiers)
            mask |= bit;
        return mask;
    }

    ~Global()
    {
        if (symbols)
            xcb_key_symbols_free(symbols);
    }

    struct Pointer {
        QPointF native;
        xcb_window_t child = 0;
        quint32 mods = 0;
    };
    std::optional<Pointer> queryPointer() const
    {
        xcb_connection_t *c = session->connection();
        XcbReply<xcb_input_xi_query_pointer_reply_t> reply(
            xcb_input_xi_query_pointer_reply(c, xcb_input_xi_query_pointer(c, session->root(), pointer), nullptr));
        if (!reply)
            return std::nullopt;
        // The effective state reads 0 on some servers; base, latched and locked together are right.
        const quint32 mods = reply->mods.base | reply->mods.latched | reply->mods.locked | heldMask();
        return Pointer{QPointF(reply->root_x / 65536.0, reply->root_y / 65536.0), reply->child, mods};
    }

    // The root's child that holds `window` (the window itself for override-redirect windows, the window
    // manager's frame for managed ones).
    xcb_window_t topLevelOf(xcb_window_t window) const
    {
        xcb_connection_t *c = session->connection();
        for (int depth = 0; window && depth < 16; ++depth) {
            XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
            if (!tree)
                return 0;
            if (tree->parent == tree->root || tree->parent == XCB_NONE)
                return window;
            window = tree->parent;
        }
        return 0;
    }

    bool isOurs(xcb_window_t child) const
    {
        if (!child)
            return false;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible() || !widget->internalWinId())
                continue;
            if (topLevelOf(xcb_window_t(widget->internalWinId())) == child)
                return true;
        }
        return false;
    }
};

LinuxEventMonitors::LinuxEventMonitors(QObject *parent)
    : EventMonitors(parent)
    , m_registry([this](bool global) { return admits(global); }, [this] { updateGlobalSelection(); })
    , m_clicks(0.4, 5)
{
}

LinuxEventMonitors::~LinuxEventMonitors()
{
    if (m_filterInstalled && qApp)
        qApp->removeEventFilter(this);
}

double LinuxEventMonitors::doubleClickInterval() const
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0;
}

QPointF LinuxEventMonitors::mouseLocation() const
{
    return globalPointOf(QCursor::pos());
}

bool LinuxEventMonitors::isGlobalMonitoringAvailable() const
{
    return ensureGlobal();
}

void LinuxEventMonitors::setHoldsBackSuperDoubleClicks(bool holds)
{
    if (!m_superClickGrab) {
        if (!holds)
            return;
        m_superClickGrab = std::make_unique<X11SuperClickGrab>();
        connect(m_superClickGrab.get(), &X11SuperClickGrab::refused, this, [warned = false]() mutable {
            if (!std::exchange(warned, true))
                qWarning("Another program holds Super + click on this desktop: a Super + double-click also "
                         "reaches the application under the pointer.");
        });
    }
    m_superClickGrab->setWanted(holds, doubleClickInterval());
}

bool LinuxEventMonitors::holdsBackSuperDoubleClicks() const
{
    return m_superClickGrab && m_superClickGrab->isHeld();
}

QString LinuxEventMonitors::unavailableReason() const
{
    ensureGlobal();
    return m_global->error;
}

bool LinuxEventMonitors::ensureGlobal() const
{
    if (m_global)
        return m_global->error.isEmpty();
    m_global = std::make_unique<Global>();
    Global &g = *m_global;
    g.session = std::make_unique<XcbSession>();
    if (!g.session->isAvailable()) {
        g.error = g.session->errorMessage();
        return false;
    }
    xcb_connection_t *c = g.session->connection();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present) {
        g.error = QStringLiteral("The X server has no input extension (XInputExtension)");
        return false;
    }
    g.opcode = extension->major_opcode;
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 2)) {
        g.error = QStringLiteral("The X server's input extension is older than 2.2");
        return false;
    }
    XcbReply<xcb_input_xi_get_client_pointer_reply_t> client(
        xcb_input_xi_get_client_pointer_reply(c, xcb_input_xi_get_client_pointer(c, XCB_NONE), nullptr));
    g.pointer = client && client->set ? client->deviceid : 2;
    g.symbols = xcb_key_symbols_alloc(c);
    auto *self = const_cast<LinuxEventMonitors *>(this);
    g.session->addEventHandler([self](const xcb_generic_event_t &event) {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC || !self->m_global)
            return;
        const auto &generic = reinterpret_cast<const xcb_ge_generic_event_t &>(event);
        if (generic.extension != self->m_global->opcode)
            return;
        if (generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
            const auto &raw = reinterpret_cast<const xcb_input_raw_button_press_event_t &>(event);
            self->handleRawButton(int(raw.detail), raw.time / 1000.0);
        } else if (generic.event_type == XCB_INPUT_RAW_KEY_PRESS) {
            const auto &raw = reinterpret_cast<const xcb_input_raw_key_press_event_t &>(event);
            if (const quint32 bit = self->m_global->modifierBitOf(raw.detail))
                self->m_global->heldModifiers.insert(raw.detail, bit);
            else
                self->handleRawKey(raw.detail, raw.time / 1000.0);
        } else if (generic.event_type == XCB_INPUT_RAW_KEY_RELEASE) {
            const auto &raw = reinterpret_cast<const xcb_input_raw_key_release_event_t &>(event);
            self->m_global->heldModifiers.remove(raw.detail);
        }
    });
    return true;
}

// Listens on the root only for the raw events some global monitor wants.
void LinuxEventMonitors::updateGlobalSelection()
{
    if (!m_global || !m_global->error.isEmpty())
        return;
    using Kind = EventMonitorRegistry::Kind;
    const int buttonMonitors = m_registry.count(Kind::MouseDown, true) + m_registry.count(Kind::Scroll, true);
    const int keyMonitors = m_registry.count(Kind::KeyDown, true);
    quint32 mask = 0;
    // Key events also keep the held modifiers of clicks up to date.
    if (buttonMonitors + keyMonitors > 0)
        mask |= XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
    if (buttonMonitors > 0)
        mask |= XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;
    if (mask == m_global->selected)
        return;
    m_global->selected = mask;
    struct {
        xcb_input_event_mask_t head;
        quint32 bits;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
    xcb_input_xi_select_events(m_global->session->connection(), m_global->session->root(), 1, &selection.head);
    m_global->session->flush();
}

// Local monitors filter our own windows' events; global ones need the private connection.
bool LinuxEventMonitors::admits(bool global)
{
    if (global)
        return ensureGlobal();
    if (!qApp)
        return false;
    if (!m_filterInstalled) {
        qApp->installEventFilter(this);
        m_filterInstalled = true;
    }
    return true;
}

void LinuxEventMonitors::handleRawButton(int button, double time)
{
    const bool scroll = button >= 4 && button <= 7;
    const auto pointer = m_global->queryPointer();
    if (!pointer || m_global->isOurs(pointer->child))
        return;
    const QPointF topDown = fromNative(pointer->native);
    if (scroll) {
        ScrollEvent event;
        event.location = globalPointOf(topDown);
        // One wheel notch is one line, with Qt's signs: up and left are positive.
        event.scrollingDeltaY = button == 4 ? 1 : button == 5 ? -1 : 0;
        event.scrollingDeltaX = button == 6 ? 1 : button == 7 ? -1 : 0;
        event.modifiers = modifiersFromX11(pointer->mods);
        event.timestamp = time;
        m_registry.dispatchGlobal(event);
        return;
    }
    m_clicks.setInterval(doubleClickInterval());
    MouseDownEvent event;
    event.button = buttonFromX11(button);
    event.location = globalPointOf(topDown);
    event.clickCount = m_clicks.press(button, topDown, time);
    event.modifiers = modifiersFromX11(pointer->mods);
    event.timestamp = time;
    m_registry.dispatchGlobal(event);
}

void LinuxEventMonitors::handleRawKey(unsigned keycode, double time)
{
    // While one of our windows has the keyboard, its keys are local events.
    if (QGuiApplication::focusWindow())
        return;
    const auto pointer = m_global->queryPointer();
    const quint32 mods = pointer ? pointer->mods : 0;
    KeyDownEvent event;
    const xcb_keysym_t plain = xcb_key_symbols_get_keysym(m_global->symbols, xcb_keycode_t(keycode), 0);
    // The key is named by its unshifted symbol: Shift+1 stays Qt::Key_1, not the "!" it types.
    event.key = qtKeyFromKeysym(plain);
    const xcb_keysym_t shifted = xcb_key_symbols_get_keysym(m_global->symbols, xcb_keycode_t(keycode), 1);
    event.unmodifiedText = textOfKeysym(plain);
    event.text = textOfKeysym((mods & XCB_MOD_MASK_SHIFT) && shifted ? shifted : plain);
    event.modifiers = modifiersFromX11(mods);
    if (isKeypadKeysym(plain))
        event.modifiers |= Qt::KeypadModifier;
    event.timestamp = time;
    m_registry.dispatchGlobal(event);
}

// Input reaches a QWindow first and its widgets after; looking only at the windows sees each event once
// and can still stop it before any widget does.
bool LinuxEventMonitors::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWindowType())
        return false;
    auto *window = static_cast<QWindow *>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        MouseDownEvent down;
        down.button = buttonFromQt(mouse->button());
        const QPointF topDown = mouse->globalPosition();
        down.location = globalPointOf(topDown);
        m_clicks.setInterval(doubleClickInterval());
        down.clickCount = m_clicks.press(x11ButtonOf(mouse->button()), topDown, mouse->timestamp() / 1000.0);
        down.modifiers = mouse->modifiers();
        down.timestamp = mouse->timestamp() / 1000.0;
        down.window = panelOfWindow(window);
        return m_registry.dispatchLocal(down) == EventDisposition::Consume;
    }
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Modifier keys change flags; they are no key-down of their own.
        switch (key->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return false;
        default:
            break;
        }
        KeyDownEvent down;
        // Qt reports Shift+Tab as Backtab; monitors see the Tab key with Shift held.
        down.key = key->key() == Qt::Key_Backtab ? Qt::Key_Tab : Qt::Key(key->key());
        down.text = key->text();
        down.unmodifiedText = key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z
            ? QString(QChar(char16_t('a' + (key->key() - Qt::Key_A))))
            : key->text();
        down.modifiers = key->modifiers();
        down.isAutoRepeat = key->isAutoRepeat();
        down.timestamp = key->timestamp() / 1000.0;
        down.window = panelOfWindow(window);
        return m_registry.dispatchLocal(down) == EventDisposition::Consume;
    }
    case QEvent::Wheel: {
        const auto *wheel = static_cast<QWheelEvent *>(event);
        ScrollEvent scroll;
        scroll.location = globalPointOf(wheel->globalPosition());
        scroll.hasPreciseScrollingDeltas = !wheel->pixelDelta().isNull();
        const QPointF delta = scroll.hasPreciseScrollingDeltas ? QPointF(wheel->pixelDelta())
                                                               : QPointF(wheel->angleDelta()) / 120.0;
        scroll.scrollingDeltaX = delta.x();
        scroll.scrollingDeltaY = delta.y();
        scroll.isDirectionInvertedFromDevice = wheel->inverted();
        if (wheel->phase() == Qt::ScrollMomentum)
            scroll.momentumPhase = ScrollPhase::Changed;
        else
            scroll.phase = phaseFromQt(wheel->phase());
        scroll.modifiers = wheel->modifiers();
        scroll.timestamp = wheel->timestamp() / 1000.0;
        scroll.window = panelOfWindow(window);
        return m_registry.dispatchLocal(scroll) == EventDisposition::Consume;
    }
    default:
        return false;
    }
}
