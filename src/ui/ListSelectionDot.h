#pragma once
// The dot at the start of a list row that shows whether the row is selected: a solid white dot (black on
// the light scheme's light glass, where white would vanish) or a spectrum ring. Both take a slot 22 points
// wide so rows line up whichever they use.

#include "ui/Animation.h"
#include "ui/Palette.h"

#include <QPointF>

class QPainter;

struct ListSelectionDot {
    enum class Style {
        spectrum,
        solidWhite,
    };

    static constexpr double slotWidth = 22;

    // How far the dot is active, 0 (inactive) to 1 (active): changes of the flag ease over 0.15 s.
    double activeAmount = 0;
    Style style = Style::solidWhite;

    static Animation transition() { return Animation::easeInOut(0.15); }

    // Draws the dot centred at `centre`.
    void paint(QPainter &painter, QPointF centre, const Palette &palette) const;

    // The solid dot's fill opacity: 0.95 active, 0.34 not.
    static double solidOpacity(double activeAmount);
    // The solid dot's colour: white on dark glass, black on light.
    static QColor solidColor(double activeAmount, const Palette &palette);
};
