#pragma once
// Why a language-model request gave no result, with the message the user sees. The spelling selection's
// validation error is one kind of it, so every request answers one error type.

#include <QString>

class ClipboardAIError {
public:
    enum class Kind {
        unavailable,      // the model cannot be used now
        emptyContent,     // nothing to work on after trimming
        selectionTooLong, // a spelling selection over SpellingText::maximumUTF8ByteCount
        generation,       // the model failed or answered wrongly; the message says how
    };

    static ClipboardAIError unavailable() { return ClipboardAIError(Kind::unavailable); }
    static ClipboardAIError emptyContent() { return ClipboardAIError(Kind::emptyContent); }
    static ClipboardAIError selectionTooLong() { return ClipboardAIError(Kind::selectionTooLong); }
    static ClipboardAIError generation(QString message) { return ClipboardAIError(Kind::generation, std::move(message)); }

    Kind kind() const { return m_kind; }
    QString localizedDescription() const;

    friend bool operator==(const ClipboardAIError &, const ClipboardAIError &) = default;

private:
    explicit ClipboardAIError(Kind kind, QString message = {})
        : m_kind(kind)
        , m_message(std::move(message))
    {
    }
    Kind m_kind;
    QString m_message;
};
