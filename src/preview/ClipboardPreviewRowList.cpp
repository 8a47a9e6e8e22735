#include "preview/ClipboardPreviewRowList.h"

#include <QPaintEvent>
#include <QPainter>

ClipboardPreviewRowList::ClipboardPreviewRowList(QWidget *parent)
    : QWidget(parent)
    , m_colors{QColor(255, 255, 255, 235), QColor(255, 255, 255, 140), QColor(255, 159, 10),
               QColor(255, 255, 255, 24)}
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ClipboardPreviewRowList::setRows(QList<Row> rows)
{
    m_rows = std::move(rows);
    updateGeometry();
    resize(width(), sizeHint().height());
    update();
}

void ClipboardPreviewRowList::setColors(const Colors &colors)
{
    m_colors = colors;
    update();
}

QSize ClipboardPreviewRowList::sizeHint() const
{
    int height = 0;
    for (const Row &row : m_rows)
        height += heightOf(row);
    return QSize(240, height);
}

void ClipboardPreviewRowList::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect visible = event->rect();
    QFont titleFont = font();
    titleFont.setPixelSize(13);
    titleFont.setWeight(QFont::Medium);
    QFont detailFont = font();
    detailFont.setPixelSize(11);
    QFont sectionFont = font();
    sectionFont.setPixelSize(10);
    sectionFont.setWeight(QFont::Bold);
    sectionFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    QFont badgeFont = font();
    badgeFont.setPixelSize(10);
    badgeFont.setWeight(QFont::DemiBold);

    int y = 0;
    for (const Row &row : std::as_const(m_rows)) {
        const int height = heightOf(row);
        const QRect rect(0, y, width(), height);
        y += height;
        if (rect.bottom() < visible.top())
            continue;
        if (rect.top() > visible.bottom())
            break;
        if (row.isSection) {
            painter.setFont(sectionFont);
            painter.setPen(m_colors.detail);
            painter.drawText(rect.adjusted(0, 0, 0, -4), Qt::AlignLeft | Qt::AlignBottom, row.title.toUpper());
            continue;
        }
        const double opacity = row.isDimmed ? 0.5 : 1.0;
        painter.setOpacity(opacity);
        int trailing = rect.right();
        if (!row.badge.isEmpty()) {
            painter.setFont(badgeFont);
            const int badgeWidth = painter.fontMetrics().horizontalAdvance(row.badge) + 12;
            const QRectF badge(trailing - badgeWidth, rect.center().y() - 9, badgeWidth, 18);
            QColor fill = m_colors.badge;
            fill.setAlphaF(0.16f);
            painter.setOpacity(1);
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawRoundedRect(badge, 9, 9);
            painter.setPen(m_colors.badge);
            painter.drawText(badge, Qt::AlignCenter, row.badge);
            painter.setOpacity(opacity);
            trailing = int(badge.left()) - 8;
        }
        const QRect text(rect.left(), rect.top() + 6, trailing - rect.left(), rect.height() - 12);
        painter.setFont(titleFont);
        painter.setPen(m_colors.title);
        const QRect titleRect(text.left(), text.top(), text.width(), text.height() / 2 + 1);
        painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(row.title, Qt::ElideMiddle, titleRect.width()));
        painter.setFont(detailFont);
        painter.setPen(m_colors.detail);
        const QRect detailRect(text.left(), titleRect.bottom(), text.width(), text.bottom() - titleRect.bottom());
        painter.drawText(detailRect, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(row.detail, Qt::ElideMiddle, detailRect.width()));
        painter.setOpacity(1);
        painter.setPen(m_colors.separator);
        painter.drawLine(QPointF(rect.left(), rect.bottom() + 0.5), QPointF(rect.right(), rect.bottom() + 0.5));
    }
}
