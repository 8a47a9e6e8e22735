#pragma once
// The real clock: CLOCK_BOOTTIME for uptime, and one Qt timer on the main thread, armed for the earliest
// pending callback, for every callback and task sleep: a sleep costs a map entry, not a timer of its own.

#include "platform/Clock.h"

#include <map>
#include <unordered_map>

class QTimer;

class SystemClock : public Clock {
    Q_OBJECT
public:
    explicit SystemClock(QObject *parent = nullptr);

    double uptime() const override;
    QDateTime now() const override;
    TimerId callAfter(double seconds, std::function<void()> callback) override;
    void cancelTimer(TimerId id) override;
    void blockFor(double seconds) override;

    int pendingCallbacks() const { return int(m_due.size()); }

private:
    struct Entry {
        TimerId id;
        std::function<void()> callback;
    };
    using Queue = std::multimap<double, Entry>;

    void runDue();
    void arm();

    TimerId m_nextId = 1;
    Queue m_due;
    std::unordered_map<TimerId, Queue::iterator> m_byId;
    QTimer *m_timer;
};
