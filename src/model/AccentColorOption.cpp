#include "model/AccentColorOption.h"

#include <QGuiApplication>
#include <QPalette>

QString rawValue(AccentColorOption option)
{
    switch (option) {
    case AccentColorOption::system: return QStringLiteral("system");
    case AccentColorOption::blue: return QStringLiteral("blue");
    case AccentColorOption::purple: return QStringLiteral("purple");
    case AccentColorOption::pink: return QStringLiteral("pink");
    case AccentColorOption::red: return QStringLiteral("red");
    case AccentColorOption::orange: return QStringLiteral("orange");
    case AccentColorOption::yellow: return QStringLiteral("yellow");
    case AccentColorOption::green: return QStringLiteral("green");
    case AccentColorOption::teal: return QStringLiteral("teal");
    case AccentColorOption::graphite: return QStringLiteral("graphite");
    }
    return QStringLiteral("system");
}

std::optional<AccentColorOption> accentColorOptionFromRawValue(const QString &raw)
{
    for (AccentColorOption option : allAccentColorOptions) {
        if (rawValue(option) == raw)
            return option;
    }
    return std::nullopt;
}

QColor color(AccentColorOption option)
{
    switch (option) {
    case AccentColorOption::system: return QGuiApplication::palette().color(QPalette::Highlight);
    case AccentColorOption::blue: return QColor(0x00, 0x7A, 0xFF);
    case AccentColorOption::purple: return QColor(0xAF, 0x52, 0xDE);
    case AccentColorOption::pink: return QColor(0xFF, 0x2D, 0x55);
    case AccentColorOption::red: return QColor(0xFF, 0x3B, 0x30);
    case AccentColorOption::orange: return QColor(0xFF, 0x95, 0x00);
    case AccentColorOption::yellow: return QColor(0xFF, 0xCC, 0x00);
    case AccentColorOption::green: return QColor(0x34, 0xC7, 0x59);
    case AccentColorOption::teal: return QColor(0x30, 0xB0, 0xC7);
    case AccentColorOption::graphite: return QColor(0x8E, 0x8E, 0x93);
    }
    return QColor(0x00, 0x7A, 0xFF);
}
