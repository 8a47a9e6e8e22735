#pragma once
// The real clock: CLOCK_BOOTTIME for uptime, Qt timers on the main thread for callbacks.

#include "platform/Clock.h"

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

private:
    TimerId m_nextId = 1;
    std::unordered_map<TimerId, QTimer *> m_timers;
};
