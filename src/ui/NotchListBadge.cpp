#include "ui/NotchListBadge.h"

#include "ui/FontTable.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

QFont badgeFont()
{
    return FontTable::textStyle(TextStyle::caption2, QFont::DemiBold);
}

} // namespace

QSizeF NotchListBadge::size() const
{
    const QFontMetricsF metrics(badgeFont());
    const double text = std::min(metrics.horizontalAdvance(title), maximumWidth - 2 * horizontalPadding);
    return {text + 2 * horizontalPadding, std::ceil(metrics.height()) + 2 * verticalPadding};
}

void NotchListBadge::paint(QPainter &painter, QPointF topLeft) const
{
    const QSizeF box = size();
    const QRectF rect(topLeft, box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::withOpacity(tint, 0.14));
    painter.drawRoundedRect(rect, box.height() / 2, box.height() / 2);
    const QFont font = badgeFont();
    painter.setFont(font);
    painter.setPen(tint);
    const QFontMetricsF metrics(font);
    const QRectF textRect = rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                     metrics.elidedText(title, Qt::ElideRight, textRect.width() + 0.5));
    painter.restore();
}
