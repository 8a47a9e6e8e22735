#pragma once
// A clock for tests: time stands still until advance() moves it, firing due callbacks in order.

#include "platform/Clock.h"

#include <map>

class SimClock : public Clock {
    Q_OBJECT
public:
    explicit SimClock(QObject *parent = nullptr);

    double uptime() const override { return m_uptime; }
    QDateTime now() const override;
    TimerId callAfter(double seconds, std::function<void()> callback) override;
    void cancelTimer(TimerId id) override;
    void blockFor(double seconds) override;

    // Moves time forward by `seconds`, running every callback that falls due on the way (including ones
    // scheduled by those callbacks), each at its own instant.
    void advance(double seconds);
    // Runs callbacks that are due now (a zero-length advance).
    void runDue() { advance(0); }
    void setWallClock(const QDateTime &wall);
    int pendingTimers() const { return int(m_timers.size()); }
    double totalBlocked() const { return m_blocked; }

private:
    struct Entry {
        TimerId id;
        std::function<void()> callback;
    };
    double m_uptime = 1000.0;
    QDateTime m_wallAtZero;
    double m_blocked = 0;
    TimerId m_nextId = 1;
    std::multimap<double, Entry> m_timers;
};
