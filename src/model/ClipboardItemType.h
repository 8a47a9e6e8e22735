#pragma once

#include <QString>

#include <optional>

// The kind of a history item; the raw values are what the store keeps.
enum class ClipboardItemType { text, image, file, url, generic };

inline QString rawValue(ClipboardItemType type)
{
    switch (type) {
    case ClipboardItemType::text: return QStringLiteral("text");
    case ClipboardItemType::image: return QStringLiteral("image");
    case ClipboardItemType::file: return QStringLiteral("file");
    case ClipboardItemType::url: return QStringLiteral("url");
    case ClipboardItemType::generic: return QStringLiteral("generic");
    }
    return QStringLiteral("generic");
}

// None when the raw value names no kind (e.g. rows written by a newer version).
inline std::optional<ClipboardItemType> clipboardItemTypeFromRawValue(const QString &raw)
{
    if (raw == u"text") return ClipboardItemType::text;
    if (raw == u"image") return ClipboardItemType::image;
    if (raw == u"file") return ClipboardItemType::file;
    if (raw == u"url") return ClipboardItemType::url;
    if (raw == u"generic") return ClipboardItemType::generic;
    return std::nullopt;
}
