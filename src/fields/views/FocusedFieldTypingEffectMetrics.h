#pragma once
// The typing effect's formulas, as pure functions of the overlay's size, the time since a highlight or
// glyph began and the reduce-motion setting. The drawing only paints what these give.

#include <QRectF>
#include <QSizeF>

namespace FocusedFieldTypingEffectMetrics {

// Seconds.
constexpr double highlightDuration = 0.52;
constexpr double reducedMotionHighlightDuration = 0.2;
constexpr double glyphDuration = 0.34;
constexpr double reducedMotionGlyphDuration = 0.16;
// Redraws stop short of this interval.
constexpr double frameInterval = 1.0 / 60.0;

double highlightDurationFor(bool reduceMotion);
double glyphDurationFor(bool reduceMotion);

// One frame of the paste highlight over an overlay of the given size.
struct Highlight {
    double progress = 0; // 0 ... 1
    double pulse = 0; // 0.55 at both ends, 1 half-way
    double fade = 0; // 1 at the start, 0 at the end
    double cornerRadius = 0;
    double band = 0; // diameter of the travelling glow
    double sweepX = 0; // centre of the glow and the sheen
    double sheenHeight = 0;
    double rimWidth = 0;
};
// `elapsed` is the time since the highlight began; a negative time draws as its start.
Highlight highlight(QSizeF size, double elapsed, bool reduceMotion);

// One frame of a glyph standing in `frame`.
struct Glyph {
    double remaining = 0; // opacity: 1 at the start, 0 once its duration has passed
    double glow = 0;
    double fontSize = 0; // a character's point size
    double frameWidth = 0; // width of a character's frame
    double caretHeight = 0; // height of a caret bar
};
Glyph glyph(const QRectF &frame, double elapsed, bool reduceMotion);

} // namespace FocusedFieldTypingEffectMetrics
