#include "ui/NotchListRowLabel.h"

#include "ui/AIFlatListRowBackground.h"
#include "ui/NotchListSeparator.h"
#include "ui/RevealedText.h"
#include "ui/FontTable.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QFont titleFont()
{
    return FontTable::systemFont(NotchListRowLabel::titlePixelSize, QFont::Medium);
}

} // namespace

NotchListRowLabel::Layout NotchListRowLabel::layout(const QRectF &row) const
{
    Layout result;
    result.content = row.adjusted(horizontalPadding, 0, -horizontalPadding, 0);
    double x = result.content.left();
    const double midY = row.center().y();
    result.dotCentre = QPointF(x + ListSelectionDot::slotWidth / 2, midY);
    x += ListSelectionDot::slotWidth + spacing;
    if (leadingWidth > 0) {
        result.leading = QRectF(x, row.top(), leadingWidth, row.height());
        x += leadingWidth + spacing;
    }
    double right = result.content.right();
    if (trailingWidth > 0) {
        result.trailing = QRectF(right - trailingWidth, row.top(), trailingWidth, row.height());
        right -= trailingWidth + spacing;
    }
    result.title = QRectF(x, row.top(), std::max(right - x, 0.0), row.height());
    return result;
}

double NotchListRowLabel::contentScale(bool hovered, bool reduceMotion)
{
    return hovered && !reduceMotion ? hoverScale : 1.0;
}

Animation NotchListRowLabel::hoverAnimation(bool reduceMotion)
{
    return reduceMotion ? Animation::none() : Animation::springWith(0.26, 0.72);
}

QString NotchListRowLabel::elidedTitle(const QString &title, double width)
{
    // Only the first line is shown; line breaks and tabs read as spaces.
    // Nothing past a few hundred characters can show in one row: cut before measuring.
    QString line = RevealedText::revealed(title.left(maximumMeasuredCharacters));
    for (QChar &c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return QFontMetricsF(titleFont()).elidedText(line, Qt::ElideRight, std::max(width, 0.0));
}

NotchListRowLabel::Layout NotchListRowLabel::scaled(const Layout &layout, double scale)
{
    Layout out = layout;
    auto grow = [scale](const QRectF &rect, double anchorX) {
        if (rect.isEmpty())
            return rect;
        const double midY = rect.center().y();
        return QRectF(anchorX + (rect.left() - anchorX) * scale, midY + (rect.top() - midY) * scale,
                      rect.width() * scale, rect.height() * scale);
    };
    out.leading = grow(layout.leading, layout.leading.left());
    out.title = grow(layout.title, layout.title.left());
    out.trailing = grow(layout.trailing, layout.trailing.right());
    return out;
}

void NotchListRowLabel::paintContent(QPainter &painter, const Layout &parts, const Palette &palette, double scale) const
{
    // Each piece grows from the point that keeps it in its column.
    auto growing = [&](QPointF anchor, const std::function<void()> &draw) {
        painter.save();
        if (scale != 1.0) {
            painter.translate(anchor);
            painter.scale(scale, scale);
            painter.translate(-anchor);
        }
        draw();
        painter.restore();
    };
    if (leading && !parts.leading.isEmpty())
        growing(QPointF(parts.leading.left(), parts.leading.center().y()), [&] { leading(painter, parts.leading); });
    growing(QPointF(parts.title.left(), parts.title.center().y()), [&] {
        painter.setFont(titleFont());
        painter.setPen(palette.primary());
        // Cut to what still fits once grown, so a hovered title never runs into the trailing views. Laid
        // out left to right whatever the title's script, so mixed-direction titles stay in their slot.
        const double width = parts.title.width() / std::max(scale, 1.0);
        QString shown = elidedTitle(title, width);
        // Heavier fallback runs take more room than the cut measured for.
        if (const double taken = FontTable::lineWidthMatchingWeight(titleFont(), shown); taken > width)
            shown = elidedTitle(title, width * width / taken);
        FontTable::drawLineMatchingWeight(painter, QRectF(parts.title.left(), parts.title.top(), width, parts.title.height()),
                                          shown);
    });
    if (trailing && !parts.trailing.isEmpty())
        growing(QPointF(parts.trailing.right(), parts.trailing.center().y()), [&] { trailing(painter, parts.trailing); });
}

void NotchListRowLabel::paint(QPainter &painter, const QRectF &row, const Palette &palette, double scale,
                              double dotAmount, ContentCache *cache) const
{
    AIFlatListRowBackground{isSelected}.paint(painter, row, palette);
    const Layout parts = layout(row);

    painter.save();
    if (scale != 1.0) {
        painter.translate(parts.dotCentre);
        painter.scale(scale, scale);
        painter.translate(-parts.dotCentre);
    }
    ListSelectionDot{dotAmount, ListSelectionDot::Style::solidWhite}.paint(painter, parts.dotCentre, palette);
    painter.restore();

    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (cache && !contentKey.isEmpty() && scale == 1.0) {
        const QString key = contentKey + QLatin1Char('\x1f') + title + QLatin1Char('\x1f') + QString::number(row.width())
            + QLatin1Char('\x1f') + QString::number(dpr) + QLatin1Char('\x1f') + palette.primary().name(QColor::HexArgb);
        if (cache->key != key || cache->image.isNull()) {
            cache->image = QImage(int(std::ceil(row.width() * dpr)), int(std::ceil(row.height() * dpr)),
                                  QImage::Format_ARGB32_Premultiplied);
            cache->image.setDevicePixelRatio(dpr);
            cache->image.fill(Qt::transparent);
            QPainter content(&cache->image);
            content.setRenderHint(QPainter::Antialiasing);
            content.translate(-row.topLeft());
            paintContent(content, parts, palette, 1.0);
            cache->key = key;
        }
        painter.drawImage(row.topLeft(), cache->image);
    } else {
        paintContent(painter, parts, palette, scale);
    }

    if (showsBottomSeparator)
        NotchListSeparator::paint(painter, row, palette);
}
