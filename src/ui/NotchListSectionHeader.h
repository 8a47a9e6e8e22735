#pragma once
// The band that titles a section of a list: the title in upper case, small and bold, on a faint shade.

#include "ui/Palette.h"

#include <QRectF>
#include <QString>

class QPainter;

struct NotchListSectionHeader {
    QString title;
    double horizontalPadding = 12;

    static constexpr double height = 24;

    void paint(QPainter &painter, const QRectF &rect, const Palette &palette) const;
};
