#pragma once
// How the compact window comes and goes: expanded it stands at full size, collapsed it has shrunk to a dot
// at its top-trailing corner and faded out, springing between the two. With reduce motion it only fades,
// with a short ease-out. A panel at the notch is always fully present.

#include "ui/AnimatedValue.h"

#include <QTransform>

class NotchFloatingPresence {
public:
    static constexpr double collapsedScale = 0.04;

    static Animation animation(bool reduceMotion);

    // The compact window expanded or collapsed at `now`; a panel at the notch (`floating` false) jumps to
    // full presence.
    void update(bool floating, bool expanded, double now, bool reduceMotion);

    double scale(double now) const;
    double opacity(double now) const;
    // The scale about the top-trailing corner of a `width` wide view.
    QTransform transform(double width, double now) const;
    bool isAnimating(double now) const { return m_progress.isAnimating(now); }
    // Seconds until the motion under way ends; 0 when at rest.
    double remaining(double now) const { return m_progress.remaining(now); }

private:
    bool m_floating = false;
    bool m_reduceMotion = false;
    AnimatedValue m_progress{1};
};
