#include "fields/views/FocusedFieldTypingEffectMetrics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Frames are timed on the clock in floating point: a frame due at the very end must count as the end.
constexpr double timeTolerance = 1e-9;
}

namespace FocusedFieldTypingEffectMetrics {

double highlightDurationFor(bool reduceMotion)
{
    return reduceMotion ? reducedMotionHighlightDuration : highlightDuration;
}

double glyphDurationFor(bool reduceMotion)
{
    return reduceMotion ? reducedMotionGlyphDuration : glyphDuration;
}

Highlight highlight(QSizeF size, double elapsed, bool reduceMotion)
{
    const double w = size.width();
    const double h = size.height();
    Highlight frame;
    const double duration = highlightDurationFor(reduceMotion);
    frame.progress = elapsed >= duration - timeTolerance ? 1.0 : std::clamp(elapsed / duration, 0.0, 1.0);
    const double p = frame.progress;
    frame.fade = std::pow(1.0 - p, 0.64);
    frame.pulse = std::sin(p * std::numbers::pi) * 0.45 + 0.55;
    frame.cornerRadius = std::min(h * 0.25, 10.0);
    frame.band = std::max(h * 2.8, 54.0);
    frame.sweepX = (p * 0.84 + 0.08) * w;
    frame.sheenHeight = std::max(h * 0.46, 11.0);
    frame.rimWidth = 1 + 1.3 * frame.pulse;
    return frame;
}

Glyph glyph(const QRectF &frame, double elapsed, bool reduceMotion)
{
    Glyph g;
    const double duration = glyphDurationFor(reduceMotion);
    const double ratio = elapsed >= duration - timeTolerance ? 1.0 : elapsed / duration;
    g.remaining = ratio <= 0 ? 1.0 : 1.0 - std::min(ratio, 1.0);
    g.glow = std::pow(g.remaining, 0.62);
    g.fontSize = std::clamp(frame.height() * 0.82, 12.0, 22.0);
    g.frameWidth = std::max(frame.width(), 8.0);
    g.caretHeight = std::clamp(frame.height() * 0.72, 11.0, 20.0);
    return g;
}

} // namespace FocusedFieldTypingEffectMetrics
