#include "ui/ListSelectionDot.h"

#include "ui/TutorialOutline.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace {

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

} // namespace

double ListSelectionDot::solidOpacity(double activeAmount)
{
    return mix(0.34, 0.95, std::clamp(activeAmount, 0.0, 1.0));
}

QColor ListSelectionDot::solidColor(double activeAmount, const Palette &palette)
{
    const double opacity = solidOpacity(activeAmount);
    return palette.isDark() ? Palette::white(opacity) : Palette::black(opacity);
}

void ListSelectionDot::paint(QPainter &painter, QPointF centre, const Palette &palette) const
{
    const double t = std::clamp(activeAmount, 0.0, 1.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (style == Style::solidWhite) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(solidColor(t, palette));
        painter.drawEllipse(centre, 4, 4);
        painter.restore();
        return;
    }
    // Spectrum ring: 12 points, a 1.8-point gradient stroke when active, a 1.3-point grey one at 80 %
    // size and 60 % opacity when not, with a faint blue glow while active.
    const double scale = mix(0.8, 1.0, t);
    const double radius = 6 * scale;
    const double width = mix(1.3, 1.8, t);
    painter.setOpacity(painter.opacity() * mix(0.6, 1.0, t));
    if (t > 0) {
        QRadialGradient glow(centre, radius + 4);
        const QColor blue = palette.system(SystemColor::blue);
        glow.setColorAt(0.6, Palette::withOpacity(blue, 0.22 * t));
        glow.setColorAt(1.0, Palette::withOpacity(blue, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(centre, radius + 4, radius + 4);
    }
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QBrush brush;
    if (t > 0.5) {
        QLinearGradient gradient(box.topLeft(), box.bottomRight());
        const QList<QColor> colors = TutorialOutline::spectrumGradientColors(palette);
        for (qsizetype i = 0; i < colors.size(); ++i)
            gradient.setColorAt(double(i) / double(colors.size() - 1), colors.at(i));
        brush = gradient;
    } else {
        brush = Palette::withOpacity(palette.secondary(), 0.34 / 0.6);
    }
    QPen pen(brush, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(box);
    painter.restore();
}
