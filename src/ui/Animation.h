#pragma once
// How a value moves to a new target: at once, along a timing curve over a duration, or on a spring.

#include "platform/AnimationTiming.h"
#include "ui/SpringCurve.h"

struct Animation {
    enum class Kind {
        none,
        timed,
        spring,
    };

    Kind kind = Kind::none;
    double duration = 0; // timed
    AnimationTiming timing = AnimationTiming::Linear; // timed
    SpringCurve spring; // spring

    static Animation none() { return {}; }
    static Animation easeIn(double duration) { return {Kind::timed, duration, AnimationTiming::EaseIn, {}}; }
    static Animation easeOut(double duration) { return {Kind::timed, duration, AnimationTiming::EaseOut, {}}; }
    static Animation easeInOut(double duration) { return {Kind::timed, duration, AnimationTiming::EaseInEaseOut, {}}; }
    // A spring by its response and damping fraction (see SpringCurve); no blend duration is needed because a
    // retarget always starts from the value and velocity of the moment.
    static Animation springWith(double response, double dampingFraction)
    {
        return {Kind::spring, 0, AnimationTiming::Linear, {response, dampingFraction}};
    }
};
