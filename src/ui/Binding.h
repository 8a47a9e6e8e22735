#pragma once
// A two-way link to a value that another object owns: a view reads it through `get` and writes it through
// `set`, so several views share one value without holding it themselves.

#include <functional>

template<typename T>
struct Binding {
    std::function<T()> get;
    std::function<void(const T &)> set;

    T value() const { return get ? get() : T{}; }
    void assign(const T &value) const
    {
        if (set)
            set(value);
    }
};
