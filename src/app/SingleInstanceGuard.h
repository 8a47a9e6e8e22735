#pragma once
// Keeps Tavlen to one instance per history with a lock on the history's folder itself: two instances never
// share a store, whatever display or session they were started in, and a folder that cannot be written is
// locked all the same. The system lets go of the lock when its process ends, however it ends, so no lock
// is ever stale.

#include <QString>

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString &dataFolder);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // True when this process now holds the lock; false when another live instance holds it, or when the
    // folder cannot be opened at all (then error() says why).
    bool acquire();
    QString error() const { return m_error; }

    // Whether the process `pid` (one of this user's) holds the lock on the history in `dataFolder`: it is the
    // running instance of that history.
    static bool isHeldBy(const QString &dataFolder, qint64 pid);
    // Whether any process of this user holds it, asked without taking the lock.
    static bool isHeld(const QString &dataFolder);

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
};
