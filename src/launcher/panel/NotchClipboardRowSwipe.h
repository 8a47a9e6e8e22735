#pragma once
// The swipe-to-delete of one clipboard row: a leftward drag or a two-finger horizontal scroll pushes the
// row aside (at most 108 points); released at 68 points or more (or flicked so its predicted end lies 108
// points out) it slides out and deletes 0.12 s later, otherwise it springs back and ignores clicks for
// 0.16 s. Runs on the platform clock.
//
// Also: a stale spring-back never clears a newer swipe's state; a scroll gesture that never reports its
// end (a mouse wheel, momentum) finishes once its events stop, so no row stays shifted with clicks
// suppressed; the row moves the way the fingers move, whatever the scrolling preference.

#include "platform/InputEvents.h"
#include "platform/Lifetime.h"
#include "platform/Task.h"
#include "ui/AnimatedValue.h"

#include <functional>
#include <memory>

class Clock;

class NotchClipboardRowSwipe {
public:
    static constexpr double deleteThreshold = 68;
    static constexpr double maximumSwipeOffset = 108;
    static constexpr double slideOutDelay = 0.12;
    static constexpr double tapSuppressionAfterSpringBack = 0.16;
    // A mainly horizontal gesture: |horizontal| > 1.15 × |vertical|.
    static constexpr double horizontalDominance = 1.15;
    // A scroll swipe without an end event counts as released once no event came for this long.
    static constexpr double scrollIdleRelease = 0.25;
    // Points one line of a wheel without precise deltas moves the row.
    static constexpr double pointsPerWheelLine = 40;

    NotchClipboardRowSwipe(Clock &clock, std::function<void()> onDelete, std::function<void()> onChange = {});
    ~NotchClipboardRowSwipe();
    NotchClipboardRowSwipe(const NotchClipboardRowSwipe &) = delete;
    NotchClipboardRowSwipe &operator=(const NotchClipboardRowSwipe &) = delete;

    // The row's shift now (animated), 0 or negative.
    double swipeOffset() const;
    // The shift the row is heading for.
    double targetOffset() const { return m_offset.target(); }
    bool isAnimating() const;
    bool suppressesTap() const { return m_suppressesTap; }
    bool isSlidingOut() const { return m_slidingOut; }
    double trackpadSwipeDistance() const { return m_trackpadDistance; }
    // The trash area's opacity: min(|offset| / 68, 1).
    double deleteBackgroundOpacity() const;

    // A drag's translation (points) while it moves and when it ends (with its predicted end).
    void handleDragChanged(QPointF translation);
    void handleDragEnded(QPointF translation, QPointF predictedTranslation);
    // One scroll event over the row.
    void handleTrackpadScroll(const ScrollEvent &event);
    void finishSwipe(double translation, double predictedTranslation);
    // The row leaves the screen or is rebuilt: a slide-out under way still deletes.
    void finishPendingDelete();

private:
    void beginGestureIfNeeded();
    void setOffsetNow(double offset);
    void restartIdleRelease();
    void changed();

    Clock &m_clock;
    std::function<void()> m_onDelete;
    std::function<void()> m_onChange;
    AnimatedValue m_offset;
    bool m_suppressesTap = false;
    bool m_slidingOut = false;
    bool m_deleted = false;
    double m_trackpadDistance = 0;
    bool m_inGesture = false;
    Lifetime m_lifetime;
    // Each swipe gets a number; a follow-up task acts only while its swipe is the latest.
    quint64 m_swipe = 0;
#ifndef Q_MOC_RUN
    TaskSlot m_followUp;
    TaskSlot m_idleRelease;
#endif
};
