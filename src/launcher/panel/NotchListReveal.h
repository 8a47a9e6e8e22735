#pragma once
// The list area's reveal as it is shown: it trails the reveal the frame gives (which rises while the
// window grows and jumps to 1 once the list settles) on a spring, so the list fades, slides and unsqueezes
// smoothly instead of stepping with the frame. The compact window shows its list at once; with reduce
// motion the reveal only eases out over 0.16 s, without the spring's overshoot.

#include "ui/AnimatedValue.h"

class NotchListReveal {
public:
    static Animation animation(bool reduceMotion);

    // The reveal the frame gives now; `immediate` jumps to it.
    void update(double reveal, bool immediate, double now, bool reduceMotion);

    double value(double now) const { return m_reveal.value(now); }
    bool isAnimating(double now) const { return m_reveal.isAnimating(now); }

private:
    AnimatedValue m_reveal{0};
};
