#pragma once
// Whether an owner still lives, for the tasks and callbacks it starts. A QPointer stays set until QObject's
// own destructor runs, so a task resumed while its owner's members are being destroyed (a TaskSlot member
// cancels its task synchronously) would still see it and write into it. The owner ends its lifetime as the
// first statement of its destructor; a Lifetime::Pointer to it reads null from then on.

#include <memory>

class Lifetime {
public:
    Lifetime() = default;
    Lifetime(const Lifetime &) = delete;
    Lifetime &operator=(const Lifetime &) = delete;

    // From now on every Pointer made from this lifetime is null.
    void end() { m_token.reset(); }
    bool hasEnded() const { return !m_token; }

    // A pointer to the owner that is null once the owner's lifetime has ended.
    template<typename T>
    class Pointer {
    public:
        Pointer() = default;
        Pointer(T *object, const Lifetime &lifetime)
            : m_object(object)
            , m_alive(lifetime.m_token)
        {
        }
        T *get() const { return m_alive.expired() ? nullptr : m_object; }
        T *operator->() const { return get(); }
        explicit operator bool() const { return get() != nullptr; }

    private:
        T *m_object = nullptr;
        std::weak_ptr<const bool> m_alive;
    };

private:
    std::shared_ptr<const bool> m_token = std::make_shared<const bool>(true);
};
