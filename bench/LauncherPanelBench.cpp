// The launcher panel against plain baselines in one run: painting one frame of the expanded panel with 8
// rows and thumbnails against painting the same rows' titles alone with QPainter; a keystroke in the search
// field with 5,000 items (search plus list update) against the history search alone; opening the panel
// (view model, view and first frame) with 5,000 items against 50, and opening a collapsed one that a copy
// made stale; a frame of the logo's pulse on a collapsed launcher, its rectangle repainted against the
// whole view repainted.
#include "BenchmarkRun.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/NotchLauncherGeometry.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "platform/sim/SimPlatform.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"
#include "ui/FontTable.h"
#include "ui/FrameTicker.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <memory>

namespace {

QByteArray photo(int seed)
{
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed * 37 % 360, 160, 220));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A desktop with a history of `count` items: every third one an image when `images`.
struct Desk {
    SimPlatform sim;
    std::unique_ptr<AppState> appState = std::make_unique<AppState>(sim.platform());
    std::unique_ptr<ClipboardHistoryManager> history = std::make_unique<ClipboardHistoryManager>(sim.clock, nullptr);

    explicit Desk(int count, bool images = false)
    {
        for (int i = count - 1; i >= 0; --i) {
            ClipboardItem item(QUuid::createUuid());
            if (images && i % 3 == 0 && i < 24) {
                item.setTypeRawValue(QStringLiteral("image"));
                item.setImageData(photo(i));
            } else {
                item.setTypeRawValue(QStringLiteral("text"));
                item.setText(QStringLiteral("Copied text number %1 — meeting notes, zażółć gęślą jaźń %2").arg(i).arg(i * 7));
            }
            item.setDate(sim.clock.now().addSecs(-i * 60));
            history->handleItemInserted(item);
        }
        history->searchIndex().waitForIdle();
    }

    void settle(NotchLauncherView &view)
    {
        for (int i = 0; i < 6; ++i) {
            history->searchIndex().waitForIdle();
            view.thumbnails().waitForIdle();
            QCoreApplication::processEvents();
        }
    }
};

void expand(NotchLauncherViewModel &model)
{
    model.setRealNotchBarHeight(24);
    model.setExpandedHeaderWidth(441.688 - 42.688); // as the window writes it for this width
    model.setIsExpanded(true);
    model.setIsListSettled(true);
}

void BM_PanelFrame8RowsWithThumbnails(benchmark::State &state)
{
    Desk desk(8, true);
    NotchLauncherViewModel model;
    expand(model);
    NotchLauncherView view(desk.sim.platform(), model, desk.appState.get(), desk.history.get());
    view.resize(442, 560);
    view.goOnScreen();
    desk.settle(view);
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.render(&frame, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(frame.constBits());
    }
    // Eight rows, three of them with their coloured thumbnail (the panel itself is grey).
    int coloured = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            coloured += frame.pixelColor(x, y).hsvSaturation() > 120 ? 1 : 0;
    state.counters["coloured_px"] = coloured;
    if (view.displayedClipboardItems().size() != 8 || coloured < 3 * 400)
        BenchmarkRun::fail(state, "drew " + std::to_string(view.displayedClipboardItems().size()) + " rows and "
                                      + std::to_string(coloured) + " thumbnail pixels");
}
BENCHMARK(BM_PanelFrame8RowsWithThumbnails)->Unit(benchmark::kMicrosecond);

// The baseline: the same 8 titles, one line each, in the same font.
void BM_PlainTextRows(benchmark::State &state)
{
    Desk desk(8, true);
    QImage frame(442, 560, QImage::Format_ARGB32_Premultiplied);
    const QFont font = FontTable::systemFont(12, QFont::Medium);
    for (auto _ : state) {
        frame.fill(Qt::black);
        QPainter painter(&frame);
        painter.setFont(font);
        painter.setPen(Qt::white);
        double y = 48;
        for (const ClipboardItem &item : desk.history->items()) {
            painter.drawText(QRectF(90, y, 300, 64), Qt::AlignVCenter | Qt::TextSingleLine, item.displayTitle());
            y += 64;
        }
        painter.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
    if (desk.history->items().size() != 8)
        BenchmarkRun::fail(state, "drew " + std::to_string(desk.history->items().size()) + " titles");
}
BENCHMARK(BM_PlainTextRows)->Unit(benchmark::kMicrosecond);

// Each finds items: a query that finds nothing times no list update.
const QString kQueries[] = {QStringLiteral("meeting"), QStringLiteral("number 4"), QStringLiteral("jaźń 12")};

void BM_KeystrokeWith5000Items(benchmark::State &state)
{
    Desk desk(5000);
    NotchLauncherViewModel model;
    expand(model);
    NotchLauncherView view(desk.sim.platform(), model, desk.appState.get(), desk.history.get());
    view.resize(442, 560);
    view.goOnScreen();
    desk.settle(view);
    int i = 0;
    for (auto _ : state) {
        view.setClipboardSearchQuery(kQueries[i++ % 3]);
        while (view.isSearchRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (view.displayedClipboardItems().isEmpty()) {
            BenchmarkRun::fail(state, "the search showed no items");
            break;
        }
    }
}
BENCHMARK(BM_KeystrokeWith5000Items)->Unit(benchmark::kMillisecond);

// The baseline: the history search for the same queries, through the same hop to the index thread.
void BM_HistorySearchWith5000Items(benchmark::State &state)
{
    Desk desk(5000);
    int i = 0;
    for (auto _ : state) {
        const auto task = desk.history->searchItems(std::nullopt, kQueries[i++ % 3], false, 5000);
        while (!task.isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const auto found = task.result();
        if (!found || !*found || (*found)->isEmpty()) {
            BenchmarkRun::fail(state, "the search found nothing");
            break;
        }
    }
}
BENCHMARK(BM_HistorySearchWith5000Items)->Unit(benchmark::kMillisecond);

// Opening: a new view model and view over the history, its first search and its first frame.
void BM_OpenPanel(benchmark::State &state)
{
    Desk desk(int(state.range(0)));
    QImage frame(442, 560, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        NotchLauncherViewModel model;
        expand(model);
        NotchLauncherView view(desk.sim.platform(), model, desk.appState.get(), desk.history.get());
        view.resize(442, 560);
        view.goOnScreen();
        while (view.isSearchRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        view.render(&frame, QPoint(), QRegion(), QWidget::DrawChildren);
        if (view.displayedClipboardItems().size() != desk.history->items().size()) {
            BenchmarkRun::fail(state, "the panel opened with " + std::to_string(view.displayedClipboardItems().size())
                                          + " of " + std::to_string(desk.history->items().size()) + " items");
            break;
        }
    }
}
BENCHMARK(BM_OpenPanel)->Arg(50)->Arg(5000)->Unit(benchmark::kMillisecond);

// Opening a collapsed panel that a copy made stale (its list is caught up as it opens): the relist and the
// first frame, with 5,000 items.
void BM_ExpandAfterACopyWith5000Items(benchmark::State &state)
{
    Desk desk(5000);
    NotchLauncherViewModel model;
    model.setRealNotchBarHeight(24);
    NotchLauncherView view(desk.sim.platform(), model, desk.appState.get(), desk.history.get());
    view.resize(442, 560);
    view.goOnScreen();
    desk.settle(view);
    QImage frame(442, 560, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        model.setIsExpanded(false);
        model.setIsListSettled(false);
        // The oldest item copied again: it moves to the top, the history keeps its size.
        desk.history->handleItemInserted(desk.history->items().last());
        desk.history->searchIndex().waitForIdle();
        const QUuid newest = desk.history->items().first().id();
        state.ResumeTiming();
        expand(model);
        while (view.isSearchRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        view.render(&frame, QPoint(), QRegion(), QWidget::DrawChildren);
        if (view.displayedClipboardItems().size() != desk.history->items().size()
            || view.displayedClipboardItems().first().id() != newest) {
            BenchmarkRun::fail(state, "the panel opened without the newest copy first");
            break;
        }
    }
}
BENCHMARK(BM_ExpandAfterACopyWith5000Items)->Unit(benchmark::kMillisecond);

// Counts the paints a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A frame of the pulse every copy starts, on a collapsed launcher shown on the screen: the clock moves a
// frame on, the view repaints `region` (the logo's rectangle, or everything) and Qt flushes it.
void pulseFrames(benchmark::State &state, bool whole)
{
    Desk desk(0);
    NotchLauncherViewModel model;
    NotchLauncherView view(desk.sim.platform(), model, desk.appState.get(), desk.history.get());
    view.resize(int(NotchLauncherGeometry::noNotchWidth), int(NotchLauncherGeometry::referenceNotchHeight));
    view.show();
    desk.settle(view);
    PaintCounter counter;
    view.installEventFilter(&counter);
    int frames = 0;
    for (auto _ : state) {
        if (!view.isClipboardPulseActive())
            desk.appState->runtime()->raiseClipboardPulse();
        desk.sim.clock.advance(FrameTicker::frameInterval);
        if (whole)
            view.repaint();
        else
            view.repaint(view.logoRect());
        ++frames;
    }
    // It drew every frame, and turned the logo.
    if (counter.paints < frames || view.clipboardLogoRotation() < 360)
        BenchmarkRun::fail(state, "the view did not draw the pulse");
    state.counters["logo_renders"] = view.logoCache().renderCount();
}

void BM_PulseFrameLogoOnly(benchmark::State &state)
{
    pulseFrames(state, false);
}
BENCHMARK(BM_PulseFrameLogoOnly)->Unit(benchmark::kMicrosecond);

// The baseline: the same frames with the whole view repainted.
void BM_PulseFrameWholeView(benchmark::State &state)
{
    pulseFrames(state, true);
}
BENCHMARK(BM_PulseFrameWholeView)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // Frames are measured offscreen, where every repaint is drawn at once; on the test desktop's X server a
    // repaint waits for its window to be exposed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
