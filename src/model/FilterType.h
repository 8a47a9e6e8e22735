#pragma once
// What a clipboard filter keeps: links, images, text, files, JSON or e-mail addresses.

#include <QString>

#include <array>
#include <optional>

enum class FilterType { url, image, text, file, json, email };

inline constexpr std::array<FilterType, 6> allFilterTypes = {
    FilterType::url, FilterType::image, FilterType::text, FilterType::file, FilterType::json, FilterType::email};

inline QString rawValue(FilterType type)
{
    switch (type) {
    case FilterType::url: return QStringLiteral("url");
    case FilterType::image: return QStringLiteral("image");
    case FilterType::text: return QStringLiteral("text");
    case FilterType::file: return QStringLiteral("file");
    case FilterType::json: return QStringLiteral("json");
    case FilterType::email: return QStringLiteral("email");
    }
    return QStringLiteral("text");
}

inline std::optional<FilterType> filterTypeFromRawValue(const QString &raw)
{
    for (FilterType type : allFilterTypes) {
        if (rawValue(type) == raw)
            return type;
    }
    return std::nullopt;
}
