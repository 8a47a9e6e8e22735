#pragma once
// A translucent colour laid over a window's background, with its own opacity for each colour scheme.

#include <QColor>

struct TintConfig {
    double red = 0;
    double green = 0;
    double blue = 0;
    double lightModeOpacity = 0.06;
    double darkModeOpacity = 0.4;

    QColor color(bool darkMode) const
    {
        return QColor::fromRgbF(float(red), float(green), float(blue),
            float(darkMode ? darkModeOpacity : lightModeOpacity));
    }

    friend bool operator==(const TintConfig &, const TintConfig &) = default;
};
