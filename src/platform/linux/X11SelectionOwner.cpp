#include "platform/linux/X11SelectionOwner.h"

#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// A reader that has not asked for the next chunk for this long has given up.
constexpr auto staleTransfer = std::chrono::seconds(10);
} // namespace

X11SelectionOwner::X11SelectionOwner(XcbSession &session, xcb_atom_t selection,
                                     std::function<void(xcb_window_t requestor)> served)
    : m_session(session)
    , m_served(std::move(served))
    , m_selection(selection)
{
    xcb_connection_t *c = m_session.connection();
    // Half the largest request the server takes, so a chunk always fits in one ChangeProperty.
    const qsizetype maximum = qsizetype(xcb_get_maximum_request_length(c)) * 4;
    m_chunkSize = std::clamp<qsizetype>(maximum / 2, 4096, 256 * 1024);
    m_window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_session.root(), -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    m_handler = m_session.addEventHandler([this](const xcb_generic_event_t &event) { handleEvent(event); });
    m_session.flush();
}

X11SelectionOwner::~X11SelectionOwner()
{
    m_session.removeEventHandler(m_handler);
    xcb_destroy_window(m_session.connection(), m_window);
    xcb_flush(m_session.connection());
}

bool X11SelectionOwner::own(Targets targets, xcb_timestamp_t time)
{
    xcb_connection_t *c = m_session.connection();
    release();
    const xcb_atom_t utf8 = m_session.atom("UTF8_STRING");
    const xcb_atom_t text = m_session.atom("TEXT");
    m_targetList = {m_session.atom("TARGETS"), m_session.atom("TIMESTAMP")};
    for (auto &[name, data] : targets) {
        const xcb_atom_t target = m_session.atom(name.constData());
        if (target == XCB_ATOM_NONE || m_data.contains(target))
            continue;
        // TEXT asks for any text encoding; ours is UTF-8.
        m_data.insert(target, {target == text ? utf8 : target, std::move(data)});
        m_targetList.append(target);
    }
    xcb_set_selection_owner(c, m_window, m_selection, time);
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    m_session.scheduleDispatch();
    m_owning = owner && owner->owner == m_window;
    if (!m_owning) {
        release();
        return false;
    }
    m_time = time;
    return true;
}

void X11SelectionOwner::disown()
{
    if (!m_owning)
        return;
    xcb_set_selection_owner(m_session.connection(), XCB_NONE, m_selection, XCB_CURRENT_TIME);
    xcb_flush(m_session.connection());
    release();
}

void X11SelectionOwner::release()
{
    // Transfers under way go on: a reader that started before another owner came gets the whole copy.
    m_owning = false;
    m_data.clear();
    m_targetList.clear();
}

void X11SelectionOwner::handleEvent(const xcb_generic_event_t &event)
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
        // A clear from before our latest take is about an earlier ownership.
        if (clear.owner == m_window && clear.selection == m_selection
            && (m_time == XCB_CURRENT_TIME || clear.time == XCB_CURRENT_TIME || clear.time >= m_time))
            release();
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto &notify = reinterpret_cast<const xcb_property_notify_event_t &>(event);
        if (notify.state == XCB_PROPERTY_DELETE)
            continueTransfer(notify.window, notify.atom);
        break;
    }
    default:
        break;
    }
}

void X11SelectionOwner::answer(const xcb_selection_request_event_t &request)
{
    xcb_connection_t *c = m_session.connection();
    dropStaleTransfers();
    // Obsolete readers name no property: the target is the property then.
    const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    xcb_atom_t answered = XCB_ATOM_NONE;
    bool handedData = false;
    const bool current = m_owning && (request.time == XCB_CURRENT_TIME || m_time == XCB_CURRENT_TIME
                                      || request.time >= m_time);
    if (current && request.target == m_targetList.value(0)) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                            quint32(m_targetList.size()), m_targetList.constData());
        answered = property;
    } else if (current && request.target == m_targetList.value(1)) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1, &m_time);
        answered = property;
    } else if (current && m_data.contains(request.target)) {
        const auto &[type, data] = m_data[request.target];
        if (data.size() <= m_chunkSize) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, type, 8,
                                quint32(data.size()), data.constData());
        } else {
            // INCR: announce the size, then hand out a chunk each time the reader deletes the last one.
            const quint32 size = quint32(data.size());
            const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c, request.requestor, XCB_CW_EVENT_MASK, &mask);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, m_session.atom("INCR"), 32,
                                1, &size);
            m_transfers.append({request.requestor, property, type, data, 0, std::chrono::steady_clock::now()});
        }
        answered = property;
        handedData = true;
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = answered;
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
    xcb_flush(c);
    if (handedData && m_served)
        m_served(request.requestor);
}

void X11SelectionOwner::continueTransfer(xcb_window_t requestor, xcb_atom_t property)
{
    xcb_connection_t *c = m_session.connection();
    for (qsizetype i = 0; i < m_transfers.size(); ++i) {
        Transfer &transfer = m_transfers[i];
        if (transfer.requestor != requestor || transfer.property != property)
            continue;
        const qsizetype length = std::min(m_chunkSize, transfer.data.size() - transfer.offset);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, transfer.type, 8, quint32(length),
                            transfer.data.constData() + transfer.offset);
        transfer.offset += length;
        transfer.lastActivity = std::chrono::steady_clock::now();
        if (length == 0) {
            // The empty chunk ends it; the reader's window is of no more interest.
            m_transfers.removeAt(i);
            const bool more = std::any_of(m_transfers.cbegin(), m_transfers.cend(),
                                          [requestor](const Transfer &t) { return t.requestor == requestor; });
            if (!more) {
                const quint32 none = XCB_EVENT_MASK_NO_EVENT;
                xcb_change_window_attributes(c, requestor, XCB_CW_EVENT_MASK, &none);
            }
        }
        xcb_flush(c);
        return;
    }
}

void X11SelectionOwner::dropStaleTransfers()
{
    const auto now = std::chrono::steady_clock::now();
    m_transfers.removeIf([now](const Transfer &t) { return now - t.lastActivity > staleTransfer; });
}
