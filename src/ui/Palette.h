#pragma once
// The colours every view draws with, for one colour scheme: the named system colours, the label styles
// (primary, secondary, tertiary) and the user's accent colour, plus the reduce-motion flag that decides
// whether views animate. A plain value: take one from the platform's Appearance at paint time.

#include "platform/Appearance.h"

#include <QColor>

class QWidget;

enum class SystemColor {
    red,
    orange,
    yellow,
    green,
    mint,
    teal,
    cyan,
    blue,
    indigo,
    purple,
    pink,
    brown,
    gray,
};

struct Palette {
    ColorScheme scheme = ColorScheme::dark;
    bool reduceMotion = false;
    // Translucent windows show what is behind them (a compositing manager runs).
    bool translucency = false;
    QColor accent = QColor(10, 132, 255);

    static Palette from(const Appearance *appearance, const QColor &accent);

    bool isDark() const { return scheme == ColorScheme::dark; }
    QColor system(SystemColor color) const;
    // The label styles: full, secondary and tertiary strength of the scheme's text colour.
    QColor primary() const;
    QColor secondary() const;
    QColor tertiary() const;
    // The opaque background of Tavlen's ordinary windows (the item preview, the settings).
    QColor windowBackground() const;
    // White or black at an opacity, the two tints the panel is built from.
    static QColor white(double opacity);
    static QColor black(double opacity);
    static QColor withOpacity(QColor color, double opacity);
    // Gives a label's or text view's text this colour (in its widget palette).
    static void setTextColor(QWidget *widget, const QColor &color);
};
