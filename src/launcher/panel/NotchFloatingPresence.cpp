#include "launcher/panel/NotchFloatingPresence.h"

#include <algorithm>

Animation NotchFloatingPresence::animation(bool reduceMotion)
{
    return reduceMotion ? Animation::easeOut(0.16) : Animation::springWith(0.24, 0.86);
}

void NotchFloatingPresence::update(bool floating, bool expanded, double now, bool reduceMotion)
{
    const double target = !floating || expanded ? 1 : 0;
    m_reduceMotion = reduceMotion;
    if (floating != m_floating) {
        m_floating = floating;
        m_progress.setValue(target);
        return;
    }
    m_progress.animateTo(target, animation(reduceMotion), now);
}

double NotchFloatingPresence::scale(double now) const
{
    if (m_reduceMotion)
        return 1;
    // The spring's small overshoot past either end is kept, but the dot never turns inside out.
    return std::max(collapsedScale + (1 - collapsedScale) * m_progress.value(now), 0.0);
}

double NotchFloatingPresence::opacity(double now) const
{
    return std::clamp(m_progress.value(now), 0.0, 1.0);
}

QTransform NotchFloatingPresence::transform(double width, double now) const
{
    const double s = scale(now);
    return QTransform::fromTranslate(width, 0).scale(s, s).translate(-width, 0);
}
