#pragma once
// How the desktop wants things drawn: the colour scheme (light or dark) and whether motion is to be
// reduced. Views read both at every paint; a change is announced so open windows repaint.

#include <QObject>

enum class ColorScheme {
    light,
    dark,
};

class Appearance : public QObject {
    Q_OBJECT
public:
    virtual ColorScheme colorScheme() const = 0;
    // The desktop asks for fewer animations (its animation setting is off).
    virtual bool reduceMotion() const = 0;
    // Translucent windows show what lies behind them (a compositing manager runs); without it, what a
    // window leaves transparent shows black.
    virtual bool supportsTranslucency() const = 0;

Q_SIGNALS:
    void changed();

protected:
    using QObject::QObject;
};
