// Placing a window beside an anchor inside bounds: left, right, below, above, clamping and shrinking.
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameBesideAnchor, PlacesAndClamps)
{
    struct Case {
        const char *name;
        QSizeF size;
        QRectF anchor;
        QRectF frame;
    };
    // Bounds 0..1000 x 0..800, so the inset area is 8..992 x 8..792.
    const QRectF bounds(0, 0, 1000, 800);
    const Case cases[] = {
        {"left, top edges aligned", QSizeF(300, 200), QRectF(500, 400, 100, 30), QRectF(190, 230, 300, 200)},
        {"a point: ends 10 left of it", QSizeF(300, 200), QRectF(600, 500, 0, 0), QRectF(290, 300, 300, 200)},
        {"left exactly on the inset", QSizeF(300, 200), QRectF(318, 400, 10, 30), QRectF(8, 230, 300, 200)},
        {"right when the left has no room", QSizeF(300, 200), QRectF(100, 400, 100, 30),
         QRectF(210, 230, 300, 200)},
        {"below when neither side fits", QSizeF(600, 200), QRectF(300, 400, 200, 30), QRectF(300, 190, 600, 200)},
        {"above when below does not fit", QSizeF(600, 200), QRectF(300, 100, 200, 30), QRectF(300, 140, 600, 200)},
        {"below, clamped at the right", QSizeF(600, 200), QRectF(450, 400, 100, 30), QRectF(392, 190, 600, 200)},
        {"top clamped inside", QSizeF(300, 200), QRectF(500, 700, 100, 95), QRectF(190, 592, 300, 200)},
        {"bottom clamped inside", QSizeF(300, 200), QRectF(500, 0, 100, 50), QRectF(190, 8, 300, 200)},
        {"above, clamped at the top", QSizeF(600, 200), QRectF(300, 150, 200, 630), QRectF(300, 592, 600, 200)},
        {"too large: cut to the inset", QSizeF(2000, 1000), QRectF(500, 400, 10, 10), QRectF(8, 8, 984, 784)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QRectF frame = FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(c.size, c.anchor, bounds);
        EXPECT_DOUBLE_EQ(frame.x(), c.frame.x());
        EXPECT_DOUBLE_EQ(frame.y(), c.frame.y());
        EXPECT_DOUBLE_EQ(frame.width(), c.frame.width());
        EXPECT_DOUBLE_EQ(frame.height(), c.frame.height());
    }
}

TEST(FrameBesideAnchor, BoundsOffTheOriginAndTooSmall)
{
    // A secondary screen's visible frame left of and below the origin.
    const QRectF frame = FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(
        QSizeF(200, 100), QRectF(-1500, -50, 40, 20), QRectF(-1920, -98, 1920, 1050));
    EXPECT_EQ(frame, QRectF(-1710, -90, 200, 100)) << "kept above the inset bottom";
    // Bounds narrower than the margins: an empty frame, never a negative size.
    const QRectF tiny = FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(QSizeF(200, 100), QRectF(0, 0, 1, 1),
                                                                               QRectF(0, 0, 10, 10));
    EXPECT_EQ(tiny.width(), 0);
    EXPECT_EQ(tiny.height(), 0);
}

} // namespace
