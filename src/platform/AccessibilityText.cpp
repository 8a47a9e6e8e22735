#include "platform/AccessibilityText.h"

namespace AccessibilityText {

std::optional<qsizetype> utf16Index(const QString &text, qint64 offset)
{
    if (offset < 0)
        return std::nullopt;
    qsizetype index = 0;
    for (qint64 counted = 0; counted < offset; ++counted) {
        if (index >= text.size())
            return std::nullopt;
        const bool pair = text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate();
        index += pair ? 2 : 1;
    }
    return index;
}

qint64 characterCount(const QString &text)
{
    qint64 count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return count;
}

namespace {

std::optional<std::pair<qsizetype, qsizetype>> bounds(const QString &text, AccessibilityTextRange range)
{
    if (range.length < 0)
        return std::nullopt;
    const std::optional<qsizetype> start = utf16Index(text, range.location);
    if (!start)
        return std::nullopt;
    const std::optional<qsizetype> length = utf16Index(text.mid(*start), range.length);
    if (!length)
        return std::nullopt;
    return std::pair{*start, *length};
}

} // namespace

std::optional<QString> slice(const QString &text, AccessibilityTextRange range)
{
    const auto found = bounds(text, range);
    if (!found)
        return std::nullopt;
    return text.mid(found->first, found->second);
}

std::optional<QString> replacing(const QString &text, AccessibilityTextRange range, const QString &replacement)
{
    const auto found = bounds(text, range);
    if (!found)
        return std::nullopt;
    QString result = text;
    result.replace(found->first, found->second, replacement);
    return result;
}

} // namespace AccessibilityText
