#pragma once
// The hairline between list rows and along the filter bar: white at 0.2 in the dark colour scheme,
// black at 0.12 in the light one.

#include "ui/Palette.h"

#include <QRectF>

class QPainter;

struct ListSeparator {
    double leadingInset = 0;
    double thickness = 1;

    static QColor color(const Palette &palette);
    // Draws the line along the bottom edge of `rect`, across its width after the inset.
    void paint(QPainter &painter, const QRectF &rect, const Palette &palette) const;
};
