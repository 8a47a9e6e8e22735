#include "model/FilterManager.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

FilterManager::FilterManager(Preferences &prefs, QObject *parent)
    : QObject(parent)
    , m_record(prefs, preferencesKey)
{
    load();
}

FilterManager::~FilterManager() = default;

void FilterManager::load()
{
    const std::optional<QByteArray> stored = m_record.value();
    if (!stored) {
        // Not saved until the person changes something, so a later version's built-ins reach them.
        m_filters = ClipboardFilter::builtIns();
        return;
    }
    QStringList problems;
    const std::optional<QList<ClipboardFilter>> decoded = decode(*stored, &problems);
    if (!problems.isEmpty()) {
        const QString aside = m_record.keepAside(*stored);
        qWarning("Tavlen's saved clipboard filters could not be read completely (%s); %s. The text as stored was "
                 "kept under the preferences key \"%s\".",
            qPrintable(problems.join(QStringLiteral("; "))),
            decoded ? "the readable filters are used" : "the built-in filters are used", qPrintable(aside));
    }
    m_filters = decoded ? *decoded : ClipboardFilter::builtIns();
}

QList<ClipboardFilter> FilterManager::enabledFilters() const
{
    QList<ClipboardFilter> enabled;
    std::copy_if(m_filters.cbegin(), m_filters.cend(), std::back_inserter(enabled),
        [](const ClipboardFilter &filter) { return filter.isEnabled; });
    return enabled;
}

std::optional<ClipboardFilter> FilterManager::filter(const QUuid &id) const
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return std::nullopt;
    return m_filters.at(index);
}

qsizetype FilterManager::indexOf(const QUuid &id) const
{
    const auto it = std::find_if(
        m_filters.cbegin(), m_filters.cend(), [&id](const ClipboardFilter &filter) { return filter.id == id; });
    return it == m_filters.cend() ? -1 : it - m_filters.cbegin();
}

void FilterManager::moveFilter(qsizetype from, qsizetype to)
{
    if (from < 0 || from >= m_filters.size())
        return;
    QList<ClipboardFilter> moved = m_filters;
    const ClipboardFilter filter = moved.takeAt(from);
    const qsizetype target = std::clamp<qsizetype>(from < to ? to - 1 : to, 0, moved.size());
    moved.insert(target, filter);
    // One save for the whole move: a list saved between the removal and the insertion would lack the filter.
    m_record.save(encode(moved));
    apply(std::move(moved));
}

bool FilterManager::addFilter(const ClipboardFilter &filter)
{
    if (filter.id.isNull() || indexOf(filter.id) >= 0)
        return false;
    QList<ClipboardFilter> changed = m_filters;
    changed.append(filter);
    commit(std::move(changed));
    return true;
}

bool FilterManager::updateFilter(const ClipboardFilter &filter)
{
    const qsizetype index = indexOf(filter.id);
    if (index < 0)
        return false;
    QList<ClipboardFilter> changed = m_filters;
    changed[index] = filter;
    commit(std::move(changed));
    return true;
}

bool FilterManager::setFilterEnabled(const QUuid &id, bool enabled)
{
    std::optional<ClipboardFilter> changed = filter(id);
    if (!changed)
        return false;
    changed->isEnabled = enabled;
    return updateFilter(*changed);
}

bool FilterManager::removeFilter(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0 || m_filters.at(index).isBuiltIn)
        return false;
    QList<ClipboardFilter> changed = m_filters;
    changed.removeAt(index);
    commit(std::move(changed));
    return true;
}

void FilterManager::setFilters(const QList<ClipboardFilter> &filters)
{
    commit(filters);
}

void FilterManager::commit(QList<ClipboardFilter> filters)
{
    if (filters == m_filters)
        return;
    m_record.save(encode(filters));
    apply(std::move(filters));
}

void FilterManager::apply(QList<ClipboardFilter> filters)
{
    if (filters == m_filters)
        return;
    m_filters = std::move(filters);
    Q_EMIT filtersChanged();
}

QByteArray FilterManager::encode(const QList<ClipboardFilter> &filters)
{
    QJsonArray array;
    for (const ClipboardFilter &filter : filters)
        array.append(filter.toJsonObject());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<ClipboardFilter>> FilterManager::decode(const QByteArray &json, QStringList *problems)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        if (problems) {
            problems->append(error.error != QJsonParseError::NoError
                    ? QStringLiteral("not valid JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset)
                    : QStringLiteral("not a JSON list"));
        }
        return std::nullopt;
    }
    QList<ClipboardFilter> filters;
    for (const QJsonValue &entry : document.array()) {
        QString problem;
        const std::optional<ClipboardFilter> filter
            = ClipboardFilter::fromJsonObject(entry.toObject(), &problem);
        if (filter)
            filters.append(*filter);
        else if (problems)
            problems->append(problem);
    }
    return filters;
}
