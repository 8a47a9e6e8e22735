#pragma once
// The separator under a list row: a full-width one-point ListSeparator.

#include "ui/ListSeparator.h"

struct NotchListSeparator {
    static void paint(QPainter &painter, const QRectF &rowRect, const Palette &palette)
    {
        ListSeparator{0, 1}.paint(painter, rowRect, palette);
    }
};
