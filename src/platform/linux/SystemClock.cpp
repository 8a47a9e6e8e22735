#include "platform/linux/SystemClock.h"

#include <QTimer>

#include <cmath>
#include <ctime>
#include <thread>

SystemClock::SystemClock(QObject *parent)
    : Clock(parent)
{
}

double SystemClock::uptime() const
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

Clock::TimerId SystemClock::callAfter(double seconds, std::function<void()> callback)
{
    const TimerId id = m_nextId++;
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, timer, callback = std::move(callback)] {
        m_timers.erase(id);
        timer->deleteLater();
        callback();
    });
    m_timers.emplace(id, timer);
    timer->start(int(std::ceil(std::max(0.0, seconds) * 1000.0)));
    return id;
}

void SystemClock::cancelTimer(TimerId id)
{
    if (auto it = m_timers.find(id); it != m_timers.end()) {
        it->second->stop();
        it->second->deleteLater();
        m_timers.erase(it);
    }
}

void SystemClock::blockFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
