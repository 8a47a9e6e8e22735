#pragma once
// The elements of the launcher that the guided demo outlines.

#include <QHashFunctions>
#include <QSet>

enum class NotchDemoHighlight {
    latestSection,
    mostUsedSection,
    clipboard,
    clipboardItem,
    random,
    history,
    suggestion,
    search,
    settings,
};

inline size_t qHash(NotchDemoHighlight highlight, size_t seed = 0) noexcept
{
    return ::qHash(int(highlight), seed);
}

using NotchDemoHighlights = QSet<NotchDemoHighlight>;
