#include "ui/NotchListRowLabel.h"

#include "ui/AIFlatListRowBackground.h"
#include "ui/NotchListSeparator.h"
#include "ui/FontTable.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

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
    QString line = title.left(maximumMeasuredCharacters);
    for (QChar &c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return QFontMetricsF(titleFont()).elidedText(line, Qt::ElideRight, std::max(width, 0.0));
}

void NotchListRowLabel::paint(QPainter &painter, const QRectF &row, const Palette &palette, double scale,
                              double dotAmount) const
{
    AIFlatListRowBackground{isSelected}.paint(painter, row, palette);
    const Layout parts = layout(row);

    painter.save();
    if (scale != 1.0) {
        // Only the content scales, about the row's centre.
        const QPointF centre = parts.content.center();
        painter.translate(centre);
        painter.scale(scale, scale);
        painter.translate(-centre);
    }
    ListSelectionDot{dotAmount, ListSelectionDot::Style::solidWhite}.paint(painter, parts.dotCentre, palette);
    if (leading && !parts.leading.isEmpty())
        leading(painter, parts.leading);
    const QFont font = titleFont();
    painter.setFont(font);
    painter.setPen(palette.primary());
    // Left-to-right layout whatever the title's script, so mixed-direction titles stay in their slot.
    painter.setLayoutDirection(Qt::LeftToRight);
    painter.drawText(parts.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     elidedTitle(title, parts.title.width()));
    if (trailing && !parts.trailing.isEmpty())
        trailing(painter, parts.trailing);
    painter.restore();

    if (showsBottomSeparator)
        NotchListSeparator::paint(painter, row, palette);
}
