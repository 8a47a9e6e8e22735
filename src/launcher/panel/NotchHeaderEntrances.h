#pragma once
// The header's entrances, one per element: each element that comes on screen (when the panel expands, or
// later when its own condition in the header turns true) plays its entrance on its own, and one that
// leaves starts over the next time it comes. The Clipboard tab is not animated; the Recently used tab,
// the filters toggle and the settings button spin in, the search area only fades and slides.

#include "launcher/panel/NotchHeaderEntrance.h"
#include "ui/AnimatedValue.h"

#include <array>

class NotchHeaderEntrances {
public:
    enum class Element {
        clipboardTab,
        recentTab,
        filtersToggle,
        searchArea,
        settingsButton,
    };
    static constexpr int elementCount = 5;

    // Which elements the header shows now.
    struct Presence {
        bool clipboardTab = false;
        bool recentTab = false;
        bool filtersToggle = false;
        bool searchArea = false;
        bool settingsButton = false;
        bool contains(Element element) const;
    };

    static NotchHeaderEntrance entranceOf(Element element);

    // Elements that just came on screen start their entrance at `now`; those that left are reset.
    void update(const Presence &presence, double now, bool reduceMotion);
    bool isVisible(Element element) const;
    // How the element looks at `now`, between its hidden and shown looks.
    NotchHeaderEntrance::Look look(Element element, double now, bool reduceMotion) const;
    bool isAnimating(double now) const;

private:
    std::array<bool, elementCount> m_visible{};
    std::array<AnimatedValue, elementCount> m_progress{AnimatedValue(0), AnimatedValue(0), AnimatedValue(0), AnimatedValue(0), AnimatedValue(0)};
};
