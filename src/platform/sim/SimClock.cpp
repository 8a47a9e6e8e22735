#include "platform/sim/SimClock.h"

#include <QTimeZone>

SimClock::SimClock(QObject *parent)
    : Clock(parent)
    , m_wallAtZero(QDateTime(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC).addMSecs(qint64(-1000.0 * 1000)))
{
}

QDateTime SimClock::now() const
{
    return m_wallAtZero.addMSecs(qint64(m_uptime * 1000.0));
}

Clock::TimerId SimClock::callAfter(double seconds, std::function<void()> callback)
{
    const TimerId id = m_nextId++;
    m_timers.emplace(m_uptime + std::max(0.0, seconds), Entry{id, std::move(callback)});
    return id;
}

void SimClock::cancelTimer(TimerId id)
{
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second.id == id) {
            m_timers.erase(it);
            return;
        }
    }
}

void SimClock::blockFor(double seconds)
{
    m_blocked += seconds;
    m_uptime += seconds;
}

void SimClock::advance(double seconds)
{
    const double target = m_uptime + std::max(0.0, seconds);
    // Small tolerance so that 0.04 + 0.12 lands on a timer set for 0.16.
    constexpr double epsilon = 1e-9;
    while (!m_timers.empty() && m_timers.begin()->first <= target + epsilon) {
        auto node = m_timers.extract(m_timers.begin());
        m_uptime = std::max(m_uptime, node.key());
        node.mapped().callback();
    }
    m_uptime = std::max(m_uptime, target);
}

void SimClock::setWallClock(const QDateTime &wall)
{
    m_wallAtZero = wall.addMSecs(qint64(-m_uptime * 1000.0));
}
