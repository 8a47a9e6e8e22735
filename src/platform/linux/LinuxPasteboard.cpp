#include "platform/linux/LinuxPasteboard.h"

#include "platform/FutureAwaiter.h"
#include "platform/linux/X11ClipboardTargets.h"
#include "platform/linux/X11SelectionOwner.h"
#include "platform/linux/X11SelectionReader.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtConcurrent>

#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace {

// Runs on the reader thread.
PasteboardRead readCandidates(std::shared_ptr<X11SelectionReader> reader, QList<QByteArray> candidates,
                              qint64 maxBytes, bool text)
{
    return reader->readFirst(candidates, maxBytes, text);
}
X11SelectionReader::Targets readTargets(std::shared_ptr<X11SelectionReader> reader)
{
    return reader->targets();
}

// The content a quitting application hands over, read on the reader thread while it waits.
struct HandedOver {
    bool secret = false;
    PasteboardItemData item;
};

// Reads what the capture reads (one representation per meaning), within the same budget; a copy marked
// secret, or whose mark cannot be read, is not taken.
HandedOver readHandedOver(std::shared_ptr<X11SelectionReader> reader, QList<QByteArray> requested)
{
    constexpr qint64 byteBudget = 64'000'000;
    HandedOver result;
    const X11SelectionReader::Targets offered = reader->targets();
    if (!offered.answered)
        return result;
    QList<QByteArray> targets = offered.names;
    if (!requested.isEmpty())
        targets.removeIf([&requested](const QByteArray &t) { return !requested.contains(t); });
    const QStringList types = X11ClipboardTargets::typesFromTargets(targets);
    if (types.contains(PasteboardType::passwordManagerHint)) {
        const PasteboardRead hint = readCandidates(
            reader, X11ClipboardTargets::targetsForType(PasteboardType::passwordManagerHint, targets), 64, false);
        if (hint.status != PasteboardRead::Status::data || hint.data.trimmed() == "secret") {
            result.secret = true;
            return result;
        }
    }
    qint64 used = 0;
    for (const QString &type : types) {
        const PasteboardRead read = readCandidates(reader, X11ClipboardTargets::targetsForType(type, targets),
                                                   byteBudget - used, type == PasteboardType::plainText);
        if (read.status == PasteboardRead::Status::data) {
            used += read.data.size();
            result.item.append({type, read.data});
        } else if (read.timedOut) {
            break;
        }
    }
    return result;
}

} // namespace

LinuxPasteboard::LinuxPasteboard(QObject *parent, ChangeSource source)
    : Pasteboard(parent)
    , m_session(new XcbSession(this))
    , m_reader(std::make_shared<X11SelectionReader>())
{
    m_readers.setMaxThreadCount(1);
    if (!m_session->isAvailable()) {
        qWarning("Clipboard unavailable, copies are not recorded: %s", qPrintable(m_session->errorMessage()));
        return;
    }
    m_available = true;
    m_clipboard = m_session->atom("CLIPBOARD");
    xcb_connection_t *c = m_session->connection();
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    XcbReply<xcb_xfixes_query_version_reply_t> version;
    if (source == ChangeSource::selectionEvents && xfixes && xfixes->present)
        version.reset(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    if (!version) {
        if (source == ChangeSource::selectionEvents)
            qWarning("The X server lacks the XFIXES extension: the clipboard is polled, and a copy that keeps "
                     "its owner window is not noticed");
        m_polledOwner = currentOwner();
        return;
    }
    m_xfixesEventBase = xfixes->first_event;
    xcb_xfixes_select_selection_input(c, m_session->root(), m_clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    m_session->addEventHandler([this](const xcb_generic_event_t &event) {
        if ((event.response_type & 0x7f) != m_xfixesEventBase + XCB_XFIXES_SELECTION_NOTIFY)
            return;
        const auto &notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t &>(event);
        if (notify.selection == m_clipboard)
            handleSelectionEvent(notify.subtype, notify.owner, notify.timestamp);
    });
    // Keeping content alive needs to know when its owner vanishes: only with selection events.
    m_owner = std::make_unique<X11SelectionOwner>(*m_session, m_clipboard);
    m_manager = std::make_unique<X11ClipboardManager>(*m_session, [this](const X11ClipboardManager::SaveRequest &r) {
        m_takeOverTask.start(takeOver(r));
    });
    m_session->flush();
}

bool LinuxPasteboard::isClipboardManager() const
{
    return m_manager && m_manager->isActive();
}

LinuxPasteboard::~LinuxPasteboard()
{
    m_lifetime.end();
    m_takeOverTask.cancel();
    m_manager.reset();
    m_owner.reset();
    // A read in flight finishes within its timeout; the reader outlives us through its shared pointer.
    m_readers.waitForDone();
}

void LinuxPasteboard::handleSelectionEvent(quint8 subtype, quint32 owner, quint32 time)
{
    m_lastEventTime = time;
    const bool setOwner = subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
    // Taking over the content we already had is no change.
    if (setOwner && owner != XCB_NONE && m_owner && owner == m_owner->window())
        return;
    if (setOwner && owner != XCB_NONE && owner == m_ownOwnerWindow && m_pendingOwnChanges > 0) {
        --m_pendingOwnChanges;
        return;
    }
    // The owner's window or connection went away without handing the content over. An owner that
    // cleared the selection on purpose (a new owner None) is left alone: that emptiness is meant.
    const bool vanished = !setOwner;
    if (vanished && offerKeptContent(time))
        return;
    m_vanishedAfter = vanished ? std::optional<qint64>(m_changeCount) : std::nullopt;
    ++m_changeCount;
    Q_EMIT changed();
}

void LinuxPasteboard::keepContent(qint64 changeCount, PasteboardContentLoader load)
{
    if (changeCount == m_changeCount) {
        m_kept = {changeCount, std::move(load)};
        return;
    }
    // The capture of a copy whose owner vanished while it was read ends after the loss was counted: it is
    // still the newest content, and nobody owns the clipboard now.
    if (m_vanishedAfter == changeCount && m_changeCount == changeCount + 1 && load) {
        m_kept = {m_changeCount, std::move(load)};
        if (currentOwner() == XCB_NONE)
            offerKeptContent(m_lastEventTime);
    }
}

bool LinuxPasteboard::offerKeptContent(quint32 time)
{
    if (!isClipboardManager() || m_kept.changeCount != m_changeCount || !m_kept.load)
        return false;
    const QList<PasteboardItemData> items = m_kept.load();
    return !items.isEmpty() && takeSelection(items, time);
}

bool LinuxPasteboard::takeSelection(const QList<PasteboardItemData> &items, quint32 time)
{
    X11SelectionOwner::Targets targets;
    for (const auto &[type, data] : X11ClipboardTargets::mergedItem(items))
        targets.append(X11ClipboardTargets::offeredTargets(type, data));
    // The time of the event that brought us here: a newer owner that came meanwhile keeps the selection.
    return !targets.isEmpty() && m_owner->own(targets, time);
}

Task<> LinuxPasteboard::takeOver(X11ClipboardManager::SaveRequest request)
{
    // Only the owner of CLIPBOARD has anything of it to hand over.
    if (currentOwner() != request.requestor) {
        m_manager->finish(request, false);
        co_return;
    }
    QFuture<HandedOver> work = QtConcurrent::run(&m_readers, &readHandedOver, m_reader, request.targets);
    const std::optional<HandedOver> read = co_await awaitFuture(std::move(work));
    if (!read)
        co_return; // we are going away; the manager answers on its way out
    const quint32 time = request.time != XCB_CURRENT_TIME ? request.time : m_lastEventTime;
    const bool saved = !read->secret && !read->item.isEmpty() && takeSelection({read->item}, time);
    m_manager->finish(request, saved);
}

quint32 LinuxPasteboard::currentOwner()
{
    xcb_connection_t *c = m_session->connection();
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_clipboard), nullptr));
    m_session->scheduleDispatch();
    return owner ? owner->owner : quint32(XCB_NONE);
}

void LinuxPasteboard::followOwnerWindow()
{
    const quint32 owner = currentOwner();
    if (owner == m_polledOwner)
        return;
    m_polledOwner = owner;
    ++m_changeCount;
}

qint64 LinuxPasteboard::changeCount()
{
    if (!m_available)
        return m_changeCount;
    if (notifiesChanges())
        m_session->flush(); // takes in the events that arrived since the last turn of the event loop
    else
        followOwnerWindow();
    return m_changeCount;
}

Task<PasteboardItemTypes> LinuxPasteboard::itemTypes()
{
    if (!m_available)
        co_return PasteboardItemTypes{true, {}};
    const Lifetime::Pointer<LinuxPasteboard> self(this, m_lifetime);
    // The future is made in a statement of its own: GCC 12 mishandles temporaries inside co_await.
    QFuture<X11SelectionReader::Targets> work = QtConcurrent::run(&m_readers, &readTargets, m_reader);
    const std::optional<X11SelectionReader::Targets> targets = co_await awaitFuture(std::move(work));
    if (!self || !targets || !targets->answered)
        co_return PasteboardItemTypes{};
    m_targets = targets->names;
    PasteboardItemTypes result;
    result.answered = true;
    const QStringList types = X11ClipboardTargets::typesFromTargets(targets->names);
    if (!types.isEmpty())
        result.items.append(types); // X11 has one item per selection
    co_return result;
}

Task<PasteboardRead> LinuxPasteboard::read(int item, QString type, qint64 maxBytes)
{
    if (!m_available || item != 0)
        co_return PasteboardRead::missing();
    const QList<QByteArray> candidates = X11ClipboardTargets::targetsForType(type, m_targets);
    if (candidates.isEmpty())
        co_return PasteboardRead::missing();
    const bool text = type == PasteboardType::plainText;
    QFuture<PasteboardRead> work = QtConcurrent::run(&m_readers, &readCandidates, m_reader, candidates, maxBytes, text);
    const std::optional<PasteboardRead> result = co_await awaitFuture(std::move(work));
    if (!result)
        co_return PasteboardRead::missing();
    co_return *result;
}

qint64 LinuxPasteboard::writeItems(const QList<PasteboardItemData> &items)
{
    if (!m_available)
        return m_changeCount;
    auto *mime = new QMimeData;
    for (const auto &[type, data] : X11ClipboardTargets::mergedItem(items)) {
        if (type == PasteboardType::plainText)
            X11ClipboardTargets::setPlainText(*mime, data);
        else
            mime->setData(type, data);
    }
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    return finishWrite();
}

qint64 LinuxPasteboard::writePlainText(const QString &text)
{
    if (!m_available)
        return m_changeCount;
    auto *mime = new QMimeData;
    X11ClipboardTargets::setPlainText(*mime, text.toUtf8());
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    return finishWrite();
}

qint64 LinuxPasteboard::finishWrite()
{
    // Qt has become the owner by now. The owner change this causes reaches us later (or already waits in
    // the queue, undispatched): it is expected rather than counted.
    const quint32 owner = currentOwner();
    if (!notifiesChanges()) {
        m_polledOwner = owner;
    } else if (owner != XCB_NONE) {
        if (owner != m_ownOwnerWindow)
            m_pendingOwnChanges = 0;
        m_ownOwnerWindow = owner;
        ++m_pendingOwnChanges;
    }
    return ++m_changeCount;
}
