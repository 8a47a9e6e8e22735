#include "ui/NotchListSectionHeader.h"

#include "ui/FontTable.h"

#include <QFontMetricsF>
#include <QPainter>

void NotchListSectionHeader::paint(QPainter &painter, const QRectF &rect, const Palette &palette) const
{
    painter.save();
    painter.fillRect(rect, Palette::black(0.08));
    QFont font = FontTable::systemFont(9, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    painter.setFont(font);
    painter.setPen(palette.secondary());
    const QRectF text = rect.adjusted(horizontalPadding, 0, -horizontalPadding, 0);
    const QFontMetricsF metrics(font);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(title.toUpper(), Qt::ElideRight, text.width()));
    painter.restore();
}
