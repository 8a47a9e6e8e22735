#include "platform/linux/SystemClock.h"

#include <QTimer>

#include <cmath>
#include <ctime>
#include <thread>

namespace {

// Qt timers count whole milliseconds: a callback this close to its deadline is due.
constexpr double slack = 0.0005;

} // namespace

SystemClock::SystemClock(QObject *parent)
    : Clock(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &SystemClock::runDue);
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
    const auto it = m_due.emplace(uptime() + std::max(0.0, seconds), Entry{id, std::move(callback)});
    m_byId.emplace(id, it);
    if (it == m_due.begin())
        arm();
    return id;
}

void SystemClock::cancelTimer(TimerId id)
{
    const auto found = m_byId.find(id);
    if (found == m_byId.end())
        return;
    const bool wasFirst = found->second == m_due.begin();
    m_due.erase(found->second);
    m_byId.erase(found);
    if (wasFirst)
        arm();
}

void SystemClock::blockFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void SystemClock::runDue()
{
    // Callbacks may schedule or cancel others; each pass takes the earliest that is due now.
    const double now = uptime();
    while (!m_due.empty() && m_due.begin()->first <= now + slack) {
        auto node = m_due.extract(m_due.begin());
        m_byId.erase(node.mapped().id);
        node.mapped().callback();
    }
    arm();
}

void SystemClock::arm()
{
    if (m_due.empty()) {
        m_timer->stop();
        return;
    }
    const double wait = std::max(0.0, m_due.begin()->first - uptime());
    m_timer->start(int(std::ceil(wait * 1000.0)));
}
