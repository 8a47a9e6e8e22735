#include "ui/TutorialOutline.h"

#include <QPainter>

namespace TutorialOutline {

QColor tutorialHighlightColor()
{
    static const QColor color = Palette::withOpacity(QColor(255, 149, 0), 0.85);
    return color;
}

const QList<SystemColor> &spectrumGradientColors()
{
    static const QList<SystemColor> colors{SystemColor::cyan, SystemColor::blue, SystemColor::indigo,
                                           SystemColor::purple, SystemColor::pink, SystemColor::orange,
                                           SystemColor::cyan};
    return colors;
}

QList<QColor> spectrumGradientColors(const Palette &palette)
{
    QList<QColor> colors;
    for (SystemColor color : spectrumGradientColors())
        colors.append(palette.system(color));
    return colors;
}

void tutorialOutline(QPainter &painter, const QPainterPath &shape, double lineWidth, double opacity)
{
    if (opacity <= 0 || lineWidth <= 0 || shape.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Clipping to the shape and stroking twice as wide leaves exactly the inner half: a stroke-border.
    painter.setClipPath(shape, Qt::IntersectClip);
    QPen pen(Palette::withOpacity(tutorialHighlightColor(), opacity), lineWidth * 2);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.restore();
}

void tutorialContainedRowOutline(QPainter &painter, const QPainterPath &shape, double lineWidth, double opacity)
{
    tutorialOutline(painter, shape, lineWidth, opacity);
}

} // namespace TutorialOutline
