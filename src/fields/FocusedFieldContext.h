#pragma once
// A field's name with the suggestions offered for it, in display order. Nothing builds one yet; it fixes
// the shape of the suggestion service's context.

#include "fields/FocusedFieldSuggestion.h"

#include <QList>
#include <QString>
#include <QUuid>

struct FocusedFieldContext {
    QUuid id = QUuid::createUuid();
    QString fieldName;
    QList<FocusedFieldSuggestion> suggestions;
};
