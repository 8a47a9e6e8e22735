#include "launcher/panel/NotchClipboardRowSwipe.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace {

Task<> afterDelay(Clock &clock, double seconds, Lifetime::Pointer<NotchClipboardRowSwipe> swipe,
                  std::function<void(NotchClipboardRowSwipe *swipe, bool awake)> then)
{
    const bool awake = co_await clock.sleep(seconds);
    if (!swipe)
        co_return;
    then(swipe.get(), awake);
}

} // namespace

NotchClipboardRowSwipe::NotchClipboardRowSwipe(Clock &clock, std::function<void()> onDelete,
                                               std::function<void()> onChange)
    : m_clock(clock)
    , m_onDelete(std::move(onDelete))
    , m_onChange(std::move(onChange))
{
}

NotchClipboardRowSwipe::~NotchClipboardRowSwipe()
{
    m_lifetime.end();
}

double NotchClipboardRowSwipe::swipeOffset() const
{
    return m_offset.value(m_clock.uptime());
}

bool NotchClipboardRowSwipe::isAnimating() const
{
    return m_offset.isAnimating(m_clock.uptime());
}

double NotchClipboardRowSwipe::deleteBackgroundOpacity() const
{
    return std::min(std::abs(swipeOffset()) / deleteThreshold, 1.0);
}

void NotchClipboardRowSwipe::changed()
{
    if (m_onChange)
        m_onChange();
}

void NotchClipboardRowSwipe::beginGestureIfNeeded()
{
    if (m_inGesture)
        return;
    m_inGesture = true;
    ++m_swipe;
    m_followUp.cancel();
}

void NotchClipboardRowSwipe::setOffsetNow(double offset)
{
    m_offset.setValue(offset);
    changed();
}

void NotchClipboardRowSwipe::handleDragChanged(QPointF translation)
{
    if (m_slidingOut)
        return;
    const double w = translation.x();
    const double h = translation.y();
    if (!(std::abs(w) > horizontalDominance * std::abs(h)) || !(w < 0))
        return;
    beginGestureIfNeeded();
    m_suppressesTap = true;
    setOffsetNow(std::max(w, -maximumSwipeOffset));
}

void NotchClipboardRowSwipe::handleDragEnded(QPointF translation, QPointF predictedTranslation)
{
    if (m_slidingOut || !m_inGesture || !m_suppressesTap)
        return;
    finishSwipe(translation.x(), predictedTranslation.x());
}

void NotchClipboardRowSwipe::handleTrackpadScroll(const ScrollEvent &event)
{
    if (m_slidingOut)
        return;
    const double dx = event.scrollingDeltaX;
    const double dy = event.scrollingDeltaY;
    const unsigned phase = event.phase | event.momentumPhase;
    const bool ends = phase & (ScrollPhase::Ended | ScrollPhase::Cancelled);
    if (!(std::abs(dy) * horizontalDominance < std::abs(dx))) {
        // A gesture whose last event carries no movement still ends the swipe.
        if (ends && m_inGesture && m_trackpadDistance < 0) {
            const double distance = m_trackpadDistance;
            m_trackpadDistance = 0;
            finishSwipe(distance, distance);
        }
        return;
    }
    if (phase & (ScrollPhase::Began | ScrollPhase::MayBegin))
        m_trackpadDistance = 0;
    // Follow the fingers: Qt's positive x scrolls towards the left, so with the usual direction the fingers
    // moved right; natural scrolling reverses that.
    double delta = event.isDirectionInvertedFromDevice ? dx : -dx;
    if (!event.hasPreciseScrollingDeltas)
        delta *= pointsPerWheelLine;
    const double total = m_trackpadDistance + delta;
    if (total < 0) {
        beginGestureIfNeeded();
        m_suppressesTap = true;
        m_trackpadDistance = total;
        setOffsetNow(std::max(total, -maximumSwipeOffset));
    }
    if (ends && m_trackpadDistance < 0) {
        m_idleRelease.cancel();
        const double distance = m_trackpadDistance;
        m_trackpadDistance = 0;
        finishSwipe(distance, distance);
        return;
    }
    if (m_inGesture && m_trackpadDistance < 0)
        restartIdleRelease();
}

void NotchClipboardRowSwipe::restartIdleRelease()
{
    const quint64 swipe = m_swipe;
    m_idleRelease.start(afterDelay(m_clock, scrollIdleRelease, {this, m_lifetime},
                                   [swipe](NotchClipboardRowSwipe *self, bool awake) {
        if (!awake || self->m_swipe != swipe || !self->m_inGesture || self->m_trackpadDistance >= 0)
            return;
        const double distance = self->m_trackpadDistance;
        self->m_trackpadDistance = 0;
        self->finishSwipe(distance, distance);
    }));
}

void NotchClipboardRowSwipe::finishSwipe(double translation, double predictedTranslation)
{
    if (m_slidingOut)
        return;
    m_inGesture = false;
    m_idleRelease.cancel();
    const quint64 swipe = m_swipe;
    const double now = m_clock.uptime();
    if (translation <= -deleteThreshold || predictedTranslation <= -maximumSwipeOffset) {
        m_slidingOut = true;
        m_offset.animateTo(-maximumSwipeOffset, Animation::easeIn(slideOutDelay), now);
        changed();
        m_followUp.start(afterDelay(m_clock, slideOutDelay, {this, m_lifetime},
                                    [](NotchClipboardRowSwipe *self, bool) { self->finishPendingDelete(); }));
        return;
    }
    m_offset.animateTo(0, Animation::springWith(0.24, 0.86), now);
    changed();
    m_followUp.start(afterDelay(m_clock, tapSuppressionAfterSpringBack, {this, m_lifetime},
                                [swipe](NotchClipboardRowSwipe *self, bool) {
        // Only the latest swipe's spring-back gives the clicks back.
        if (self->m_swipe == swipe && !self->m_inGesture)
            self->m_suppressesTap = false;
        self->changed();
    }));
}

void NotchClipboardRowSwipe::finishPendingDelete()
{
    if (!m_slidingOut || m_deleted)
        return;
    m_deleted = true;
    // Deleting may remove this row: call a copy, and touch nothing afterwards.
    const std::function<void()> onDelete = m_onDelete;
    if (onDelete)
        onDelete();
}
