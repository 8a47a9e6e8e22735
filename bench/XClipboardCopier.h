#pragma once
// A second X client for the benchmarks that copy: on a thread of its own it takes CLIPBOARD with a new
// window every `interval` and serves "bench <i>" as UTF8_STRING, noting when each copy was made.

#include <xcb/xcb.h>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/syscall.h>
#include <unistd.h>

using BenchClock = std::chrono::steady_clock;

class XClipboardCopier {
public:
    XClipboardCopier(int count, std::chrono::milliseconds interval)
        : m_count(count)
        , m_interval(interval)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~XClipboardCopier()
    {
        m_stop = true;
        m_thread.join();
    }
    bool failed() const { return m_failed; }
    // The copier's own thread, so a measurement of the process can leave it out; 0 until it runs.
    pid_t threadId() const { return m_threadId; }
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
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    void run()
    {
        m_threadId = pid_t(::syscall(SYS_gettid));
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
    std::atomic<pid_t> m_threadId = 0;
    std::mutex m_mutex;
    std::vector<BenchClock::time_point> m_takenAt;
};

