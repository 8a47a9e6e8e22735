#include "platform/linux/X11SuperClickGrab.h"

#include "platform/linux/ClickCounter.h"
#include "platform/linux/X11ModifierMap.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <QGuiApplication>
#include <QList>
#include <QPointF>

#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <optional>

namespace {
constexpr int badAccess = 10;
constexpr int unavailable = -1;
constexpr int leftButton = 1;
}

// Everything here runs on the grab's thread.
struct X11SuperClickGrab::Serving {
    // Windows whose ids come from this range were made by Tavlen's own (Qt's) connection.
    quint32 ownBase = 0;
    quint32 ownMask = 0;
    std::unique_ptr<XcbSession> session;
    quint8 inputOpcode = 0;
    QList<quint16> grabbed;
    ClickCounter clicks{0.4, 5};
    // The newest press counted, by its server time: a press arrives both raw and, when grabbed, as a
    // button press, in either order.
    std::optional<quint32> countedTime;
    int countedClicks = 0;

    xcb_connection_t *connection() const { return session->connection(); }

    bool open()
    {
        if (session)
            return session->isAvailable();
        session = std::make_unique<XcbSession>();
        if (!session->isAvailable())
            return false;
        xcb_connection_t *c = connection();
        const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
        if (extension && extension->present) {
            XcbReply<xcb_input_xi_query_version_reply_t> version(
                xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
            // Raw events reach every client despite grabs from input 2.1 on.
            if (version && (version->major_version > 2 || version->minor_version >= 1)) {
                inputOpcode = extension->major_opcode;
                struct {
                    xcb_input_event_mask_t head;
                    quint32 bits;
                } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
                xcb_input_xi_select_events(c, session->root(), 1, &selection.head);
            }
        }
        session->addEventHandler([this](const xcb_generic_event_t &event) { handle(event); });
        session->flush();
        return true;
    }

    // 0 once held, else the X error (BadAccess: another program holds it) or `unavailable`.
    int hold(double interval)
    {
        clicks.setInterval(interval);
        if (!grabbed.isEmpty())
            return 0;
        if (!open())
            return unavailable;
        xcb_connection_t *c = connection();
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
        const X11ModifierMap modifiers = X11ModifierMap::read(c, symbols);
        xcb_key_symbols_free(symbols);
        for (quint16 variant : modifiers.lockVariants(XCB_MOD_MASK_4)) {
            const xcb_void_cookie_t cookie = xcb_grab_button_checked(
                c, 0, session->root(), XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
                XCB_GRAB_MODE_SYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, leftButton, variant);
            if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
                const int code = error->error_code;
                std::free(error);
                release();
                return code;
            }
            grabbed.append(variant);
        }
        session->flush();
        return 0;
    }

    void release()
    {
        if (!session || !session->isAvailable())
            return;
        for (quint16 variant : std::as_const(grabbed))
            xcb_ungrab_button(connection(), leftButton, session->root(), variant);
        grabbed.clear();
        session->flush();
    }

    int count(int button, QPointF position, quint32 time)
    {
        countedTime = time;
        countedClicks = clicks.press(button, position, time / 1000.0);
        return countedClicks;
    }

    std::optional<QPointF> pointerPosition() const
    {
        xcb_connection_t *c = connection();
        XcbReply<xcb_query_pointer_reply_t> reply(
            xcb_query_pointer_reply(c, xcb_query_pointer(c, session->root()), nullptr));
        if (!reply)
            return std::nullopt;
        return QPointF(reply->root_x, reply->root_y);
    }

    // Whether the window under the pointer, inside the root's child `top`, is one of Tavlen's (a managed
    // window sits in a frame of the window manager's).
    bool isOwnWindowUnder(xcb_window_t top) const
    {
        xcb_connection_t *c = connection();
        xcb_window_t window = top;
        for (int depth = 0; window && depth < 8; ++depth) {
            if ((window & ~ownMask) == ownBase)
                return true;
            XcbReply<xcb_query_pointer_reply_t> reply(
                xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr));
            if (!reply || !reply->same_screen)
                return false;
            window = reply->child;
        }
        return false;
    }

    void handle(const xcb_generic_event_t &event)
    {
        const quint8 type = event.response_type & 0x7f;
        if (type == XCB_GE_GENERIC) {
            const auto &generic = reinterpret_cast<const xcb_ge_generic_event_t &>(event);
            if (!inputOpcode || generic.extension != inputOpcode || generic.event_type != XCB_INPUT_RAW_BUTTON_PRESS)
                return;
            const auto &raw = reinterpret_cast<const xcb_input_raw_button_press_event_t &>(event);
            if (countedTime == raw.time)
                return;
            if (const std::optional<QPointF> position = pointerPosition())
                count(int(raw.detail), *position, raw.time);
            return;
        }
        if (type != XCB_BUTTON_PRESS)
            return;
        const auto &press = reinterpret_cast<const xcb_button_press_event_t &>(event);
        if (press.event != session->root())
            return;
        const int clickCount = countedTime == press.time
            ? countedClicks
            : count(press.detail, QPointF(press.root_x, press.root_y), press.time);
        const bool keep = clickCount >= 2 && !isOwnWindowUnder(press.child);
        xcb_allow_events(connection(), keep ? XCB_ALLOW_ASYNC_POINTER : XCB_ALLOW_REPLAY_POINTER, press.time);
        xcb_flush(connection());
    }
};

X11SuperClickGrab::X11SuperClickGrab(QObject *parent)
    : QObject(parent)
    , m_serving(std::make_unique<Serving>())
{
    m_thread.setObjectName(QStringLiteral("Super + click grab"));
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        x11 && x11->connection()) {
        const xcb_setup_t *setup = xcb_get_setup(x11->connection());
        m_serving->ownBase = setup->resource_id_base;
        m_serving->ownMask = setup->resource_id_mask;
    }
}

X11SuperClickGrab::~X11SuperClickGrab()
{
    if (m_thread.isRunning()) {
        QThread *home = thread();
        QMetaObject::invokeMethod(
            &m_context,
            [this, home] {
                m_serving->release();
                m_serving->session.reset();
                m_context.moveToThread(home);
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
}

void X11SuperClickGrab::setWanted(bool wanted, double interval)
{
    if (wanted == m_wanted && (!wanted || interval == m_interval))
        return;
    m_wanted = wanted;
    m_interval = interval;
    if (!m_thread.isRunning()) {
        if (!wanted)
            return;
        m_context.moveToThread(&m_thread);
        m_thread.start();
    }
    Serving *serving = m_serving.get();
    QMetaObject::invokeMethod(&m_context, [this, serving, wanted, interval] {
        int error = 0;
        if (wanted)
            error = serving->hold(interval);
        else
            serving->release();
        // Dropped with this object when it goes first.
        QMetaObject::invokeMethod(this, [this, wanted, error] { finishRequest(wanted, error); }, Qt::QueuedConnection);
    });
}

void X11SuperClickGrab::finishRequest(bool wanted, int error)
{
    m_held = wanted && error == 0;
    if (wanted && error == badAccess)
        Q_EMIT refused();
}
