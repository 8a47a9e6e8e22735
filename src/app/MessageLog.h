#pragma once
// Tavlen's log on standard error: every message one line that starts with "tavlen: ", Qt's own included,
// so that a session's log tells Tavlen's lines from the other programs'.

#include <QString>
#include <QtGlobal>

#include <optional>

class MessageLog {
public:
    // Sends every message of the process through line() to the handler installed before.
    static void install();
    // The line written for a message (without its line end): named, with the message's category when it
    // has its own, control characters escaped. None for the warnings a person can do nothing about.
    static std::optional<QString> line(QtMsgType type, const char *category, const QString &message);
};
