#pragma once
// Time for the whole program: a monotonic clock in seconds, the wall clock, timed callbacks and the
// awaitable sleep of tasks. The simulated clock moves only when a test advances it.

#include "platform/Task.h"

#include <QDateTime>
#include <QObject>

#include <cstdint>
#include <functional>

class Clock : public QObject {
    Q_OBJECT
public:
    using TimerId = std::uint64_t;

    // Seconds on a monotonic clock that keeps counting during sleep (the media clock).
    virtual double uptime() const = 0;
    // The wall clock.
    virtual QDateTime now() const = 0;

    // Calls `callback` on the main thread once `seconds` have passed; cancelTimer() withdraws it.
    virtual TimerId callAfter(double seconds, std::function<void()> callback) = 0;
    virtual void cancelTimer(TimerId id) = 0;

    // Blocks the calling thread (a short, deliberate pause such as the gap between key-down and key-up).
    virtual void blockFor(double seconds) = 0;

#ifndef Q_MOC_RUN
    // Answers false when the awaiting task was cancelled (see Task.h for the await pattern).
    class SleepAwaiter : public CancellableAwaiter {
    public:
        SleepAwaiter(Clock &clock, double seconds)
            : m_clock(clock)
            , m_seconds(seconds)
        {
        }
        template<typename P>
        bool await_suspend(std::coroutine_handle<P> h)
        {
            if (!attach(h))
                return false;
            m_timer = m_clock.callAfter(m_seconds, [resume = resumer()] { resume(true); });
            return true;
        }

    private:
        void disarm() override { m_clock.cancelTimer(m_timer); }
        Clock &m_clock;
        double m_seconds;
        TimerId m_timer = 0;
    };
    SleepAwaiter sleep(double seconds) { return SleepAwaiter(*this, seconds); }
#endif

protected:
    using QObject::QObject;
};
