#pragma once
// A named filter of the clipboard history, shown as a pill in the launcher; the built-in ones exist one per
// filter type and are marked as such.

#include "model/FilterOptions.h"
#include "model/FilterType.h"

#include <QJsonObject>
#include <QList>
#include <QUuid>

#include <optional>

class ClipboardFilter {
public:
    QUuid id;
    QString name;
    bool isEnabled = true;
    bool isBuiltIn = false;
    FilterType type = FilterType::text;
    FilterOptions options;

    // A new custom filter with a fresh identifier.
    static ClipboardFilter make(const QString &name, FilterType type, FilterOptions options = {});
    // The built-in filter of `type`; its identifier never changes, so a stored list keeps recognising it.
    static ClipboardFilter builtIn(FilterType type);
    // One built-in filter per type, in the order of the types.
    static QList<ClipboardFilter> builtIns();

    QJsonObject toJsonObject() const;
    // None (with the reason in `problem`) when a required key is missing or of the wrong kind.
    static std::optional<ClipboardFilter> fromJsonObject(const QJsonObject &object, QString *problem = nullptr);

    friend bool operator==(const ClipboardFilter &, const ClipboardFilter &) = default;
};
