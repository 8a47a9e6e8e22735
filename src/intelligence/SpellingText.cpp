#include "intelligence/SpellingText.h"

namespace SpellingText {

std::optional<ClipboardAIError> validate(const QString &text)
{
    if (text.trimmed().isEmpty())
        return ClipboardAIError::emptyContent();
    if (text.toUtf8().size() > maximumUTF8ByteCount)
        return ClipboardAIError::selectionTooLong();
    return std::nullopt;
}

ClipboardAIResult<QString> merge(const QString &corrected, const QString &original)
{
    const QString trimmed = corrected.trimmed();
    if (trimmed.isEmpty())
        return ClipboardAIError::emptyContent();
    // White space is all in the basic plane, so code units and characters agree here.
    qsizetype lead = 0;
    while (lead < original.size() && original.at(lead).isSpace())
        ++lead;
    qsizetype trail = original.size();
    while (trail > lead && original.at(trail - 1).isSpace())
        --trail;
    return original.left(lead) + trimmed + original.mid(trail);
}

} // namespace SpellingText
