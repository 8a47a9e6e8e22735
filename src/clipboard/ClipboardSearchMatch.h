#pragma once

#include "model/ClipboardItemType.h"

#include <QString>
#include <QTypeInfo>
#include <QUuid>

// One search result row, in result order.
struct ClipboardSearchMatch
{
    QUuid id;
    qsizetype position = 0; // where the item stands in the list searched
    ClipboardItemType type = ClipboardItemType::text;
    QString title; // null when the row shows the item's own text
};
Q_DECLARE_TYPEINFO(ClipboardSearchMatch, Q_RELOCATABLE_TYPE);
