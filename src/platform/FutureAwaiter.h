#pragma once
// Awaits a QFuture from a task on the main thread (work handed to a worker thread).

#include "platform/Task.h"

#include <QFuture>
#include <QFutureWatcher>

#include <memory>

template<typename T>
class FutureAwaiter : public CancellableAwaiter {
public:
    explicit FutureAwaiter(QFuture<T> future)
        : m_future(std::move(future))
    {
    }
    // Even a future finished already resumes the task from the event loop, never inside the caller's call: what
    // the task does with the result then always follows what the caller did after starting it.
    bool await_ready() const noexcept { return false; }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h)
    {
        if (!attach(h))
            return false;
        m_watcher = std::make_unique<QFutureWatcher<T>>();
        QObject::connect(m_watcher.get(), &QFutureWatcherBase::finished, m_watcher.get(),
                         [resume = resumer()] { resume(true); });
        m_watcher->setFuture(m_future);
        return true;
    }
    // The result, or none when the task was cancelled or the future was cancelled or failed.
    std::optional<T> await_resume()
    {
        release();
        if (!m_result || (m_state && m_state->cancelled) || m_future.isCanceled() || m_future.resultCount() == 0)
            return std::nullopt;
        return m_future.result();
    }

private:
    void disarm() override { release(); }
    // The watcher may be the sender of the signal that resumed us: delete it later.
    void release()
    {
        if (m_watcher)
            m_watcher.release()->deleteLater();
    }
    QFuture<T> m_future;
    std::unique_ptr<QFutureWatcher<T>> m_watcher;
};

template<typename T>
FutureAwaiter<T> awaitFuture(QFuture<T> future)
{
    return FutureAwaiter<T>(std::move(future));
}
