// What the history costs in memory, on disk and on the main thread, each beside a plain baseline:
//   - PSS after loading and showing 5,000 items of which 500 are images (thumbnails made for every image),
//     beside the same 5,000 items without images;
//   - disk taken by 5,000 texts of 1 KB and by one 20 MB PNG, beside the bytes copied;
//   - private memory (Pss_Anon) and disk for the mixed history people keep (MixedHistory.h), beside the
//     size of its texts;
//   - one 60 MB text, or a hand-made cell declaring 2 GiB: the peak memory of start-up and what it holds;
//   - a 20 MB PNG copied: the longest the main thread was kept busy at a stretch while it was captured and
//     stored (a frame is 16 ms), and the memory it still holds one second later.
#include "BenchmarkRun.h"
#include "MixedHistory.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/ClipboardThumbnailCache.h"
#include "clipboard/PasteboardManager.h"
#include "model/ClipboardFilter.h"
#include "model/MainStoreContainer.h"
#include "platform/FreedMemory.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimPasteboard.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>
#include <sys/stat.h>
#include <time.h>

#include <functional>

namespace {

// A line of this process's memory summary in bytes: "Pss" (proportional set size) or "Pss_Anon" (private
// memory, what the heap holds).
double smapsBytes(const QByteArray &field)
{
    QFile file(QStringLiteral("/proc/self/smaps_rollup"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = field + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() * 1024;
    }
    return 0;
}

double pssBytes() { return smapsBytes("Pss"); }

double threadCpuSeconds()
{
    timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

// Bytes the folder takes on disk (allocated blocks), and how many files it holds.
std::pair<double, int> diskUsage(const QString &folder)
{
    double bytes = 0;
    int files = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        struct stat info {};
        if (::stat(QFile::encodeName(it.next()).constData(), &info) == 0) {
            bytes += double(info.st_blocks) * 512;
            ++files;
        }
    }
    return {bytes, files};
}

QByteArray noisePng(int width, int height, quint32 seed)
{
    // Noise does not compress: the PNG is about as large as the pixels.
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.width());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return bytes;
}

QString text1K(int round)
{
    QString text = QStringLiteral("copy %1 ").arg(round);
    while (text.size() < 1024)
        text += QStringLiteral("lorem ipsum dolor sit amet ");
    text.truncate(1024);
    return text;
}

ClipboardCapture textCapture(int round)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::text;
    capture.text = text1K(round);
    const QByteArray bytes = capture.text.toUtf8();
    capture.payload.items.append(PasteboardPayloadItem{{{PasteboardType::plainText, bytes, bytes.size(), std::nullopt}}});
    capture.changeCount = round;
    return capture;
}

ClipboardCapture imageCapture(const QByteArray &png, int round)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::image;
    capture.imageData = png;
    capture.payload.items.append(PasteboardPayloadItem{{{PasteboardType::png, png, png.size(), std::nullopt}}});
    capture.changeCount = round;
    return capture;
}

// A history of `count` items in `folder`, every tenth an image when `withImages`; how many it holds then.
qsizetype fillHistory(const QString &folder, int count, bool withImages)
{
    MainStoreContainer container(folder);
    ClipboardItemStore store(container);
    SimClock clock;
    ClipboardHistoryManager history(clock, &store);
    history.start();
    for (int i = 0; i < count; ++i) {
        clock.advance(1);
        if (withImages && i % 10 == 0)
            history.ingest(imageCapture(noisePng(240, 240, quint32(i)), i)); // about 230 KB each
        else
            history.ingest(textCapture(i));
    }
    return history.items().size();
}

void BM_PssAfterShowing5000Items(benchmark::State &state)
{
    const bool withImages = state.range(0) != 0;
    QTemporaryDir dir;
    if (fillHistory(dir.path(), 5000, withImages) != 5000) {
        BenchmarkRun::fail(state, "the history did not take 5,000 items");
        return;
    }
    for (auto _ : state) {
        // What filling the store freed goes back first, or the history would grow into it unseen.
        FreedMemory::release();
        const double before = pssBytes();
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        SimClock clock;
        ClipboardHistoryManager history(clock, &store);
        history.start();
        // Showing: the list searched as the panel does, and a thumbnail for every image row.
        const auto search = history.searchItems(std::nullopt, QString(), false, 5000);
        QDeadlineTimer deadline(60000);
        while (!search.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ClipboardThumbnailCache thumbnails(4 * 1024 * 1024);
        for (const ClipboardItem &item : history.items()) {
            if (item.type() == ClipboardItemType::image)
                thumbnails.request(item.id(), item.imageBlob());
        }
        thumbnails.waitForIdle();
        // The search makes a thumbnail for every image it presents; wait until they are all there.
        const auto presentedThumbnails = [&history] {
            int count = 0;
            for (const ClipboardSearchPresentation &presentation : history.searchPresentations())
                count += presentation.thumbnail.isNull() ? 0 : 1;
            return count;
        };
        const int images = withImages ? 500 : 0;
        QDeadlineTimer thumbnailsDone(30000);
        while (presentedThumbnails() < images && !thumbnailsDone.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!search.isFinished() || history.items().size() != 5000 || presentedThumbnails() < images) {
            BenchmarkRun::fail(state, "showed " + std::to_string(history.items().size()) + " items and "
                                          + std::to_string(presentedThumbnails()) + " thumbnails");
            break;
        }
        state.counters["search_thumbnails"] = presentedThumbnails();
        FreedMemory::release(); // as the program does once start-up's work is done
        state.counters["pss_mb"] = (pssBytes() - before) / 1e6;
        state.counters["items"] = double(history.items().size());
    }
}
BENCHMARK(BM_PssAfterShowing5000Items)->Arg(0)->Arg(1)->ArgName("images")->Iterations(1)->Unit(benchmark::kSecond);

void BM_DiskFor5000Texts(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        if (fillHistory(dir.path(), 5000, false) != 5000) {
            BenchmarkRun::fail(state, "the history did not take 5,000 items");
            break;
        }
        const auto [bytes, files] = diskUsage(dir.path());
        state.counters["disk_mb"] = bytes / 1e6;
        state.counters["copied_mb"] = 5000 * 1024 / 1e6;
        state.counters["files"] = files;
    }
}
BENCHMARK(BM_DiskFor5000Texts)->Iterations(1)->Unit(benchmark::kSecond);

// The mixed history loaded as at start-up, its search index built and searched: the private memory it
// holds beside the size of its texts.
void BM_MemoryForMixedHistory(benchmark::State &state)
{
    const QList<MixedHistory::Entry> entries = MixedHistory::entries();
    const double textBytes = double(MixedHistory::utf8Bytes(entries));
    QTemporaryDir dir;
    if (!MixedHistory::write(dir.path(), entries)) {
        BenchmarkRun::fail(state, "could not write the history");
        return;
    }
    for (auto _ : state) {
        ::malloc_trim(0); // what writing the history freed is not there to be reused unseen
        const double before = smapsBytes("Pss_Anon");
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        SimClock clock;
        ClipboardHistoryManager history(clock, &store);
        history.start();
        // A capital in the texts, a lowercase query: found only when case folding works.
        const auto search = history.searchItems(std::nullopt, QStringLiteral("łódź"), false, 5000);
        QDeadlineTimer deadline(60000);
        while (!search.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const double held = smapsBytes("Pss_Anon") - before;
        const auto found = search.result(); // none while running, an empty inner one when refused
        const qsizetype hits = found && *found ? (*found)->size() : 0;
        state.counters["items"] = double(history.items().size());
        state.counters["hits"] = double(hits);
        state.counters["pss_anon_mib"] = held / (1024 * 1024);
        state.counters["text_mb"] = textBytes / 1e6;
        state.counters["ratio_to_text"] = held / textBytes;
        if (history.items().size() != entries.size() || hits == 0)
            BenchmarkRun::fail(state, "the history was not loaded and searched");
    }
}
BENCHMARK(BM_MemoryForMixedHistory)->Iterations(1)->Unit(benchmark::kSecond);

// The most this process held resident since resetPeak(), in bytes.
double peakResidentBytes()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024;
    }
    return 0;
}

double residentBytes() { return smapsBytes("Rss"); }

void resetPeak()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly))
        file.write("5");
}

// A hand-made compressed cell: a frame that declares `declared` bytes and unpacks `blocks` blocks of 128 KB
// of one byte each, four bytes a block.
QByteArray handMadeFrame(quint64 declared, int blocks)
{
    QByteArray frame("\x28\xb5\x2f\xfd", 4);
    frame.append(char(0xe0)); // one segment, an eight-byte content size
    for (int i = 0; i < 8; ++i)
        frame.append(char((declared >> (8 * i)) & 0xff));
    for (int i = 0; i < blocks; ++i) {
        const quint32 header = (quint32(128 * 1024) << 3) | (1u << 1) | (i == blocks - 1 ? 1u : 0u);
        frame.append(char(header & 0xff)).append(char((header >> 8) & 0xff)).append(char((header >> 16) & 0xff));
        frame.append('x');
    }
    return frame;
}

// Start-up with one long text in the history: the history's own share of the peak resident memory while it
// loads and builds its search index (the peak above what this process held before), and the private memory
// held once start-up is done, each beside the text. The running program's own figures, as a person sees them,
// are ProgramBench's RunningWithOneLongText. Arg 0: a 60 MB text of prose; 1: an 8 KB cell made by hand that
// declares 2 GiB, beside one short text.
void BM_StartWithOneLongText(benchmark::State &state)
{
    const bool handMade = state.range(0) != 0;
    QRandomGenerator random(60);
    const QByteArray utf8 = handMade ? MixedHistory::prose(random, 4000).toUtf8() : MixedHistory::longProse();
    const QString text = QString::fromUtf8(utf8);
    QTemporaryDir dir;
    QList<MixedHistory::Entry> entries{{ClipboardItemType::text, text}};
    if (handMade)
        entries.prepend({ClipboardItemType::text, QStringLiteral("kept")});
    if (!MixedHistory::write(dir.path(), entries)) {
        BenchmarkRun::fail(state, "could not write the history");
        return;
    }
    if (handMade) {
        MainStoreContainer container(dir.path());
        QSqlQuery query(container.database());
        query.prepare(QStringLiteral("UPDATE ClipboardItem SET compressedText = ? WHERE compressedText IS NOT NULL"));
        query.addBindValue(handMadeFrame(1ull << 31, 2048));
        if (!query.exec() || query.numRowsAffected() != 1) {
            BenchmarkRun::fail(state, "could not put the hand-made cell in place");
            return;
        }
    }
    const QString word = handMade ? QStringLiteral("kept") : QStringLiteral("łódź");
    for (auto _ : state) {
        FreedMemory::release();
        const double before = residentBytes();
        const double anonBefore = smapsBytes("Pss_Anon");
        resetPeak();
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        SimClock clock;
        ClipboardHistoryManager history(clock, &store);
        history.start();
        const auto search = history.searchItems(std::nullopt, word, false, 10);
        QDeadlineTimer deadline(120000);
        while (!search.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const auto found = search.result();
        const qsizetype hits = found && *found ? (*found)->size() : 0;
        const double peak = peakResidentBytes() - before;
        FreedMemory::release();
        const double held = smapsBytes("Pss_Anon") - anonBefore;
        const qsizetype loaded = history.items().isEmpty() ? 0 : history.items().first().textUtf8().size();
        state.counters["items"] = double(history.items().size());
        state.counters["hits"] = double(hits);
        state.counters["text_mb"] = double(handMade ? loaded : utf8.size()) / 1e6;
        state.counters["peak_mib"] = peak / (1024 * 1024);
        state.counters["held_mib"] = held / (1024 * 1024);
        if (history.items().size() != 1 || hits != 1 || (!handMade && loaded != utf8.size()))
            BenchmarkRun::fail(state, "the history was not loaded and searched");
    }
}
BENCHMARK(BM_StartWithOneLongText)->Arg(0)->Arg(1)->ArgName("hand_made")->Iterations(1)->Unit(benchmark::kSecond);

void BM_DiskForMixedHistory(benchmark::State &state)
{
    const QList<MixedHistory::Entry> entries = MixedHistory::entries();
    const double textBytes = double(MixedHistory::utf8Bytes(entries));
    for (auto _ : state) {
        QTemporaryDir dir;
        if (!MixedHistory::write(dir.path(), entries)) {
            BenchmarkRun::fail(state, "could not write the history");
            return;
        }
        const auto [bytes, files] = diskUsage(dir.path());
        state.counters["disk_mb"] = bytes / 1e6;
        state.counters["text_mb"] = textBytes / 1e6;
        state.counters["ratio_to_text"] = bytes / textBytes;
        state.counters["files"] = files;
    }
}
BENCHMARK(BM_DiskForMixedHistory)->Iterations(1)->Unit(benchmark::kSecond);

QByteArray png20M()
{
    static const QByteArray png = noisePng(2600, 2000, 7);
    return png;
}

void BM_DiskForOnePng20M(benchmark::State &state)
{
    const QByteArray png = png20M();
    for (auto _ : state) {
        QTemporaryDir dir;
        {
            MainStoreContainer container(dir.path());
            ClipboardItemStore store(container);
            SimClock clock;
            ClipboardHistoryManager history(clock, &store);
            history.start();
            if (!history.ingest(imageCapture(png, 1))) {
                BenchmarkRun::fail(state, "the image was not stored");
                break;
            }
        }
        const auto [bytes, files] = diskUsage(dir.path());
        state.counters["disk_mb"] = bytes / 1e6;
        state.counters["copied_mb"] = png.size() / 1e6;
        state.counters["files"] = files;
    }
}
BENCHMARK(BM_DiskForOnePng20M)->Iterations(1)->Unit(benchmark::kSecond);

// The road of a copy from the pasteboard to the stored item, on the real clock and worker threads.
void BM_CapturePng20M(benchmark::State &state)
{
    const QByteArray png = png20M();
    for (auto _ : state) {
        QTemporaryDir dir;
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        SystemClock clock;
        ClipboardHistoryManager history(clock, &store);
        SimPasteboard pasteboard(clock);
        pasteboard.setNotifiesChanges(true);
        PasteboardManager manager(clock, pasteboard, nullptr);
        QObject::connect(&manager, &PasteboardManager::captured, &history, &ClipboardHistoryManager::ingest);
        manager.stageCapture = [&store](ClipboardCapture &capture) { store.stage(capture); };
        history.start();
        manager.start();

        // The longest gap between two turns of the event loop while the copy is taken.
        // Wall time between ticks counts what other processes took too on a busy machine; the main thread's
        // own CPU time between ticks is what the capture made it do.
        QElapsedTimer sinceTick;
        sinceTick.start();
        qint64 longestGap = 0;
        double cpuAtTick = threadCpuSeconds();
        double longestBusy = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
            sinceTick.restart();
            const double cpu = threadCpuSeconds();
            longestBusy = std::max(longestBusy, cpu - cpuAtTick);
            cpuAtTick = cpu;
        });
        ticker.start(1);
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double pssBefore = pssBytes();
        longestGap = 0;
        longestBusy = 0;
        sinceTick.restart();
        cpuAtTick = threadCpuSeconds();
        QElapsedTimer total;
        total.start();
        pasteboard.copy({{{PasteboardType::png, png}}});
        QDeadlineTimer deadline(30000);
        while (history.items().isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double stored = double(total.nsecsElapsed()) / 1e6;
        if (history.items().isEmpty() || history.items().first().type() != ClipboardItemType::image) {
            manager.stop();
            BenchmarkRun::fail(state, "the copied image was not stored");
            break;
        }
        wait.restart();
        while (wait.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double gap = double(longestGap) / 1e6;
        state.counters["stored_after_ms"] = stored;
        state.counters["longest_main_thread_gap_ms"] = gap;
        state.counters["longest_main_thread_busy_ms"] = longestBusy * 1000;
        state.counters["held_after_1s_mb"] = (pssBytes() - pssBefore) / 1e6;
        state.counters["png_mb"] = png.size() / 1e6;

        manager.stop();
    }
}
BENCHMARK(BM_CapturePng20M)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
