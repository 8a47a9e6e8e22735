#pragma once
// The program's services as other processes reach them: the running program offers a spelling check of
// plain text, and a short-lived process (the command a person binds to a key) hands it the selection.
// On Linux this is a service on the session bus; the running program is found by name, so only one can
// offer it at a time.

#include "platform/Task.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// What became of a request to a running program's service.
struct TextServiceReply {
    enum class Status {
        accepted,    // the program took the text (its window opened)
        refused,     // the program refused; `message` says why, in words for the person
        unreachable, // no program offers the service (`message` empty), or it did not answer (`message` says so)
    };
    Status status = Status::unreachable;
    QString message;

    friend bool operator==(const TextServiceReply &, const TextServiceReply &) = default;
};

class TextServices : public QObject {
    Q_OBJECT
public:
    // Answers one request: none when the text was taken, else the refusal message. `byCommand`: the request
    // came from this program's own command (the one a person binds to a key), not from another program.
    using SpellingHandler = std::function<Task<std::optional<QString>>(QString text, bool byCommand)>;

    // Offers the spelling service until withdrawn; false (with a warning) when it cannot be offered (no
    // session bus, or another program holds the name).
    virtual bool offerSpellingService(SpellingHandler handler) = 0;
    virtual void withdrawSpellingService() = 0;
    virtual bool isOfferingSpellingService() const = 0;

#ifndef Q_MOC_RUN
    // Hands `text` to the running program's spelling service and waits, at most `timeout` seconds, for
    // its answer.
    virtual Task<TextServiceReply> requestSpellingCheck(QString text, double timeout) = 0;
#endif

protected:
    using QObject::QObject;
};
