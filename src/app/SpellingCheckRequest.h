#pragma once
// `tavlen --check-spelling`, the command a person binds to a key in the desktop's shortcut settings: it
// takes the current selection (the focused field's selected text through accessibility, else the PRIMARY
// selection) and hands it to the running Tavlen's spelling check. What stands in the way comes back as a
// message for the person. Text in a password field is never read.

#include "platform/Platform.h"
#include "platform/Task.h"

#include <QString>

#include <optional>
#include <variant>

class SpellingCheckRequest {
public:
    static inline const QString argument = QStringLiteral("--check-spelling");
    // A selection larger than this is not read at all (far beyond what a spelling check takes).
    static constexpr qint64 maximumSelectionBytes = 256 * 1024;
    // Seconds Tavlen may take to answer (it asks the model whether it can be used).
    static constexpr double replyTimeout = 20;

    static inline const QString passwordFieldMessage = QStringLiteral("Text in a password field is never checked.");
    static inline const QString notRunningMessage
        = QStringLiteral("Tavlen is not running. Start Tavlen, then check the spelling again.");

    struct Selection {
        enum class Source { field, primarySelection };
        Source source = Source::field;
        QString text;
    };

#ifndef Q_MOC_RUN
    // The selection, or the message saying why there is none to check.
    static Task<std::variant<Selection, QString>> readSelection(Platform platform);
    // Reads the selection and hands it over: none when Tavlen took it, else the message for the person.
    static Task<std::optional<QString>> run(Platform platform);
#endif
};
