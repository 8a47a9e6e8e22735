#pragma once
// The details of a clipboard filter: how its match text applies, which file extensions it keeps, and the
// symbol its pill shows.

#include "model/TextMatchMode.h"

#include <QString>
#include <QStringList>

struct FilterOptions {
    bool isCaseSensitive = false;
    TextMatchMode matchMode = TextMatchMode::contains;
    // Empty: the filter narrows by its type alone.
    QString matchText;
    // Without the dot ("pdf"); empty: any extension.
    QStringList fileExtensions;
    // A symbol name, such as "link".
    QString iconName;

    friend bool operator==(const FilterOptions &, const FilterOptions &) = default;
};
