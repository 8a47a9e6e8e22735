#pragma once
// The one spring every animation uses, given as response (seconds per oscillation of the undamped spring)
// and damping fraction: ω = 2π / response, ζ = damping fraction, solved in closed form. A sample gives the
// displacement from the target and the velocity at a time, from a start displacement and velocity.

struct SpringCurve {
    double response = 0.55;
    double dampingFraction = 1.0;

    struct Sample {
        double displacement = 0;
        double velocity = 0;
    };

    // Where the spring is `t` seconds after it started `displacement` away from its target at `velocity`.
    Sample sample(double displacement, double velocity, double t) const;
    // How long until the motion is smaller than `tolerance` (in the value's own units) and stays so.
    double settlingTime(double displacement, double velocity, double tolerance) const;
};
