#include "ui/ListSeparator.h"

#include <QPainter>

QColor ListSeparator::color(const Palette &palette)
{
    return palette.isDark() ? Palette::white(0.2) : Palette::black(0.12);
}

void ListSeparator::paint(QPainter &painter, const QRectF &rect, const Palette &palette) const
{
    const QRectF line(rect.left() + leadingInset, rect.bottom() - thickness, rect.width() - leadingInset, thickness);
    if (line.width() <= 0 || line.height() <= 0)
        return;
    painter.fillRect(line, color(palette));
}
