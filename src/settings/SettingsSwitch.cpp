#include "settings/SettingsSwitch.h"

#include <QPainter>

SettingsSwitch::SettingsSwitch(std::function<Palette()> palette, QWidget *parent)
    : QAbstractButton(parent)
    , m_palette(std::move(palette))
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SettingsSwitch::paintEvent(QPaintEvent *)
{
    const Palette palette = m_palette ? m_palette() : Palette();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);
    const QRectF track = QRectF(QPointF(0, 0), QSizeF(trackSize)).translated((width() - trackSize.width()) / 2.0,
                                                                           (height() - trackSize.height()) / 2.0);
    const QColor off = palette.isDark() ? Palette::white(0.16) : Palette::black(0.12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? palette.accent : off);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Palette::withOpacity(palette.accent, 0.6), 2));
        painter.drawRoundedRect(track.adjusted(-2, -2, 2, 2), track.height() / 2 + 2, track.height() / 2 + 2);
        painter.setPen(Qt::NoPen);
    }
    const double knob = track.height() - 4;
    const double x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}
