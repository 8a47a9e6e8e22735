#pragma once
// The user's accent colour: the desktop's own highlight colour, or one of nine named colours.

#include <QColor>
#include <QString>

#include <array>
#include <optional>

enum class AccentColorOption { system, blue, purple, pink, red, orange, yellow, green, teal, graphite };

inline constexpr std::array<AccentColorOption, 10> allAccentColorOptions = {AccentColorOption::system,
    AccentColorOption::blue, AccentColorOption::purple, AccentColorOption::pink, AccentColorOption::red,
    AccentColorOption::orange, AccentColorOption::yellow, AccentColorOption::green, AccentColorOption::teal,
    AccentColorOption::graphite};

QString rawValue(AccentColorOption option);
std::optional<AccentColorOption> accentColorOptionFromRawValue(const QString &raw);
// The colour to draw: the application palette's highlight for `system`, a fixed colour otherwise.
QColor color(AccentColorOption option);
