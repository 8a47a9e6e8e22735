#pragma once
// How a filter's match text is compared with an item's text.

#include <QString>

#include <array>
#include <optional>

enum class TextMatchMode { contains, startsWith, endsWith, equals, regex };

inline constexpr std::array<TextMatchMode, 5> allTextMatchModes = {TextMatchMode::contains,
    TextMatchMode::startsWith, TextMatchMode::endsWith, TextMatchMode::equals, TextMatchMode::regex};

inline QString rawValue(TextMatchMode mode)
{
    switch (mode) {
    case TextMatchMode::contains: return QStringLiteral("contains");
    case TextMatchMode::startsWith: return QStringLiteral("startsWith");
    case TextMatchMode::endsWith: return QStringLiteral("endsWith");
    case TextMatchMode::equals: return QStringLiteral("equals");
    case TextMatchMode::regex: return QStringLiteral("regex");
    }
    return QStringLiteral("contains");
}

inline std::optional<TextMatchMode> textMatchModeFromRawValue(const QString &raw)
{
    for (TextMatchMode mode : allTextMatchModes) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}
