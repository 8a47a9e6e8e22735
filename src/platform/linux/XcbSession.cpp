#include "platform/linux/XcbSession.h"

#include "platform/linux/XcbReply.h"

#include <xcb/res.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdlib>
#include <memory>

namespace {
} // namespace

XcbSession::XcbSession(QObject *parent)
    : QObject(parent)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        m_error = QStringLiteral("No X display: DISPLAY is not set");
        return;
    }
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        m_error = QStringLiteral("Cannot connect to the X display %1").arg(qEnvironmentVariable("DISPLAY"));
        if (c)
            xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        m_error = QStringLiteral("The X display has no screen %1").arg(screenNumber);
        xcb_disconnect(c);
        return;
    }
    m_connection = c;
    m_root = it.data->root;

    // Replies read by synchronous calls can leave events in xcb's queue without the socket becoming
    // readable again, so drain the queue also whenever the event loop is about to sleep; only the queue:
    // the notifier reads the socket, and a read there on every turn of the loop costs a system call.
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XcbSession::dispatchQueued);
    if (auto *dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { dispatch(false); });
}

XcbSession::~XcbSession()
{
    if (!m_connection)
        return;
    // The server drops requests still unread when a client hangs up: wait until it has read them all
    // (a keyboard map put back at exit was lost without this).
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    xcb_disconnect(m_connection);
}

xcb_atom_t XcbSession::atom(const char *name)
{
    if (!m_connection)
        return XCB_ATOM_NONE;
    const QByteArray key(name);
    auto found = m_atoms.constFind(key);
    if (found != m_atoms.constEnd())
        return *found;
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(key.size()), key.constData()), nullptr));
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    scheduleDispatch();
    if (reply)
        m_atoms.insert(key, value);
    return value;
}

int XcbSession::addEventHandler(EventHandler handler)
{
    const int id = m_nextHandlerId++;
    m_handlers.emplace_back(id, std::move(handler));
    return id;
}

void XcbSession::removeEventHandler(int id)
{
    // Cleared rather than erased: a handler may withdraw itself while the events are handed out.
    for (auto &[handlerId, handler] : m_handlers) {
        if (handlerId == id)
            handler = nullptr;
    }
}

void XcbSession::flush()
{
    if (!m_connection)
        return;
    xcb_flush(m_connection);
    dispatchQueued();
}

void XcbSession::scheduleDispatch()
{
    if (m_dispatchScheduled || !m_connection)
        return;
    m_dispatchScheduled = true;
    QMetaObject::invokeMethod(this, &XcbSession::dispatchQueued, Qt::QueuedConnection);
}

void XcbSession::dispatchQueued()
{
    dispatch(true);
}

void XcbSession::dispatch(bool readSocket)
{
    m_dispatchScheduled = false;
    if (!m_connection)
        return;
    if (xcb_connection_has_error(m_connection)) {
        // The server went away: stop listening rather than spinning on a dead socket.
        if (m_notifier)
            m_notifier->setEnabled(false);
        return;
    }
    ++m_dispatchDepth;
    auto next = [this, readSocket] {
        return readSocket ? xcb_poll_for_event(m_connection) : xcb_poll_for_queued_event(m_connection);
    };
    while (xcb_generic_event_t *event = next()) {
        XcbReply<xcb_generic_event_t> owned(event);
        // A handler may add another one meanwhile: go by index.
        for (size_t i = 0; i < m_handlers.size(); ++i) {
            const EventHandler handler = m_handlers[i].second;
            if (handler)
                handler(*event);
        }
    }
    if (--m_dispatchDepth == 0)
        std::erase_if(m_handlers, [](const auto &entry) { return !entry.second; });
}

std::optional<QByteArray> XcbSession::property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                               quint32 maxBytes)
{
    if (!m_connection || !window || property == XCB_ATOM_NONE)
        return std::nullopt;
    const auto cookie = xcb_get_property(m_connection, 0, window, property, type, 0, (maxBytes + 3) / 4);
    xcb_generic_error_t *error = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, &error));
    std::free(error);
    scheduleDispatch();
    if (!reply || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    const int length = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
}

std::optional<quint32> XcbSession::cardinal(xcb_window_t window, const char *name, xcb_atom_t type)
{
    const QList<quint32> values = cardinals(window, name, type);
    if (values.isEmpty())
        return std::nullopt;
    return values.first();
}

QList<quint32> XcbSession::cardinals(xcb_window_t window, const char *name, xcb_atom_t type)
{
    QList<quint32> values;
    const auto bytes = property(window, atom(name), type, 1 << 20);
    if (!bytes)
        return values;
    const qsizetype count = bytes->size() / qsizetype(sizeof(quint32));
    const auto *data = reinterpret_cast<const quint32 *>(bytes->constData());
    values.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        values.append(data[i]);
    return values;
}

bool XcbSession::hasWindowManager()
{
    // A window manager that died can leave a stale check window behind: it must point to itself.
    const auto check = cardinal(m_root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    if (!check || !*check)
        return false;
    const auto self = cardinal(*check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW);
    return self && *self == *check;
}

xcb_window_t XcbSession::activeWindow()
{
    return cardinal(m_root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW).value_or(0);
}

QList<xcb_window_t> XcbSession::clientList()
{
    return cardinals(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
}

qint64 XcbSession::windowPid(xcb_window_t window)
{
    return qint64(cardinal(window, "_NET_WM_PID", XCB_ATOM_CARDINAL).value_or(0));
}

QList<qint64> XcbSession::windowPids(const QList<xcb_window_t> &windows)
{
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    QList<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows)
        cookies.append(xcb_get_property(m_connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1));
    QList<qint64> pids;
    pids.reserve(windows.size());
    for (const xcb_get_property_cookie_t cookie : std::as_const(cookies)) {
        const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
        const bool holds = reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4;
        pids.append(holds ? qint64(*static_cast<const quint32 *>(xcb_get_property_value(reply.get()))) : 0);
    }
    return pids;
}

XcbSession::Client XcbSession::windowClient(xcb_window_t window)
{
    // Every client's resources share its base: the bits outside the mask the server hands each client.
    Client client{quint32(window & ~xcb_get_setup(m_connection)->resource_id_mask), 0};
    const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const XcbReply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(m_connection, xcb_res_query_client_ids(m_connection, 1, &spec), nullptr));
    if (!reply)
        return client;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem; xcb_res_client_id_value_next(&it)) {
        if (!(it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
            || xcb_res_client_id_value_value_length(it.data) < 1)
            continue;
        client.pid = qint64(*xcb_res_client_id_value_value(it.data));
        break;
    }
    return client;
}

QPair<QString, QString> XcbSession::windowClass(xcb_window_t window)
{
    const auto bytes = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 4096);
    if (!bytes)
        return {};
    const QList<QByteArray> parts = bytes->split('\0');
    const QString instance = parts.size() > 0 ? QString::fromLocal8Bit(parts.at(0)) : QString();
    const QString klass = parts.size() > 1 ? QString::fromLocal8Bit(parts.at(1)) : QString();
    return {instance, klass};
}

QList<xcb_atom_t> XcbSession::windowTypes(xcb_window_t window)
{
    return cardinals(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM);
}

bool XcbSession::windowExists(xcb_window_t window)
{
    if (!m_connection || !window)
        return false;
    xcb_generic_error_t *error = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), &error));
    std::free(error);
    scheduleDispatch();
    return bool(reply);
}
