// What the running program costs while nothing happens: the built tavlen is started with 5,000 items in its
// history, left alone for two minutes, and its CPU time (all threads, from the scheduler's own accounting)
// and wake-ups (context switches) are read before and after. CopyQ (Debian's copyq), with 5,000 items of
// its own, is measured the same way beside it when it is installed. Runs on the test desktop (make bench).
//   TAVLEN_IDLE_SECONDS   length of the idle window (default 120)
//   TAVLEN_IDLE_PROGRAM   another tavlen build to measure (default: the one beside bench/)
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "model/SwiftDataContainer.h"
#include "platform/sim/SimClock.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <optional>
#include <thread>

namespace {

constexpr int itemCount = ClipboardHistoryManager::maximumItemCount;

int idleSeconds()
{
    const int configured = qEnvironmentVariableIntValue("TAVLEN_IDLE_SECONDS");
    return configured > 0 ? configured : 120;
}

// CPU time and wake-ups of one thread so far.
struct ThreadCost {
    double cpuSeconds = 0;
    qint64 wakeups = 0;
};

// Every living thread of a process by id; empty once the process is gone.
QHash<QString, ThreadCost> threadCosts(qint64 pid)
{
    QHash<QString, ThreadCost> costs;
    QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadCost cost;
        QFile schedstat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly))
            cost.cpuSeconds = schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                    cost.wakeups += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
            }
        }
        costs.insert(task, cost);
    }
    return costs;
}

void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Waits for the process to settle after start-up, then measures it over the idle window. Threads are
// sampled ten times a second, so a worker thread that ends meanwhile still counts up to its last sample.
void measureIdle(benchmark::State &state, qint64 pid)
{
    sleepSeconds(5);
    for (auto _ : state) {
        const QHash<QString, ThreadCost> baseline = threadCosts(pid);
        if (baseline.isEmpty()) {
            state.SkipWithError("the process ended before it was measured");
            return;
        }
        QHash<QString, ThreadCost> last = baseline;
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::duration<double>(idleSeconds());
        while (std::chrono::steady_clock::now() < end) {
            sleepSeconds(0.1);
            const QHash<QString, ThreadCost> now = threadCosts(pid);
            if (now.isEmpty()) {
                state.SkipWithError("the process ended while it was measured");
                return;
            }
            for (auto it = now.begin(); it != now.end(); ++it)
                last.insert(it.key(), it.value());
        }
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        double cpu = 0;
        qint64 wakeups = 0;
        for (auto it = last.begin(); it != last.end(); ++it) {
            const ThreadCost before = baseline.value(it.key());
            cpu += it->cpuSeconds - before.cpuSeconds;
            wakeups += it->wakeups - before.wakeups;
        }
        state.SetIterationTime(elapsed);
        state.counters["cpu_ms_per_min"] = cpu * 1000 * 60 / elapsed;
        state.counters["wakeups_per_s"] = double(wakeups) / elapsed;
        state.counters["threads"] = double(last.size());
    }
}

// A private home for one program, so neither touches the user's own history.
struct PrivateHome {
    QTemporaryDir dir;
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        return env;
    }
};

QString itemText(int i)
{
    return QStringLiteral("Copied text number %1: the quarterly report, a link https://example.org/%1 and a note").arg(i);
}

// 5,000 text items of the last hours, newest first, in the store Tavlen opens at start.
bool writeHistory(const QString &dataHome)
{
    SimClock clock;
    clock.setWallClock(QDateTime::currentDateTimeUtc().addSecs(-itemCount));
    ClipboardHistoryManager manager(clock, nullptr);
    QList<ClipboardItem> items;
    for (int i = 0; i < itemCount; ++i) {
        ClipboardCapture capture;
        capture.type = ClipboardItemType::text;
        capture.text = itemText(i);
        capture.changeCount = i;
        items.prepend(manager.makeItem(capture));
        clock.advance(1);
    }
    const QString folder = QDir(dataHome).filePath(QStringLiteral("trevik.tavlen"));
    if (!QDir().mkpath(folder))
        return false;
    SwiftDataContainer container(folder);
    ClipboardItemStore store(container);
    return store.save(items, {});
}

void stopProcess(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(2000);
}

void BM_IdleTavlen(benchmark::State &state)
{
    PrivateHome home;
    const QProcessEnvironment env = home.environment();
    if (!writeHistory(env.value(QStringLiteral("XDG_DATA_HOME")))) {
        state.SkipWithError("could not write the history");
        return;
    }
    QProcess tavlen;
    tavlen.setProcessEnvironment(env);
    tavlen.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    const QString program = qEnvironmentVariableIsSet("TAVLEN_IDLE_PROGRAM")
        ? qEnvironmentVariable("TAVLEN_IDLE_PROGRAM")
        : QCoreApplication::applicationDirPath() + QStringLiteral("/../tavlen");
    tavlen.start(program, {});
    if (!tavlen.waitForStarted(5000)) {
        state.SkipWithError("tavlen did not start (build the tavlen target)");
        return;
    }
    tavlen.waitForReadyRead(10000); // "running" on stderr once started
    measureIdle(state, tavlen.processId());
    stopProcess(tavlen);
}

bool copyq(const QProcessEnvironment &env, const QStringList &arguments)
{
    QProcess client;
    client.setProcessEnvironment(env);
    client.start(QStringLiteral("copyq"), arguments);
    return client.waitForFinished(30000) && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0;
}

void BM_IdleCopyQ(benchmark::State &state)
{
    if (QStandardPaths::findExecutable(QStringLiteral("copyq")).isEmpty()) {
        state.SkipWithError("copyq is not installed (apt-get install copyq) to compare with");
        return;
    }
    PrivateHome home;
    const QProcessEnvironment env = home.environment();
    QProcess server;
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("copyq"), {});
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        up = copyq(env, {QStringLiteral("eval"), QStringLiteral("1")});
        if (!up)
            sleepSeconds(0.1);
    }
    bool filled = up && copyq(env, {QStringLiteral("config"), QStringLiteral("maxitems"), QString::number(itemCount)});
    for (int first = 0; filled && first < itemCount; first += 500) {
        QStringList arguments{QStringLiteral("add")};
        for (int i = first; i < first + 500; ++i)
            arguments.append(itemText(i));
        filled = copyq(env, arguments);
    }
    if (!filled) {
        state.SkipWithError("copyq did not take 5,000 items");
        stopProcess(server);
        return;
    }
    measureIdle(state, server.processId());
    copyq(env, {QStringLiteral("exit")});
    stopProcess(server);
}

BENCHMARK(BM_IdleTavlen)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleCopyQ)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
