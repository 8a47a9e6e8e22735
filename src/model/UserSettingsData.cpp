#include "model/UserSettingsData.h"

#include <QJsonDocument>

#include <cmath>

namespace {

// Keys whose stored name differs from the member's, kept for records written by earlier versions.
const QString fieldSuggestionsKey = QStringLiteral("pasteSuggestionOnDoubleClick");
const QString eventPostingKey = QStringLiteral("hasShownAccessibilityGate");

QJsonObject tintToJson(const TintConfig &tint)
{
    return QJsonObject{{QStringLiteral("red"), tint.red}, {QStringLiteral("green"), tint.green},
        {QStringLiteral("blue"), tint.blue}, {QStringLiteral("lightModeOpacity"), tint.lightModeOpacity},
        {QStringLiteral("darkModeOpacity"), tint.darkModeOpacity}};
}

// Reads one record's keys, falling back to the fresh value and noting every key of the wrong kind.
class Reader {
public:
    Reader(const QJsonObject &object, QStringList *problems, const QString &prefix = {})
        : m_object(object)
        , m_problems(problems)
        , m_prefix(prefix)
    {
    }

    void readBool(const QString &key, bool &target) const
    {
        const QJsonValue value = m_object.value(key);
        if (isAbsent(value))
            return;
        if (value.isBool())
            target = value.toBool();
        else
            note(key, "a true or false value");
    }

    void readDouble(const QString &key, double &target) const
    {
        const QJsonValue value = m_object.value(key);
        if (isAbsent(value))
            return;
        if (value.isDouble())
            target = value.toDouble();
        else
            note(key, "a number");
    }

    // A number outside `minimum`...`maximum` is as corrupt as one of the wrong kind: clamping -5 to the
    // shortest retention would delete history nobody asked to lose.
    void readInt(const QString &key, int &target, int minimum, int maximum) const
    {
        const QJsonValue value = m_object.value(key);
        if (isAbsent(value))
            return;
        const double number = value.toDouble();
        if (value.isDouble() && std::isfinite(number) && number == std::trunc(number) && number >= minimum
            && number <= maximum)
            target = int(number);
        else
            note(key, qPrintable(QStringLiteral("a whole number from %1 to %2").arg(minimum).arg(maximum)));
    }

    template<typename Enum>
    void readRaw(const QString &key, Enum &target, std::optional<Enum> (*fromRaw)(const QString &)) const
    {
        const QJsonValue value = m_object.value(key);
        if (isAbsent(value))
            return;
        const std::optional<Enum> parsed = value.isString() ? fromRaw(value.toString()) : std::nullopt;
        if (parsed)
            target = *parsed;
        else
            note(key, "a known name");
    }

    void readTint(const QString &key, TintConfig &target) const
    {
        const QJsonValue value = m_object.value(key);
        if (isAbsent(value))
            return;
        if (!value.isObject()) {
            note(key, "an object");
            return;
        }
        const Reader inner(value.toObject(), m_problems, m_prefix + key + QLatin1Char('.'));
        inner.readDouble(QStringLiteral("red"), target.red);
        inner.readDouble(QStringLiteral("green"), target.green);
        inner.readDouble(QStringLiteral("blue"), target.blue);
        inner.readDouble(QStringLiteral("lightModeOpacity"), target.lightModeOpacity);
        inner.readDouble(QStringLiteral("darkModeOpacity"), target.darkModeOpacity);
    }

private:
    static bool isAbsent(const QJsonValue &value) { return value.isUndefined() || value.isNull(); }

    void note(const QString &key, const char *expected) const
    {
        if (m_problems)
            m_problems->append(QStringLiteral("\"%1%2\" is not %3").arg(m_prefix, key, QLatin1String(expected)));
    }

    QJsonObject m_object;
    QStringList *m_problems;
    QString m_prefix;
};

} // namespace

QJsonObject UserSettingsData::toJsonObject() const
{
    QJsonObject object{
        {QStringLiteral("schemaVersion"), schemaVersion},
        {QStringLiteral("accentColor"), rawValue(accentColor)},
        {QStringLiteral("notchTint"), tintToJson(notchTint)},
        {QStringLiteral("windowTint"), tintToJson(windowTint)},
        {QStringLiteral("fieldWindowTint"), tintToJson(fieldWindowTint)},
        {QStringLiteral("pasteAsPlainText"), pasteAsPlainText},
        {QStringLiteral("clipboardHistoryRetentionDays"), clipboardHistoryRetentionDays},
        {QStringLiteral("launcherPresentation"), rawValue(launcherPresentation)},
        {QStringLiteral("fieldWindowEnabled"), fieldWindowEnabled},
        {QStringLiteral("clearFieldBeforePaste"), clearFieldBeforePaste},
        {QStringLiteral("aiEnabled"), aiEnabled},
        {fieldSuggestionsKey, fieldSuggestionsEnabled},
        {eventPostingKey, hasRequestedEventPostingPermission},
    };
    if (notchExpandOnHover)
        object.insert(QStringLiteral("notchExpandOnHover"), *notchExpandOnHover);
    return object;
}

QByteArray UserSettingsData::toJson() const
{
    return QJsonDocument(toJsonObject()).toJson(QJsonDocument::Compact);
}

UserSettingsData UserSettingsData::fromJsonObject(const QJsonObject &object, QStringList *problems)
{
    UserSettingsData settings;
    const Reader reader(object, problems);
    reader.readRaw(QStringLiteral("accentColor"), settings.accentColor, &accentColorOptionFromRawValue);
    reader.readTint(QStringLiteral("notchTint"), settings.notchTint);
    reader.readTint(QStringLiteral("windowTint"), settings.windowTint);
    reader.readTint(QStringLiteral("fieldWindowTint"), settings.fieldWindowTint);
    reader.readBool(QStringLiteral("pasteAsPlainText"), settings.pasteAsPlainText);
    reader.readInt(QStringLiteral("clipboardHistoryRetentionDays"), settings.clipboardHistoryRetentionDays,
                   minimumRetentionDays, maximumRetentionDays);
    bool expandOnHover = true;
    reader.readBool(QStringLiteral("notchExpandOnHover"), expandOnHover);
    settings.notchExpandOnHover = expandOnHover;
    reader.readRaw(
        QStringLiteral("launcherPresentation"), settings.launcherPresentation, &launcherPresentationFromRawValue);
    reader.readBool(QStringLiteral("fieldWindowEnabled"), settings.fieldWindowEnabled);
    reader.readBool(QStringLiteral("clearFieldBeforePaste"), settings.clearFieldBeforePaste);
    reader.readBool(QStringLiteral("aiEnabled"), settings.aiEnabled);
    reader.readBool(fieldSuggestionsKey, settings.fieldSuggestionsEnabled);
    reader.readBool(eventPostingKey, settings.hasRequestedEventPostingPermission);
    // Older records are read into the current shape, so the version is always the current one.
    settings.schemaVersion = currentSchemaVersion;
    return settings;
}

std::optional<UserSettingsData> UserSettingsData::fromJson(const QByteArray &json, QStringList *problems)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        if (problems)
            problems->append(QStringLiteral("not valid JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset));
        return std::nullopt;
    }
    if (!document.isObject()) {
        if (problems)
            problems->append(QStringLiteral("not a JSON object"));
        return std::nullopt;
    }
    return fromJsonObject(document.object(), problems);
}
