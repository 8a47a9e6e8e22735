#pragma once
// How the launcher shows itself: hanging from the notch, or as a floating window.

#include <QString>

#include <optional>

enum class LauncherPresentation { notch, window };

inline QString rawValue(LauncherPresentation presentation)
{
    switch (presentation) {
    case LauncherPresentation::notch: return QStringLiteral("notch");
    case LauncherPresentation::window: return QStringLiteral("window");
    }
    return QStringLiteral("notch");
}

inline std::optional<LauncherPresentation> launcherPresentationFromRawValue(const QString &raw)
{
    if (raw == u"notch") return LauncherPresentation::notch;
    if (raw == u"window") return LauncherPresentation::window;
    return std::nullopt;
}
