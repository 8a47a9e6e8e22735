// What a copy costs while nobody looks at the launchers: the whole program on the real X server with its
// launchers collapsed on both monitors, 20 copies one second apart by another client, and the CPU time of
// all the program's threads (the scheduler's own accounting, the copier's thread left out) divided by the
// copies, with an empty history and with 5,000 items. Beside it the bare read of the same copies: the
// pasteboard reading each change, with no history and no panel. Needs a display: `make bench` runs inside
// scripts/test-env.
#include "BenchmarkRun.h"
#include "MixedHistory.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/PasteboardManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "model/MainStoreContainer.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimClock.h"
#include "XClipboardCopier.h"
#include "state/AppState.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QEventLoop>

#include <algorithm>
#include <ctime>
#include <functional>
#include <optional>

namespace {

constexpr int copies = 20;
constexpr int intervalMs = 1000;
// After the last copy: long enough for its pulse to end.
constexpr int afterLastCopyMs = 1500;

// CPU seconds of the whole process, its ended threads included.
double processCpu()
{
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
}

// CPU seconds of one living thread of this process.
double threadCpu(pid_t thread)
{
    QFile schedstat(QStringLiteral("/proc/self/task/%1/schedstat").arg(thread));
    if (!schedstat.open(QIODevice::ReadOnly))
        return 0;
    return schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
}

// Runs the event loop, checking `done` every 200 ms, until it answers true or the time runs out; the loop
// sleeps in between, so the waiting costs no CPU of its own.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QDeadlineTimer deadline(timeoutMs);
    bool finished = done();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        finished = done();
        if (finished || deadline.hasExpired())
            loop.quit();
    });
    if (!finished) {
        check.start(200);
        loop.exec();
    }
    return finished;
}

// Makes the copies while Qt events run, and answers the CPU milliseconds per copy of every thread but the
// copier's. Nothing is sampled meanwhile: the waiting itself must cost no CPU the program would not spend.
// `kept` answers how many of the copies arrived.
std::optional<double> cpuPerCopy(benchmark::State &state, const std::function<int()> &kept)
{
    XClipboardCopier copier(copies, std::chrono::milliseconds(intervalMs));
    runUntil([&] { return copier.threadId() != 0; }, 2000);
    const double processBefore = processCpu();
    const double copierBefore = threadCpu(copier.threadId());
    std::optional<QDeadlineTimer> settle;
    runUntil(
        [&] {
            if (!settle && copier.finished() && kept() >= copies)
                settle = QDeadlineTimer(afterLastCopyMs);
            return copier.failed() || (settle && settle->hasExpired());
        },
        copies * intervalMs + 10000);
    if (copier.failed()) {
        BenchmarkRun::fail(state, "the copier could not connect to the display");
        return std::nullopt;
    }
    const double cpu = (processCpu() - processBefore) - (threadCpu(copier.threadId()) - copierBefore);
    state.counters["kept"] = kept();
    state.counters["of"] = copies;
    if (kept() < copies) {
        BenchmarkRun::fail(state, "not every copy arrived");
        return std::nullopt;
    }
    return cpu * 1000 / copies;
}

// How many of the copier's texts are among `texts`.
int countCopies(const QSet<QString> &texts)
{
    int found = 0;
    for (int i = 1; i <= copies; ++i)
        found += texts.contains(QStringLiteral("bench %1").arg(i)) ? 1 : 0;
    return found;
}

double bareReadMs = 0;

void BM_CopyCost_BareRead(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        BenchmarkRun::fail(state, "no X display (run through scripts/test-env)");
        return;
    }
    for (auto _ : state) {
        SystemClock clock;
        LinuxPasteboard pasteboard;
        PasteboardManager manager(clock, pasteboard, nullptr);
        QSet<QString> read;
        QObject::connect(&manager, &PasteboardManager::captured,
                         [&](const ClipboardCapture &capture) { read.insert(capture.text); });
        manager.start();
        const std::optional<double> ms = cpuPerCopy(state, [&] { return countCopies(read); });
        manager.stop();
        if (!ms)
            return;
        bareReadMs = *ms;
        state.SetIterationTime(copies * intervalMs / 1000.0);
        state.counters["cpu_ms_per_copy"] = *ms;
    }
}
BENCHMARK(BM_CopyCost_BareRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// `count` text items of the last hours, newest first, in the store the program opens at start.
bool writeHistory(const QString &dataHome, int count)
{
    const QList<MixedHistory::Entry> texts = MixedHistory::texts(count, [](int i) {
        return QStringLiteral("Earlier copy number %1 with a link https://example.org/%1").arg(i);
    });
    return count == 0
        || MixedHistory::write(QDir(dataHome).filePath(QStringLiteral("trevik.tavlen")), texts,
                               MixedHistory::Payloads::none);
}

bool launchersCollapsed(AppDelegate &delegate)
{
    const auto windows = delegate.launcherService()->windows();
    return !windows.isEmpty()
        && std::none_of(windows.cbegin(), windows.cend(), [](NotchLauncherWindow *w) { return w->isExpanded(); });
}

void BM_CopyCost_CollapsedLaunchers(benchmark::State &state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        BenchmarkRun::fail(state, "no X display (run through scripts/test-env)");
        return;
    }
    const int items = int(state.range(0));
    for (auto _ : state) {
        // A private home: the program's store, settings and caches go there, not to the user's.
        QTemporaryDir home;
        for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QDir(home.path()).filePath(QString::fromLatin1(name)).toLocal8Bit());
        if (!writeHistory(qEnvironmentVariable("XDG_DATA_HOME"), items)) {
            BenchmarkRun::fail(state, "could not write the history");
            return;
        }
        LinuxPlatform platform;
        AppDelegate delegate(platform.platform(), LaunchOptions{});
        delegate.start();
        ClipboardHistoryManager &history = delegate.history();
        // Started and settled: the history loaded, the launchers built and collapsed, start-up work done.
        runUntil(
            [&] {
                return history.items().size() >= items && delegate.launcherService()
                    && !delegate.launcherService()->windows().isEmpty() && launchersCollapsed(delegate);
            },
            15000);
        runUntil([] { return false; }, 3000);

        const std::optional<double> ms = cpuPerCopy(state, [&] {
            QSet<QString> texts;
            for (const ClipboardItem &item : history.items().mid(0, copies + 2))
                texts.insert(item.text());
            return countCopies(texts);
        });
        const bool collapsed = launchersCollapsed(delegate);
        const auto launchers = delegate.launcherService()->windows().size();
        delegate.stop();
        if (!ms)
            return;
        if (!collapsed) {
            BenchmarkRun::fail(state, "a launcher expanded during the copies");
            return;
        }
        state.SetIterationTime(copies * intervalMs / 1000.0);
        state.counters["cpu_ms_per_copy"] = *ms;
        state.counters["launchers"] = double(launchers);
        if (bareReadMs > 0)
            state.counters["ratio_to_bare_read"] = *ms / bareReadMs;
    }
}
BENCHMARK(BM_CopyCost_CollapsedLaunchers)->Arg(0)->Arg(5000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    // The real program on the X server, not the offscreen platform the unit tests use.
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        LinuxPlatform::useX11Windows();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
