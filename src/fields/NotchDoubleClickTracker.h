#pragma once
// Tells a Super + double-click that began in one of our own windows from one made entirely in another
// application, so that a click into the launcher followed by a click elsewhere opens nothing.

#include <optional>

struct NotchDoubleClickTracker {
    // Event time (seconds) of the last left mouse-down inside one of our own windows.
    std::optional<double> lastTavlenClickTimestamp;

    // A left mouse-down inside one of our own windows.
    void recordOwnClick(double timestamp) { lastTavlenClickTimestamp = timestamp; }

    // A left mouse-down in another application. Answers true when it is a Super + double-click that
    // should go on to the field request at the event's location.
    bool shouldHandleForeignClick(double timestamp, int clickCount, bool superHeld, double doubleClickInterval)
    {
        if (clickCount == 1) {
            lastTavlenClickTimestamp.reset();
            return false;
        }
        if (clickCount != 2 || !superHeld)
            return false;
        if (lastTavlenClickTimestamp) {
            const double since = timestamp - *lastTavlenClickTimestamp;
            if (since >= 0 && since <= doubleClickInterval)
                return false;
        }
        return true;
    }
};
