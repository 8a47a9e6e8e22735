#pragma once
// Text offsets as accessibility counts them (Unicode characters, so a character outside the basic plane
// counts once) against QString's UTF-16 indices, and a text with one range replaced.

#include "platform/AccessibilityValue.h"

#include <QString>

#include <optional>

namespace AccessibilityText {

// The UTF-16 index of the character at `offset` (`text.size()` for the end); none past the end.
std::optional<qsizetype> utf16Index(const QString &text, qint64 offset);
// The number of characters of `text`.
qint64 characterCount(const QString &text);
// The characters of `range`; none when the range does not lie within the text.
std::optional<QString> slice(const QString &text, AccessibilityTextRange range);
// `text` with the characters of `range` replaced by `replacement`; none when the range does not lie within it.
std::optional<QString> replacing(const QString &text, AccessibilityTextRange range, const QString &replacement);

} // namespace AccessibilityText
