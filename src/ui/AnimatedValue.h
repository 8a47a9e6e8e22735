#pragma once
// One number that animates towards its target on the platform clock's time. A new target starts from the
// value and velocity of that moment, so interrupted animations blend instead of jumping.

#include "ui/Animation.h"

class AnimatedValue {
public:
    explicit AnimatedValue(double value = 0);

    // Moves towards `target`, starting at `now` (seconds of the platform clock). The same target again
    // changes nothing; Animation::none() jumps.
    void animateTo(double target, const Animation &animation, double now);
    // Jumps to `value` and stops any motion.
    void setValue(double value);

    double target() const { return m_target; }
    double value(double now) const;
    double velocity(double now) const;
    bool isAnimating(double now) const;
    // Seconds until the motion under way ends; 0 when at rest.
    double remaining(double now) const;

private:
    double m_target;
    double m_from;
    double m_startVelocity = 0;
    double m_start = 0;
    double m_settleAfter = 0;
    Animation m_animation;
};
