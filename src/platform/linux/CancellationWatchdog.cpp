#include "platform/linux/CancellationWatchdog.h"

#include <gio/gio.h>

CancellationWatchdog::CancellationWatchdog() = default;

CancellationWatchdog::~CancellationWatchdog()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_armed)
        g_object_unref(m_armed);
}

GCancellable *CancellationWatchdog::arm(int milliseconds)
{
    GCancellable *cancellable = g_cancellable_new();
    {
        const std::lock_guard lock(m_mutex);
        if (m_armed)
            g_object_unref(m_armed);
        m_armed = cancellable;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        m_fired = false;
        ++m_generation;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { watch(); });
    }
    m_wake.notify_all();
    return cancellable;
}

bool CancellationWatchdog::disarm()
{
    GCancellable *released = nullptr;
    bool fired = false;
    {
        const std::lock_guard lock(m_mutex);
        released = m_armed;
        fired = m_fired;
        m_armed = nullptr;
        m_fired = false;
        ++m_generation;
    }
    m_wake.notify_all();
    if (released)
        g_object_unref(released);
    return fired;
}

void CancellationWatchdog::watch()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || (m_armed && !m_fired); });
        if (m_stopping)
            return;
        const std::uint64_t generation = m_generation;
        const bool moved = m_wake.wait_until(lock, m_deadline,
                                             [&] { return m_stopping || m_generation != generation; });
        if (moved)
            continue;
        // The deadline passed with the same call still armed. Cancelling runs GLib's handlers on this
        // thread; the lock is not ours meanwhile, and the reference keeps the cancellable alive.
        m_fired = true;
        GCancellable *cancellable = G_CANCELLABLE(g_object_ref(m_armed));
        lock.unlock();
        g_cancellable_cancel(cancellable);
        g_object_unref(cancellable);
        lock.lock();
    }
}
