#pragma once
// The suggestion material of one field as the launcher shows it, and the one search rule over it.

#include "fields/FocusedFieldSuggestion.h"

#include <QList>
#include <QString>

#include <optional>

struct NotchAIContext {
    QString fieldName;
    // Ranked by the producer: the latest value first, then the most used ones.
    QList<FocusedFieldSuggestion> historySuggestions;
    QList<FocusedFieldSuggestion> randomSuggestions;
    // When present, search runs over this list instead of historySuggestions.
    std::optional<QList<FocusedFieldSuggestion>> searchableHistorySuggestions;

    NotchAIContext() = default;
    NotchAIContext(QString fieldName, QList<FocusedFieldSuggestion> historySuggestions,
                   QList<FocusedFieldSuggestion> randomSuggestions,
                   std::optional<QList<FocusedFieldSuggestion>> searchableHistorySuggestions)
        : fieldName(std::move(fieldName))
        , historySuggestions(std::move(historySuggestions))
        , randomSuggestions(std::move(randomSuggestions))
        , searchableHistorySuggestions(std::move(searchableHistorySuggestions))
    {
    }

    // The short context of the compact window: the first 2 history values and the first random one, no
    // searchable list.
    static NotchAIContext compact(const QString &fieldName, const QList<FocusedFieldSuggestion> &historySuggestions,
                                  const QList<FocusedFieldSuggestion> &randomSuggestions);
};

// Folds case and diacritics (letters with a stroke too: "ł" reads as "l", "ß" as "ss"), trims whitespace and
// newlines, lowercases: the form in which queries and suggestion texts are compared.
QString normalizedSuggestionText(const QString &text);

// Whether a query searches at all: it keeps something once normalized. The pane and the launcher's sizing
// decide with this one rule, so a query of spaces, or of marks that fold away, is no search anywhere.
bool isSuggestionSearch(const QString &query);

// Whether the suggestion's value, display value, title or details (field name, web origin, application)
// contain the already normalized query.
bool suggestionMatches(const FocusedFieldSuggestion &suggestion, const QString &normalizedQuery);

// The history suggestions for a blank query; otherwise the searchable list (else the history list)
// narrowed to the suggestions that contain the query. Random suggestions are never part of the result.
QList<FocusedFieldSuggestion> filterFocusedFieldSuggestions(const NotchAIContext &context, const QString &query);
