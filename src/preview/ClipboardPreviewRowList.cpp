#include "preview/ClipboardPreviewRowList.h"

#include "ui/FontTable.h"
#include "ui/SymbolTable.h"

#include <QPaintEvent>
#include <QPainter>

ClipboardPreviewRowList::ClipboardPreviewRowList(const SymbolTable &symbols, std::function<Palette()> palette,
                                                 QWidget *parent)
    : QWidget(parent)
    , m_symbols(symbols)
    , m_palette(std::move(palette))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ClipboardPreviewRowList::setRows(QList<Row> rows)
{
    m_rows = std::move(rows);
    // The rows are painted: a screen reader reads them from the description, one entry after another.
    QStringList entries;
    for (const Row &row : std::as_const(m_rows)) {
        if (row.isSection)
            continue;
        QStringList parts{row.title};
        for (const QString &more : {row.detail, row.badge})
            if (!more.isEmpty())
                parts.append(more);
        entries.append(parts.join(QStringLiteral(", ")));
    }
    setAccessibleDescription(entries.join(QStringLiteral("; ")));
    updateGeometry();
    resize(width(), sizeHint().height());
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
    const Palette palette = m_palette ? m_palette() : Palette();
    const QColor titleColor = palette.primary();
    const QColor detailColor = palette.secondary();
    const QColor separatorColor = palette.isDark() ? Palette::white(0.08) : Palette::black(0.08);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect visible = event->rect();
    const QFont titleFont = FontTable::systemFont(13, QFont::Medium);
    const QFont detailFont = FontTable::systemFont(11);
    QFont sectionFont = FontTable::systemFont(10, QFont::Bold);
    sectionFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    const QFont badgeFont = FontTable::systemFont(10, QFont::DemiBold);

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
            painter.setPen(detailColor);
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
            const QColor badgeColor = row.isDimmed ? palette.system(SystemColor::orange) : palette.secondary();
            const QColor fill = Palette::withOpacity(badgeColor, 0.16);
            painter.setOpacity(1);
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawRoundedRect(badge, 9, 9);
            painter.setPen(badgeColor);
            painter.drawText(badge, Qt::AlignCenter, row.badge);
            painter.setOpacity(opacity);
            trailing = int(badge.left()) - 8;
        }
        int leading = rect.left();
        if (!row.symbol.isEmpty()) {
            m_symbols.draw(painter, row.symbol,
                           QRectF(leading, rect.center().y() - symbolSize / 2.0, symbolSize, symbolSize), detailColor);
            leading += symbolSize + 12;
        }
        const QRect text(leading, rect.top() + 6, trailing - leading, rect.height() - 12);
        painter.setFont(titleFont);
        painter.setPen(titleColor);
        const QRect titleRect(text.left(), text.top(), text.width(), text.height() / 2 + 1);
        painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(row.title, Qt::ElideMiddle, titleRect.width()));
        painter.setFont(detailFont);
        painter.setPen(detailColor);
        const QRect detailRect(text.left(), titleRect.bottom(), text.width(), text.bottom() - titleRect.bottom());
        painter.drawText(detailRect, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(row.detail, Qt::ElideMiddle, detailRect.width()));
        painter.setOpacity(1);
        painter.setPen(separatorColor);
        painter.drawLine(QPointF(rect.left(), rect.bottom() + 0.5), QPointF(rect.right(), rect.bottom() + 0.5));
    }
}
