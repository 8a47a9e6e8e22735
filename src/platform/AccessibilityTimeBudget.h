#pragma once
// The time one request may spend waiting on other applications' accessibility answers. Each call asks
// how long it may wait: what is left (at most a per-call cap), divided by how many times the library may
// wait that long within one call (libatspi waits up to four times its timeout for a silent application).
// A call that used up its wait means the application does not answer: the rest of the request gives up.

#include <functional>

class AccessibilityTimeBudget {
public:
    // `now` gives seconds on a monotonic clock.
    AccessibilityTimeBudget(double budgetSeconds, double perCallSeconds, int waitsPerCall, std::function<double()> now);

    // Starts a request when none is open.
    void openRequest();
    // Opens a request when none is. Milliseconds the next call may wait; 0 when nothing is left.
    int nextCallTimeoutMs();
    // After the call that nextCallTimeoutMs() allowed: a call that ran out its wait spends the budget.
    void callFinished();
    // The request is over (the event loop turned): the next call starts a new one.
    void endRequest() { m_open = false; }

    bool isRequestOpen() const { return m_open; }
    // Counts opened requests, so per-request caches can tell a new one.
    unsigned generation() const { return m_generation; }

private:
    double m_budget;
    double m_perCall;
    int m_waitsPerCall;
    std::function<double()> m_now;
    bool m_open = false;
    bool m_spent = false;
    double m_deadline = 0;
    double m_callStart = 0;
    int m_callTimeoutMs = 0;
    unsigned m_generation = 0;
};
