// The history against plain baselines on the same data, in one run: search over 5,000 items against a
// memmem loop over the same prepared texts, start-up loading against a raw SQLite read of the same rows,
// and storing a 1 KB text and a 20 MB PNG against writing the same bytes to a file.
#include "BenchmarkRun.h"
#include "MixedHistory.h"

#include "clipboard/ClipboardFilterMatcher.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/ClipboardSearchIndex.h"
#include "model/MainStoreContainer.h"
#include "platform/sim/SimClock.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <functional>
#include <cstring>

namespace {

using BenchClock = std::chrono::steady_clock;

double secondsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

const QString kWords[] = {"clipboard", "zażółć", "gęślą", "jaźń", "Straße", "naïve", "café", "日本語", "emoji 🎉",
                          "report", "meeting", "invoice", "release", "Ünïcödé", "über", "smörgåsbord"};

QString randomText(QRandomGenerator &random, int length)
{
    QString out;
    out.reserve(length + 16);
    while (out.size() < length) {
        out += kWords[random.bounded(int(std::size(kWords)))];
        out += random.bounded(8) == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    out.truncate(length);
    return out;
}

QByteArray tinyPng(int seed)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(QRgb(0xff000000u | quint32(seed * 2654435761u))));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// 5,000 captures: mostly texts of 20-20,000 characters, with links, file lists and images among them.
QList<ClipboardCapture> generatedCaptures()
{
    QRandomGenerator random(42);
    QList<ClipboardCapture> captures;
    for (int i = 0; i < ClipboardHistoryManager::maximumItemCount; ++i) {
        ClipboardCapture capture;
        capture.changeCount = i;
        switch (i % 10) {
        case 0:
            capture.type = ClipboardItemType::url;
            capture.text = QStringLiteral("https://example.org/%1/%2").arg(randomText(random, 20).simplified()).arg(i);
            break;
        case 1:
            capture.type = ClipboardItemType::file;
            capture.filePaths = {QStringLiteral("/home/user/Documents/raport-%1.pdf").arg(i),
                                 QStringLiteral("/home/user/Pictures/zdjęcie-%1.jpg").arg(i)};
            capture.fileName = QStringLiteral("raport-%1.pdf").arg(i);
            break;
        case 2:
            capture.type = ClipboardItemType::image;
            capture.imageData = tinyPng(i);
            break;
        default: {
            capture.type = ClipboardItemType::text;
            // Lengths spread over 20-20,000 with many short ones, as real copies are.
            const int length = 20 + int(std::pow(random.generateDouble(), 3) * 19980);
            capture.text = randomText(random, length) + QString::number(i);
        }
        }
        const QByteArray bytes = capture.type == ClipboardItemType::image ? capture.imageData : capture.text.toUtf8();
        capture.payload.items.append(PasteboardPayloadItem{{{capture.type == ClipboardItemType::image
                                                                 ? QStringLiteral("image/png")
                                                                 : QStringLiteral("text/plain;charset=utf-8"),
                                                             bytes, bytes.size(), std::nullopt}}});
        captures.append(capture);
    }
    return captures;
}

QList<ClipboardItem> generatedItems()
{
    static const QList<ClipboardItem> items = [] {
        SimClock clock;
        ClipboardHistoryManager manager(clock, nullptr);
        QList<ClipboardItem> out;
        for (const ClipboardCapture &capture : generatedCaptures()) {
            out.prepend(manager.makeItem(capture));
            clock.advance(1);
        }
        return out;
    }();
    return items;
}

// `expectsMatches`: whether the query is in the history at all. Every item differs from the others, so the
// search finds what the baseline finds (of texts alone, with the filter): a search that found otherwise
// measured something else.
void runSearch(benchmark::State &state, const QList<ClipboardItem> &items, const QString &query, bool withFilter,
               bool expectsMatches)
{
    ClipboardSearchIndex index;
    index.reset(items);
    std::vector<QByteArray> baselineTexts;
    qsizetype baselineFilteredFound = 0;
    const QByteArray needle = ClipboardSearchIndex::normalizedQuery(query);
    for (const ClipboardItem &item : items) {
        baselineTexts.push_back(ClipboardSearchIndex::searchableText(item));
        const QByteArray &text = baselineTexts.back();
        if (item.type() == ClipboardItemType::text
            && ::memmem(text.constData(), size_t(text.size()), needle.constData(), size_t(needle.size())))
            ++baselineFilteredFound;
    }
    std::shared_ptr<const ClipboardFilterMatcher> filter;
    if (withFilter)
        filter = std::make_shared<const ClipboardFilterMatcher>(ClipboardFilter::builtIn(FilterType::text));
    index.waitForIdle(); // the index is built on first use, before any search

    double ours = 0, baseline = 0;
    qsizetype found = 0;
    size_t baselineFound = 0;
    for (auto _ : state) {
        // The index's own thread, the hop there and back included.
        auto start = BenchClock::now();
        const auto matches = index.search(items, filter, query, false, ClipboardHistoryManager::maximumItemCount).result();
        ours += secondsSince(start);
        found = matches.size();
        benchmark::DoNotOptimize(matches);

        start = BenchClock::now();
        baselineFound = 0;
        for (const QByteArray &text : baselineTexts)
            if (::memmem(text.constData(), size_t(text.size()), needle.constData(), size_t(needle.size())))
                ++baselineFound;
        baseline += secondsSince(start);
        benchmark::DoNotOptimize(baselineFound);
    }
    if ((found > 0) != expectsMatches || found != (withFilter ? baselineFilteredFound : qsizetype(baselineFound))) {
        BenchmarkRun::fail(state, "found " + std::to_string(found) + " items, the baseline " + std::to_string(baselineFound));
        return;
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1000;
    state.counters["memmem_ms"] = baseline / n * 1000;
    state.counters["ratio"] = ours / baseline;
    state.counters["matches"] = double(found);
    state.counters["baseline_matches"] = double(baselineFound);
    qint64 bytes = 0;
    for (const auto &text : baselineTexts)
        bytes += text.size();
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_SearchRare(benchmark::State &state) { runSearch(state, generatedItems(), QStringLiteral("  ŻÓŁĆ GĘŚ "), false, true); }
void BM_SearchAbsent(benchmark::State &state)
{
    runSearch(state, generatedItems(), QStringLiteral("nothing-matches-this"), false, false);
}
void BM_SearchCommonWithTextFilter(benchmark::State &state)
{
    runSearch(state, generatedItems(), QStringLiteral("café"), true, true);
}
// A short word of two-case letters in the history people keep, capitals among its copies.
void BM_SearchShortWordInMixedHistory(benchmark::State &state)
{
    runSearch(state, MixedHistory::items(MixedHistory::entries()), QStringLiteral("łódź"), false, true);
}
BENCHMARK(BM_SearchRare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchAbsent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchCommonWithTextFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchShortWordInMixedHistory)->Unit(benchmark::kMillisecond);

// The whole round trip of the manager's search: the hop to the index thread and back included.
void BM_SearchThroughManager(benchmark::State &state)
{
    SimClock clock;
    ClipboardHistoryManager manager(clock, nullptr);
    for (const ClipboardCapture &capture : generatedCaptures()) {
        manager.ingest(capture);
        clock.advance(1);
    }
    manager.searchIndex().waitForIdle();
    for (auto _ : state) {
        const auto task = manager.searchItems(std::nullopt, QStringLiteral("żółć gęś"), false, 5000);
        while (!task.isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const auto found = task.result();
        if (!found || !*found || (*found)->isEmpty()) {
            BenchmarkRun::fail(state, "the search found nothing");
            break;
        }
    }
}
BENCHMARK(BM_SearchThroughManager)->Unit(benchmark::kMillisecond);

struct StoredHistory {
    QTemporaryDir dir;
    StoredHistory()
    {
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        store.save(generatedItems(), {});
    }
};

StoredHistory &storedHistory()
{
    static StoredHistory history;
    return history;
}

void BM_LoadHistory(benchmark::State &state)
{
    MainStoreContainer container(storedHistory().dir.path());
    ClipboardItemStore store(container);
    double ours = 0, baseline = 0;
    qsizetype loaded = 0, rawRows = 0;
    for (auto _ : state) {
        auto start = BenchClock::now();
        const QList<ClipboardItem> items = store.fetchAll();
        ours += secondsSince(start);
        loaded = items.size();

        start = BenchClock::now();
        QSqlQuery query(container.database());
        query.setForwardOnly(true);
        query.exec(QStringLiteral("SELECT * FROM ClipboardItem ORDER BY date DESC"));
        const int columns = 25;
        rawRows = 0;
        std::vector<QVariant> row(columns);
        while (query.next()) {
            for (int c = 0; c < columns; ++c)
                row[size_t(c)] = query.value(c);
            ++rawRows;
        }
        baseline += secondsSince(start);
        benchmark::DoNotOptimize(row);
    }
    const qsizetype stored = generatedItems().size();
    if (loaded != stored || rawRows != stored) {
        BenchmarkRun::fail(state, "loaded " + std::to_string(loaded) + " and read " + std::to_string(rawRows) + " of "
                                      + std::to_string(stored) + " items");
        return;
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1000;
    state.counters["raw_sql_ms"] = baseline / n * 1000;
    state.counters["ratio"] = ours / baseline;
    state.counters["items"] = double(loaded);
    state.counters["raw_rows"] = double(rawRows);
}
BENCHMARK(BM_LoadHistory)->Unit(benchmark::kMillisecond);

// Start-up as the application does it: open the store, fetch, prune, start the clean-up loop.
void BM_StartHistory(benchmark::State &state)
{
    const QString folder = storedHistory().dir.path();
    for (auto _ : state) {
        MainStoreContainer container(folder);
        ClipboardItemStore store(container);
        SimClock clock;
        clock.setWallClock(generatedItems().first().date());
        ClipboardHistoryManager manager(clock, &store);
        manager.start();
        if (manager.items().size() != generatedItems().size()) {
            BenchmarkRun::fail(state, "started with " + std::to_string(manager.items().size()) + " items");
            break;
        }
    }
}
BENCHMARK(BM_StartHistory)->Unit(benchmark::kMillisecond);

QByteArray bigPng()
{
    // Noise does not compress: about 20 MB of PNG.
    QImage image(2600, 2000, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.width());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return bytes;
}

// `make(round)` gives a capture that differs from the one before, so none is dropped as a duplicate.
void runIngest(benchmark::State &state, const std::function<ClipboardCapture(int)> &make)
{
    QTemporaryDir dir;
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    SimClock clock;
    ClipboardHistoryManager manager(clock, &store);
    manager.start();
    const QString baselinePath = QDir(dir.path()).filePath(QStringLiteral("baseline.bin"));
    double ours = 0, baseline = 0;
    qsizetype byteCount = 0;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const ClipboardCapture capture = make(++round);
        const QByteArray bytes = capture.type == ClipboardItemType::image ? capture.imageData : capture.text.toUtf8();
        byteCount = bytes.size();
        state.ResumeTiming();

        auto start = BenchClock::now();
        const auto item = manager.ingest(capture);
        ours += secondsSince(start);
        if (!item) {
            BenchmarkRun::fail(state, "capture was dropped");
            break;
        }

        start = BenchClock::now();
        QFile file(baselinePath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.close();
        baseline += secondsSince(start);

        state.PauseTiming();
        if (item && capture.type == ClipboardItemType::image)
            manager.deleteItems({*item}); // keeps the disk from filling up with 40 MB per round
        clock.advance(1);
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = ours / n * 1000;
    state.counters["file_write_ms"] = baseline / n * 1000;
    state.counters["ratio"] = ours / baseline;
    state.counters["bytes"] = double(byteCount);
}

void BM_IngestText1K(benchmark::State &state)
{
    QRandomGenerator random(3);
    const QString text = randomText(random, 1000);
    runIngest(state, [text](int round) {
        ClipboardCapture capture;
        capture.type = ClipboardItemType::text;
        capture.text = text + QStringLiteral("%1").arg(round, 24, 10, QLatin1Char('0'));
        const QByteArray bytes = capture.text.toUtf8();
        capture.payload.items.append(PasteboardPayloadItem{{{"text/plain;charset=utf-8", bytes, bytes.size(), std::nullopt}}});
        return capture;
    });
}
BENCHMARK(BM_IngestText1K)->Unit(benchmark::kMillisecond)->Iterations(2000);

void BM_IngestPng20M(benchmark::State &state)
{
    static const QByteArray png = bigPng();
    runIngest(state, [](int round) {
        ClipboardCapture capture;
        capture.type = ClipboardItemType::image;
        capture.imageData = png;
        capture.imageData[capture.imageData.size() / 2] = char(round);
        capture.payload.items.append(
            PasteboardPayloadItem{{{"image/png", capture.imageData, capture.imageData.size(), std::nullopt}}});
        return capture;
    });
}
BENCHMARK(BM_IngestPng20M)->Unit(benchmark::kMillisecond)->Iterations(12);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
