#pragma once
// Bounds blocking GLib calls, which wait for a D-Bus answer up to 25 s: a thread of its own cancels the
// armed GCancellable once its deadline passes, and every call given that cancellable returns at once.

#include <condition_variable>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

typedef struct _GCancellable GCancellable;

class CancellationWatchdog {
public:
    CancellationWatchdog();
    ~CancellationWatchdog();
    CancellationWatchdog(const CancellationWatchdog &) = delete;
    CancellationWatchdog &operator=(const CancellationWatchdog &) = delete;

    // A fresh cancellable, cancelled `milliseconds` from now unless disarmed first; one armed at a time.
    GCancellable *arm(int milliseconds);
    // Stops the countdown and lets the cancellable go; true when the deadline had passed.
    bool disarm();

private:
    void watch();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    GCancellable *m_armed = nullptr;
    std::chrono::steady_clock::time_point m_deadline;
    // Counts arms and disarms, so a wait for one deadline never cancels the next call.
    std::uint64_t m_generation = 0;
    bool m_fired = false;
    bool m_stopping = false;
    // Started with the first call: a program that never calls pays for no thread.
    std::thread m_thread;
};
