#include "app/SingleInstanceGuard.h"
#include "model/MainStoreContainer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Sets an environment variable for the scope, or unsets it (a null value), and restores it.
struct ScopedVariable {
    ScopedVariable(const char *name, const char *value)
        : name(name)
        , had(qEnvironmentVariableIsSet(name))
        , old(qgetenv(name))
    {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~ScopedVariable() { had ? qputenv(name, old) : qunsetenv(name); }
    const char *name;
    bool had;
    QByteArray old;
};

} // namespace

// The lock belongs to the history, not to the session's spelling of its display or runtime folder: each
// start below shares the first one's history and is refused.
TEST(SingleInstanceGuard, ASecondInstanceOfOneHistoryIsRefusedWhateverSessionItStartsIn)
{
    QTemporaryDir data, runtime;
    ScopedVariable display("DISPLAY", ":0");
    ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", runtime.path().toUtf8().constData());
    auto first = std::make_unique<SingleInstanceGuard>(data.path());
    ASSERT_TRUE(first->acquire());
    struct Row {
        const char *display;
        const char *runtimeFolder;
    };
    for (const Row &row : {Row{":0", nullptr}, Row{":0.0", "/tmp"}, Row{"unix:0", nullptr}, Row{":1", "/tmp"}}) {
        SCOPED_TRACE(row.display);
        ScopedVariable otherDisplay("DISPLAY", row.display);
        ScopedVariable otherRuntime("XDG_RUNTIME_DIR", row.runtimeFolder);
        SingleInstanceGuard second(data.path());
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(second.error().isEmpty()) << "another instance is no error";
    }
    QTemporaryDir elsewhere;
    const QString alias = elsewhere.filePath(QStringLiteral("history"));
    ASSERT_TRUE(QFile::link(data.path(), alias));
    EXPECT_FALSE(SingleInstanceGuard(alias).acquire()) << "the same folder by another path";
    first.reset();
    SingleInstanceGuard third(data.path());
    EXPECT_TRUE(third.acquire());
    QTemporaryDir otherData;
    EXPECT_TRUE(SingleInstanceGuard(otherData.path()).acquire()) << "another history runs beside it";
}

// The history's folder deleted, renamed or replaced while Tavlen runs: the running instance writes a new folder
// in its place, and that folder is still its history for a second start and for whoever asks who runs it.
TEST(SingleInstanceGuard, TheRunningInstanceKeepsTheHistoryWhenItsFolderIsTakenAway)
{
    struct Row {
        const char *change;
        std::function<bool(const QString &folder, const QString &aside)> apply;
    };
    const Row rows[] = {
        {"deleted", [](const QString &folder, const QString &) { return QDir(folder).removeRecursively(); }},
        {"renamed", [](const QString &folder, const QString &aside) { return QDir().rename(folder, aside); }},
        {"replaced",
         [](const QString &folder, const QString &aside) {
             return QDir().mkdir(aside) && QDir(folder).removeRecursively() && QDir().rename(aside, folder);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.change);
        QTemporaryDir data;
        const QString folder = data.filePath(QStringLiteral("trevik.tavlen"));
        ASSERT_TRUE(QDir().mkdir(folder));
        SingleInstanceGuard running(folder);
        ASSERT_TRUE(running.acquire());
        MainStoreContainer store(folder);
        ASSERT_TRUE(store.confirmIntact());

        ASSERT_TRUE(row.apply(folder, data.filePath(QStringLiteral("aside"))));
        store.reopen();
        ASSERT_FALSE(store.isInMemory()) << "the running instance writes its history in the folder's place again";

        SingleInstanceGuard second(folder);
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(second.error().isEmpty());
        EXPECT_TRUE(SingleInstanceGuard::isHeldBy(folder, ::getpid()));
        EXPECT_TRUE(SingleInstanceGuard::isHeld(folder));
    }
}

// An instance killed while it held the lock leaves nothing in the way; while it ran, it was the one that
// holds the history (and this process was not), and the history was held.
TEST(SingleInstanceGuard, ALockHeldByAKilledInstanceIsTakenOver)
{
    QTemporaryDir data;
    SingleInstanceGuard guard(data.path());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const char held = guard.acquire() ? 1 : 0;
        [[maybe_unused]] const auto written = ::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(held, 1);
    EXPECT_FALSE(guard.acquire());
    EXPECT_TRUE(SingleInstanceGuard::isHeldBy(data.path(), child));
    EXPECT_FALSE(SingleInstanceGuard::isHeldBy(data.path(), ::getpid()));
    EXPECT_TRUE(SingleInstanceGuard::isHeld(data.path()));

    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_FALSE(SingleInstanceGuard::isHeld(data.path()));
    EXPECT_TRUE(guard.acquire());
    EXPECT_TRUE(SingleInstanceGuard::isHeldBy(data.path(), ::getpid()));
}

// A history folder that cannot be opened is said as it is, not taken for another instance that runs.
TEST(SingleInstanceGuard, AFolderThatCannotBeOpenedIsAnError)
{
    QTemporaryDir data;
    const QString missing = data.filePath(QStringLiteral("missing"));
    SingleInstanceGuard guard(missing);
    EXPECT_FALSE(guard.acquire());
    EXPECT_TRUE(guard.error().contains(missing)) << guard.error().toStdString();
}
