#include "ui/TavlenLogo.h"

#include "ui/TavlenLogoCache.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

void drawArtwork(QPainter &p, double side)
{
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = side / 22.0;
    const QPointF c(side / 2, side / 2);
    // The ring: the spectrum all the way round, so a turn reads as motion.
    QConicalGradient ring(c, 90);
    ring.setColorAt(0.0, QColor(100, 210, 255));
    ring.setColorAt(0.2, QColor(10, 132, 255));
    ring.setColorAt(0.4, QColor(94, 92, 230));
    ring.setColorAt(0.6, QColor(191, 90, 242));
    ring.setColorAt(0.8, QColor(255, 55, 95));
    ring.setColorAt(0.92, QColor(255, 159, 10));
    ring.setColorAt(1.0, QColor(100, 210, 255));
    QPen pen(QBrush(ring), 2.4 * unit);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // A gap at the top right, like a page's folded corner seen from above.
    const QRectF circle(c.x() - 9.2 * unit, c.y() - 9.2 * unit, 18.4 * unit, 18.4 * unit);
    p.drawArc(circle, 70 * 16, 320 * 16);
    // The sheet: a white card, slightly tilted, with two lines on it.
    p.save();
    p.translate(c);
    p.rotate(-8);
    const QRectF sheet(-4.3 * unit, -5.4 * unit, 8.6 * unit, 10.8 * unit);
    QPainterPath card;
    card.addRoundedRect(sheet, 1.8 * unit, 1.8 * unit);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(card);
    p.setBrush(QColor(10, 132, 255));
    p.drawRoundedRect(QRectF(-2.6 * unit, -2.6 * unit, 5.2 * unit, 1.4 * unit), 0.7 * unit, 0.7 * unit);
    p.setBrush(QColor(191, 90, 242));
    p.drawRoundedRect(QRectF(-2.6 * unit, 0.2 * unit, 3.6 * unit, 1.4 * unit), 0.7 * unit, 0.7 * unit);
    p.restore();
}

} // namespace

QImage TavlenLogo::render(int pixels) const
{
    const int side = std::max(pixels, 1);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        drawArtwork(painter, side);
    }
    const double s = std::clamp(saturation, 0.0, 1.0);
    const double b = std::clamp(brightness, -1.0, 1.0);
    if (s == 1 && b == 0)
        return image;
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const QRgb px = line[x];
            const int a = qAlpha(px);
            if (a == 0)
                continue;
            // Work on unpremultiplied colour, then premultiply again.
            double r = qRed(px) * 255.0 / a, g = qGreen(px) * 255.0 / a, bl = qBlue(px) * 255.0 / a;
            const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * bl;
            r = luma + (r - luma) * s + b * 255;
            g = luma + (g - luma) * s + b * 255;
            bl = luma + (bl - luma) * s + b * 255;
            auto channel = [a](double v) { return int(std::lround(std::clamp(v, 0.0, 255.0) * a / 255.0)); };
            line[x] = qRgba(channel(r), channel(g), channel(bl), a);
        }
    }
    return image;
}

void TavlenLogo::paint(QPainter &painter, QPointF centre, TavlenLogoCache *cache) const
{
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // A swell is drawn from one rendering at the largest swell, scaled down, so none of its frames
    // renders anything new.
    const double rendered = scale > 1 ? std::max(scale, largestSwell) : std::max(scale, 0.01);
    const int pixels = int(std::ceil(size * rendered * dpr));
    TavlenLogoCache scratch;
    TavlenLogoCache &images = cache ? *cache : scratch;
    const QImage art = images.artwork(*this, pixels);
    const double shrink = scale > 1 ? scale / rendered : 1.0;
    const double logical = pixels / dpr * shrink;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The images fade to transparent before their edges, so their edges need no antialiasing; without
    // it a turned image is one span a line, and the raster engine draws it without waking worker threads.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(centre + offset);
    if (shadowColor.alpha() > 0 && shadowRadius > 0) {
        // The glow: round like the logo, so it needs no turning.
        const int spread = int(std::ceil(shadowRadius * dpr));
        const QImage glow = images.glow(shadowColor, pixels, spread);
        const double side = glow.width() / dpr * shrink;
        painter.drawImage(QRectF(-side / 2, -side / 2, side, side), glow);
    }
    painter.rotate(rotationDegrees);
    painter.drawImage(QRectF(-logical / 2, -logical / 2, logical, logical), art);
    painter.restore();
}

bool TavlenLogo::looksLike(const TavlenLogo &other) const
{
    // A tenth of a pixel: a turn of half a degree at the rim, a swell of a hundredth of the side.
    constexpr double pixelTenth = 0.1;
    return std::abs(rotationDegrees - other.rotationDegrees) < 0.5
        && std::abs(scale - other.scale) * size / 2 < pixelTenth
        && std::abs(offset.x() - other.offset.x()) < pixelTenth && std::abs(offset.y() - other.offset.y()) < pixelTenth
        && TavlenLogoCache::colourStep(saturation) == TavlenLogoCache::colourStep(other.saturation)
        && TavlenLogoCache::colourStep(brightness) == TavlenLogoCache::colourStep(other.brightness)
        && shadowColor == other.shadowColor && shadowRadius == other.shadowRadius;
}
