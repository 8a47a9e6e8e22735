#pragma once
// Coroutine tasks on the main thread: started at once, cancellable, awaitable by other tasks.
//
// A task that "sleeps and ends when cancelled" awaits the clock's sleep(), which answers false once the
// task was cancelled; the coroutine then returns without side effects:
//     const bool awake = co_await clock.sleep(0.35);
//     if (!awake) co_return;
// Never write co_await inside a condition (if, while, ?:, &&): GCC 12 miscompiles it and reads a
// destroyed awaiter. Await into a local first. Cancelling a task wakes the
// awaiter it is suspended on (a sleep, a child task, a future), so nothing lingers.

// moc cannot parse the C++20 library headers; it needs nothing from here.
#ifndef Q_MOC_RUN

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QDebug>

namespace detail {

// What a task shares with its handles, its awaiters and its own coroutine frame.
struct TaskState {
    bool cancelled = false;
    bool finished = false;
    std::coroutine_handle<> continuation;
    std::function<void()> onCancel; // set by the awaiter the task is suspended on
    std::weak_ptr<TaskState> child; // a task this one awaits; cancelled along with it

    void cancel()
    {
        if (cancelled || finished)
            return;
        cancelled = true;
        if (auto c = child.lock())
            c->cancel();
        if (auto hook = std::exchange(onCancel, nullptr))
            hook();
    }
};

template<typename T>
struct TaskValue {
    std::optional<T> value;
};
template<>
struct TaskValue<void> {};

template<typename T>
struct TaskShared : TaskState, TaskValue<T> {};

struct TaskPromiseBase {
    std::shared_ptr<TaskState> state;

    std::suspend_never initial_suspend() noexcept { return {}; }

    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template<typename P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> self) noexcept
        {
            auto shared = self.promise().state;
            shared->finished = true;
            shared->onCancel = nullptr;
            auto next = std::exchange(shared->continuation, nullptr);
            self.destroy();
            return next ? next : std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }

    void unhandled_exception() noexcept
    {
        try {
            std::rethrow_exception(std::current_exception());
        } catch (const std::exception &e) {
            qCritical("Task ended with an exception: %s", e.what());
        } catch (...) {
            qCritical("Task ended with an unknown exception");
        }
    }
};

template<typename T>
struct TaskPromiseReturn : TaskPromiseBase {
    void return_value(T value) { static_cast<TaskShared<T> &>(*state).value = std::move(value); }
};
template<>
struct TaskPromiseReturn<void> : TaskPromiseBase {
    void return_void() {}
};

} // namespace detail

// `const bool cancelled = co_await isCancelled();` — without suspending.
struct IsCancelled {
    std::shared_ptr<detail::TaskState> state;
    bool await_ready() const noexcept { return false; }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h) noexcept
    {
        state = h.promise().state;
        return false;
    }
    bool await_resume() const noexcept { return state && state->cancelled; }
};
inline IsCancelled isCancelled() { return {}; }

// Base of awaiters that suspend a task until a callback fires; resume(true) on success, and the task's
// cancellation resumes with false. Subclasses call arm() from await_suspend.
class CancellableAwaiter {
public:
    bool await_ready() const noexcept { return false; }
    // Ready at once (await_ready), the task never suspended: it was not cancelled in between.
    bool await_resume() const noexcept { return m_result && !(m_state && m_state->cancelled); }

protected:
    template<typename P>
    bool attach(std::coroutine_handle<P> h)
    {
        m_state = h.promise().state;
        m_handle = h;
        if (m_state->cancelled) {
            m_result = false;
            return false;
        }
        auto fired = m_fired;
        m_state->onCancel = [this, fired] {
            if (*fired)
                return;
            *fired = true;
            disarm();
            m_result = false;
            m_handle.resume();
        };
        return true;
    }
    // Returns a callable that resumes the task once; safe to call after cancellation (does nothing).
    std::function<void(bool)> resumer()
    {
        auto fired = m_fired;
        auto state = m_state;
        auto handle = m_handle;
        bool *result = &m_result;
        return [fired, state, handle, result](bool ok) {
            if (*fired)
                return;
            *fired = true;
            state->onCancel = nullptr;
            *result = ok;
            handle.resume();
        };
    }
    virtual void disarm() {}

    std::shared_ptr<detail::TaskState> m_state;
    std::coroutine_handle<> m_handle;
    bool m_result = true;
    std::shared_ptr<bool> m_fired = std::make_shared<bool>(false);

public:
    virtual ~CancellableAwaiter() = default;
};

// A coroutine task. Holding the handle is optional: the coroutine runs to its end either way.
template<typename T = void>
class Task {
public:
    using Shared = detail::TaskShared<T>;

    struct promise_type : detail::TaskPromiseReturn<T> {
        promise_type() { this->state = std::make_shared<Shared>(); }
        Task get_return_object() { return Task(std::static_pointer_cast<Shared>(this->state)); }
    };

    Task() = default;

    bool isValid() const { return bool(m_shared); }
    bool isFinished() const { return !m_shared || m_shared->finished; }
    bool isCancelled() const { return m_shared && m_shared->cancelled; }
    void cancel() const
    {
        if (m_shared)
            m_shared->cancel();
    }

    // The value of a finished task that returned one.
    template<typename U = T>
        requires(!std::is_void_v<U>)
    std::optional<U> result() const
    {
        return m_shared ? m_shared->value : std::nullopt;
    }

    // Awaiting a task suspends until it finishes; cancelling the awaiting task cancels this one too.
    // The awaited result is the value (std::optional<T>, empty when cancelled) or whether it ran to
    // its end uncancelled for Task<void>.
    struct Awaiter {
        std::shared_ptr<Shared> shared;
        bool await_ready() const noexcept { return !shared || shared->finished; }
        template<typename P>
        bool await_suspend(std::coroutine_handle<P> h)
        {
            auto parent = h.promise().state;
            parent->child = shared;
            if (parent->cancelled)
                shared->cancel();
            shared->continuation = h;
            return !shared->finished;
        }
        auto await_resume() const
        {
            if constexpr (std::is_void_v<T>)
                return shared && !shared->cancelled;
            else
                return shared && !shared->cancelled ? shared->value : std::optional<T>{};
        }
    };
    Awaiter operator co_await() const noexcept { return Awaiter{m_shared}; }

private:
    explicit Task(std::shared_ptr<Shared> shared)
        : m_shared(std::move(shared))
    {
    }
    std::shared_ptr<Shared> m_shared;
};

// A task that lives in a field of its owner: starting a new one cancels the one in the field.
// Cancelling never clears a successor, because the slot only ever holds the newest task.
class TaskSlot {
public:
    TaskSlot() = default;
    TaskSlot(const TaskSlot &) = delete;
    TaskSlot &operator=(const TaskSlot &) = delete;
    ~TaskSlot() { cancel(); }

    void start(Task<> task)
    {
        cancel();
        m_task = std::move(task);
    }
    void cancel()
    {
        auto previous = std::exchange(m_task, Task<>());
        previous.cancel();
    }
    bool isRunning() const { return m_task.isValid() && !m_task.isFinished(); }
    const Task<> &task() const { return m_task; }

private:
    Task<> m_task;
};

#endif // Q_MOC_RUN
