#include "preview/FilterPill.h"

#include "ui/FontTable.h"
#include "ui/SymbolTable.h"

#include <QPainter>
#include <QPainterPath>

FilterPill::FilterPill(const QString &title, const QString &systemImage, const SymbolTable &symbols,
                       std::function<Palette()> palette, QWidget *parent)
    : QAbstractButton(parent)
    , m_systemImage(systemImage)
    , m_symbols(symbols)
    , m_palette(std::move(palette))
{
    setTitle(title);
    // Checkable for screen readers, which say whether the filter is on; a click only runs the action,
    // and the bar says what is selected.
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (const auto run = action)
            run();
    });
}

void FilterPill::setTitle(const QString &title)
{
    if (title == text() && !title.isEmpty())
        return;
    setText(title);
    setToolTip(title);
    setAccessibleName(title);
    setObjectName(QStringLiteral("filter") + title);
    updateGeometry();
}

void FilterPill::setSystemImage(const QString &name)
{
    if (m_systemImage == name)
        return;
    m_systemImage = name;
    updateGeometry();
    update();
}

void FilterPill::setSelected(bool selected)
{
    if (m_isSelected == selected)
        return;
    m_isSelected = selected;
    setChecked(selected);
    update();
}

void FilterPill::setEmphasized(bool emphasized)
{
    if (m_isEmphasized == emphasized)
        return;
    m_isEmphasized = emphasized;
    updateGeometry();
    update();
}

void FilterPill::setDraggedAmount(double amount)
{
    amount = std::clamp(amount, 0.0, 1.0);
    if (amount == m_draggedAmount)
        return;
    m_draggedAmount = amount;
    update();
}

QFont FilterPill::titleFont() const
{
    return FontTable::systemFont(titleSize, m_isEmphasized ? QFont::DemiBold : QFont::Medium);
}

QSize FilterPill::sizeHint() const
{
    const QFontMetricsF metrics(titleFont());
    double width = 2 * horizontalPadding + metrics.horizontalAdvance(text());
    if (!m_systemImage.isEmpty())
        width += symbolSize + symbolGap;
    return QSize(int(std::ceil(width)), pillHeight);
}

void FilterPill::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_isHovered = true;
    update();
}

void FilterPill::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_isHovered = false;
    update();
}

void FilterPill::paintEvent(QPaintEvent *)
{
    const Palette palette = m_palette ? m_palette() : Palette();
    const bool dark = palette.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_draggedAmount > 0) {
        // The dimmed, slightly smaller pill marks the drag; no drag image is shown.
        const double scale = 1 - (1 - draggedScale) * m_draggedAmount;
        painter.setOpacity(1 - (1 - draggedOpacity) * m_draggedAmount);
        painter.translate(width() / 2.0, pillHeight / 2.0);
        painter.scale(scale, scale);
        painter.translate(-width() / 2.0, -pillHeight / 2.0);
    }
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    QColor fill;
    QColor foreground;
    if (m_isSelected) {
        fill = isDown() ? palette.accent.darker(115) : palette.accent;
        // Dark text on light accents (yellow), white on the others.
        foreground = palette.accent.lightnessF() > 0.7 ? Palette::black(0.85) : QColor(Qt::white);
        painter.fillPath(path, fill);
    } else {
        const double strength = isDown() ? 0.2 : m_isHovered ? 0.14 : 0.08;
        fill = dark ? Palette::white(strength) : Palette::black(strength * 0.75);
        foreground = dark ? Palette::white(m_isEmphasized ? 0.95 : 0.82) : Palette::black(m_isEmphasized ? 0.88 : 0.72);
        painter.fillPath(path, fill);
        painter.setPen(QPen(dark ? Palette::white(0.08) : Palette::black(0.06), 1));
        painter.drawPath(path);
    }

    double x = horizontalPadding;
    if (!m_systemImage.isEmpty()) {
        m_symbols.draw(painter, m_systemImage, QRectF(x, (pillHeight - symbolSize) / 2.0, symbolSize, symbolSize), foreground);
        x += symbolSize + symbolGap;
    }
    const QFont font = titleFont();
    const QFontMetricsF metrics(font);
    const double available = width() - x - horizontalPadding + 1;
    painter.setFont(font);
    painter.setPen(foreground);
    painter.drawText(QRectF(x, 0, available, pillHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(text(), Qt::ElideRight, available));
}
