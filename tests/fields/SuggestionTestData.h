// Field suggestions for the value-history tests: remembered values with their details, sample values, and
// a context holding both, dated from a fixed moment so pictures and text stay the same from run to run.
#pragma once

#include "fields/views/NotchAIContext.h"

#include <QDateTime>
#include <QTimeZone>

namespace SuggestionTestData {

inline QDateTime moment(int daysAgo, int hour, int minute)
{
    const QDateTime base(QDate(2026, 3, 14), QTime(0, 0), QTimeZone::systemTimeZone());
    return base.addDays(-daysAgo).addSecs(hour * 3600 + minute * 60);
}

inline FocusedFieldSuggestion remembered(const QString &value, const QString &title, int uses, int daysAgo)
{
    FocusedFieldSuggestion s;
    s.title = title;
    s.value = value;
    s.systemImage = QStringLiteral("clock.arrow.circlepath");
    s.usageCount = uses;
    FocusedFieldSuggestionDetails d;
    d.applicationId = QStringLiteral("org.example.browser");
    d.webOrigin = QStringLiteral("https://shop.example.com");
    d.fieldType = QStringLiteral("Name");
    d.fieldName = QStringLiteral("Display name");
    d.domIdentifier = QStringLiteral("display-name");
    d.createdAt = moment(daysAgo + 30, 9, 12);
    d.updatedAt = moment(daysAgo + 2, 17, 40);
    d.lastUsedAt = moment(daysAgo, 14, 5);
    for (int i = 0; i < std::min(uses, 6); ++i)
        d.recentUsageDates.append(moment(daysAgo + i * 3, 14 - i, 5 + 7 * i));
    s.details = d;
    return s;
}

inline FocusedFieldSuggestion sample(const QString &value)
{
    FocusedFieldSuggestion s;
    s.title = QStringLiteral("Random name");
    s.value = value;
    s.systemImage = QStringLiteral("person.text.rectangle");
    FocusedFieldSuggestionDetails d;
    d.applicationId = QStringLiteral("org.example.browser");
    d.fieldType = QStringLiteral("Name");
    d.fieldName = QStringLiteral("Display name");
    s.details = d;
    return s;
}

// A name field with three remembered values (one with an emoji and letters outside ASCII) and three samples.
inline NotchAIContext nameContext()
{
    NotchAIContext context;
    context.fieldName = QStringLiteral("Display name");
    context.historySuggestions = {remembered(QStringLiteral("Ada Lovelace"), QStringLiteral("Latest"), 7, 1),
                                  remembered(QStringLiteral("Zoë Łukasiewicz 🎉"), QStringLiteral("Most used"), 12, 4),
                                  remembered(QStringLiteral("Grace Hopper"), QStringLiteral("Most used"), 3, 9)};
    context.randomSuggestions = {sample(QStringLiteral("Mila Novak")), sample(QStringLiteral("Tom Berg")),
                                 sample(QStringLiteral("Ina Holm"))};
    context.searchableHistorySuggestions = context.historySuggestions;
    return context;
}

} // namespace SuggestionTestData
