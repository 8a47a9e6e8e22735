#include "platform/linux/X11ClipboardManager.h"

#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <cstdlib>
#include <memory>
#include <utility>

namespace {
} // namespace

X11ClipboardManager::X11ClipboardManager(XcbSession &session, SaveHandler onSave)
    : m_session(session)
    , m_onSave(std::move(onSave))
{
    xcb_connection_t *c = m_session.connection();
    m_selection = m_session.atom("CLIPBOARD_MANAGER");
    m_saveTargets = m_session.atom("SAVE_TARGETS");
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    if (!owner || owner->owner != XCB_NONE)
        return; // another clipboard manager runs

    m_window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_session.root(), -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(c, m_window, m_selection, XCB_CURRENT_TIME);
    XcbReply<xcb_get_selection_owner_reply_t> taken(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    m_active = taken && taken->owner == m_window;
    if (!m_active)
        return;
    // The announcement of a new manager (ICCCM 2.8), for clients that wait for one.
    xcb_client_message_event_t announce{};
    announce.response_type = XCB_CLIENT_MESSAGE;
    announce.format = 32;
    announce.window = m_session.root();
    announce.type = m_session.atom("MANAGER");
    announce.data.data32[0] = XCB_CURRENT_TIME;
    announce.data.data32[1] = m_selection;
    announce.data.data32[2] = m_window;
    xcb_send_event(c, 0, m_session.root(), XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char *>(&announce));
    m_handler = m_session.addEventHandler([this](const xcb_generic_event_t &event) { handleEvent(event); });
    m_session.flush();
}

X11ClipboardManager::~X11ClipboardManager()
{
    if (m_pending)
        notify(*m_pending, XCB_ATOM_NONE); // an application still waiting need not wait for its timeout
    if (m_handler)
        m_session.removeEventHandler(m_handler);
    if (m_window) {
        xcb_destroy_window(m_session.connection(), m_window);
        xcb_flush(m_session.connection());
    }
}

void X11ClipboardManager::handleEvent(const xcb_generic_event_t &event)
{
    switch (event.response_type & 0x7f) {
    case XCB_SELECTION_REQUEST: {
        const auto &request = reinterpret_cast<const xcb_selection_request_event_t &>(event);
        if (request.owner == m_window && request.selection == m_selection)
            answer(request);
        break;
    }
    case XCB_SELECTION_CLEAR: {
        const auto &clear = reinterpret_cast<const xcb_selection_clear_event_t &>(event);
        if (clear.owner == m_window && clear.selection == m_selection)
            m_active = false; // another manager took over
        break;
    }
    default:
        break;
    }
}

void X11ClipboardManager::answer(const xcb_selection_request_event_t &request)
{
    xcb_connection_t *c = m_session.connection();
    const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    if (request.target == m_saveTargets) {
        if (!m_active || m_pending) {
            notify(request, XCB_ATOM_NONE);
            return;
        }
        m_pending = request;
        SaveRequest save;
        save.requestor = request.requestor;
        save.property = request.property;
        save.time = request.time;
        save.targets = requestedTargets(request.requestor, request.property);
        m_onSave(save);
        return;
    }
    if (request.target == m_session.atom("TARGETS")) {
        const xcb_atom_t targets[] = {m_session.atom("TARGETS"), m_saveTargets, m_session.atom("TIMESTAMP")};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32, 3, targets);
        notify(request, property);
        return;
    }
    notify(request, XCB_ATOM_NONE);
}

QList<QByteArray> X11ClipboardManager::requestedTargets(xcb_window_t requestor, xcb_atom_t property)
{
    QList<QByteArray> names;
    if (property == XCB_ATOM_NONE)
        return names;
    // GTK names the targets to keep in the property; Qt deletes it first, meaning all of them.
    const auto bytes = m_session.property(requestor, property, XCB_ATOM_ATOM, 4096);
    if (!bytes)
        return names;
    const auto *atoms = reinterpret_cast<const xcb_atom_t *>(bytes->constData());
    xcb_connection_t *c = m_session.connection();
    for (qsizetype i = 0; i < bytes->size() / qsizetype(sizeof(xcb_atom_t)); ++i) {
        XcbReply<xcb_get_atom_name_reply_t> name(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr));
        if (name)
            names.append(QByteArray(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get())));
    }
    m_session.scheduleDispatch();
    return names;
}

void X11ClipboardManager::finish(const SaveRequest &request, bool saved)
{
    if (!m_pending || m_pending->requestor != request.requestor)
        return;
    const xcb_selection_request_event_t pending = *std::exchange(m_pending, std::nullopt);
    xcb_atom_t property = XCB_ATOM_NONE;
    if (saved && pending.property != XCB_ATOM_NONE) {
        // A side-effect target answers with an empty property of type NULL.
        xcb_change_property(m_session.connection(), XCB_PROP_MODE_REPLACE, pending.requestor, pending.property,
                            m_session.atom("NULL"), 32, 0, nullptr);
        property = pending.property;
    }
    notify(pending, property);
}

void X11ClipboardManager::notify(const xcb_selection_request_event_t &request, xcb_atom_t property)
{
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(m_session.connection(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&notify));
    xcb_flush(m_session.connection());
}
