#include "clipboard/ClipboardSearchIndex.h"

#include "clipboard/ClipboardDisplayKey.h"
#include "clipboard/ClipboardFilterMatcher.h"
#include "clipboard/FoldedTextSearch.h"

#include <QFileInfo>
#include <QSet>
#include <QtConcurrent>

#include <algorithm>
#include <cstring>

ClipboardSearchIndex::ClipboardSearchIndex()
    : m_state(std::make_shared<State>())
{
    m_pool.setMaxThreadCount(1);
    m_pool.setObjectName(QStringLiteral("ClipboardSearchIndex"));
}

ClipboardSearchIndex::~ClipboardSearchIndex()
{
    m_pool.waitForDone();
}

QByteArray ClipboardSearchIndex::normalizedText(const QString &text)
{
    return text.toLower().normalized(QString::NormalizationForm_C).toUtf8();
}

QByteArray ClipboardSearchIndex::normalizedQuery(const QString &query)
{
    return normalizedText(query.trimmed());
}

QString ClipboardSearchIndex::typeLabel(ClipboardItemType type)
{
    // Literals: every entry shares them instead of holding a copy.
    switch (type) {
    case ClipboardItemType::text: return QStringLiteral("Text");
    case ClipboardItemType::image: return QStringLiteral("Image");
    case ClipboardItemType::file: return QStringLiteral("File");
    case ClipboardItemType::url: return QStringLiteral("Url");
    case ClipboardItemType::generic: return QStringLiteral("Generic");
    }
    return QStringLiteral("Generic");
}

namespace {

// Long texts are lowercased and composed a piece at a time, so that no UTF-16 copy of a whole text is ever
// made beside it. A piece ends before an ASCII character: one that neither composes with what comes before
// it nor changes its case, so the pieces come out as the whole text would.
constexpr qsizetype normalizedPieceBytes = 64 * 1024;

qsizetype pieceEnd(QByteArrayView utf8, qsizetype from)
{
    qsizetype end = std::min(utf8.size(), from + normalizedPieceBytes);
    while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80)
        ++end;
    return end;
}

QByteArray normalizedPiece(QByteArrayView piece)
{
    return ClipboardSearchIndex::normalizedText(QString::fromUtf8(piece));
}

QByteArray normalizedUtf8(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype from = 0, end = 0; from < utf8.size(); from = end) {
        end = pieceEnd(utf8, from);
        out += normalizedPiece(utf8.sliced(from, end - from));
    }
    return out;
}

// Whether the text lowercases in place (FoldedTextSearch::foldsInPlace), told piece by piece.
bool foldsInPlace(QByteArrayView utf8)
{
    for (qsizetype from = 0, end = 0; from < utf8.size(); from = end) {
        end = pieceEnd(utf8, from);
        const QByteArrayView piece = utf8.sliced(from, end - from);
        if (!FoldedTextSearch::foldsInPlace(QByteArray::fromRawData(piece.data(), piece.size()), normalizedPiece(piece)))
            return false;
    }
    return true;
}

// What an item is found by besides its text, each after a line break: file names and paths, its title
// where that is not its text, what was recognised in an image.
QString searchableExtras(const ClipboardItem &item, const QStringList &filePaths)
{
    QString out;
    for (const QString &path : filePaths)
        out += QLatin1Char('\n') + QFileInfo(path).fileName() + QLatin1Char('\n') + path;
    if (!item.fileName().isEmpty() && filePaths.isEmpty())
        out += QLatin1Char('\n') + item.fileName();
    if (!item.isTitledByText())
        out += QLatin1Char('\n') + item.displayTitle();
    // An image has no text of its own: what was recognised in it is how a person finds it again.
    if (item.type() == ClipboardItemType::image && !item.aiExtractedText().isEmpty())
        out += QLatin1Char('\n') + item.aiExtractedText();
    return out;
}

} // namespace

QByteArray ClipboardSearchIndex::searchableText(const ClipboardItem &item)
{
    return normalizedUtf8(item.textUtf8()) + normalizedText(searchableExtras(item, item.filePaths()));
}

const ClipboardSearchIndex::Entry::Extras &ClipboardSearchIndex::Entry::noExtras()
{
    static const Extras none;
    return none;
}

QByteArrayView ClipboardSearchIndex::Entry::displayKey() const
{
    return extras && !extras->displayKey.isNull() ? QByteArrayView(extras->displayKey) : item.contentDigestView();
}

ClipboardSearchIndex::Entry ClipboardSearchIndex::prepare(const ClipboardItem &item)
{
    Entry entry;
    entry.item = item;
    entry.type = item.type();
    entry.text = item.textUtf8();
    Entry::Extras extras;
    if (item.contentDigestView().isEmpty())
        extras.displayKey = ClipboardDisplayKey::of(item);
    extras.filePaths = item.filePaths();
    // A row reads the start of the item's text itself rather than the index keeping a second copy of it.
    if (!item.isTitledByText())
        extras.title = item.displayTitle(titleLength);

    // Nothing beside the text to find it by, and the text lowercases in place: no copy is kept.
    const QString besides = searchableExtras(item, extras.filePaths);
    if (besides.isEmpty() && foldsInPlace(entry.text))
        entry.searchesTextInPlace = true;
    else
        extras.searchText = normalizedUtf8(entry.text) + normalizedText(besides);

    QStringList analysis;
    for (const QString &part : {item.aiTitle(), item.aiSummary(), item.aiCategory(), item.aiExtractedText()})
        if (!part.isEmpty())
            analysis.append(part);
    analysis += item.tags();
    if (!analysis.isEmpty())
        extras.analysisText = normalizedText(analysis.join(QLatin1Char('\n')));
    if (!extras.filePaths.isEmpty() || !extras.title.isNull() || !extras.searchText.isEmpty() || !extras.analysisText.isEmpty()
        || !extras.displayKey.isNull())
        entry.extras = std::make_shared<const Entry::Extras>(std::move(extras));
    return entry;
}

void ClipboardSearchIndex::reset(const QList<ClipboardItem> &items)
{
    auto state = m_state;
    m_pool.start([state, items] {
        std::lock_guard lock(state->mutex);
        state->entries.clear();
        state->entries.reserve(items.size());
        for (const ClipboardItem &item : items)
            state->entries.insert(item.id(), prepare(item));
        ++state->generation;
    });
}

void ClipboardSearchIndex::upsert(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return;
    auto state = m_state;
    m_pool.start([state, items] {
        std::lock_guard lock(state->mutex);
        for (const ClipboardItem &item : items)
            state->entries.insert(item.id(), prepare(item));
        ++state->generation;
    });
}

void ClipboardSearchIndex::remove(const QList<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    auto state = m_state;
    m_pool.start([state, ids] {
        std::lock_guard lock(state->mutex);
        for (const QUuid &id : ids)
            state->entries.remove(id);
        ++state->generation;
    });
}

QFuture<QList<ClipboardSearchMatch>> ClipboardSearchIndex::search(QList<ClipboardItem> history,
                                                                   std::shared_ptr<const ClipboardFilterMatcher> filter,
                                                                   const QString &query, bool includeAnalysisText,
                                                                   int limit)
{
    auto state = m_state;
    const QByteArray needle = normalizedQuery(query);
    return QtConcurrent::run(&m_pool, [state, history = std::move(history), filter, needle, includeAnalysisText, limit] {
        std::lock_guard lock(state->mutex);
        return searchSlots(state->resolve(history), filter.get(), needle, includeAnalysisText, limit);
    });
}

void ClipboardSearchIndex::waitForIdle()
{
    // Not a future's wait: that could run queued work on this thread, out of order.
    m_pool.waitForDone();
}

namespace {

bool contains(QByteArrayView haystack, const QByteArray &needle)
{
    return haystack.size() >= needle.size()
           && ::memmem(haystack.data(), size_t(haystack.size()), needle.constData(), size_t(needle.size()));
}

// How many items ahead of the one searched the start of a text is fetched into the cache.
constexpr size_t prefetchDistance = 4;

// A display key to count or look up by, not copied: valid as long as its entry.
QByteArray asKey(QByteArrayView key)
{
    return QByteArray::fromRawData(key.data(), key.size());
}

} // namespace

const std::vector<ClipboardSearchIndex::Slot> &ClipboardSearchIndex::State::resolve(const QList<ClipboardItem> &history)
{
    // Told by the items' values alone: reading 5,000 ids would cost more than the search of a short word.
    const auto sameHistory = [&] {
        if (resolvedHistory.size() != history.size())
            return false;
        for (qsizetype i = 0; i < history.size(); ++i)
            if (!history[i].isSameValueAs(resolvedHistory[i]))
                return false;
        return true;
    };
    if (resolvedGeneration == generation && sameHistory())
        return slots;
    // A copy of the items, not of the list: holding the history's own list would copy it at its next change.
    resolvedHistory.clear();
    resolvedHistory.reserve(history.size());
    slots.clear();
    slots.reserve(size_t(history.size()));
    QHash<QByteArray, int> keyCounts;
    keyCounts.reserve(history.size());
    for (qsizetype i = 0; i < history.size(); ++i) {
        resolvedHistory.append(history[i]);
        const auto it = entries.constFind(history[i].id());
        if (it == entries.constEnd())
            continue;
        const Entry &entry = *it;
        const QByteArrayView text = entry.searchesTextInPlace ? QByteArrayView(entry.text) : QByteArrayView(entry.searchText());
        slots.push_back({&entry, it.key(), text, entry.extras.get(), i, entry.type, entry.searchesTextInPlace, false});
        if (const QByteArrayView key = it->displayKey(); !key.isEmpty())
            ++keyCounts[asKey(key)];
    }
    for (Slot &slot : slots)
        slot.sharesKey = keyCounts.value(asKey(slot.entry->displayKey())) > 1;
    resolvedGeneration = generation;
    return slots;
}

QList<ClipboardSearchMatch> ClipboardSearchIndex::searchSlots(const std::vector<Slot> &slots,
                                                             const ClipboardFilterMatcher *filter,
                                                             const QByteArray &query, bool includeAnalysisText,
                                                             int limit)
{
    QList<ClipboardSearchMatch> matches;
    if (limit <= 0)
        return matches;
    QSet<QByteArray> seenKeys;
    const std::optional<FoldedTextSearch> folded =
        query.isEmpty() ? std::nullopt : std::make_optional<FoldedTextSearch>(query);
    const bool filterReadsText = filter && filter->readsText();
    for (size_t i = 0; i < slots.size(); ++i) {
        const Slot &slot = slots[i];
        // With analysis text asked for, an analysed item is matched by its analysis, any other by its text.
        if (folded) {
            // The texts lie scattered in memory: the next ones are asked for while this one is read.
            if (i + prefetchDistance < slots.size())
                __builtin_prefetch(slots[i + prefetchDistance].text.data());
            const bool analysed = includeAnalysisText && slot.extras && !slot.extras->analysisText.isEmpty();
            const bool found = analysed                   ? contains(slot.extras->analysisText, query)
                               : slot.searchesTextInPlace ? folded->isFoundIn(slot.text)
                                                          : contains(slot.text, query);
            if (!found)
                continue;
        }
        if (filter && !filter->matches(slot.type, filterReadsText ? QString::fromUtf8(slot.entry->text) : QString(),
                                       slot.extras ? slot.extras->filePaths : QStringList()))
            continue;
        // Only items whose key occurs more than once can be duplicates.
        if (slot.sharesKey) {
            const QByteArray key = asKey(slot.entry->displayKey());
            if (seenKeys.contains(key))
                continue;
            seenKeys.insert(key);
        }
        matches.append({slot.id, slot.position, slot.type, slot.extras ? slot.extras->title : QString()});
        if (matches.size() >= limit)
            break;
    }
    return matches;
}
