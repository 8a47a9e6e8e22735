#include "clipboard/ClipboardSearchIndex.h"

#include "clipboard/ClipboardDisplayKey.h"
#include "clipboard/ClipboardFilterMatcher.h"

#include <QFileInfo>
#include <QSet>
#include <QtConcurrent>

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
    QString label = rawValue(type);
    label[0] = label[0].toUpper();
    return label;
}

ClipboardSearchIndex::Entry ClipboardSearchIndex::prepare(const ClipboardItem &item)
{
    Entry entry;
    entry.id = item.id();
    entry.type = item.type();
    entry.text = item.text();
    entry.filePaths = item.filePaths();
    entry.displayKey = ClipboardDisplayKey::of(item);
    entry.title = item.displayTitle();
    entry.typeLabel = typeLabel(entry.type);

    QString searchable = entry.text;
    for (const QString &path : std::as_const(entry.filePaths)) {
        searchable += QLatin1Char('\n') + QFileInfo(path).fileName() + QLatin1Char('\n') + path;
    }
    if (!item.fileName().isEmpty() && entry.filePaths.isEmpty())
        searchable += QLatin1Char('\n') + item.fileName();
    if (entry.title != entry.text)
        searchable += QLatin1Char('\n') + entry.title;
    // An image has no text of its own: what was recognised in it is how a person finds it again.
    if (entry.type == ClipboardItemType::image && !item.aiExtractedText().isEmpty())
        searchable += QLatin1Char('\n') + item.aiExtractedText();
    entry.searchText = normalizedText(searchable);

    QStringList analysis;
    for (const QString &part : {item.aiTitle(), item.aiSummary(), item.aiCategory(), item.aiExtractedText()})
        if (!part.isEmpty())
            analysis.append(part);
    analysis += item.tags();
    if (!analysis.isEmpty())
        entry.analysisText = normalizedText(analysis.join(QLatin1Char('\n')));
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

QFuture<QList<ClipboardSearchMatch>> ClipboardSearchIndex::search(QList<QUuid> order,
                                                                   std::shared_ptr<const ClipboardFilterMatcher> filter,
                                                                   const QString &query, bool includeAnalysisText,
                                                                   int limit)
{
    auto state = m_state;
    const QByteArray needle = normalizedQuery(query);
    return QtConcurrent::run(&m_pool, [state, order = std::move(order), filter, needle, includeAnalysisText, limit] {
        std::lock_guard lock(state->mutex);
        return searchSlots(state->resolve(order), filter.get(), needle, includeAnalysisText, limit);
    });
}

void ClipboardSearchIndex::waitForIdle()
{
    // Not a future's wait: that could run queued work on this thread, out of order.
    m_pool.waitForDone();
}

namespace {

bool contains(const QByteArray &haystack, const QByteArray &needle)
{
    return haystack.size() >= needle.size()
           && ::memmem(haystack.constData(), size_t(haystack.size()), needle.constData(), size_t(needle.size()));
}

} // namespace

const std::vector<ClipboardSearchIndex::Slot> &ClipboardSearchIndex::State::resolve(const QList<QUuid> &order)
{
    if (resolvedGeneration == generation && resolvedOrder == order)
        return slots;
    slots.clear();
    slots.reserve(size_t(order.size()));
    QHash<QByteArray, int> keyCounts;
    keyCounts.reserve(order.size());
    for (const QUuid &id : order) {
        const auto it = entries.constFind(id);
        if (it == entries.constEnd())
            continue;
        slots.push_back({&*it, false});
        if (!it->displayKey.isEmpty())
            ++keyCounts[it->displayKey];
    }
    for (Slot &slot : slots)
        slot.sharesKey = !slot.entry->displayKey.isEmpty() && keyCounts.value(slot.entry->displayKey) > 1;
    resolvedOrder = order;
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
    for (const Slot &slot : slots) {
        const Entry &entry = *slot.entry;
        // With analysis text asked for, an analysed item is matched by its analysis, any other by its text.
        const QByteArray &haystack =
            includeAnalysisText && !entry.analysisText.isEmpty() ? entry.analysisText : entry.searchText;
        if (!query.isEmpty() && !contains(haystack, query))
            continue;
        if (filter && !filter->matches(entry.type, entry.text, entry.filePaths))
            continue;
        // Only items whose key occurs more than once can be duplicates.
        if (slot.sharesKey) {
            if (seenKeys.contains(entry.displayKey))
                continue;
            seenKeys.insert(entry.displayKey);
        }
        matches.append({entry.id, entry.type, entry.title, entry.typeLabel});
        if (matches.size() >= limit)
            break;
    }
    return matches;
}
