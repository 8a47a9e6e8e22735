#include "clipboard/ClipboardSearchIndex.h"

#include "clipboard/ClipboardDisplayKey.h"
#include "clipboard/ClipboardFilterMatcher.h"

#include <QFileInfo>
#include <QSet>
#include <QtConcurrent>

#include <cstring>

ClipboardSearchIndex::ClipboardSearchIndex()
    : m_entries(std::make_shared<QHash<QUuid, Entry>>())
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
    auto entries = m_entries;
    m_pool.start([entries, items] {
        entries->clear();
        entries->reserve(items.size());
        for (const ClipboardItem &item : items)
            entries->insert(item.id(), prepare(item));
    });
}

void ClipboardSearchIndex::upsert(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return;
    auto entries = m_entries;
    m_pool.start([entries, items] {
        for (const ClipboardItem &item : items)
            entries->insert(item.id(), prepare(item));
    });
}

void ClipboardSearchIndex::remove(const QList<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    auto entries = m_entries;
    m_pool.start([entries, ids] {
        for (const QUuid &id : ids)
            entries->remove(id);
    });
}

QFuture<QList<ClipboardSearchMatch>> ClipboardSearchIndex::search(QList<QUuid> order,
                                                                   std::shared_ptr<const ClipboardFilterMatcher> filter,
                                                                   const QString &query, bool includeAnalysisText,
                                                                   int limit)
{
    auto entries = m_entries;
    const QByteArray needle = normalizedQuery(query);
    return QtConcurrent::run(&m_pool, [entries, order = std::move(order), filter, needle, includeAnalysisText, limit] {
        return searchEntries(*entries, order, filter.get(), needle, includeAnalysisText, limit);
    });
}

void ClipboardSearchIndex::waitForIdle()
{
    QtConcurrent::run(&m_pool, [] {}).waitForFinished();
}

namespace {

bool contains(const QByteArray &haystack, const QByteArray &needle)
{
    return haystack.size() >= needle.size()
           && ::memmem(haystack.constData(), size_t(haystack.size()), needle.constData(), size_t(needle.size()));
}

} // namespace

QList<ClipboardSearchMatch> ClipboardSearchIndex::searchEntries(const QHash<QUuid, Entry> &entries,
                                                               const QList<QUuid> &order,
                                                               const ClipboardFilterMatcher *filter,
                                                               const QByteArray &query, bool includeAnalysisText,
                                                               int limit)
{
    QList<ClipboardSearchMatch> matches;
    if (limit <= 0)
        return matches;
    QSet<QByteArray> seenKeys;
    for (const QUuid &id : order) {
        const auto it = entries.constFind(id);
        if (it == entries.constEnd())
            continue;
        const Entry &entry = *it;
        if (!query.isEmpty() && !contains(entry.searchText, query)
            && !(includeAnalysisText && contains(entry.analysisText, query)))
            continue;
        if (filter && !filter->matches(entry.type, entry.text, entry.filePaths))
            continue;
        if (!entry.displayKey.isEmpty()) {
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
