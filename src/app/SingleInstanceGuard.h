#pragma once
// Keeps Tavlen to one instance per history: two instances never share a store, whatever display or session
// they were started in. Two locks together: a name in the abstract socket namespace made from the user and
// the history folder's path, which stays taken whatever becomes of the folder (deleted, renamed or replaced
// while Tavlen runs and writes a new one there), and a lock on the folder itself, which also holds where the
// same folder is reached by another path. The system lets go of both when the process ends, however it ends,
// so no lock is ever stale.

#include <QString>

#include <memory>

class QSocketNotifier;

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString &dataFolder);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    // True when this process now holds the lock; false when another live instance holds it, or when the
    // folder cannot be opened at all (then error() says why, and the history's name stays taken by this
    // process all the same).
    bool acquire();
    QString error() const { return m_error; }

    // Whether the process `pid` (one of this user's) holds the lock on the history in `dataFolder`: it is the
    // running instance of that history.
    static bool isHeldBy(const QString &dataFolder, qint64 pid);
    // Whether any process of this user holds it, asked without taking the lock.
    static bool isHeld(const QString &dataFolder);

private:
    // Takes the history's name; false when another instance of this user has it. A name that another user's
    // program took, or that cannot be bound, leaves the folder's lock alone to decide.
    bool takeName();

    QString m_path;
    QString m_error;
    int m_fd = -1;
    int m_nameFd = -1;
    // Answers and drops the connections that ask who holds the name.
    std::unique_ptr<QSocketNotifier> m_askers;
};
