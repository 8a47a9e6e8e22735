#pragma once

#include "model/ClipboardItemType.h"

#include <QString>
#include <QUuid>

// One search result row, in result order.
struct ClipboardSearchMatch
{
    QUuid id;
    ClipboardItemType type = ClipboardItemType::text;
    QString title; // null when the row shows the item's own text
    QString typeLabel;
};
