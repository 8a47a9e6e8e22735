#include "fields/views/NotchAIContext.h"

#include "model/FieldTextFolding.h"

#include <QStringList>

NotchAIContext NotchAIContext::compact(const QString &fieldName,
                                       const QList<FocusedFieldSuggestion> &historySuggestions,
                                       const QList<FocusedFieldSuggestion> &randomSuggestions)
{
    return NotchAIContext(fieldName, historySuggestions.mid(0, 2), randomSuggestions.mid(0, 1), std::nullopt);
}

QString normalizedSuggestionText(const QString &text)
{
    // Upper-casing first applies the full case mappings (ß becomes SS), which the fold's simple case folding
    // lacks; the fold then drops the marks and strokes.
    return FieldTextFolding::fold(text.toUpper()).trimmed();
}

bool isSuggestionSearch(const QString &query)
{
    return !normalizedSuggestionText(query).isEmpty();
}

bool suggestionMatches(const FocusedFieldSuggestion &suggestion, const QString &normalizedQuery)
{
    QStringList parts{suggestion.value};
    if (suggestion.displayValue)
        parts.append(*suggestion.displayValue);
    parts.append(suggestion.title);
    if (suggestion.details) {
        if (suggestion.details->fieldName)
            parts.append(*suggestion.details->fieldName);
        if (suggestion.details->webOrigin)
            parts.append(*suggestion.details->webOrigin);
        parts.append(suggestion.details->applicationId);
    }
    return normalizedSuggestionText(parts.join(QLatin1Char(' '))).contains(normalizedQuery);
}

QList<FocusedFieldSuggestion> filterFocusedFieldSuggestions(const NotchAIContext &context, const QString &query)
{
    const QString normalized = normalizedSuggestionText(query);
    if (normalized.isEmpty()) // the same rule as isSuggestionSearch
        return context.historySuggestions;
    const QList<FocusedFieldSuggestion> &source =
        context.searchableHistorySuggestions ? *context.searchableHistorySuggestions : context.historySuggestions;
    QList<FocusedFieldSuggestion> result;
    for (const FocusedFieldSuggestion &s : source) {
        if (suggestionMatches(s, normalized))
            result.append(s);
    }
    return result;
}
