#include "fields/views/NotchAIContext.h"

#include <QStringList>

NotchAIContext NotchAIContext::compact(const QString &fieldName,
                                       const QList<FocusedFieldSuggestion> &historySuggestions,
                                       const QList<FocusedFieldSuggestion> &randomSuggestions)
{
    return NotchAIContext(fieldName, historySuggestions.mid(0, 2), randomSuggestions.mid(0, 1), std::nullopt);
}

QString normalizedSuggestionText(const QString &text)
{
    // Fold: drop the combining marks of the canonical decomposition, then fold case.
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const auto category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        folded.append(c);
    }
    // Upper-casing first applies the full mappings (ß becomes SS), which simple case folding lacks.
    folded = folded.normalized(QString::NormalizationForm_C).toUpper().toCaseFolded();
    return folded.trimmed().toLower();
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
        parts.append(suggestion.details->applicationBundleIdentifier);
    }
    return normalizedSuggestionText(parts.join(QLatin1Char(' '))).contains(normalizedQuery);
}

QList<FocusedFieldSuggestion> filterFocusedFieldSuggestions(const NotchAIContext &context, const QString &query)
{
    const QString normalized = normalizedSuggestionText(query);
    if (normalized.isEmpty())
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
