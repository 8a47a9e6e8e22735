#pragma once
// The logging value every store and service holds. Its calls write nothing: what goes wrong reaches the
// user through the messages each feature shows, and nothing a user copied can leak into a log.

#include <QString>

class AppLogger {
public:
    AppLogger() = default;
    explicit AppLogger(const QString &category) { Q_UNUSED(category); }

    void debug(const QString &message) const { Q_UNUSED(message); }
    void info(const QString &message) const { Q_UNUSED(message); }
    void error(const QString &message) const { Q_UNUSED(message); }
};
