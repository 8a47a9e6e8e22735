#include "ui/AnimatedValue.h"

#include <algorithm>
#include <cmath>

AnimatedValue::AnimatedValue(double value)
    : m_target(value)
    , m_from(value)
{
}

void AnimatedValue::setValue(double value)
{
    m_target = value;
    m_from = value;
    m_startVelocity = 0;
    m_animation = Animation::none();
    m_settleAfter = 0;
}

void AnimatedValue::animateTo(double target, const Animation &animation, double now)
{
    if (target == m_target)
        return;
    const double current = value(now);
    const double currentVelocity = velocity(now);
    m_target = target;
    m_from = current;
    m_startVelocity = currentVelocity;
    m_start = now;
    m_animation = animation;
    switch (animation.kind) {
    case Animation::Kind::none:
        setValue(target);
        return;
    case Animation::Kind::timed:
        if (animation.duration <= 0)
            setValue(target);
        else
            m_settleAfter = animation.duration;
        return;
    case Animation::Kind::spring: {
        const double tolerance = std::max(std::abs(current - target), 1.0) * 1e-3;
        m_settleAfter = animation.spring.settlingTime(current - target, currentVelocity, tolerance);
        return;
    }
    }
}

double AnimatedValue::value(double now) const
{
    const double t = now - m_start;
    if (!isAnimating(now))
        return m_target;
    switch (m_animation.kind) {
    case Animation::Kind::timed:
        return m_from + (m_target - m_from) * animationProgress(m_animation.timing, t / m_animation.duration);
    case Animation::Kind::spring:
        return m_target + m_animation.spring.sample(m_from - m_target, m_startVelocity, t).displacement;
    case Animation::Kind::none:
        break;
    }
    return m_target;
}

double AnimatedValue::velocity(double now) const
{
    if (!isAnimating(now))
        return 0;
    const double t = now - m_start;
    switch (m_animation.kind) {
    case Animation::Kind::timed: {
        constexpr double h = 1e-3;
        const double d = m_animation.duration;
        const double a = animationProgress(m_animation.timing, std::max(t - h, 0.0) / d);
        const double b = animationProgress(m_animation.timing, std::min(t + h, d) / d);
        const double span = std::min(t + h, d) - std::max(t - h, 0.0);
        return span > 0 ? (m_target - m_from) * (b - a) / span : 0;
    }
    case Animation::Kind::spring:
        return m_animation.spring.sample(m_from - m_target, m_startVelocity, t).velocity;
    case Animation::Kind::none:
        break;
    }
    return 0;
}

bool AnimatedValue::isAnimating(double now) const
{
    return m_animation.kind != Animation::Kind::none && now - m_start < m_settleAfter - 1e-9;
}

double AnimatedValue::remaining(double now) const
{
    return isAnimating(now) ? m_start + m_settleAfter - now : 0;
}
