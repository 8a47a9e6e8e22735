#include "ui/AIFlatListRowBackground.h"

#include <QLinearGradient>
#include <QPainter>

QGradientStops AIFlatListRowBackground::stops(const Palette &palette)
{
    const bool dark = palette.isDark();
    const QColor cyan = palette.system(SystemColor::cyan);
    const QColor blue = palette.system(SystemColor::blue);
    const QColor purple = palette.system(SystemColor::purple);
    const QColor pink = palette.system(SystemColor::pink);
    // Strong enough to find the selected row at a glance, still a wash the text reads on.
    const double strength = dark ? 2.2 : 3.0;
    return {
        {0.0, Palette::withOpacity(cyan, strength * (dark ? 0.11 : 0.075))},
        {1.0 / 3, Palette::withOpacity(blue, strength * (dark ? 0.075 : 0.05))},
        {2.0 / 3, Palette::withOpacity(purple, strength * (dark ? 0.07 : 0.045))},
        {1.0, Palette::withOpacity(pink, strength * (dark ? 0.08 : 0.05))},
    };
}

void AIFlatListRowBackground::paint(QPainter &painter, const QRectF &rect, const Palette &palette, double amount) const
{
    if (!isSelected || amount <= 0)
        return;
    QLinearGradient gradient(QPointF(rect.left(), rect.center().y()), QPointF(rect.right(), rect.center().y()));
    QGradientStops faded = stops(palette);
    for (QGradientStop &stop : faded)
        stop.second = Palette::withOpacity(stop.second, amount);
    gradient.setStops(faded);
    painter.fillRect(rect, gradient);
}
