#pragma once
// The ordered list of clipboard filters, enabled or not: loaded from the preferences (the built-in filters
// when nothing is stored) and saved on every change.

#include "model/ClipboardFilter.h"
#include "model/PreferencesRecord.h"

#include <QObject>

#include <optional>

class Preferences;

class FilterManager : public QObject {
    Q_OBJECT
public:
    static inline const QString preferencesKey = QStringLiteral("clipboard_filters_v1");

    explicit FilterManager(Preferences &prefs, QObject *parent = nullptr);
    ~FilterManager() override;

    const QList<ClipboardFilter> &filters() const { return m_filters; }
    // The enabled filters, in list order.
    QList<ClipboardFilter> enabledFilters() const;
    // The first filter with `id`, or none.
    std::optional<ClipboardFilter> filter(const QUuid &id) const;

    // With 0 <= from < count: takes the filter out at `from` and puts it back at `to` - 1 when from < to,
    // else at `to`, clamped to the remaining list; saves once. Any other `from` does nothing.
    void moveFilter(qsizetype from, qsizetype to);
    // Appends a filter; one whose id is already listed is not added.
    bool addFilter(const ClipboardFilter &filter);
    // Replaces the filter with the same id; false when there is none.
    bool updateFilter(const ClipboardFilter &filter);
    bool setFilterEnabled(const QUuid &id, bool enabled);
    // Removes a custom filter; built-in filters can only be turned off, so they answer false.
    bool removeFilter(const QUuid &id);
    // Replaces the whole list (a reorder or edit from the settings window).
    void setFilters(const QList<ClipboardFilter> &filters);

    static QByteArray encode(const QList<ClipboardFilter> &filters);
    // None when the text is not a JSON array; entries that cannot be read are skipped and named in `problems`.
    static std::optional<QList<ClipboardFilter>> decode(const QByteArray &json, QStringList *problems = nullptr);

Q_SIGNALS:
    void filtersChanged();

private:
    void load();
    void commit(QList<ClipboardFilter> filters);
    void apply(QList<ClipboardFilter> filters);
    qsizetype indexOf(const QUuid &id) const;

    PreferencesRecord m_record;
    QList<ClipboardFilter> m_filters;
};
