#pragma once
// Which list the launcher panel shows: the clipboard history or the focused field's history pane.

#include <QHashFunctions>

enum class NotchLauncherListKind {
    clipboard,
    recent,
};

inline size_t qHash(NotchLauncherListKind kind, size_t seed = 0) noexcept
{
    return ::qHash(int(kind), seed);
}
