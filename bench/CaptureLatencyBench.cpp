// Capture latency on the real X server: from the moment another client takes CLIPBOARD to the moment the
// copy is stored in the history, for 100 copies 0.1 s apart, each by a new owner window. Tavlen woken by
// XFixes selection events against the same road driven by the 0.16 s poll (what a server without XFixes
// leaves, and how every copy was found before). Needs a display: `make bench` runs inside scripts/test-env.
#include "BenchmarkRun.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/PasteboardManager.h"
#include "model/MainStoreContainer.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/SystemClock.h"
#include "XClipboardCopier.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <vector>

namespace {

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void runCaptureLatency(benchmark::State &state, LinuxPasteboard::ChangeSource source)
{
    constexpr int copies = 100;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        BenchmarkRun::fail(state, "no X display (run through scripts/test-env)");
        return;
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        SystemClock clock;
        ClipboardHistoryManager history(clock, &store);
        LinuxPasteboard pasteboard(nullptr, source);
        PasteboardManager manager(clock, pasteboard, nullptr);
        QObject::connect(&manager, &PasteboardManager::captured, &history, &ClipboardHistoryManager::ingest);
        QObject::connect(&manager, &PasteboardManager::captureReplaced, &history,
                         &ClipboardHistoryManager::replaceCapture);
        std::map<int, BenchClock::time_point> storedAt;
        QObject::connect(&history, &ClipboardHistoryManager::itemsChanged, [&] {
            if (history.items().isEmpty())
                return;
            const QString text = history.items().first().text();
            if (text.startsWith(QLatin1String("bench ")))
                storedAt.emplace(text.mid(6).toInt(), BenchClock::now());
        });
        history.start();
        manager.start();

        XClipboardCopier copier(copies, std::chrono::milliseconds(100));
        QDeadlineTimer deadline(copies * 100 + 5000);
        while (!copier.failed() && !(copier.finished() && int(storedAt.size()) >= copies) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (copier.failed()) {
            BenchmarkRun::fail(state, "the copier could not connect to the display");
            break;
        }
        const std::vector<BenchClock::time_point> taken = copier.takenAt();
        std::vector<double> latencies;
        for (const auto &[number, at] : storedAt) {
            if (number >= 1 && number <= int(taken.size()))
                latencies.push_back(std::chrono::duration<double, std::milli>(at - taken[size_t(number - 1)]).count());
        }
        manager.stop();
        // XFixes events see every copy; the poll sees the copies that still own the clipboard when it looks.
        const int needed = source == LinuxPasteboard::ChangeSource::selectionEvents ? copies : 1;
        if (int(latencies.size()) < needed) {
            BenchmarkRun::fail(state, std::to_string(latencies.size()) + " of " + std::to_string(copies) + " copies were stored");
            break;
        }
        state.SetIterationTime(double(copies) * 0.1);
        state.counters["kept"] = double(latencies.size());
        state.counters["of"] = copies;
        state.counters["median_ms"] = percentile(latencies, 0.5);
        state.counters["p90_ms"] = percentile(latencies, 0.9);
    }
}

void BM_CaptureLatency_SelectionEvents(benchmark::State &state)
{
    runCaptureLatency(state, LinuxPasteboard::ChangeSource::selectionEvents);
}
BENCHMARK(BM_CaptureLatency_SelectionEvents)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_CaptureLatency_Poll(benchmark::State &state)
{
    runCaptureLatency(state, LinuxPasteboard::ChangeSource::ownerWindow);
}
BENCHMARK(BM_CaptureLatency_Poll)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    // QClipboard needs the X11 platform, not the offscreen one the unit tests use.
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
