#include "ui/SpringCurve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

SpringCurve::Sample SpringCurve::sample(double x0, double v0, double t) const
{
    if (t <= 0)
        return {x0, v0};
    const double omega = 2 * std::numbers::pi / std::max(response, 1e-4);
    const double zeta = std::max(dampingFraction, 0.0);
    if (zeta < 1) {
        const double wd = omega * std::sqrt(1 - zeta * zeta);
        const double decay = std::exp(-zeta * omega * t);
        const double a = x0;
        const double b = (v0 + zeta * omega * x0) / wd;
        const double c = std::cos(wd * t);
        const double s = std::sin(wd * t);
        const double x = decay * (a * c + b * s);
        const double v = decay * ((b * wd - zeta * omega * a) * c - (a * wd + zeta * omega * b) * s);
        return {x, v};
    }
    if (zeta == 1) {
        const double decay = std::exp(-omega * t);
        const double b = v0 + omega * x0;
        return {decay * (x0 + b * t), decay * (b - omega * (x0 + b * t))};
    }
    // Overdamped: two real decay rates.
    const double root = omega * std::sqrt(zeta * zeta - 1);
    const double r1 = -zeta * omega + root;
    const double r2 = -zeta * omega - root;
    const double c2 = (v0 - r1 * x0) / (r2 - r1);
    const double c1 = x0 - c2;
    const double e1 = std::exp(r1 * t);
    const double e2 = std::exp(r2 * t);
    return {c1 * e1 + c2 * e2, c1 * r1 * e1 + c2 * r2 * e2};
}

double SpringCurve::settlingTime(double x0, double v0, double tolerance) const
{
    const double omega = 2 * std::numbers::pi / std::max(response, 1e-4);
    const double tol = std::max(tolerance, 1e-9);
    // Step forward and remember the last moment the motion exceeded the tolerance.
    constexpr double step = 1.0 / 240;
    constexpr double horizon = 10.0;
    double lastOutside = 0;
    for (double t = step; t <= horizon; t += step) {
        const Sample s = sample(x0, v0, t);
        if (std::abs(s.displacement) > tol || std::abs(s.velocity) > tol * omega)
            lastOutside = t;
        else if (t - lastOutside > response)
            break;
    }
    return lastOutside;
}
