#pragma once
// The program's link to the AT-SPI bus: whether it is there (asked briefly, never by libatspi's own
// 25-second wait), libatspi set up once, and the time budget every call runs under: before each call
// the AT-SPI timeout is set to what is left of the request's budget, and after a call that waited it
// out every further call of the request fails at once. A request ends when the event loop turns.

#include "platform/AccessibilityTimeBudget.h"

#include <QElapsedTimer>

#include <memory>

typedef struct _GError GError;

class AtspiSession : public std::enable_shared_from_this<AtspiSession> {
public:
    AtspiSession();
    ~AtspiSession();
    AtspiSession(const AtspiSession &) = delete;
    AtspiSession &operator=(const AtspiSession &) = delete;

    // Asks the session bus for the accessibility bus (at most every few seconds) and sets libatspi up
    // the first time it answers.
    bool isAvailable();

    // Runs one AT-SPI call under the budget. `call` gets a GError** to fill; when the budget is spent it is
    // not run and `fallback` comes back. An error (gone, not supported, no reply) also gives `fallback`.
    template<typename Result, typename Call>
    Result call(Result fallback, Call &&call)
    {
        if (!begin())
            return fallback;
        GError *error = nullptr;
        Result result = call(&error);
        if (!end(error))
            return fallback;
        return result;
    }

    // Per-request caches compare this to know whether what they hold is from the current request (asking
    // opens one).
    unsigned generation();
    // Calls and failures since start, for benchmarks and tests.
    int callCount() const { return m_calls; }

    // Milliseconds of the budget and of one call. libatspi may wait its timeout several times within one
    // call to an application that does not answer (a cache check, then the call itself, each waiting up to
    // twice: measured up to 4 times).
    static constexpr int budgetMs = 300;
    static constexpr int perCallMs = 250;
    static constexpr int waitsPerCall = 4;

private:
    bool begin();
    void openRequest();
    // Frees the error; false when there was one.
    bool end(GError *error);

    QElapsedTimer m_clock;
    AccessibilityTimeBudget m_budget;
    bool m_initialized = false;
    bool m_available = false;
    qint64 m_lastCheckMs = -1;
    bool m_endScheduled = false;
    int m_calls = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
