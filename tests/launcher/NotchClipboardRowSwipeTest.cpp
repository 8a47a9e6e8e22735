#include "launcher/panel/NotchClipboardRowSwipe.h"

#include "platform/sim/SimClock.h"

#include <gtest/gtest.h>

namespace {

struct Swipe {
    SimClock clock;
    int deletes = 0;
    NotchClipboardRowSwipe row{clock, [this] { ++deletes; }};

    void drag(double distance, double predicted)
    {
        for (double x = -12; x > distance; x -= 10)
            row.handleDragChanged(QPointF(x, 1));
        row.handleDragChanged(QPointF(distance, 1));
        row.handleDragEnded(QPointF(distance, 1), QPointF(predicted, 1));
    }

    ScrollEvent scroll(double fingersDx, unsigned phase, bool natural = false, bool precise = true)
    {
        ScrollEvent event;
        // Qt's sign: positive x scrolls left, which the fingers make moving right (natural scrolling flips it).
        event.scrollingDeltaX = natural ? fingersDx : -fingersDx;
        event.isDirectionInvertedFromDevice = natural;
        event.hasPreciseScrollingDeltas = precise;
        event.phase = phase;
        return event;
    }
};

TEST(NotchClipboardRowSwipe, ReleaseThresholds)
{
    struct Row {
        const char *name;
        double distance;
        double predicted;
        bool deletes;
    };
    const Row rows[] = {
        {"67 springs back", -67, -67, false},
        {"68 slides out", -68, -68, true},
        {"a flick predicted at 108 deletes", -30, -108, true},
        {"a flick predicted short of 108 springs back", -30, -107, false},
        {"far past the maximum", -400, -400, true},
    };
    for (const Row &row : rows) {
        Swipe s;
        s.drag(row.distance, row.predicted);
        EXPECT_TRUE(s.row.suppressesTap()) << row.name;
        s.clock.advance(0.11);
        EXPECT_EQ(s.deletes, 0) << row.name; // never before 0.12 s
        s.clock.advance(0.02);
        EXPECT_EQ(s.deletes, row.deletes ? 1 : 0) << row.name;
        if (row.deletes) {
            EXPECT_DOUBLE_EQ(s.row.swipeOffset(), -108) << row.name;
        } else {
            EXPECT_TRUE(s.row.suppressesTap()) << row.name; // 0.13 s: clicks still ignored
            s.clock.advance(0.04);
            EXPECT_FALSE(s.row.suppressesTap()) << row.name;
            s.clock.advance(1);
            EXPECT_NEAR(s.row.swipeOffset(), 0, 1e-6) << row.name;
        }
    }
}

TEST(NotchClipboardRowSwipe, FollowsOnlyMainlyHorizontalLeftwardDrags)
{
    struct Row {
        QPointF translation;
        double offset;
        bool suppresses;
    };
    const Row rows[] = {
        {{-50, 10}, -50, true},
        {{-500, 0}, -108, true},  // clamped
        {{-40, 40}, 0, false},    // diagonal: |h| ≤ 1.15 |v|
        {{-47, 40}, -47, true},   // just horizontal enough
        {{60, 0}, 0, false},      // rightwards
    };
    for (const Row &row : rows) {
        Swipe s;
        s.row.handleDragChanged(row.translation);
        EXPECT_DOUBLE_EQ(s.row.swipeOffset(), row.offset);
        EXPECT_EQ(s.row.suppressesTap(), row.suppresses);
    }
    Swipe s;
    s.row.handleDragChanged(QPointF(-90, 0));
    EXPECT_DOUBLE_EQ(s.row.deleteBackgroundOpacity(), 1);
    s.row.handleDragChanged(QPointF(-34, 0));
    EXPECT_DOUBLE_EQ(s.row.deleteBackgroundOpacity(), 0.5);
    s.row.handleDragChanged(QPointF(5, 0)); // back past the start: the row stays where it was
    EXPECT_DOUBLE_EQ(s.row.swipeOffset(), -34);
}

TEST(NotchClipboardRowSwipe, AStaleSpringBackDoesNotClearANewerSwipe)
{
    Swipe s;
    s.drag(-30, -30); // springs back; its 0.16 s task is under way
    s.clock.advance(0.1);
    s.row.handleDragChanged(QPointF(-50, 0)); // a new swipe starts
    s.clock.advance(0.1); // the first swipe's task would have run now
    EXPECT_TRUE(s.row.suppressesTap());
    EXPECT_DOUBLE_EQ(s.row.swipeOffset(), -50);
}

TEST(NotchClipboardRowSwipe, TrackpadSwipesFollowTheFingersWhateverTheScrollingDirection)
{
    for (const bool natural : {false, true}) {
        Swipe s;
        s.row.handleTrackpadScroll(s.scroll(-30, ScrollPhase::Began, natural));
        s.row.handleTrackpadScroll(s.scroll(-30, ScrollPhase::Changed, natural));
        EXPECT_DOUBLE_EQ(s.row.swipeOffset(), -60) << natural;
        s.row.handleTrackpadScroll(s.scroll(-10, ScrollPhase::Ended, natural));
        s.clock.advance(0.13);
        EXPECT_EQ(s.deletes, 1) << natural;
    }
    // Fingers moving right over a resting row move nothing.
    Swipe right;
    right.row.handleTrackpadScroll(right.scroll(40, ScrollPhase::Began));
    EXPECT_DOUBLE_EQ(right.row.swipeOffset(), 0);
    EXPECT_FALSE(right.row.suppressesTap());
}

TEST(NotchClipboardRowSwipe, GesturesWithoutAnEndNeverLeaveTheRowShifted)
{
    struct Row {
        const char *name;
        double fingers;
        bool precise;
        bool deletes;
    };
    const Row rows[] = {
        {"momentum short of the threshold", -40, true, false},
        {"momentum past the threshold", -80, true, true},
        {"two wheel notches", -2, false, true}, // 40 points a line
        {"one wheel notch", -1, false, false},
    };
    for (const Row &row : rows) {
        Swipe s;
        s.row.handleTrackpadScroll(s.scroll(row.fingers, ScrollPhase::None, false, row.precise));
        EXPECT_TRUE(s.row.suppressesTap()) << row.name;
        s.clock.advance(NotchClipboardRowSwipe::scrollIdleRelease + 0.13);
        EXPECT_EQ(s.deletes, row.deletes ? 1 : 0) << row.name;
        s.clock.advance(1);
        if (!row.deletes) {
            EXPECT_FALSE(s.row.suppressesTap()) << row.name;
            EXPECT_NEAR(s.row.swipeOffset(), 0, 1e-6) << row.name;
        }
    }
    // An ending event without movement still finishes the swipe.
    Swipe s;
    s.row.handleTrackpadScroll(s.scroll(-70, ScrollPhase::Began));
    s.row.handleTrackpadScroll(s.scroll(0, ScrollPhase::Ended));
    s.clock.advance(0.13);
    EXPECT_EQ(s.deletes, 1);
}

TEST(NotchClipboardRowSwipe, VerticalScrollsLeaveTheRowAlone)
{
    Swipe s;
    ScrollEvent vertical = s.scroll(-10, ScrollPhase::Began);
    vertical.scrollingDeltaY = 40;
    s.row.handleTrackpadScroll(vertical);
    EXPECT_DOUBLE_EQ(s.row.swipeOffset(), 0);
    EXPECT_FALSE(s.row.suppressesTap());
}

TEST(NotchClipboardRowSwipe, ARowLeavingDuringItsSlideOutStillDeletesOnce)
{
    Swipe s;
    s.drag(-80, -80);
    s.row.finishPendingDelete();
    s.row.finishPendingDelete();
    s.clock.advance(1);
    EXPECT_EQ(s.deletes, 1);
}

} // namespace
