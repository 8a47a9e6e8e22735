#pragma once
// A failure a person must hear about, with the words they see in the desktop notification. The subject
// is what the words name: a path, a cause, an address or an application.

#include <QString>

struct SystemNotice {
    enum class Kind {
        historyMovedAside, // the history could not be read and was moved aside; subject: where to
        historyReadOnly,   // the history can be read but not written; subject: why
        historyInMemory,   // the history cannot be used where it is; subject: why
        historyNotSaved,   // saving new copies fails (a full disk); subject: why
        modelElsewhere,    // the language model answers from another computer; subject: its address
        modelAddressTaken, // another user's program listens at the model's address here; subject: where, and whose
        clipboardStorm,    // a program rewrote the clipboard in a loop; subject: its name, or empty; count: its copies
        clipboardFlood,    // a program copied faster than a person for a minute; subject: its name, or empty
        secretsUnusable,   // the secret store cannot keep field values; subject: why
        historyReplaced,   // the history's file was deleted or replaced while Tavlen ran; subject: its path
        changesLostAtQuit, // changes that still could not be saved when Tavlen quit; subject: which, and why
        copyTooLarge,      // a copy over what one capture keeps was not kept; subject: that limit in words
        fieldValuesMovedAside, // the field values' list could not be read and was moved aside; subject: where to
    };

    Kind kind;
    QString subject;
    qint64 count = 0;

    // What brings remembered field values back.
    static inline const QString secretsRemedy =
        QStringLiteral("Start a secret service such as gnome-keyring with an unlocked default keyring.");

    QString summary() const;
    QString body() const;

    friend bool operator==(const SystemNotice &, const SystemNotice &) = default;
};
