#include "model/ClipboardFilter.h"

#include <QJsonArray>

namespace {

// Namespace of the built-in filters' name-based identifiers.
const QUuid builtInNamespace(QStringLiteral("{6f1d8a52-3c0e-4b7a-9d35-0f4e2b8c7a11}"));

struct BuiltInLook {
    const char *name;
    const char *iconName;
};

BuiltInLook lookOf(FilterType type)
{
    switch (type) {
    case FilterType::url: return {"Links", "link"};
    case FilterType::image: return {"Images", "photo"};
    case FilterType::text: return {"Text", "text.alignleft"};
    case FilterType::file: return {"Files", "doc"};
    case FilterType::json: return {"JSON", "curlybraces"};
    case FilterType::email: return {"Email", "envelope"};
    }
    return {"Text", "text.alignleft"};
}

} // namespace

ClipboardFilter ClipboardFilter::make(const QString &name, FilterType type, FilterOptions options)
{
    ClipboardFilter filter;
    filter.id = QUuid::createUuid();
    filter.name = name;
    filter.type = type;
    filter.options = std::move(options);
    return filter;
}

ClipboardFilter ClipboardFilter::builtIn(FilterType type)
{
    const BuiltInLook look = lookOf(type);
    ClipboardFilter filter;
    filter.id = QUuid::createUuidV5(builtInNamespace, rawValue(type));
    filter.name = QString::fromLatin1(look.name);
    filter.isBuiltIn = true;
    filter.type = type;
    filter.options.iconName = QString::fromLatin1(look.iconName);
    return filter;
}

QList<ClipboardFilter> ClipboardFilter::builtIns()
{
    QList<ClipboardFilter> filters;
    for (FilterType type : allFilterTypes)
        filters.append(builtIn(type));
    return filters;
}

QJsonObject ClipboardFilter::toJsonObject() const
{
    const QJsonObject optionsObject{
        {QStringLiteral("isCaseSensitive"), options.isCaseSensitive},
        {QStringLiteral("matchMode"), rawValue(options.matchMode)},
        {QStringLiteral("matchText"), options.matchText},
        {QStringLiteral("fileExtensions"), QJsonArray::fromStringList(options.fileExtensions)},
        {QStringLiteral("iconName"), options.iconName},
    };
    return QJsonObject{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
        {QStringLiteral("name"), name},
        {QStringLiteral("isEnabled"), isEnabled},
        {QStringLiteral("isBuiltIn"), isBuiltIn},
        {QStringLiteral("type"), rawValue(type)},
        {QStringLiteral("options"), optionsObject},
    };
}

std::optional<ClipboardFilter> ClipboardFilter::fromJsonObject(const QJsonObject &object, QString *problem)
{
    const auto fail = [problem](const QString &why) -> std::optional<ClipboardFilter> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };

    ClipboardFilter filter;
    filter.id = QUuid::fromString(object.value(QStringLiteral("id")).toString());
    if (filter.id.isNull())
        return fail(QStringLiteral("a filter has no valid \"id\""));
    const QJsonValue name = object.value(QStringLiteral("name"));
    if (!name.isString())
        return fail(QStringLiteral("a filter has no \"name\""));
    filter.name = name.toString();
    const std::optional<FilterType> type = filterTypeFromRawValue(object.value(QStringLiteral("type")).toString());
    if (!type)
        return fail(QStringLiteral("the filter \"%1\" has an unknown \"type\"").arg(filter.name));
    filter.type = *type;
    filter.isEnabled = object.value(QStringLiteral("isEnabled")).toBool(true);
    filter.isBuiltIn = object.value(QStringLiteral("isBuiltIn")).toBool(false);

    // Options fall back one by one: an older or partial record still names a usable filter.
    const QJsonObject optionsObject = object.value(QStringLiteral("options")).toObject();
    filter.options.isCaseSensitive = optionsObject.value(QStringLiteral("isCaseSensitive")).toBool(false);
    const QJsonValue mode = optionsObject.value(QStringLiteral("matchMode"));
    if (!mode.isUndefined()) {
        const std::optional<TextMatchMode> parsed = textMatchModeFromRawValue(mode.toString());
        if (!parsed)
            return fail(QStringLiteral("the filter \"%1\" has an unknown \"matchMode\"").arg(filter.name));
        filter.options.matchMode = *parsed;
    }
    filter.options.matchText = optionsObject.value(QStringLiteral("matchText")).toString();
    for (const QJsonValue &extension : optionsObject.value(QStringLiteral("fileExtensions")).toArray()) {
        if (extension.isString())
            filter.options.fileExtensions.append(extension.toString());
    }
    filter.options.iconName = optionsObject.value(QStringLiteral("iconName")).toString();
    return filter;
}
