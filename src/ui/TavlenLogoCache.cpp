#include "ui/TavlenLogoCache.h"

#include "ui/TavlenLogo.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

int TavlenLogoCache::colourStep(double value)
{
    return int(std::lround(value * colourSteps));
}

QImage TavlenLogoCache::find(int kind, int pixels, int a, int b)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->kind == kind && it->pixels == pixels && it->a == a && it->b == b) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->image;
        }
    }
    return {};
}

void TavlenLogoCache::keep(Entry entry)
{
    ++m_renders;
    m_entries.push_front(std::move(entry));
    while (m_entries.size() > capacity)
        m_entries.pop_back();
}

QImage TavlenLogoCache::artwork(const TavlenLogo &logo, int pixels)
{
    const int s = colourStep(std::clamp(logo.saturation, 0.0, 1.0));
    const int b = colourStep(std::clamp(logo.brightness, -1.0, 1.0));
    QImage image = find(0, pixels, s, b);
    if (!image.isNull())
        return image;
    TavlenLogo state;
    state.saturation = s / colourSteps;
    state.brightness = b / colourSteps;
    image = state.render(pixels);
    keep(Entry{0, pixels, s, b, image});
    return image;
}

QImage TavlenLogoCache::glow(const QColor &color, int pixels, int spread)
{
    const int rgba = int(color.rgba());
    QImage image = find(1, pixels, rgba, spread);
    if (!image.isNull())
        return image;
    const int side = pixels + 2 * spread;
    image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        // The logo is round: its shadow is a disc in the glow colour that fades out over the spread.
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const double radius = side / 2.0;
        QRadialGradient gradient(QPointF(radius, radius), radius);
        const double edge = (pixels / 2.0) / radius;
        QColor clear = color;
        clear.setAlpha(0);
        QColor half = color;
        half.setAlphaF(color.alphaF() * 0.45f);
        gradient.setColorAt(0, color);
        gradient.setColorAt(edge * 0.8, color);
        gradient.setColorAt(edge + (1 - edge) * 0.35, half);
        gradient.setColorAt(1, clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawEllipse(QRectF(0, 0, side, side));
    }
    keep(Entry{1, pixels, rgba, spread, image});
    return image;
}
