// What the running program costs, beside CopyQ (Debian's copyq) measured the same way in the same run when
// it is installed. Runs on the test desktop (make bench).
//   - Idle: the built tavlen is started with 5,000 items in its history, left alone for two minutes, and
//     its CPU time (all threads, from the scheduler's own accounting) and wake-ups (context switches) are
//     read before and after.
//   - Start-up, memory and disk with the mixed history of MixedHistory.h: the time from starting the
//     program until its history answers (tavlen: its "running" line, printed once the history is loaded;
//     CopyQ: its `count` command answering 5,000), the same with an empty history, the private memory
//     (Pss_Anon) once settled, and the disk its store takes.
//   - Memory after large spelling calls: ten calls of 20 MB each from another program, every one refused
//     (local intelligence is off), and the private memory before, at once after and 2 s after the last.
//   - One long text: tavlen with a 60 MB text in its history, its resident memory (as `ps -o rss` shows it)
//     at its "running" line, the peak of its start, and once settled.
//   TAVLEN_IDLE_SECONDS   length of the idle window (default 120)
//   TAVLEN_IDLE_PROGRAM   another tavlen build to measure (default: the one beside bench/)
#include "BenchmarkRun.h"

#include "MixedHistory.h"
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "model/MainStoreContainer.h"
#include "platform/linux/LinuxTextServices.h"
#include "platform/sim/SimClock.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <algorithm>
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
            BenchmarkRun::fail(state, "the process ended before it was measured");
            return;
        }
        QHash<QString, ThreadCost> last = baseline;
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::duration<double>(idleSeconds());
        while (std::chrono::steady_clock::now() < end) {
            sleepSeconds(0.1);
            const QHash<QString, ThreadCost> now = threadCosts(pid);
            if (now.isEmpty()) {
                BenchmarkRun::fail(state, "the process ended while it was measured");
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
    return MixedHistory::write(QDir(dataHome).filePath(QStringLiteral("trevik.tavlen")),
                               MixedHistory::texts(itemCount, itemText), MixedHistory::Payloads::none);
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
        BenchmarkRun::fail(state, "could not write the history");
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
        BenchmarkRun::fail(state, "tavlen did not start (build the tavlen target)");
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

// Starts CopyQ's server in `server`; true once it answers (within 10 s).
bool startCopyQ(QProcess &server, const QProcessEnvironment &env)
{
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("copyq"), {});
    for (int i = 0; i < 100; ++i) {
        if (copyq(env, {QStringLiteral("eval"), QStringLiteral("1")}))
            return true;
        sleepSeconds(0.1);
    }
    return false;
}

void BM_IdleCopyQ(benchmark::State &state)
{
    if (QStandardPaths::findExecutable(QStringLiteral("copyq")).isEmpty()) {
        // Only the comparison is missing, not Tavlen's own figure: skipped, not failed.
        state.SkipWithError("copyq is not installed (apt-get install copyq) to compare with");
        return;
    }
    PrivateHome home;
    const QProcessEnvironment env = home.environment();
    QProcess server;
    const bool up = startCopyQ(server, env);
    bool filled = up && copyq(env, {QStringLiteral("config"), QStringLiteral("maxitems"), QString::number(itemCount)});
    for (int first = 0; filled && first < itemCount; first += 500) {
        QStringList arguments{QStringLiteral("add")};
        for (int i = first; i < first + 500; ++i)
            arguments.append(itemText(i));
        filled = copyq(env, arguments);
    }
    if (!filled) {
        BenchmarkRun::fail(state, "copyq did not take 5,000 items");
        stopProcess(server);
        return;
    }
    measureIdle(state, server.processId());
    copyq(env, {QStringLiteral("exit")});
    stopProcess(server);
}

BENCHMARK(BM_IdleTavlen)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleCopyQ)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

constexpr int startCount = 5;

// Private memory of a process (what its heap holds), in MiB.
double pssAnonMib(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("Pss_Anon:"))
            return line.mid(9).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// Megabytes the files under the folders take on disk (allocated blocks).
double diskMb(const QStringList &folders)
{
    double bytes = 0;
    for (const QString &folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            struct stat info {};
            if (::stat(QFile::encodeName(it.next()).constData(), &info) == 0)
                bytes += double(info.st_blocks) * 512;
        }
    }
    return bytes / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QString tavlenProgram()
{
    return qEnvironmentVariableIsSet("TAVLEN_IDLE_PROGRAM") ? qEnvironmentVariable("TAVLEN_IDLE_PROGRAM")
                                                            : QCoreApplication::applicationDirPath()
                                                                  + QStringLiteral("/../tavlen");
}

// Starts tavlen and waits for its "running" line: the milliseconds it took, or a negative number when it
// did not get there. `said`: what it wrote until then.
double startTavlen(QProcess &tavlen, const QProcessEnvironment &env, QByteArray *said = nullptr)
{
    tavlen.setProcessEnvironment(env);
    tavlen.setReadChannel(QProcess::StandardError);
    QElapsedTimer timer;
    timer.start();
    tavlen.start(tavlenProgram(), {});
    QByteArray output;
    while (!output.contains("tavlen: running") && tavlen.waitForReadyRead(10000))
        output += tavlen.readAllStandardError();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (said)
        *said = output;
    return output.contains("tavlen: running") ? ms : -1;
}

struct TavlenRun {
    std::vector<double> startMs;
    double pssAnonMib = 0;
};

// `startCount` starts from the history in `home`; the memory is read on the last one once it settled.
std::optional<TavlenRun> runTavlen(const PrivateHome &home)
{
    TavlenRun run;
    for (int i = 0; i < startCount; ++i) {
        QProcess tavlen;
        const double ms = startTavlen(tavlen, home.environment());
        if (ms < 0) {
            stopProcess(tavlen);
            return std::nullopt;
        }
        run.startMs.push_back(ms);
        if (i == startCount - 1) {
            sleepSeconds(5); // the search index is built, nothing is pending
            run.pssAnonMib = pssAnonMib(tavlen.processId());
        }
        stopProcess(tavlen);
    }
    return run;
}

struct CopyQRun {
    std::vector<double> startMs;
    double pssAnonMib = 0;
    double diskMb = 0;
};

QByteArray copyqOutput(const QProcessEnvironment &env, const QStringList &arguments)
{
    QProcess client;
    client.setProcessEnvironment(env);
    client.start(QStringLiteral("copyq"), arguments);
    if (!client.waitForFinished(30000) || client.exitStatus() != QProcess::NormalExit || client.exitCode() != 0)
        return {};
    return client.readAllStandardOutput().trimmed();
}

// The same items put into CopyQ (oldest first, so the newest is on top), then `startCount` starts.
std::optional<CopyQRun> runCopyQ(const QList<MixedHistory::Entry> &entries)
{
    PrivateHome home;
    const QProcessEnvironment env = home.environment();
    const QString expected = QString::number(entries.size());
    {
        QProcess server;
        const bool up = startCopyQ(server, env);
        bool filled = up && copyq(env, {QStringLiteral("config"), QStringLiteral("maxitems"), expected});
        QStringList arguments{QStringLiteral("add")};
        qsizetype batchBytes = 0;
        for (qsizetype i = 0; filled && i < entries.size(); ++i) {
            arguments.append(entries[i].text);
            batchBytes += entries[i].text.size() * 3;
            // A command line holds about 2 MB.
            if (batchBytes > 1000000 || i == entries.size() - 1) {
                filled = copyq(env, arguments);
                arguments = {QStringLiteral("add")};
                batchBytes = 0;
            }
        }
        filled = filled && copyqOutput(env, {QStringLiteral("count")}) == expected.toUtf8();
        copyq(env, {QStringLiteral("exit")});
        stopProcess(server);
        if (!filled)
            return std::nullopt;
    }
    CopyQRun run;
    for (int i = 0; i < startCount; ++i) {
        QProcess server;
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer timer;
        timer.start();
        server.start(QStringLiteral("copyq"), {});
        bool answered = false;
        while (!answered && timer.elapsed() < 30000)
            answered = copyqOutput(env, {QStringLiteral("count")}) == expected.toUtf8();
        run.startMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (answered && i == startCount - 1) {
            sleepSeconds(5);
            run.pssAnonMib = pssAnonMib(server.processId());
        }
        copyq(env, {QStringLiteral("exit")});
        stopProcess(server);
        if (!answered)
            return std::nullopt;
    }
    run.diskMb = diskMb({env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/copyq"),
                         env.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/copyq")});
    return run;
}

// Tavlen with the mixed history and with none, and CopyQ with the same items when installed.
void BM_StartUpMemoryDisk(benchmark::State &state)
{
    const QList<MixedHistory::Entry> entries = MixedHistory::entries();
    for (auto _ : state) {
        PrivateHome full;
        const QString folder = full.environment().value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/trevik.tavlen");
        if (!MixedHistory::write(folder, entries)) {
            BenchmarkRun::fail(state, "could not write the history");
            return;
        }
        const std::optional<TavlenRun> withItems = runTavlen(full);
        PrivateHome empty;
        const std::optional<TavlenRun> withoutItems = runTavlen(empty);
        if (!withItems || !withoutItems) {
            BenchmarkRun::fail(state, "tavlen did not start (build the tavlen target)");
            return;
        }
        const double startMs = median(withItems->startMs);
        const double disk = diskMb({folder});
        state.counters["text_mb"] = double(MixedHistory::utf8Bytes(entries)) / 1e6;
        state.counters["start_ms"] = startMs;
        state.counters["start_empty_ms"] = median(withoutItems->startMs);
        state.counters["pss_anon_mib"] = withItems->pssAnonMib;
        state.counters["pss_anon_empty_mib"] = withoutItems->pssAnonMib;
        state.counters["disk_mb"] = disk;
        if (QStandardPaths::findExecutable(QStringLiteral("copyq")).isEmpty()) {
            state.SetLabel("copyq is not installed (apt-get install copyq) to compare with");
            continue;
        }
        const std::optional<CopyQRun> copyqRun = runCopyQ(entries);
        if (!copyqRun) {
            BenchmarkRun::fail(state, "copyq did not take or answer the items");
            return;
        }
        const double copyqStartMs = median(copyqRun->startMs);
        state.counters["copyq_start_ms"] = copyqStartMs;
        state.counters["copyq_pss_anon_mib"] = copyqRun->pssAnonMib;
        state.counters["copyq_disk_mb"] = copyqRun->diskMb;
        state.counters["start_ratio"] = startMs / copyqStartMs;
        state.counters["memory_ratio"] = withItems->pssAnonMib / copyqRun->pssAnonMib;
        state.counters["disk_ratio"] = disk / copyqRun->diskMb;
    }
}
BENCHMARK(BM_StartUpMemoryDisk)->Iterations(1)->Unit(benchmark::kSecond);

// A field of /proc/PID/status in MiB: VmRSS is the resident memory `ps -o rss` shows, VmHWM its peak so far.
double statusMib(qint64 pid, const QByteArray &field)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// The program with one 60 MB text in its history, as a person sees it: its resident memory when it says
// "running" (the history is loaded), the peak of its start, and its resident memory once it settled (the
// launcher made, the first search answered, what start-up freed given back). Each the median of three starts.
void BM_RunningWithOneLongText(benchmark::State &state)
{
    PrivateHome home;
    const QProcessEnvironment env = home.environment();
    const QByteArray text = MixedHistory::longProse();
    if (!MixedHistory::write(env.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/trevik.tavlen"),
                             {{ClipboardItemType::text, QString::fromUtf8(text)}})) {
        BenchmarkRun::fail(state, "could not write the history");
        return;
    }
    for (auto _ : state) {
        std::vector<double> atRunning, peak, settled;
        for (int i = 0; i < 3; ++i) {
            QProcess tavlen;
            QByteArray said;
            if (startTavlen(tavlen, env, &said) < 0) {
                BenchmarkRun::fail(state, "tavlen did not start (build the tavlen target)");
                stopProcess(tavlen);
                return;
            }
            atRunning.push_back(statusMib(tavlen.processId(), "VmRSS"));
            sleepSeconds(10);
            peak.push_back(statusMib(tavlen.processId(), "VmHWM"));
            settled.push_back(statusMib(tavlen.processId(), "VmRSS"));
            stopProcess(tavlen);
            // A copy left out of the history is said in a line of its own: then the text was never held.
            if (said.contains("left out")) {
                BenchmarkRun::fail(state, "tavlen left the long text out of its history");
                return;
            }
        }
        state.counters["text_mb"] = double(text.size()) / 1e6;
        state.counters["rss_at_running_mib"] = median(atRunning);
        state.counters["peak_rss_mib"] = median(peak);
        state.counters["rss_settled_mib"] = median(settled);
    }
}
BENCHMARK(BM_RunningWithOneLongText)->Iterations(1)->Unit(benchmark::kSecond);

void BM_MemoryAfterLargeSpellingCalls(benchmark::State &state)
{
    PrivateHome home;
    QProcess tavlen;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bool offered = startTavlen(tavlen, home.environment()) >= 0 && bus.interface();
    // The service is offered on the program's first turn of its event loop.
    for (int i = 0; offered && i < 100 && !bus.interface()->isServiceRegistered(LinuxTextServices::busName).value(); ++i)
        sleepSeconds(0.1);
    if (!offered || !bus.interface()->isServiceRegistered(LinuxTextServices::busName).value()) {
        BenchmarkRun::fail(state, "tavlen did not offer its spelling check on the session bus");
        stopProcess(tavlen);
        return;
    }
    sleepSeconds(2);
    const double before = pssAnonMib(tavlen.processId());
    QDBusMessage call = QDBusMessage::createMethodCall(LinuxTextServices::busName, LinuxTextServices::objectPath,
                                                       LinuxTextServices::interfaceName,
                                                       LinuxTextServices::checkSpellingMethod);
    call << QString(20'000'000, QLatin1Char('a'));
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            if (bus.call(call, QDBus::Block, 60000).errorName() != LinuxTextServices::refusedError) {
                BenchmarkRun::fail(state, "a call was not refused");
                stopProcess(tavlen);
                return;
            }
        }
        state.counters["pss_anon_after_mib"] = pssAnonMib(tavlen.processId());
        sleepSeconds(2);
        const double settled = pssAnonMib(tavlen.processId());
        state.counters["pss_anon_before_mib"] = before;
        state.counters["pss_anon_2s_later_mib"] = settled;
        state.counters["held_mib"] = settled - before;
    }
    stopProcess(tavlen);
}
BENCHMARK(BM_MemoryAfterLargeSpellingCalls)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
