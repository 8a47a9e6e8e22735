#include "intelligence/ClipboardAIError.h"

QString ClipboardAIError::localizedDescription() const
{
    switch (m_kind) {
    case Kind::unavailable:
        return QStringLiteral("The local language model is not available on this computer.");
    case Kind::emptyContent:
        return QStringLiteral("There is no text to analyze.");
    case Kind::selectionTooLong:
        return QStringLiteral("Select a shorter passage (about 200 words) and try again. "
                              "The original text has not been changed.");
    case Kind::generation:
        return m_message;
    }
    return m_message;
}
