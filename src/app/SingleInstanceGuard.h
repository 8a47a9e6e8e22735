#pragma once
// Keeps Tavlen to one instance per user session with a lock on a file in the runtime folder. The system
// lets go of the lock when its process ends, however it ends, so no lock is ever stale.

#include <QString>

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString &name);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // True when this process now holds the lock; false when another live instance holds it, or when the
    // lock cannot be taken at all (then error() says why).
    bool acquire();
    QString error() const { return m_error; }
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
};
