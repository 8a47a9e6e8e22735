#pragma once
// One value offered for another application's field: a remembered value or a made-up sample.
// Identified by `id`; two suggestions are never compared by content.

#include "fields/FocusedFieldSuggestionDetails.h"

#include <QString>
#include <QUuid>

#include <optional>

struct FocusedFieldSuggestion {
    QUuid id = QUuid::createUuid();
    QString title;
    QString value;
    QString systemImage;
    bool isSaved = false;
    int usageCount = 0;
    std::optional<QString> displayValue;
    std::optional<FocusedFieldSuggestionDetails> details;
};
