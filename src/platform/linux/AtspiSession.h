#pragma once
// The program's link to the AT-SPI bus: whether it is there (asked without waiting, never by libatspi's
// own 25-second wait), libatspi set up once, and the time budget every call runs under: before each call
// the AT-SPI timeout is set to what is left of the request's budget, and after a call that waited it
// out every further call of the request fails at once. A request ends when the event loop turns.

#include "platform/AccessibilityTimeBudget.h"
#include "platform/Lifetime.h"

#include <QDBusPendingCall>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <optional>

typedef struct _GError GError;
typedef struct _AtspiAccessible AtspiAccessible;

class AtspiSession : public std::enable_shared_from_this<AtspiSession> {
public:
    // `elapsedMs` reads a monotonic clock in milliseconds (tests pass their own); by default the session's.
    explicit AtspiSession(std::function<qint64()> elapsedMs = {});
    ~AtspiSession();
    AtspiSession(const AtspiSession &) = delete;
    AtspiSession &operator=(const AtspiSession &) = delete;

    // Whether the accessibility bus is there, as the session bus last said, and libatspi set up the first
    // time it is. The question is asked at start and again in the background every few seconds when
    // needed. Only a caller that comes before the first answer waits for it, and one whose earlier
    // answer was a quick "no" waits for the next (a bus that just started); a bus launcher that does not
    // answer is never waited for again.
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

    // One interface of `accessible` (atspi_accessible_get_text_iface and its kind), or null. libatspi asks
    // the application for the list of interfaces when it has not cached it, so this runs under the budget.
    template<typename Interface>
    Interface *interfaceOf(AtspiAccessible *accessible, Interface *(*get)(AtspiAccessible *))
    {
        if (!accessible)
            return nullptr;
        return call<Interface *>(nullptr, [accessible, get](GError **) { return get(accessible); });
    }

    // Per-request caches compare this to know whether what they hold is from the current request (asking
    // opens one).
    unsigned generation();
    // Calls and failures since start, for benchmarks and tests.
    int callCount() const { return m_calls; }
    // How often isAvailable() waited for the session bus's answer (busQueryTimeoutMs at most each).
    int busWaits() const { return m_busWaits; }

    // Milliseconds of the budget and of one call. libatspi may wait its timeout several times within one
    // call to an application that does not answer (a cache check, then the call itself, each waiting up to
    // twice: measured up to 4 times).
    static constexpr int budgetMs = 300;
    static constexpr int perCallMs = 250;
    static constexpr int waitsPerCall = 4;
    // The longest wait for the session bus's answer about the accessibility bus, and how long an answer
    // holds before it is asked again.
    static constexpr int busQueryTimeoutMs = 250;
    static constexpr qint64 availabilityRecheckMs = 5000;

    // Drops libatspi's warning about an application without an element cache (once for the process).
    static void quietenMissingCaches();

private:
    // Starts asking the session bus, unless a question is out already.
    void askBus();
    // Takes the answer in, once it is there; `wait` waits for it first.
    void takeAnswer(bool wait);
    bool begin();
    void openRequest();
    // Frees the error; false when there was one.
    bool end(GError *error);

    QElapsedTimer m_clock;
    std::function<qint64()> m_elapsedMs;
    AccessibilityTimeBudget m_budget;
    bool m_initialized = false;
    bool m_available = false;
    // The question out to the session bus, and when the last answer came; -1 before any.
    std::optional<QDBusPendingCall> m_question;
    qint64 m_answeredAtMs = -1;
    // The last answer was no answer at all: the launcher hangs.
    bool m_busHung = false;
    int m_busWaits = 0;
    bool m_endScheduled = false;
    int m_calls = 0;
    Lifetime m_lifetime;
};
