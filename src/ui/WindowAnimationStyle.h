#pragma once
// How a window controller's window appears: the spotlight style or the standard one.

#include <QHashFunctions>

enum class WindowAnimationStyle {
    spotlight,
    standard,
};

inline size_t qHash(WindowAnimationStyle style, size_t seed = 0) noexcept
{
    return ::qHash(int(style), seed);
}
