#include "clipboard/ClipboardHistoryManager.h"

#include "clipboard/ClipboardDisplayKey.h"
#include "clipboard/ClipboardFilterMatcher.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/ClipboardSearchIndex.h"
#include "model/ClipboardFilter.h"
#include "model/MainStoreContainer.h"
#include "platform/Clock.h"
#include "platform/FreedMemory.h"
#include "platform/FutureAwaiter.h"

#include <QSet>
#include <QtConcurrent>
#include <QtDebug>

#include <algorithm>

namespace {

// Password managers mark their copies; those never enter the history.
bool isMarkedSecret(const PasteboardPayload &payload)
{
    for (const auto &item : payload.items)
        if (const auto *hint = item.representation(QStringLiteral("x-kde-passwordManagerHint")))
            if (hint->data.trimmed() == "secret")
                return true;
    return false;
}

bool hasRichFormats(const PasteboardPayload &payload)
{
    for (const QString &type : payload.types()) {
        const QString lower = type.toLower();
        if (lower.contains(QLatin1String("html")) || lower.contains(QLatin1String("rtf"))
            || lower.contains(QLatin1String("richtext")))
            return true;
    }
    return false;
}

} // namespace

ClipboardHistoryManager::ClipboardHistoryManager(Clock &clock, ClipboardItemStore *store, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_store(store)
{
}

ClipboardHistoryManager::~ClipboardHistoryManager()
{
    m_lifetime.end();
    m_cleanupTask.cancel();
    m_saveRetryTask.cancel();
    m_thumbnailTask.cancel();
}

QList<ClipboardItem> ClipboardHistoryManager::readStore(QString *error)
{
    QList<ClipboardItem> items = m_store->fetchAll(error);
    // The store's integrity is checked while it is read: a damaged one has been set aside meanwhile,
    // and the history is what the store that replaced it holds.
    if (!m_store->container().confirmIntact())
        items = m_store->fetchAll(error);
    return items;
}

void ClipboardHistoryManager::start()
{
    m_running = true;
    if (m_store) {
        QString error;
        m_items = readStore(&error);
        m_forgotten = m_store->forgottenContent();
        if (!error.isEmpty())
            qWarning("Could not read the clipboard history: %s", qPrintable(error));
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const ClipboardItem &a, const ClipboardItem &b) { return a.date() > b.date(); });
        if (!m_store->container().isReadOnly())
            m_store->removeOrphanedFiles();
    }
    if (m_searchIndex)
        m_searchIndex->reset(m_items);
    Q_EMIT itemsChanged();
    raiseStorageRevision();
    raiseSearchRevision();
    cleanUp();
    m_cleanupTask.start(runCleanupLoop());
}

void ClipboardHistoryManager::stop()
{
    m_cleanupTask.cancel();
    m_saveRetryTask.cancel();
    if (!m_running)
        return;
    m_running = false;
    if (!hasUnsavedChanges())
        return;
    save();
    if (!hasUnsavedChanges())
        return;
    const auto counted = [](qsizetype n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QStringList parts;
    if (!m_pendingUpserts.isEmpty())
        parts.append(counted(m_pendingUpserts.size(), "copy", "copies"));
    if (!m_pendingDeletions.isEmpty())
        parts.append(counted(m_pendingDeletions.size(), "deletion", "deletions"));
    const QString what = QStringLiteral("%1 could not be saved: %2")
                             .arg(parts.join(QLatin1String(" and ")),
                                  m_saveProblem.section(QStringLiteral(" (Details: "), 0, 0));
    qWarning("Quitting with changes to the clipboard history unsaved: %s.", qPrintable(what));
    Q_EMIT changesLostAtStop(what);
}

void ClipboardHistoryManager::saveUnsavedChanges()
{
    if (hasUnsavedChanges())
        save();
}

std::optional<ClipboardItem> ClipboardHistoryManager::item(const QUuid &id) const
{
    for (const ClipboardItem &candidate : m_items)
        if (candidate.id() == id)
            return candidate;
    return std::nullopt;
}

ClipboardItem ClipboardHistoryManager::makeItem(const ClipboardCapture &capture) const
{
    ClipboardItem item(QUuid::createUuid());
    item.setDate(m_clock.now());
    item.setTypeRawValue(rawValue(capture.type));
    if (!capture.textUtf8.isEmpty() && capture.payloadBlob)
        item.setTextUtf8(capture.textUtf8); // the bytes the staged payload shares, not a second copy
    else
        item.setText(capture.text);
    if (!capture.filePaths.isEmpty())
        item.setFilePaths(capture.filePaths);
    item.setFileName(capture.fileName);
    item.setFileSize(capture.fileSize);
    item.setSourceApplicationId(capture.sourceApplicationId);
    item.setSourceApplicationName(capture.sourceApplicationName);
    // A capture the store staged comes with its digest and its bytes on disk already.
    if (capture.imageBlob)
        item.setImageBlob(capture.imageBlob);
    else
        item.setImageData(capture.imageData);
    if (capture.payloadBlob) {
        item.setPayloadBlob(capture.payloadBlob);
        item.setContentDigest(capture.contentDigest);
        return item;
    }
    const QByteArray payloadData = capture.payload.isEmpty() ? QByteArray() : capture.payload.encoded();
    item.setPayloadData(payloadData);
    item.setContentDigest(!capture.contentDigest.isEmpty()
                              ? capture.contentDigest
                              : ClipboardDisplayKey::make(item.type(), capture.text, item.filePaths(),
                                                          capture.imageData, payloadData));
    return item;
}

bool ClipboardHistoryManager::isSameContent(const ClipboardItem &a, const ClipboardItem &b)
{
    const ClipboardItemType kind = a.type();
    if (kind != b.type())
        return false;
    switch (kind) {
    case ClipboardItemType::text:
    case ClipboardItemType::url:
        return a.textUtf8() == b.textUtf8();
    case ClipboardItemType::file:
        return a.filePaths() == b.filePaths();
    case ClipboardItemType::image:
        if (a.imageByteCount() != b.imageByteCount())
            return false;
        break;
    case ClipboardItemType::generic:
        break;
    }
    // Images and other content compare by their bytes, through the digests kept for them.
    return ClipboardDisplayKey::of(a) == ClipboardDisplayKey::of(b);
}

std::optional<ClipboardItem> ClipboardHistoryManager::ingest(const ClipboardCapture &capture)
{
    if (isMarkedSecret(capture.payload))
        return std::nullopt;
    m_lastChangeCount = capture.changeCount;
    m_lastCaptureItemId = QUuid();
    ClipboardItem item = makeItem(capture);
    if (!m_forgotten.isEmpty()) {
        // Deleted while the clipboard held it, and held there still: not taken back by itself.
        if (capture.presentAtStart && m_forgotten.contains(ClipboardDisplayKey::of(item)))
            return std::nullopt;
        setForgottenContent({}); // the clipboard has moved on
    }
    if (!m_items.isEmpty() && isSameContent(item, m_items.first()))
        return std::nullopt;

    const QString application = !capture.stormSource.isEmpty()
        ? capture.stormSource
        : capture.sourceApplicationName + QLatin1Char('\n') + capture.sourceApplicationId;
    const bool storming = capture.storm != 0;
    QSet<QUuid> going;
    if (storming && m_stormItems.value(application).storm == capture.storm) {
        const std::optional<ClipboardItem> previous = this->item(m_stormItems.value(application).id);
        if (previous && !isClaimed(*previous))
            going.insert(previous->id());
    }
    if (storming)
        m_stormItems.insert(application, {capture.storm, item.id()});
    else
        m_stormItems.remove(application);
    // A copy that replaces none of its storm adds an item of its program.
    if (going.isEmpty()) {
        const QUuid replacedByFlood = floodCopyToReplace(capture, item.id());
        if (!replacedByFlood.isNull())
            going.insert(replacedByFlood);
    }
    QList<QUuid> replaced;
    if (!going.isEmpty()) {
        m_items.removeIf([&](const ClipboardItem &i) {
            if (!going.contains(i.id()))
                return false;
            m_searchPresentations.remove(i.id());
            m_thumbnails.remove(i.id());
            replaced.append(i.id());
            return true;
        });
    }

    // A program's churn is stored, not greeted, analysed or rewritten.
    if (!storming)
        Q_EMIT copyArrived();
    item.setDate(topDate());
    insertAtTop(item);
    m_lastCaptureItemId = item.id();
    markChanged({item}, replaced);
    cleanUp();
    save();
    raiseStorageRevision();
    raiseSearchRevision();
    if (!storming)
        afterNewItem(item, !capture.presentAtStart);
    return item;
}

QUuid ClipboardHistoryManager::floodCopyToReplace(const ClipboardCapture &capture, const QUuid &added)
{
    // However many connections it copies through: one application, and every owner that cannot be named.
    const QString program = capture.ownerUnnamed
        ? QString()
        : capture.sourceApplicationName + QLatin1Char('\n') + capture.sourceApplicationId;
    const double now = m_clock.uptime();
    m_programCopies.removeIf([&](const auto &entry) {
        const ProgramCopies &copies = entry.value();
        return entry.key() != program && copies.flood.isEmpty()
            && (copies.recent.isEmpty() || copies.recent.last().at <= now - floodSpan);
    });
    ProgramCopies &copies = m_programCopies[program];
    const bool fast = !copies.recent.isEmpty() && now - copies.recent.last().at < personInterval;
    copies.recent.append({now, added, fast, false});
    while (copies.recent.first().at <= now - floodSpan)
        copies.recent.removeFirst();
    const bool floods = copies.recent.size() > floodCopyCount;
    if (floods) {
        // The copies that made it a flood are the flood's too, but not those at a person's pace among them.
        qsizetype from = copies.recent.size();
        while (from > 0 && !copies.recent.at(from - 1).inFlood)
            --from;
        for (qsizetype i = from; i < copies.recent.size(); ++i) {
            ProgramCopies::Added &copy = copies.recent[i];
            if (copy.fast) {
                copy.inFlood = true;
                copies.flood.append(copy.id);
            }
        }
    }
    // Only the newest 5,000 can be its flood's.
    while (copies.flood.size() > maximumItemCount)
        copies.flood.removeFirst();
    // Past a flood its copies still replace its flood's, so that a program copying in bursts with pauses
    // between them cannot push out the others either.
    if (m_items.size() < maximumItemCount || (!floods && copies.flood.isEmpty()))
        return {};
    while (!copies.flood.isEmpty() && copies.flood.first() != added) {
        const QUuid oldest = copies.flood.takeFirst();
        const auto stored = std::find_if(m_items.crbegin(), m_items.crend(),
                                         [&](const ClipboardItem &i) { return i.id() == oldest; });
        if (stored == m_items.crend() || isClaimed(*stored))
            continue;
        // One made as fast takes the place of the one it replaces.
        if (!copies.recent.last().inFlood && fast) {
            copies.recent.last().inFlood = true;
            copies.flood.append(added);
        }
        if (!m_floodsTold.contains(program)) {
            m_floodsTold.insert(program);
            Q_EMIT floodKeptToItsOwnCopies(capture.ownerUnnamed ? QString()
                                           : !capture.sourceApplicationName.isEmpty() ? capture.sourceApplicationName
                                                                                      : capture.sourceApplicationId);
        }
        return oldest;
    }
    return {};
}

bool ClipboardHistoryManager::isClaimed(const ClipboardItem &item)
{
    return item.lastUsedAt().isValid() || !item.label().isEmpty();
}

std::optional<ClipboardItem> ClipboardHistoryManager::replaceCapture(const ClipboardCapture &capture)
{
    const bool supersedes = m_lastChangeCount == capture.changeCount && !m_lastCaptureItemId.isNull()
                            && !m_items.isEmpty() && m_items.first().id() == m_lastCaptureItemId;
    if (!supersedes)
        return ingest(capture);
    if (isMarkedSecret(capture.payload)) {
        // A secret marker that showed up late takes the early read out of the history as well.
        removeItems({m_items.first()});
        m_lastCaptureItemId = QUuid();
        return std::nullopt;
    }

    const ClipboardItem previous = m_items.first();
    ClipboardItem item = makeItem(capture);
    item.setId(previous.id());
    item.setDate(previous.date());
    item.setLabel(previous.label());
    if (isSameContent(item, previous) && item.hasSamePayloadAs(previous))
        return previous;

    // The fuller read may turn out to be the copy that was already on top before.
    if (m_items.size() > 1 && isSameContent(item, m_items.at(1))) {
        removeItems({previous});
        m_lastCaptureItemId = QUuid();
        return std::nullopt;
    }
    m_items[0] = item;
    markChanged({item}, {});
    save();
    Q_EMIT itemsChanged();
    raiseStorageRevision();
    raiseSearchRevision();
    if (m_pasteAsPlainText && m_pasteAsPlainText()
        && (item.type() == ClipboardItemType::text || item.type() == ClipboardItemType::url)
        && hasRichFormats(capture.payload) && !capture.payload.carriesImageOrFiles()
        && !hasRichFormats(previous.payload().value_or(PasteboardPayload())))
        Q_EMIT plainTextRewriteRequested(item.text());
    return item;
}

void ClipboardHistoryManager::afterNewItem(const ClipboardItem &item, bool copiedNow)
{
    const ClipboardItemType kind = item.type();
    const bool isTextual = kind == ClipboardItemType::text || kind == ClipboardItemType::url;
    // What the clipboard already held at start was copied before Tavlen watched: the field that has the
    // caret now need not be where it came from.
    if (isTextual && copiedNow)
        Q_EMIT textItemAdded(item.text(), item.sourceApplicationId());
    if (item.isEligibleForAnalysis() && !item.hasCurrentAnalysis())
        Q_EMIT analysisWanted(item);
    if (isTextual && m_pasteAsPlainText && m_pasteAsPlainText()) {
        // Images and files are kept as they are: only a copy of text alone loses its formats.
        const auto payload = item.payload();
        if (payload && hasRichFormats(*payload) && !payload->carriesImageOrFiles())
            Q_EMIT plainTextRewriteRequested(item.text());
    }
}

QDateTime ClipboardHistoryManager::topDate(const QUuid &moving) const
{
    // Later than the item it goes above, also within one millisecond or after the wall clock was set back:
    // the stored order is the list's order.
    const QDateTime now = m_clock.now();
    const auto below = std::ranges::find_if(m_items, [&](const ClipboardItem &item) { return item.id() != moving; });
    if (below != m_items.end() && below->date() >= now)
        return below->date().addMSecs(1);
    return now;
}

void ClipboardHistoryManager::insertAtTop(const ClipboardItem &item)
{
    m_items.removeIf([&](const ClipboardItem &existing) { return existing.id() == item.id(); });
    m_items.prepend(item);
    Q_EMIT itemsChanged();
}

void ClipboardHistoryManager::handleItemInserted(const ClipboardItem &item)
{
    if (item.isNull())
        return;
    if (!m_forgotten.isEmpty())
        setForgottenContent({}); // the clipboard holds this item now
    ClipboardItem used = item;
    if (const auto stored = this->item(item.id()))
        used = *stored;
    const QDateTime now = m_clock.now();
    used.setDate(topDate(used.id()));
    used.setLastUsedAt(now);
    insertAtTop(used);
    markChanged({used}, {});
    save();
    raiseStorageRevision();
    raiseSearchRevision();
}

void ClipboardHistoryManager::updateItem(const ClipboardItem &item)
{
    for (ClipboardItem &existing : m_items) {
        if (existing.id() == item.id()) {
            existing = item;
            markChanged({item}, {});
            save();
            Q_EMIT itemsChanged();
            raiseStorageRevision();
            raiseSearchRevision();
            return;
        }
    }
}

void ClipboardHistoryManager::deleteItems(const QList<ClipboardItem> &items)
{
    if (!m_items.isEmpty()
        && std::ranges::any_of(items, [&](const ClipboardItem &item) { return item.id() == m_items.first().id(); })) {
        QSet<QByteArray> forgotten = m_forgotten;
        forgotten.insert(ClipboardDisplayKey::of(m_items.first()));
        setForgottenContent(forgotten);
    }
    removeItems(items);
}

void ClipboardHistoryManager::setForgottenContent(const QSet<QByteArray> &keys)
{
    m_forgotten = keys;
    QString error;
    if (m_store && !m_store->container().isReadOnly() && !m_store->setForgottenContent(keys, &error))
        qWarning("Could not note which deleted copy the clipboard still holds: %s", qPrintable(error));
}

void ClipboardHistoryManager::removeItems(const QList<ClipboardItem> &items)
{
    QSet<QUuid> ids;
    for (const ClipboardItem &item : items)
        ids.insert(item.id());
    QList<QUuid> removed;
    m_items.removeIf([&](const ClipboardItem &item) {
        if (!ids.contains(item.id()))
            return false;
        removed.append(item.id());
        return true;
    });
    // Items that only exist in the store (or failed to save) go as well.
    for (const QUuid &id : std::as_const(ids))
        if (!removed.contains(id))
            removed.append(id);
    commitRemoval(removed);
}

void ClipboardHistoryManager::commitRemoval(const QList<QUuid> &removed)
{
    for (const QUuid &id : std::as_const(removed)) {
        m_searchPresentations.remove(id);
        m_thumbnails.remove(id);
    }
    markChanged({}, removed);
    save();
    Q_EMIT itemsChanged();
    raiseStorageRevision();
    raiseSearchRevision();
}

int ClipboardHistoryManager::retentionDays() const
{
    const int days = m_retentionDays ? m_retentionDays() : 7;
    return std::clamp(days, 1, 7);
}

void ClipboardHistoryManager::cleanUp()
{
    // The list is in date order (topDate), so what goes is its tail: looked at from the oldest kept on, the
    // first item young enough ends the look, and a sweep that removes nothing reads one date.
    const qint64 cutoff = m_clock.now().toMSecsSinceEpoch() - secondsPerDay * 1000 * retentionDays();
    qsizetype kept = std::min(m_items.size(), qsizetype(maximumItemCount));
    // Exactly at the cutoff is still inside the period.
    while (kept > 0 && m_items.at(kept - 1).date().toMSecsSinceEpoch() < cutoff)
        --kept;
    if (kept == m_items.size())
        return;
    QList<QUuid> removed;
    removed.reserve(m_items.size() - kept);
    for (qsizetype i = kept; i < m_items.size(); ++i)
        removed.append(m_items.at(i).id());
    m_items.remove(kept, m_items.size() - kept);
    commitRemoval(removed);
}

Task<> ClipboardHistoryManager::runCleanupLoop()
{
    for (;;) {
        const bool awake = co_await m_clock.sleep(cleanupInterval);
        if (!awake)
            co_return;
        cleanUp();
        // A store taken away is noticed within a minute, not only at the next copy.
        if (m_store && !m_store->container().isStillInPlace())
            save();
    }
}

Task<> ClipboardHistoryManager::runSaveRetries()
{
    while (hasUnsavedChanges()) {
        const bool awake = co_await m_clock.sleep(saveRetryInterval);
        if (!awake)
            co_return;
        save();
    }
}

void ClipboardHistoryManager::markChanged(const QList<ClipboardItem> &upserts, const QList<QUuid> &deletions)
{
    for (const ClipboardItem &item : upserts) {
        m_pendingUpserts.insert(item.id(), item);
        m_pendingDeletions.removeAll(item.id()); // back after a deletion that was not saved yet
    }
    for (const QUuid &id : deletions) {
        m_pendingUpserts.remove(id);
        if (!m_pendingDeletions.contains(id))
            m_pendingDeletions.append(id);
    }
    if (m_searchIndex) {
        m_searchIndex->upsert(upserts);
        m_searchIndex->remove(deletions);
    }
}

void ClipboardHistoryManager::save()
{
    if (m_store)
        carryOverIfStoreReplaced();
    // A store opened for reading only shows what it held; what changes since lives in memory.
    if (!m_store || m_store->container().isReadOnly()) {
        m_pendingUpserts.clear();
        m_pendingDeletions.clear();
        return;
    }
    QString error;
    if (m_store->save(m_pendingUpserts.values(), m_pendingDeletions, &error)) {
        m_pendingUpserts.clear();
        m_pendingDeletions.clear();
    } else {
        // One copy that does not fit (a large image on a nearly full disk) never holds back the others.
        error = saveEachChange();
        // Said as the copies begin to wait: the newest names it, and copies whose rows and whose files do not
        // fit name one full disk in two ways.
        if (!error.isEmpty() && m_saveProblem.isEmpty())
            qWarning("Could not save the clipboard history: %s. The changes not saved are kept in memory and "
                     "tried again every %g seconds and when Tavlen quits.",
                     qPrintable(error), saveRetryInterval);
    }
    if (error != m_saveProblem) {
        m_saveProblem = error;
        Q_EMIT saveProblemChanged(error);
    }
    if (m_running && hasUnsavedChanges() && !m_saveRetryTask.isRunning())
        m_saveRetryTask.start(runSaveRetries());
}

QString ClipboardHistoryManager::saveEachChange()
{
    QString firstError;
    QString error;
    if (!m_pendingDeletions.isEmpty()) {
        if (m_store->save({}, m_pendingDeletions, &error))
            m_pendingDeletions.clear();
        else
            firstError = error;
    }
    QList<ClipboardItem> upserts = m_pendingUpserts.values();
    std::ranges::stable_sort(upserts, [](const ClipboardItem &a, const ClipboardItem &b) { return a.date() > b.date(); });
    for (const ClipboardItem &item : std::as_const(upserts)) {
        if (m_store->save({item}, {}, &error))
            m_pendingUpserts.remove(item.id());
        else if (firstError.isEmpty())
            firstError = error;
    }
    return firstError;
}

void ClipboardHistoryManager::carryOverIfStoreReplaced()
{
    if (m_store->container().isStillInPlace())
        return;
    qWarning("The history store %s was deleted or replaced while Tavlen ran; it is opened again and the history "
             "saved into it.",
             qPrintable(m_store->container().storePath()));
    m_store->reopen();
    QString error;
    const QList<ClipboardItem> found = readStore(&error);
    QSet<QUuid> shown;
    for (const ClipboardItem &item : std::as_const(m_items))
        shown.insert(item.id());
    const qsizetype before = m_items.size();
    for (const ClipboardItem &item : found)
        if (!shown.contains(item.id()))
            m_items.append(item);
    if (m_items.size() != before) {
        std::stable_sort(m_items.begin(), m_items.end(),
                         [](const ClipboardItem &a, const ClipboardItem &b) { return a.date() > b.date(); });
        if (m_searchIndex)
            m_searchIndex->reset(m_items);
        Q_EMIT itemsChanged();
    }
    for (const ClipboardItem &item : std::as_const(m_items))
        m_pendingUpserts.insert(item.id(), item);
    if (!m_forgotten.isEmpty())
        setForgottenContent(m_forgotten);
    Q_EMIT storeReplaced();
}

void ClipboardHistoryManager::raiseStorageRevision()
{
    Q_EMIT storageRevisionChanged(++m_storageRevision);
}

void ClipboardHistoryManager::raiseSearchRevision()
{
    Q_EMIT searchRevisionChanged(++m_searchRevision);
}

ClipboardSearchIndex &ClipboardHistoryManager::searchIndex()
{
    if (!m_searchIndex) {
        m_searchIndex = std::make_unique<ClipboardSearchIndex>();
        m_searchIndex->reset(m_items);
    }
    return *m_searchIndex;
}

Task<std::optional<QList<ClipboardItem>>> ClipboardHistoryManager::searchItems(std::optional<ClipboardFilter> filter,
                                                                               QString query, bool includeAnalysisText,
                                                                               int limit)
{
    return runSearch(std::move(filter), std::move(query), includeAnalysisText, limit);
}

Task<std::optional<QList<ClipboardItem>>> ClipboardHistoryManager::runSearch(std::optional<ClipboardFilter> filter,
                                                                             QString query, bool includeAnalysisText,
                                                                             int limit)
{
    const Lifetime::Pointer<ClipboardHistoryManager> self(this, m_lifetime);
    const QList<ClipboardItem> searched = m_items; // shared with the history, not copied
    std::shared_ptr<const ClipboardFilterMatcher> matcher;
    if (filter)
        matcher = std::make_shared<const ClipboardFilterMatcher>(*filter);
    const int effectiveLimit = std::min(int(m_items.size()), limit);
    const bool buildsIndex = !m_searchIndex;
    auto future = searchIndex().search(searched, matcher, query, includeAnalysisText, effectiveLimit);
    const std::optional<QList<ClipboardSearchMatch>> found = co_await awaitFuture(std::move(future));
    const bool cancelled = co_await isCancelled();
    if (!found || !self || cancelled)
        co_return std::nullopt;

    // A history still sharing the list searched has not changed since: each match is the item at its place.
    // Otherwise the matches are looked up by id, and those deleted meanwhile left out.
    const bool unchanged = m_items.constData() == searched.constData();
    QHash<QUuid, const ClipboardItem *> byId;
    if (!unchanged) {
        byId.reserve(m_items.size());
        for (const ClipboardItem &item : std::as_const(m_items))
            byId.insert(item.id(), &item);
    }
    QList<ClipboardItem> results;
    results.reserve(found->size());
    QList<ClipboardItem> missingThumbnails;
    bool presentationsChanged = false;
    for (const ClipboardSearchMatch &match : *found) {
        const ClipboardItem *item = unchanged ? &searched.at(match.position) : byId.value(match.id);
        if (!item)
            continue; // deleted while the search ran
        results.append(*item);
        ClipboardSearchPresentation presentation{match.title, ClipboardSearchIndex::typeLabel(match.type),
                                                 m_thumbnails.value(match.id)};
        if (match.type == ClipboardItemType::image && presentation.thumbnail.isNull() && !m_thumbnails.contains(match.id))
            missingThumbnails.append(*item);
        auto it = m_searchPresentations.find(match.id);
        if (it == m_searchPresentations.end() || !(*it == presentation)) {
            m_searchPresentations.insert(match.id, presentation);
            presentationsChanged = true;
        }
    }
    if (presentationsChanged)
        Q_EMIT searchPresentationsChanged();
    if (!missingThumbnails.isEmpty())
        m_thumbnailTask.start(fillThumbnails(missingThumbnails));
    if (buildsIndex) {
        // Loading the history and building its index are over, and so is what they allocated on the way
        // (every text lowercased once among it). The freed pages go back a moment later, once every
        // screen's first search and its rows, which follow this one, have freed theirs too.
        m_clock.callAfter(1.0, [] { FreedMemory::release(); });
    }
    co_return results;
}

Task<> ClipboardHistoryManager::fillThumbnails(QList<ClipboardItem> images)
{
    const Lifetime::Pointer<ClipboardHistoryManager> self(this, m_lifetime);
    // Decoding images is slow; it runs off the main thread and the rows get their thumbnails when done.
    auto future = QtConcurrent::run([images] {
        QHash<QUuid, QImage> made;
        for (const ClipboardItem &item : images)
            made.insert(item.id(), ClipboardSearchPresentation::makeThumbnail(item.imageData()));
        return made;
    });
    const std::optional<QHash<QUuid, QImage>> made = co_await awaitFuture(std::move(future));
    if (!made || !self)
        co_return;
    bool changed = false;
    for (auto it = made->cbegin(); it != made->cend(); ++it) {
        m_thumbnails.insert(it.key(), it.value());
        auto presentation = m_searchPresentations.find(it.key());
        if (presentation != m_searchPresentations.end() && !it.value().isNull()) {
            presentation->thumbnail = it.value();
            changed = true;
        }
    }
    if (changed)
        Q_EMIT searchPresentationsChanged();
}
