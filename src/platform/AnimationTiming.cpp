#include "platform/AnimationTiming.h"

#include <algorithm>
#include <cmath>

namespace {

struct Bezier {
    double x1, y1, x2, y2;
};

Bezier curveOf(AnimationTiming timing)
{
    switch (timing) {
    case AnimationTiming::Linear:
        return {0, 0, 1, 1};
    case AnimationTiming::EaseIn:
        return {0.42, 0, 1, 1};
    case AnimationTiming::EaseOut:
        return {0, 0, 0.58, 1};
    case AnimationTiming::EaseInEaseOut:
        return {0.42, 0, 0.58, 1};
    case AnimationTiming::Default:
        return {0.25, 0.1, 0.25, 1};
    }
    return {0, 0, 1, 1};
}

// One coordinate of the curve with end points 0 and 1 and control values a, b at parameter t.
double coordinate(double a, double b, double t)
{
    const double u = 1 - t;
    return 3 * u * u * t * a + 3 * u * t * t * b + t * t * t;
}

double slope(double a, double b, double t)
{
    const double u = 1 - t;
    return 3 * u * u * a + 6 * u * t * (b - a) + 3 * t * t * (1 - b);
}

} // namespace

double animationProgress(AnimationTiming timing, double fraction)
{
    const double x = std::clamp(fraction, 0.0, 1.0);
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    const Bezier c = curveOf(timing);
    // Find t with curve x(t) = x: Newton first, bisection when the slope is flat.
    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double error = coordinate(c.x1, c.x2, t) - x;
        if (std::abs(error) < 1e-9)
            return coordinate(c.y1, c.y2, t);
        const double d = slope(c.x1, c.x2, t);
        if (std::abs(d) < 1e-6)
            break;
        t = std::clamp(t - error / d, 0.0, 1.0);
    }
    double lo = 0, hi = 1;
    t = x;
    for (int i = 0; i < 60; ++i) {
        const double value = coordinate(c.x1, c.x2, t);
        if (std::abs(value - x) < 1e-9)
            break;
        if (value < x)
            lo = t;
        else
            hi = t;
        t = (lo + hi) / 2;
    }
    return coordinate(c.y1, c.y2, t);
}
