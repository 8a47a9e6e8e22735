#include "launcher/panel/NotchListReveal.h"

Animation NotchListReveal::animation(bool reduceMotion)
{
    return reduceMotion ? Animation::easeOut(0.16) : Animation::springWith(0.34, 0.82);
}

void NotchListReveal::update(double reveal, bool immediate, double now, bool reduceMotion)
{
    if (immediate) {
        m_reveal.setValue(reveal);
        return;
    }
    // A new target every frame while the window grows: each starts from the value and speed of the moment.
    m_reveal.animateTo(reveal, animation(reduceMotion), now);
}
