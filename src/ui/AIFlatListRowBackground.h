#pragma once
// A list row's background: nothing when not selected; selected, a cyan-blue-purple-pink wash from the
// leading to the trailing edge, a little stronger in the dark colour scheme.

#include "ui/Palette.h"

#include <QGradientStops>
#include <QRectF>

class QPainter;

struct AIFlatListRowBackground {
    bool isSelected = false;

    // The four stops for a scheme (built anew on every call).
    static QGradientStops stops(const Palette &palette);
    // `amount` fades the wash in and out (0 draws nothing).
    void paint(QPainter &painter, const QRectF &rect, const Palette &palette, double amount = 1) const;
};
