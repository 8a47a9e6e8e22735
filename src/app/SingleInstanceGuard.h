#pragma once
// Keeps Tavlen to one instance per user session with a lock file in the runtime folder.

#include <QLockFile>
#include <QString>

#include <memory>

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString &name);

    // True when this process now holds the lock; false when another live instance holds it.
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
