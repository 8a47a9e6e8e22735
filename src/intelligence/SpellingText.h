#pragma once
// The rules that keep a spelling check safe to write back into the user's text: a size limit checked
// before the model is asked, and a merge that keeps the original's surrounding whitespace.

#include "intelligence/ClipboardAIResult.h"

#include <QString>

#include <optional>

namespace SpellingText {

// The largest selection accepted, in UTF-8 bytes (about 200 words).
inline constexpr int maximumUTF8ByteCount = 1500;

// emptyContent for a blank text, selectionTooLong beyond the limit (surrounding whitespace counts); none
// when the text may be checked.
std::optional<ClipboardAIError> validate(const QString &text);
// The original's leading whitespace, the trimmed correction, the original's trailing whitespace;
// emptyContent when the correction is blank.
ClipboardAIResult<QString> merge(const QString &corrected, const QString &original);

} // namespace SpellingText
