#include "clipboard/PasteboardManager.h"

#include "model/ClipboardItem.h"
#include "model/UriList.h"
#include "platform/Clock.h"
#include "platform/FutureAwaiter.h"
#include "platform/Workspace.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>
#include <QtConcurrent>

#include <algorithm>

namespace {

// Plain text as the owner sent it: UTF-8 as promised, or read byte for byte when it is not UTF-8.
QString decodeText(const QByteArray &data)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(data);
    if (utf8.hasError())
        return QString::fromLatin1(data);
    return text;
}

bool holdsData(const PasteboardRepresentation &rep)
{
    return !rep.isOmitted() && !rep.data.isEmpty();
}

bool isImageType(const QString &type)
{
    return type.startsWith(QLatin1String("image/"));
}

// URLs of a file or link list or of a text/x-moz-url (UTF-16: url, newline, title).
QList<QUrl> urlsOf(const PasteboardRepresentation &rep)
{
    QList<QUrl> urls;
    if (!holdsData(rep))
        return urls;
    if (UriList::isListType(rep.type)) {
        urls = UriList::urls(rep.type, rep.data);
    } else if (rep.type == PasteboardType::mozillaUrl && rep.data.size() % 2 == 0) {
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(rep.data.constData()),
                                                rep.data.size() / 2);
        const QUrl url(text.section(QLatin1Char('\n'), 0, 0).trimmed(), QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty())
            urls.append(url);
    }
    return urls;
}

// A single web address typed or copied as plain text.
bool isWebAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isSpace(); }))
        return false;
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

int filledRepresentations(const PasteboardPayload &payload)
{
    int count = 0;
    for (const PasteboardPayloadItem &item : payload.items) {
        for (const PasteboardRepresentation &rep : item.representations)
            count += holdsData(rep) ? 1 : 0;
    }
    return count;
}

} // namespace

PasteboardManager::PasteboardManager(Clock &clock, Pasteboard &pasteboard, Workspace *workspace, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_pasteboard(pasteboard)
    , m_workspace(workspace)
    , m_stormDetector(clock)
{
    m_stagePool.setMaxThreadCount(1);
}

PasteboardManager::~PasteboardManager()
{
    stop();
}

void PasteboardManager::start()
{
    // Without a pasteboard the backend has said why, once; there is nothing to poll.
    if (m_running || !m_pasteboard.isAvailable())
        return;
    m_running = true;
    if (m_pasteboard.notifiesChanges()) {
        // Nothing runs between changes: each one is reported, and the current content is taken now.
        m_changeConnection = connect(&m_pasteboard, &Pasteboard::changed, this, &PasteboardManager::handleChange);
        handleChange();
    } else {
        m_pollTask.start(pollLoop());
    }
}

void PasteboardManager::stop()
{
    m_running = false;
    disconnect(m_changeConnection);
    m_pollTask.cancel();
    m_captureTask.cancel();
    m_deliveryTask.cancel();
    m_rereadTask.cancel();
    m_stormWatch.cancel();
    // A capture being staged still uses what stageCapture reaches (the item store): it finishes here, so
    // the owner may destroy that store once stop() has returned, in whatever order it likes.
    m_stagePool.waitForDone();
    m_deliveries.clear();
}

void PasteboardManager::handleChange()
{
    // A capture under way takes this change when it is done (reading the count may report it re-entrantly).
    if (!m_running || m_capturing)
        return;
    m_captureTask.start(captureChanges());
}

qint64 PasteboardManager::writePlainText(const QString &text)
{
    const qint64 count = m_pasteboard.writePlainText(text);
    remember(count);
    return count;
}

qint64 PasteboardManager::writeItems(const PasteboardPayload &payload)
{
    const qint64 count = m_pasteboard.writeItems(itemsOf(payload));
    remember(count);
    return count;
}

QList<PasteboardItemData> PasteboardManager::itemsOf(const PasteboardPayload &payload)
{
    // Omitted representations are left out: an empty image or text would be pasted as if it were real.
    QList<PasteboardItemData> items;
    for (const PasteboardPayloadItem &item : payload.items) {
        PasteboardItemData data;
        for (const PasteboardRepresentation &rep : item.representations) {
            if (!rep.isOmitted())
                data.append({rep.type, rep.data});
        }
        if (!data.isEmpty())
            items.append(data);
    }
    return items;
}

PasteboardContentLoader PasteboardManager::contentLoader(const ClipboardItem &item)
{
    return [item]() -> QList<PasteboardItemData> {
        const std::optional<PasteboardPayload> payload = item.payload();
        return payload ? itemsOf(*payload) : QList<PasteboardItemData>();
    };
}

void PasteboardManager::keep(qint64 changeCount, const ClipboardCapture &capture)
{
    if (keptContent) {
        m_pasteboard.keepContent(changeCount, keptContent());
        return;
    }
    m_pasteboard.keepContent(changeCount, [items = itemsOf(capture.payload)] { return items; });
}

void PasteboardManager::remember(qint64 changeCount)
{
    m_lastChangeCount = changeCount;
    // Re-reads of the previous content would now read our own write.
    m_rereadTask.cancel();
}

PasteboardManager::Source PasteboardManager::copySource() const
{
    // Owners that cannot be named count together: a loop of short-lived ones is one storm.
    Source source{{}, {}, QStringLiteral("unnamed"), false};
    if (!m_workspace)
        return source;
    const ClipboardOwner owner = m_workspace->clipboardOwner();
    std::optional<RunningApplication> app = owner.application;
    // Our own windows own the clipboard only for what we wrote (never captured) or kept for a quit owner.
    if (app && !m_workspace->isCurrentApplication(*app)) {
        source.stormSource = QStringLiteral("client %1 %2").arg(owner.client).arg(app->pid);
        source.told = true;
    } else {
        app = m_workspace->frontmostApplication();
    }
    if (!app || m_workspace->isCurrentApplication(*app))
        return source;
    source.applicationId = app->applicationId;
    source.name = app->name;
    return source;
}

Task<> PasteboardManager::watchStorms()
{
    while (m_stormDetector.isStorming()) {
        const bool awake = co_await m_clock.sleep(ClipboardStormDetector::stillSpan / 2);
        if (!awake)
            co_return;
        // A read that takes long holds back the changes made meanwhile, not the storm's end.
        if (!m_capturing)
            tellEndedStorms();
    }
}

void PasteboardManager::tellEndedStorms()
{
    for (const ClipboardStormDetector::Storm &storm : m_stormDetector.takeEndedStorms()) {
        const QString name = m_stormNames.take(storm.source);
        const double now = m_clock.uptime();
        if (m_stormToldAt && now - *m_stormToldAt < stormNoticeInterval)
            continue;
        m_stormToldAt = now;
        Q_EMIT stormFolded(name, storm.changes);
    }
}

Task<> PasteboardManager::pollLoop()
{
    bool first = true;
    for (;;) {
        if (!first) {
            const bool awake = co_await m_clock.sleep(pollInterval());
            if (!awake)
                co_return;
        }
        first = false;
        const bool finished = co_await captureChanges();
        // A callback may have stopped us while the capture ran.
        if (!finished || !m_running)
            co_return;
    }
}

Task<> PasteboardManager::captureChanges()
{
    struct Capturing {
        bool &flag;
        explicit Capturing(bool &f) : flag(f) { flag = true; }
        ~Capturing() { flag = false; }
    } capturing(m_capturing);
    for (;;) {
        const qint64 count = m_pasteboard.changeCount();
        if (m_lastChangeCount && *m_lastChangeCount == count)
            co_return;
        const qint64 changes = m_lastChangeCount ? std::max<qint64>(1, count - *m_lastChangeCount) : 1;
        const bool atStart = !m_lastChangeCount;
        m_lastChangeCount = count;
        const bool finished = co_await captureChange(count, changes, atStart);
        if (!finished || !m_running)
            co_return;
    }
}

Task<> PasteboardManager::captureChange(qint64 changeCount, qint64 changes, bool atStart)
{
    m_rereadTask.cancel();
    const Source source = copySource();
    std::optional<Reading> reading = co_await readPasteboard(changeCount, source);
    if (!reading)
        co_return;
    // Every change counts toward a storm, those that could not be read and secrets as well.
    const ClipboardStormDetector::Verdict verdict = m_stormDetector.note(source.stormSource, changes);
    reading->capture.storm = m_stormDetector.storm(source.stormSource);
    reading->capture.presentAtStart = atStart;
    if (verdict == ClipboardStormDetector::Verdict::stormBegins) {
        m_stormNames.insert(source.stormSource,
                            !source.told ? QString() : !source.name.isEmpty() ? source.name : source.applicationId);
        if (!m_stormWatch.isRunning())
            m_stormWatch.start(watchStorms());
    }
    tellEndedStorms();
    if (reading->secret)
        co_return; // a secret is never delivered, never re-read, never logged
    PendingDelivery pending;
    pending.changeCount = changeCount;
    pending.delivers = filledRepresentations(reading->capture.payload) > 0;
    // A copy none of whose formats fit is not kept, and that is said, not dropped in silence.
    const auto overBudget = [](const PasteboardPayloadItem &item) {
        return std::ranges::any_of(item.representations, [](const PasteboardRepresentation &rep) {
            return rep.omissionReason == OmissionReason::sizeLimit;
        });
    };
    if (!pending.delivers && std::ranges::any_of(reading->capture.payload.items, overBudget))
        Q_EMIT copyTooLarge();
    if (pending.delivers && stageCapture) {
        pending.bytes = reading->capture.payload.encodedSize();
        pending.staging = startStaging(reading->capture);
    } else {
        pending.capture = std::move(reading->capture);
    }
    m_deliveries.push_back(std::move(pending));
    if (!m_deliveryTask.isRunning())
        m_deliveryTask.start(deliverInOrder());
    // Copies waiting to be stored are held in memory: past the budget of one capture, read no more.
    while (m_running && bytesBeingStaged() > captureByteBudget) {
        for (const PendingDelivery &waiting : m_deliveries) {
            if (waiting.staging && !waiting.staging->isFinished()) {
                co_await awaitFuture(*waiting.staging);
                break;
            }
        }
    }
}

qint64 PasteboardManager::bytesBeingStaged() const
{
    qint64 bytes = 0;
    for (const PendingDelivery &pending : m_deliveries) {
        if (pending.staging && !pending.staging->isFinished())
            bytes += pending.bytes;
    }
    return bytes;
}

Task<> PasteboardManager::deliverInOrder()
{
    while (!m_deliveries.empty()) {
        std::optional<ClipboardCapture> capture;
        if (const std::optional<QFuture<ClipboardCapture>> staging = m_deliveries.front().staging) {
            capture = co_await awaitFuture(*staging);
            if (!capture)
                co_return;
        }
        const PendingDelivery pending = std::move(m_deliveries.front());
        m_deliveries.pop_front();
        deliver(pending, capture ? *capture : pending.capture);
        if (!m_running)
            co_return;
    }
}

void PasteboardManager::deliver(const PendingDelivery &pending, const ClipboardCapture &capture)
{
    if (pending.delivers)
        Q_EMIT captured(capture);
    if (pending.delivers)
        keep(pending.changeCount, capture);
    if (m_running && looksIncomplete(capture.payload))
        m_rereadTask.start(rereadLoop(pending.changeCount, capture, pending.delivers));
}

Task<> PasteboardManager::rereadLoop(qint64 changeCount, ClipboardCapture current, bool delivered)
{
    const Source source{current.sourceApplicationId, current.sourceApplicationName, current.stormSource,
                        !current.ownerUnnamed};
    for (const double delay : rereadDelays) {
        const bool awake = co_await m_clock.sleep(delay);
        if (!awake)
            co_return;
        if (m_pasteboard.changeCount() != changeCount)
            co_return;
        const std::optional<Reading> reading = co_await readPasteboard(changeCount, source);
        if (!reading)
            co_return;
        // A read that overlapped a new copy may mix two contents: the poll takes the new one.
        if (m_pasteboard.changeCount() != changeCount)
            co_return;
        if (reading->secret) {
            m_pasteboard.keepContent(changeCount, {}); // marked secret late: never offered again
            co_return;
        }
        const PasteboardPayload &payload = reading->capture.payload;
        if (filledRepresentations(payload) > 0 && isAtLeastAsRich(payload, current.payload)
            && payload != current.payload) {
            ClipboardCapture fuller = reading->capture;
            fuller.storm = current.storm;
            fuller.presentAtStart = current.presentAtStart;
            const std::optional<ClipboardCapture> prepared = co_await staged(std::move(fuller));
            if (!prepared || m_pasteboard.changeCount() != changeCount)
                co_return;
            current = *prepared;
            if (delivered) {
                Q_EMIT captureReplaced(current);
            } else {
                delivered = true;
                Q_EMIT captured(current);
            }
            keep(changeCount, current);
        }
        if (!looksIncomplete(current.payload))
            co_return;
    }
}

QFuture<ClipboardCapture> PasteboardManager::startStaging(ClipboardCapture capture)
{
    return QtConcurrent::run(&m_stagePool, [stage = stageCapture](ClipboardCapture c) {
        stage(c);
        return c;
    }, std::move(capture));
}

Task<ClipboardCapture> PasteboardManager::staged(ClipboardCapture capture)
{
    if (!stageCapture)
        co_return capture;
    const std::optional<ClipboardCapture> done = co_await awaitFuture(startStaging(std::move(capture)));
    if (!done)
        co_return ClipboardCapture(); // cancelled: the awaiting task ends without using it
    co_return *done;
}

Task<bool> PasteboardManager::carriesSecretHint(const PasteboardItemTypes &types)
{
    for (int i = 0; i < types.items.size(); ++i) {
        if (!types.items[i].contains(PasteboardType::passwordManagerHint))
            continue;
        const std::optional<PasteboardRead> hint = co_await m_pasteboard.read(i, PasteboardType::passwordManagerHint, 64);
        if (!hint)
            co_return true;
        // A hint that cannot be read is taken as a secret: losing one copy beats keeping a password.
        if (hint->status != PasteboardRead::Status::data || hint->data.trimmed() == "secret")
            co_return true;
    }
    co_return false;
}

Task<PasteboardManager::Reading> PasteboardManager::readPasteboard(qint64 changeCount, Source source)
{
    Reading reading;
    const std::optional<PasteboardItemTypes> types = co_await m_pasteboard.itemTypes();
    if (!types)
        co_return reading;
    const std::optional<bool> secret = co_await carriesSecretHint(*types);
    if (!secret)
        co_return reading;
    if (*secret) {
        reading.secret = true;
        co_return reading;
    }

    // Each item keeps its representations in priority order; the reads go by priority over all items,
    // so that the budget goes to the most useful formats first.
    struct Slot {
        int priority;
        int item;
        int index;
        QString type;
    };
    PasteboardPayload payload;
    QList<Slot> order;
    // The names kept count toward the budget like the data: an owner offering thousands of formats fills
    // the record with their names as surely as with bytes.
    qint64 used = 0;
    for (int i = 0; i < types->items.size(); ++i) {
        QStringList itemTypes = types->items[i];
        itemTypes.removeIf([](const QString &type) { return !PasteboardType::canBeName(type.toUtf8()); });
        itemTypes.removeDuplicates();
        std::stable_sort(itemTypes.begin(), itemTypes.end(),
                         [](const QString &a, const QString &b) { return typePriority(a) < typePriority(b); });
        PasteboardPayloadItem item;
        for (int j = 0; j < itemTypes.size(); ++j) {
            const qint64 nameBytes = itemTypes[j].toUtf8().size();
            if (used + nameBytes > captureByteBudget)
                break;
            used += nameBytes;
            item.representations.append({itemTypes[j], {}, 0, OmissionReason::unavailable});
            order.append({typePriority(itemTypes[j]), i, j, itemTypes[j]});
        }
        payload.items.append(item);
    }
    std::stable_sort(order.begin(), order.end(), [](const Slot &a, const Slot &b) { return a.priority < b.priority; });

    bool stalled = false;
    for (const Slot &slot : std::as_const(order)) {
        // An owner that let one read time out, or that lost the pasteboard meanwhile, is not asked again:
        // the rest stays unavailable.
        if (stalled || m_pasteboard.changeCount() != changeCount)
            break;
        const std::optional<PasteboardRead> read = co_await m_pasteboard.read(slot.item, slot.type, captureByteBudget - used);
        if (!read)
            co_return reading;
        PasteboardRepresentation &rep = payload.items[slot.item].representations[slot.index];
        switch (read->status) {
        case PasteboardRead::Status::data:
            if (read->data.size() <= captureByteBudget - used) {
                rep.data = read->data;
                rep.originalByteCount = read->data.size();
                rep.omissionReason.reset();
                used += read->data.size();
            } else {
                rep.originalByteCount = read->data.size();
                rep.omissionReason = OmissionReason::sizeLimit;
            }
            break;
        case PasteboardRead::Status::overLimit:
            rep.originalByteCount = std::max<qint64>(0, read->byteCount);
            rep.omissionReason = OmissionReason::sizeLimit;
            break;
        case PasteboardRead::Status::unavailable:
            stalled = read->timedOut;
            break;
        }
    }

    reading.capture = describe(payload);
    reading.capture.sourceApplicationId = source.applicationId;
    reading.capture.sourceApplicationName = source.name;
    reading.capture.stormSource = source.stormSource;
    reading.capture.ownerUnnamed = !source.told;
    reading.capture.changeCount = changeCount;
    co_return reading;
}

int PasteboardManager::typePriority(const QString &type)
{
    if (type == PasteboardType::plainText)
        return 0;
    if (type == PasteboardType::uriList || type == PasteboardType::mozillaUrl)
        return 1;
    if (type == PasteboardType::html || type == PasteboardType::rtf || type == PasteboardType::applicationRtf
        || type == PasteboardType::richText)
        return 2;
    if (type == PasteboardType::png)
        return 3;
    if (type == PasteboardType::tiff)
        return 4;
    return 5;
}

bool PasteboardManager::looksIncomplete(const PasteboardPayload &payload)
{
    if (payload.items.isEmpty())
        return true;
    for (const PasteboardPayloadItem &item : payload.items) {
        if (item.representations.isEmpty())
            return true;
        for (const PasteboardRepresentation &rep : item.representations) {
            if (rep.omissionReason == OmissionReason::unavailable)
                return true;
            if (!rep.isOmitted() && rep.data.isEmpty() && isImageType(rep.type))
                return true;
        }
    }
    return false;
}

bool PasteboardManager::isAtLeastAsRich(const PasteboardPayload &candidate, const PasteboardPayload &current)
{
    return candidate.items.size() >= current.items.size()
        && filledRepresentations(candidate) >= filledRepresentations(current);
}

ClipboardCapture PasteboardManager::describe(const PasteboardPayload &payload)
{
    ClipboardCapture capture;
    capture.payload = payload;

    QStringList texts;
    QList<QUrl> urls;
    QByteArray image;
    QString imageType;
    for (const PasteboardPayloadItem &item : payload.items) {
        for (const PasteboardRepresentation &rep : item.representations) {
            if (!holdsData(rep))
                continue;
            if (rep.type == PasteboardType::plainText) {
                texts.append(decodeText(rep.data));
            } else if (UriList::isListType(rep.type) || rep.type == PasteboardType::mozillaUrl) {
                // Within one item the lists and a text/x-moz-url name the same addresses.
                if (urls.isEmpty() || rep.type != PasteboardType::mozillaUrl)
                    for (const QUrl &url : urlsOf(rep)) {
                        if (!urls.contains(url))
                            urls.append(url);
                    }
            } else if (isImageType(rep.type)) {
                // PNG first, then TIFF, then whatever image came first.
                const int rank = typePriority(rep.type);
                if (image.isEmpty() || rank < typePriority(imageType)) {
                    image = rep.data;
                    imageType = rep.type;
                }
            }
        }
    }
    const QString text = texts.join(QLatin1Char('\n'));

    QStringList paths;
    bool allFiles = !urls.isEmpty();
    for (const QUrl &url : std::as_const(urls)) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
        else
            allFiles = false;
    }

    if (allFiles) {
        capture.type = ClipboardItemType::file;
        capture.filePaths = paths;
        capture.text = text.isEmpty() ? paths.join(QLatin1Char('\n')) : text;
        if (paths.size() == 1) {
            const QFileInfo info(paths.first());
            capture.fileName = info.fileName();
            capture.fileSize = info.isFile() ? info.size() : 0;
        }
    } else if (!urls.isEmpty() || (!text.isEmpty() && image.isEmpty() && isWebAddress(text))) {
        capture.type = ClipboardItemType::url;
        capture.text = text.trimmed().isEmpty() ? urls.first().toString() : text;
    } else if (!text.isEmpty()) {
        capture.type = ClipboardItemType::text;
        capture.text = text;
    } else if (!image.isEmpty()) {
        capture.type = ClipboardItemType::image;
        capture.imageData = image;
    } else {
        capture.type = ClipboardItemType::generic;
    }
    return capture;
}
