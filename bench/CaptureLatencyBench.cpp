// Capture latency on the real X server: from the moment another client takes CLIPBOARD to the moment the
// copy is stored in the history, for 100 copies 0.1 s apart, each by a new owner window. Tavlen woken by
// XFixes selection events against the same road driven by the 0.16 s poll (what a server without XFixes
// leaves, and how every copy was found before). Needs a display: `make bench` runs inside scripts/test-env.
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/PasteboardManager.h"
#include "model/SwiftDataContainer.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/SystemClock.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using BenchClock = std::chrono::steady_clock;

// Another X client on a thread of its own: takes CLIPBOARD with a new window every `interval` and serves
// "bench <i>" as UTF8_STRING, noting when each copy was made.
class Copier {
public:
    Copier(int count, std::chrono::milliseconds interval)
        : m_count(count)
        , m_interval(interval)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~Copier()
    {
        m_stop = true;
        m_thread.join();
    }
    bool failed() const { return m_failed; }
    bool finished() const { return m_made == m_count; }
    std::vector<BenchClock::time_point> takenAt()
    {
        std::lock_guard lock(m_mutex);
        return m_takenAt;
    }

private:
    xcb_atom_t intern(xcb_connection_t *c, const char *name)
    {
        xcb_intern_atom_reply_t *reply
            = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
        std::free(reply);
        return atom;
    }

    void run()
    {
        xcb_connection_t *c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) {
            m_failed = true;
            xcb_disconnect(c);
            return;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const xcb_atom_t clipboard = intern(c, "CLIPBOARD");
        const xcb_atom_t targets = intern(c, "TARGETS");
        const xcb_atom_t utf8 = intern(c, "UTF8_STRING");
        std::map<xcb_window_t, std::string> texts;
        BenchClock::time_point next = BenchClock::now() + m_interval;
        while (!m_stop) {
            if (m_made < m_count && BenchClock::now() >= next) {
                const xcb_window_t window = xcb_generate_id(c);
                const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                                  XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
                texts[window] = "bench " + std::to_string(m_made.load() + 1);
                {
                    std::lock_guard lock(m_mutex);
                    m_takenAt.push_back(BenchClock::now());
                }
                xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
                xcb_flush(c);
                ++m_made;
                next += m_interval;
            }
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&fd, 1, 2);
            while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
                const uint8_t type = event->response_type & 0x7f;
                if (type == XCB_SELECTION_CLEAR) {
                    const auto *clear = reinterpret_cast<xcb_selection_clear_event_t *>(event);
                    texts.erase(clear->owner);
                    xcb_destroy_window(c, clear->owner);
                } else if (type == XCB_SELECTION_REQUEST) {
                    const auto request = *reinterpret_cast<xcb_selection_request_event_t *>(event);
                    const auto found = texts.find(request.owner);
                    xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
                    if (found != texts.end() && request.target == targets) {
                        const xcb_atom_t list[] = {targets, utf8};
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                                            2, list);
                    } else if (found != texts.end() && request.target == utf8) {
                        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, utf8, 8,
                                            uint32_t(found->second.size()), found->second.data());
                    } else {
                        property = XCB_ATOM_NONE;
                    }
                    xcb_selection_notify_event_t notify{};
                    notify.response_type = XCB_SELECTION_NOTIFY;
                    notify.time = request.time;
                    notify.requestor = request.requestor;
                    notify.selection = request.selection;
                    notify.target = request.target;
                    notify.property = property;
                    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                                   reinterpret_cast<const char *>(&notify));
                }
                std::free(event);
            }
            xcb_flush(c);
        }
        xcb_disconnect(c);
    }

    const int m_count;
    const std::chrono::milliseconds m_interval;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_failed = false;
    std::atomic<int> m_made = 0;
    std::mutex m_mutex;
    std::vector<BenchClock::time_point> m_takenAt;
};

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
        state.SkipWithError("no X display (run through scripts/test-env)");
        return;
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        SwiftDataContainer container(dir.path());
        ClipboardItemStore store(container);
        SystemClock clock;
        ClipboardHistoryManager history(clock, &store);
        LinuxPasteboard pasteboard(nullptr, source);
        PasteboardManager manager(clock, pasteboard, nullptr);
        manager.onCapture = [&](const ClipboardCapture &capture) { history.ingest(capture); };
        manager.onCaptureReplaced = [&](const ClipboardCapture &capture) { history.replaceCapture(capture); };
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

        Copier copier(copies, std::chrono::milliseconds(100));
        QDeadlineTimer deadline(copies * 100 + 5000);
        while (!copier.failed() && !(copier.finished() && int(storedAt.size()) >= copies) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (copier.failed()) {
            state.SkipWithError("the copier could not connect to the display");
            return;
        }
        const std::vector<BenchClock::time_point> taken = copier.takenAt();
        std::vector<double> latencies;
        for (const auto &[number, at] : storedAt) {
            if (number >= 1 && number <= int(taken.size()))
                latencies.push_back(std::chrono::duration<double, std::milli>(at - taken[size_t(number - 1)]).count());
        }
        manager.stop();
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
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
