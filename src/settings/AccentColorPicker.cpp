#include "settings/AccentColorPicker.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

QString nameOf(AccentColorOption option)
{
    if (option == AccentColorOption::system)
        return QStringLiteral("Desktop colour");
    QString name = rawValue(option);
    name[0] = name[0].toUpper();
    return name;
}

qsizetype indexOf(AccentColorOption option)
{
    return std::find(allAccentColorOptions.begin(), allAccentColorOptions.end(), option) - allAccentColorOptions.begin();
}

} // namespace

AccentColorPicker::AccentColorPicker(std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_palette(std::move(palette))
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Accent colour"));
    setToolTip(nameOf(m_value));
}

QSize AccentColorPicker::sizeHint() const
{
    const int count = int(allAccentColorOptions.size());
    return QSize(count * swatchSize + (count - 1) * spacing + 8, swatchSize + 8);
}

QRect AccentColorPicker::swatchRect(AccentColorOption option) const
{
    return QRect(4 + int(indexOf(option)) * (swatchSize + spacing), (height() - swatchSize) / 2, swatchSize, swatchSize);
}

std::optional<AccentColorOption> AccentColorPicker::optionAt(QPoint position) const
{
    for (AccentColorOption option : allAccentColorOptions) {
        if (swatchRect(option).adjusted(-spacing / 2, -4, spacing / 2, 4).contains(position))
            return option;
    }
    return std::nullopt;
}

void AccentColorPicker::setValue(AccentColorOption value)
{
    if (value == m_value)
        return;
    m_value = value;
    setToolTip(nameOf(value));
    update();
}

void AccentColorPicker::choose(AccentColorOption value)
{
    if (value == m_value)
        return;
    setValue(value);
    Q_EMIT chosen(value);
}

void AccentColorPicker::mousePressEvent(QMouseEvent *event)
{
    if (const std::optional<AccentColorOption> option = optionAt(event->position().toPoint()))
        choose(*option);
}

void AccentColorPicker::keyPressEvent(QKeyEvent *event)
{
    const qsizetype index = indexOf(m_value);
    const qsizetype last = qsizetype(allAccentColorOptions.size()) - 1;
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up)
        choose(allAccentColorOptions[std::max<qsizetype>(index - 1, 0)]);
    else if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Down)
        choose(allAccentColorOptions[std::min(index + 1, last)]);
    else
        QWidget::keyPressEvent(event);
}

void AccentColorPicker::paintEvent(QPaintEvent *)
{
    const Palette palette = m_palette ? m_palette() : Palette();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (AccentColorOption option : allAccentColorOptions) {
        const QRectF swatch = swatchRect(option);
        if (option == AccentColorOption::system) {
            // The desktop's colour, shown as a split swatch so it reads as "whatever the desktop uses".
            painter.setPen(Qt::NoPen);
            painter.setBrush(color(option));
            painter.drawPie(swatch, 90 * 16, 180 * 16);
            painter.setBrush(palette.isDark() ? QColor(99, 99, 102) : QColor(199, 199, 204));
            painter.drawPie(swatch, 270 * 16, 180 * 16);
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(color(option));
            painter.drawEllipse(swatch);
        }
        if (option == m_value) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(palette.primary(), 2));
            painter.drawEllipse(swatch.adjusted(-3, -3, 3, 3));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(Qt::white));
            painter.drawEllipse(QRectF(swatch.center() - QPointF(3, 3), QSizeF(6, 6)));
        }
    }
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Palette::withOpacity(palette.accent, 0.6), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
    }
}
