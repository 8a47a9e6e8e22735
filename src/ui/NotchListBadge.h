#pragma once
// A small tinted capsule with one line of text: the kind of a row's item, or its user label.

#include "ui/Palette.h"

#include <QColor>
#include <QSizeF>
#include <QString>

class QPainter;

struct NotchListBadge {
    QString title;
    QColor tint;

    static constexpr double horizontalPadding = 5;
    static constexpr double verticalPadding = 2;
    // A badge never grows wider than this; longer titles are cut with an ellipsis.
    static constexpr double maximumWidth = 120;

    QSizeF size() const;
    // Draws the badge with its top-left corner at `topLeft`.
    void paint(QPainter &painter, QPointF topLeft) const;
};
