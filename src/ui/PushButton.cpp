#include "ui/PushButton.h"

#include "ui/CornerPath.h"
#include "ui/FontTable.h"
#include "ui/SymbolTable.h"

#include <QPainter>

PushButton::PushButton(const QString &title, Style style, std::function<Palette()> palette, QWidget *parent)
    : QAbstractButton(parent)
    , m_style(style)
    , m_palette(std::move(palette))
{
    setFont(FontTable::systemFont(13, style == Style::borderedProminent ? QFont::DemiBold : QFont::Medium));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setTitle(title);
}

void PushButton::setStyle(Style style)
{
    if (m_style == style)
        return;
    m_style = style;
    setFont(FontTable::systemFont(13, style == Style::borderedProminent ? QFont::DemiBold : QFont::Medium));
    updateGeometry();
    update();
}

void PushButton::setSymbol(const SymbolTable *symbols, const QString &name)
{
    m_symbols = symbols;
    m_symbol = name;
    updateGeometry();
    update();
}

void PushButton::setTitle(const QString &title)
{
    if (title == text())
        return;
    setText(title);
    setAccessibleName(title);
    updateGeometry();
    update();
}

QSize PushButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(text()) + 2 * horizontalPadding;
    if (m_symbols && !m_symbol.isEmpty())
        width += symbolSize + 6;
    return QSize(std::max(width, minimumWidth), height);
}

void PushButton::paintEvent(QPaintEvent *)
{
    const Palette colors = m_palette ? m_palette() : Palette();
    const bool dark = colors.isDark();
    const bool prominent = m_style == Style::borderedProminent;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);

    const QRectF bounds = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QPainterPath shape = CornerPath::continuousRoundedRect(bounds, 7);
    QColor fill = prominent ? colors.accent : (dark ? Palette::white(0.12) : Palette::black(0.06));
    if (isDown())
        fill = prominent ? fill.darker(115) : (dark ? Palette::white(0.2) : Palette::black(0.12));
    else if (m_isHovered && isEnabled())
        fill = prominent ? fill.lighter(108) : (dark ? Palette::white(0.16) : Palette::black(0.09));
    painter.fillPath(shape, fill);
    if (!prominent) {
        painter.setPen(QPen(dark ? Palette::white(0.1) : Palette::black(0.1), 1));
        painter.drawPath(shape);
    }
    if (hasFocus()) {
        painter.setPen(QPen(Palette::withOpacity(colors.accent, 0.6), 2));
        painter.drawPath(CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8));
    }

    const QColor ink = prominent ? QColor(Qt::white) : colors.primary();
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const bool hasSymbol = m_symbols && !m_symbol.isEmpty();
    const double contentWidth = metrics.horizontalAdvance(text()) + (hasSymbol ? symbolSize + 6 : 0);
    double x = (width() - contentWidth) / 2;
    if (hasSymbol) {
        m_symbols->draw(painter, m_symbol, QRectF(x, (height - symbolSize) / 2.0, symbolSize, symbolSize), ink);
        x += symbolSize + 6;
    }
    painter.setPen(ink);
    painter.drawText(QRectF(x, 0, width() - x, height), Qt::AlignLeft | Qt::AlignVCenter, text());
}

void PushButton::enterEvent(QEnterEvent *event)
{
    m_isHovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PushButton::leaveEvent(QEvent *event)
{
    m_isHovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}
