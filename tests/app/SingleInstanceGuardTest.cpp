#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SingleInstanceGuard, SecondInstanceIsRefusedUntilTheFirstIsGone)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    auto first = std::make_unique<SingleInstanceGuard>(QStringLiteral("tavlen-test"));
    ASSERT_TRUE(first->acquire());
    SingleInstanceGuard second(QStringLiteral("tavlen-test"));
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(second.error().isEmpty()) << "another instance is no error";
    first.reset();
    SingleInstanceGuard third(QStringLiteral("tavlen-test"));
    EXPECT_TRUE(third.acquire());
}

TEST(SingleInstanceGuard, LockLeftByADeadProcessIsTakenOver)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    SingleInstanceGuard guard(QStringLiteral("tavlen-test"));
    // A lock file naming a process that no longer exists (pid 2^22 - 1 is above pid_max defaults).
    QFile stale(guard.lockPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("4194303\ntavlen\nnohost\n");
    stale.close();
    EXPECT_TRUE(guard.acquire());
}

// A lock that cannot be made is said as it is, not taken for another instance that runs.
TEST(SingleInstanceGuard, ALockThatCannotBeMadeIsAnError)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    SingleInstanceGuard guard(QStringLiteral("tavlen-test"));
    ASSERT_TRUE(QDir().mkpath(guard.lockPath())); // a folder where the lock file would go
    EXPECT_FALSE(guard.acquire());
    EXPECT_TRUE(guard.error().contains(guard.lockPath())) << guard.error().toStdString();
}
