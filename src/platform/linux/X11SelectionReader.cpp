#include "platform/linux/X11SelectionReader.h"

#include "platform/linux/X11ClipboardTargets.h"
#include "platform/linux/XcbReply.h"

#include <QDeadlineTimer>
#include <QSet>

#include <xcb/xfixes.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr quint8 eventType(const xcb_generic_event_t *event)
{
    return event->response_type & 0x7f;
}
} // namespace

X11SelectionReader::X11SelectionReader(std::chrono::milliseconds timeout, QByteArray selection)
    : m_timeout(timeout)
    , m_selectionName(std::move(selection))
{
}

X11SelectionReader::~X11SelectionReader()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11SelectionReader::connect()
{
    if (m_connection)
        return !xcb_connection_has_error(m_connection);
    if (m_failed)
        return false;
    m_failed = true; // until proven otherwise; a missing display is not retried on every read
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return false;
    }
    m_connection = c;
    m_failed = false;

    m_root = it.data->root;
    m_selection = atom(m_selectionName);
    m_targets = atom("TARGETS");
    m_incr = atom("INCR");
    m_property = atom("_TAVLEN_SELECTION");

    // Owner changes end a wait early instead of running into the timeout.
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
        if (version)
            m_xfixesEventBase = xfixes->first_event;
    }
    createWindow();
    return !xcb_connection_has_error(c);
}

void X11SelectionReader::createWindow()
{
    // A plain input-only window: the owner writes the data into its properties.
    m_window = xcb_generate_id(m_connection);
    const quint32 values[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
    if (m_xfixesEventBase)
        xcb_xfixes_select_selection_input(m_connection, m_window, m_selection,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_connection);
}

void X11SelectionReader::abandonTransfer()
{
    // INCR has no way to say "stop": an owner notices the requestor window going away and gives up,
    // instead of waiting for us to ask for the next chunk.
    xcb_destroy_window(m_connection, m_window);
    createWindow();
}

xcb_atom_t X11SelectionReader::atom(const QByteArray &name)
{
    auto found = m_atoms.constFind(name);
    if (found != m_atoms.constEnd())
        return *found;
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, quint16(name.size()), name.constData()), nullptr));
    if (!reply)
        return XCB_ATOM_NONE;
    m_atoms.insert(name, reply->atom);
    m_names.insert(reply->atom, name);
    return reply->atom;
}

QByteArray X11SelectionReader::atomName(xcb_atom_t value)
{
    auto found = m_names.constFind(value);
    if (found != m_names.constEnd())
        return *found;
    XcbReply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, value), nullptr));
    if (!reply)
        return {};
    const QByteArray name(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
    if (PasteboardType::canBeName(name)) {
        m_names.insert(value, name);
        m_atoms.insert(name, value);
    }
    return name;
}

xcb_window_t X11SelectionReader::owner()
{
    XcbReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr));
    return reply ? reply->owner : XCB_NONE;
}

void X11SelectionReader::discardEvents()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
        std::free(event);
}

template<typename Accept>
X11SelectionReader::Answer X11SelectionReader::waitFor(Accept accept, xcb_window_t selectionOwner)
{
    QDeadlineTimer deadline(m_timeout);
    bool replaced = false;
    const int fd = xcb_get_file_descriptor(m_connection);
    for (;;) {
        while (xcb_generic_event_t *raw = xcb_poll_for_event(m_connection)) {
            XcbReply<xcb_generic_event_t> event(raw);
            if (m_xfixesEventBase && eventType(raw) == m_xfixesEventBase + XCB_XFIXES_SELECTION_NOTIFY) {
                const auto *notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(raw);
                if (notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER) {
                    // Replaced by the next copy: an owner usually still answers what it was asked (its own
                    // copy's data, since the request went to it), but one that quits never does, so it gets
                    // a moment, not the whole timeout.
                    if (notify->owner != selectionOwner && !replaced) {
                        replaced = true;
                        if (deadline.remainingTime() > replacedOwnerGrace.count())
                            deadline = QDeadlineTimer(replacedOwnerGrace);
                    }
                    continue;
                }
                // The owner vanished: nobody is left to answer.
                if (owner() != selectionOwner)
                    return Answer::ownerGone;
                continue;
            }
            const std::optional<Answer> answer = accept(raw);
            if (answer)
                return *answer;
        }
        if (xcb_connection_has_error(m_connection))
            return Answer::failed;
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return replaced ? Answer::ownerGone : Answer::timedOut;
        pollfd pfd{fd, POLLIN, 0};
        ::poll(&pfd, 1, int(remaining));
    }
}

X11SelectionReader::Answer X11SelectionReader::convert(xcb_atom_t target, xcb_window_t selectionOwner)
{
    discardEvents();
    xcb_delete_property(m_connection, m_window, m_property);
    xcb_convert_selection(m_connection, m_window, m_selection, target, m_property, XCB_CURRENT_TIME);
    // Asked after the conversion, the owner tells who got the request: when another copy came first, its
    // owner would answer with its own data, which is not this copy's.
    if (owner() != selectionOwner)
        return Answer::ownerGone;
    return waitFor(
        [&](const xcb_generic_event_t *event) -> std::optional<Answer> {
            if (eventType(event) != XCB_SELECTION_NOTIFY)
                return std::nullopt;
            const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(event);
            // An answer to an earlier request that timed out is not ours.
            if (notify->requestor != m_window || notify->selection != m_selection || notify->target != target)
                return std::nullopt;
            return notify->property == XCB_ATOM_NONE ? Answer::refused : Answer::ready;
        },
        selectionOwner);
}

X11SelectionReader::Targets X11SelectionReader::targets()
{
    Targets result;
    if (!connect())
        return result;
    const xcb_window_t selectionOwner = owner();
    m_listedOwner = selectionOwner;
    if (selectionOwner == XCB_NONE) {
        result.answered = true;
        return result;
    }
    const Answer answer = convert(m_targets, selectionOwner);
    if (answer == Answer::ownerGone) {
        result.answered = true; // the content died with its owner
        return result;
    }
    if (answer != Answer::ready)
        return result;
    const PasteboardRead list = fetch("TARGETS", selectionOwner, 1 << 20);
    if (list.status != PasteboardRead::Status::data)
        return result;
    result.answered = true;
    const auto *atoms = reinterpret_cast<const xcb_atom_t *>(list.data.constData());
    const qsizetype count = list.data.size() / qsizetype(sizeof(xcb_atom_t));
    const QList<xcb_atom_t> offered(atoms, atoms + count);
    learnNames(offered);
    QSet<xcb_atom_t> seen;
    for (const xcb_atom_t offer : offered) {
        const QByteArray name = m_names.value(offer);
        if (!name.isEmpty() && !seen.contains(offer)) {
            seen.insert(offer);
            result.names.append(name);
        }
    }
    return result;
}

void X11SelectionReader::learnNames(const QList<xcb_atom_t> &offered)
{
    // Names are remembered across copies, but an owner announcing thousands of new ones does not get to
    // fill the memory: past a few thousand, the memory starts over.
    constexpr qsizetype rememberedNames = 4096;
    if (m_names.size() > rememberedNames) {
        m_names.clear();
        m_atoms.clear();
    }
    QList<xcb_atom_t> unknown;
    QSet<xcb_atom_t> asked;
    for (const xcb_atom_t offer : offered) {
        if (!m_names.contains(offer) && !asked.contains(offer)) {
            asked.insert(offer);
            unknown.append(offer);
        }
    }
    // Asked for in batches, one round trip each rather than one per target.
    constexpr qsizetype batch = 256;
    for (qsizetype from = 0; from < unknown.size(); from += batch) {
        const qsizetype to = std::min(unknown.size(), from + batch);
        QList<xcb_get_atom_name_cookie_t> cookies;
        for (qsizetype i = from; i < to; ++i)
            cookies.append(xcb_get_atom_name(m_connection, unknown[i]));
        for (qsizetype i = from; i < to; ++i) {
            XcbReply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(m_connection, cookies[i - from], nullptr));
            if (!reply)
                continue;
            const QByteArrayView name(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
            // A name no format can have is neither offered nor remembered.
            if (!PasteboardType::canBeName(name))
                continue;
            m_names.insert(unknown[i], name.toByteArray());
            m_atoms.insert(name.toByteArray(), unknown[i]);
        }
    }
}

PasteboardRead X11SelectionReader::read(const QByteArray &target, qint64 maxBytes)
{
    if (!connect())
        return PasteboardRead::missing();
    const xcb_window_t selectionOwner = owner();
    // Data of another owner than the one that listed the targets belongs to a later copy.
    if (selectionOwner == XCB_NONE || selectionOwner != m_listedOwner)
        return PasteboardRead::missing();
    const xcb_atom_t targetAtom = atom(target);
    if (targetAtom == XCB_ATOM_NONE)
        return PasteboardRead::missing();
    const Answer answer = convert(targetAtom, selectionOwner);
    if (answer != Answer::ready)
        return PasteboardRead::missing(answer == Answer::timedOut);
    return fetch(target, selectionOwner, maxBytes);
}

PasteboardRead X11SelectionReader::fetch(const QByteArray &target, xcb_window_t selectionOwner, qint64 maxBytes)
{
    // Ask for the size first, so that oversized data is never transferred.
    XcbReply<xcb_get_property_reply_t> head(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    if (!head || head->type == XCB_ATOM_NONE)
        return PasteboardRead::missing();
    if (head->type == m_incr) {
        XcbReply<xcb_get_property_reply_t> size(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, m_window, m_property, XCB_ATOM_ANY, 0, 1), nullptr));
        qint64 announced = 0;
        if (size && xcb_get_property_value_length(size.get()) >= 4)
            announced = *static_cast<const quint32 *>(xcb_get_property_value(size.get()));
        return fetchIncremental(target, selectionOwner, announced, maxBytes);
    }
    if (!X11ClipboardTargets::carries(target, atomName(head->type), head->format)) {
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        return PasteboardRead::missing();
    }
    const qint64 total = head->bytes_after;
    if (total > maxBytes) {
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        return PasteboardRead::tooLarge(total);
    }
    XcbReply<xcb_get_property_reply_t> full(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, quint32((total + 3) / 4)),
        nullptr));
    if (!full)
        return PasteboardRead::missing();
    const int length = xcb_get_property_value_length(full.get());
    return PasteboardRead::bytes(QByteArray(static_cast<const char *>(xcb_get_property_value(full.get())), length));
}

PasteboardRead X11SelectionReader::fetchIncremental(const QByteArray &target, xcb_window_t selectionOwner,
                                                    qint64 announcedBytes, qint64 maxBytes)
{
    // The announced size is a lower bound; an owner announcing too much is not read at all.
    if (announcedBytes > maxBytes) {
        abandonTransfer();
        return PasteboardRead::tooLarge(announcedBytes);
    }
    QByteArray data;
    data.reserve(qsizetype(announcedBytes));
    // Deleting the INCR property asks the owner for the first chunk.
    xcb_delete_property(m_connection, m_window, m_property);
    xcb_flush(m_connection);
    for (;;) {
        const Answer answer = waitFor(
            [&](const xcb_generic_event_t *event) -> std::optional<Answer> {
                if (eventType(event) != XCB_PROPERTY_NOTIFY)
                    return std::nullopt;
                const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
                if (notify->window != m_window || notify->atom != m_property
                    || notify->state != XCB_PROPERTY_NEW_VALUE)
                    return std::nullopt;
                return Answer::ready;
            },
            selectionOwner);
        if (answer != Answer::ready) {
            abandonTransfer();
            return PasteboardRead::missing(answer == Answer::timedOut);
        }
        XcbReply<xcb_get_property_reply_t> chunk(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff),
            nullptr));
        if (!chunk)
            return PasteboardRead::missing();
        const int length = xcb_get_property_value_length(chunk.get());
        if (length == 0)
            return PasteboardRead::bytes(data);
        if (!X11ClipboardTargets::carries(target, atomName(chunk->type), chunk->format)) {
            abandonTransfer();
            return PasteboardRead::missing();
        }
        if (data.size() + length > maxBytes) {
            abandonTransfer();
            return PasteboardRead::tooLarge(qMax<qint64>(announcedBytes, data.size() + length));
        }
        data.append(static_cast<const char *>(xcb_get_property_value(chunk.get())), length);
    }
}

PasteboardRead X11SelectionReader::readFirst(const QList<QByteArray> &candidates, qint64 maxBytes, bool text)
{
    PasteboardRead result = PasteboardRead::missing();
    for (const QByteArray &target : candidates) {
        result = read(target, maxBytes);
        if (result.status == PasteboardRead::Status::data && text) {
            result.data = X11ClipboardTargets::toUtf8Text(target, result.data);
            result.byteCount = result.data.size();
        }
        if (result.status != PasteboardRead::Status::unavailable || result.timedOut)
            break;
    }
    return result;
}
