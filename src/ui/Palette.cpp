#include "ui/Palette.h"

#include <QWidget>

#include <algorithm>

Palette Palette::from(const Appearance *appearance, const QColor &accent)
{
    Palette palette;
    if (appearance) {
        palette.scheme = appearance->colorScheme();
        palette.reduceMotion = appearance->reduceMotion();
        palette.translucency = appearance->supportsTranslucency();
    }
    palette.accent = accent;
    return palette;
}

QColor Palette::system(SystemColor color) const
{
    const bool dark = isDark();
    switch (color) {
    case SystemColor::red: return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    case SystemColor::orange: return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    case SystemColor::yellow: return dark ? QColor(255, 214, 10) : QColor(255, 204, 0);
    case SystemColor::green: return dark ? QColor(48, 209, 88) : QColor(52, 199, 89);
    case SystemColor::mint: return dark ? QColor(99, 230, 226) : QColor(0, 199, 190);
    case SystemColor::teal: return dark ? QColor(64, 200, 224) : QColor(48, 176, 199);
    case SystemColor::cyan: return dark ? QColor(100, 210, 255) : QColor(50, 173, 230);
    case SystemColor::blue: return dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    case SystemColor::indigo: return dark ? QColor(94, 92, 230) : QColor(88, 86, 214);
    case SystemColor::purple: return dark ? QColor(191, 90, 242) : QColor(175, 82, 222);
    case SystemColor::pink: return dark ? QColor(255, 55, 95) : QColor(255, 45, 85);
    case SystemColor::brown: return dark ? QColor(172, 142, 104) : QColor(162, 132, 94);
    case SystemColor::gray: return dark ? QColor(152, 152, 157) : QColor(142, 142, 147);
    }
    return QColor(142, 142, 147);
}

QColor Palette::primary() const
{
    return isDark() ? QColor(255, 255, 255, 240) : QColor(0, 0, 0, 222);
}

// Strong enough that secondary text keeps 3:1 against every background Tavlen draws it on (the panel's
// glass over a white or black desktop, the preview window, a selected row), tertiary text too.
QColor Palette::secondary() const
{
    return isDark() ? QColor(235, 235, 245, 199) : QColor(60, 60, 67, 199);
}

QColor Palette::tertiary() const
{
    return isDark() ? QColor(235, 235, 245, 170) : QColor(60, 60, 67, 170);
}

QColor Palette::windowBackground() const
{
    return isDark() ? QColor(30, 30, 32) : QColor(246, 246, 248);
}

QColor Palette::white(double opacity)
{
    return withOpacity(Qt::white, opacity);
}

QColor Palette::black(double opacity)
{
    return withOpacity(Qt::black, opacity);
}

QColor Palette::withOpacity(QColor color, double opacity)
{
    color.setAlphaF(float(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
    return color;
}

void Palette::setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}
