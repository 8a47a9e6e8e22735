#pragma once
// Counts the clicks of a multi-click from the press times and places: a press of the same button within
// the double-click interval and a few pixels of the previous one continues the sequence.

#include <QPointF>

class ClickCounter {
public:
    // `interval` in seconds; `distance` in pixels (either axis).
    ClickCounter(double interval, double distance)
        : m_interval(interval)
        , m_distance(distance)
    {
    }

    void setInterval(double seconds) { m_interval = seconds; }
    // A press of `button` at `position` (pixels) and `time` (seconds); answers its click count (1, 2, ...).
    int press(int button, QPointF position, double time);

private:
    double m_interval;
    double m_distance;
    int m_button = -1;
    QPointF m_position;
    double m_time = 0;
    int m_count = 0;
};
