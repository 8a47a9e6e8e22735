#include "platform/AccessibilityTimeBudget.h"

#include <algorithm>
#include <cmath>

AccessibilityTimeBudget::AccessibilityTimeBudget(double budgetSeconds, double perCallSeconds, int waitsPerCall,
                                                 std::function<double()> now)
    : m_budget(budgetSeconds)
    , m_perCall(perCallSeconds)
    , m_waitsPerCall(std::max(1, waitsPerCall))
    , m_now(std::move(now))
{
}

void AccessibilityTimeBudget::openRequest()
{
    if (m_open)
        return;
    m_open = true;
    m_spent = false;
    m_deadline = m_now() + m_budget;
    ++m_generation;
}

int AccessibilityTimeBudget::nextCallTimeoutMs()
{
    openRequest();
    const double now = m_now();
    m_callStart = now;
    const double left = m_spent ? 0.0 : std::min(m_deadline - now, m_perCall) / m_waitsPerCall;
    // Less than a millisecond is no wait worth starting.
    m_callTimeoutMs = left < 0.001 ? 0 : int(std::floor(left * 1000 + 1e-6));
    return m_callTimeoutMs;
}

void AccessibilityTimeBudget::callFinished()
{
    if (m_callTimeoutMs <= 0)
        return;
    const double waitedMs = (m_now() - m_callStart) * 1000;
    // A reply that came back within the last millisecond of the wait is as good as none.
    if (waitedMs >= m_callTimeoutMs - 1)
        m_spent = true;
}
