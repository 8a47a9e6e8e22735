#include "platform/AccessibilityTimeBudget.h"

#include <algorithm>
#include <cmath>

AccessibilityTimeBudget::AccessibilityTimeBudget(double budgetSeconds, double perCallSeconds, std::function<double()> now)
    : m_budget(budgetSeconds)
    , m_perCall(perCallSeconds)
    , m_now(std::move(now))
{
}

int AccessibilityTimeBudget::nextCallTimeoutMs()
{
    const double now = m_now();
    if (!m_open) {
        m_open = true;
        m_spent = false;
        m_deadline = now + m_budget;
        ++m_generation;
    }
    m_callStart = now;
    const double left = m_spent ? 0.0 : std::min(m_deadline - now, m_perCall);
    // Less than a millisecond is no wait worth starting.
    m_callTimeoutMs = left < 0.001 ? 0 : int(std::floor(left * 1000 + 1e-6));
    return m_callTimeoutMs;
}

void AccessibilityTimeBudget::callFinished()
{
    if (m_callTimeoutMs <= 0)
        return;
    const double waitedMs = (m_now() - m_callStart) * 1000;
    // A reply that came back within the last few milliseconds of the wait is as good as none.
    if (waitedMs >= m_callTimeoutMs - 2)
        m_spent = true;
}
