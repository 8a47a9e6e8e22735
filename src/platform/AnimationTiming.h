#pragma once
// Timing curves of window animations, as cubic Bézier curves from (0,0) to (1,1), and the progress they
// give at a fraction of the duration. Both panel backends share this so a simulated and a real animation
// pass through the same frames.

enum class AnimationTiming {
    Linear,
    EaseIn,
    EaseOut,
    EaseInEaseOut,
    Default,
};

// Progress (0...1) of the animated value after `fraction` (clamped to 0...1) of the duration.
double animationProgress(AnimationTiming timing, double fraction);
