#include "launcher/panel/NotchHeaderEntrances.h"

#include <algorithm>

namespace {

int indexOf(NotchHeaderEntrances::Element element)
{
    return int(element);
}

double mix(double from, double to, double t)
{
    return from + (to - from) * t;
}

} // namespace

bool NotchHeaderEntrances::Presence::contains(Element element) const
{
    switch (element) {
    case Element::clipboardTab: return clipboardTab;
    case Element::recentTab: return recentTab;
    case Element::filtersToggle: return filtersToggle;
    case Element::searchArea: return searchArea;
    case Element::settingsButton: return settingsButton;
    }
    return false;
}

NotchHeaderEntrance NotchHeaderEntrances::entranceOf(Element element)
{
    switch (element) {
    case Element::clipboardTab: return {false, true};
    case Element::recentTab: return {true, true};
    case Element::filtersToggle: return {true, true};
    case Element::searchArea: return {true, false};
    case Element::settingsButton: return {true, true};
    }
    return {};
}

void NotchHeaderEntrances::update(const Presence &presence, double now, bool reduceMotion)
{
    for (int i = 0; i < elementCount; ++i) {
        const bool present = presence.contains(Element(i));
        if (present == m_visible[i])
            continue;
        m_visible[i] = present;
        // Coming on screen plays the entrance from its start; leaving resets it for the next time.
        m_progress[i].setValue(0);
        if (present)
            m_progress[i].animateTo(1, NotchHeaderEntrance::animation(reduceMotion), now);
    }
}

bool NotchHeaderEntrances::isVisible(Element element) const
{
    return m_visible[indexOf(element)];
}

NotchHeaderEntrance::Look NotchHeaderEntrances::look(Element element, double now, bool reduceMotion) const
{
    const NotchHeaderEntrance entrance = entranceOf(element);
    const NotchHeaderEntrance::Look hidden = entrance.look(false, reduceMotion);
    const NotchHeaderEntrance::Look shown = entrance.look(true, reduceMotion);
    const double t = m_visible[indexOf(element)] ? std::clamp(m_progress[indexOf(element)].value(now), 0.0, 1.0) : 0.0;
    NotchHeaderEntrance::Look out;
    out.saturation = mix(hidden.saturation, shown.saturation, t);
    out.rotationDegrees = mix(hidden.rotationDegrees, shown.rotationDegrees, t);
    out.offsetX = mix(hidden.offsetX, shown.offsetX, t);
    out.opacity = mix(hidden.opacity, shown.opacity, t);
    return out;
}

bool NotchHeaderEntrances::isAnimating(double now) const
{
    return std::any_of(m_progress.begin(), m_progress.end(), [now](const AnimatedValue &v) { return v.isAnimating(now); });
}
