// Copies in quick succession, each by a new owner window, as a user copying in one application after
// another does (or, with --one-window 1, all by one window, as a program rewriting the clipboard in a loop
// does), and reports how soon each copy was read:
//   clipboard_copier [--count N] [--interval-ms MS] [--then-count N --then-interval-ms MS] [--prefix TEXT]
//                    [--linger-ms MS] [--one-window 1] [--steady 1]
// (--then-count: that many more copies at the other interval after the first ones). Each copy is made an
// interval after the one before; with --steady 1, an interval after the one before was due, so that copies
// a little late keep their rate (a copy held up longer than an interval starts the beat again).
// Copy i holds "<prefix><i>" (from 1) as UTF8_STRING. Prints "copy i" when it takes CLIPBOARD,
// "read i TARGET MICROSECONDS" for every request of a copy (time since it took CLIPBOARD), "done" after the
// last copy. Keeps serving the last copy until it loses CLIPBOARD and, with --linger-ms, for that long after
// the last copy, otherwise until stdin closes.
#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t *connection;
xcb_window_t root;

xcb_atom_t intern(const char *name)
{
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return atom;
}

void notify(const xcb_selection_request_event_t &request, xcb_atom_t property)
{
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    xcb_flush(connection);
}

struct Copy {
    int number;
    std::string text;
    Clock::time_point takenAt;
};

} // namespace

int main(int argc, char **argv)
{
    int count = 1;
    int intervalMs = 100;
    int thenCount = 0;
    int thenIntervalMs = 100;
    std::string prefix = "copy ";
    int lingerMs = -1;
    bool oneWindow = false;
    bool steady = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--count")
            count = std::atoi(argv[i + 1]);
        else if (option == "--interval-ms")
            intervalMs = std::atoi(argv[i + 1]);
        else if (option == "--then-count")
            thenCount = std::atoi(argv[i + 1]);
        else if (option == "--then-interval-ms")
            thenIntervalMs = std::atoi(argv[i + 1]);
        else if (option == "--prefix")
            prefix = argv[i + 1];
        else if (option == "--linger-ms")
            lingerMs = std::atoi(argv[i + 1]);
        else if (option == "--one-window")
            oneWindow = std::atoi(argv[i + 1]) != 0;
        else if (option == "--steady")
            steady = std::atoi(argv[i + 1]) != 0;
    }
    const int firstCount = count;
    count += thenCount;

    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "clipboard_copier: no display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t clipboard = intern("CLIPBOARD");
    const xcb_atom_t targets = intern("TARGETS");
    const xcb_atom_t timestamp = intern("TIMESTAMP");
    const xcb_atom_t utf8 = intern("UTF8_STRING");
    const xcb_atom_t textPlain = intern("text/plain;charset=utf-8");
    std::map<xcb_atom_t, std::string> names{{targets, "TARGETS"}, {timestamp, "TIMESTAMP"}, {utf8, "UTF8_STRING"},
                                            {textPlain, "text/plain;charset=utf-8"}};

    std::map<xcb_window_t, Copy> copies; // by owner window, until it loses CLIPBOARD
    xcb_timestamp_t lastTime = XCB_CURRENT_TIME;
    int made = 0;
    bool stdinOpen = lingerMs < 0;
    Clock::time_point next = Clock::now();
    Clock::time_point lastTakenAt = next;

    // Answers one event; true once the work is over.
    const auto handle = [&](xcb_generic_event_t *event) -> bool {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR) {
            const auto *clear = reinterpret_cast<xcb_selection_clear_event_t *>(event);
            copies.erase(clear->owner);
            xcb_destroy_window(connection, clear->owner);
            xcb_flush(connection);
            if (made == count && copies.empty())
                return true; // someone else took CLIPBOARD after the last copy
        } else if (type == XCB_SELECTION_REQUEST) {
            const auto request = *reinterpret_cast<xcb_selection_request_event_t *>(event);
            const auto found = copies.find(request.owner);
            const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
            if (found == copies.end()) {
                notify(request, XCB_ATOM_NONE);
            } else {
                const Copy &copy = found->second;
                const auto micros
                    = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - copy.takenAt).count();
                const auto name = names.find(request.target);
                std::printf("read %d %s %lld\n", copy.number, name == names.end() ? "other" : name->second.c_str(),
                            static_cast<long long>(micros));
                std::fflush(stdout);
                if (request.target == targets) {
                    const xcb_atom_t list[] = {targets, timestamp, utf8, textPlain};
                    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                        XCB_ATOM_ATOM, 32, 4, list);
                    notify(request, property);
                } else if (request.target == utf8 || request.target == textPlain) {
                    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                        request.target, 8, uint32_t(copy.text.size()), copy.text.data());
                    notify(request, property);
                } else {
                    notify(request, XCB_ATOM_NONE);
                }
            }
        }
        return false;
    };

    for (;;) {
        if (made < count && Clock::now() >= next) {
            const bool reuse = oneWindow && !copies.empty();
            const xcb_window_t window = reuse ? copies.begin()->first : xcb_generate_id(connection);
            const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            if (!reuse)
                xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0,
                                  XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
            // A real timestamp, from a property change on the new window.
            xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
            xcb_flush(connection);
            while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
                const uint8_t type = event->response_type & 0x7f;
                const bool ours = type == XCB_PROPERTY_NOTIFY
                    && reinterpret_cast<xcb_property_notify_event_t *>(event)->window == window;
                if (ours)
                    lastTime = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
                // Requests for the previous copy are answered by the next one: it is gone then. One window
                // answers them at once, with what it holds.
                if (!ours && reuse)
                    handle(event);
                std::free(event);
                if (ours)
                    break;
            }
            ++made;
            const Copy copy{made, prefix + std::to_string(made), Clock::now()};
            xcb_set_selection_owner(connection, window, clipboard, lastTime);
            xcb_flush(connection);
            copies[window] = copy;
            std::printf("copy %d\n", made);
            if (made == count)
                std::printf("done\n");
            std::fflush(stdout);
            lastTakenAt = copy.takenAt;
            const std::chrono::milliseconds step(made < firstCount ? intervalMs : thenIntervalMs);
            next = (steady ? std::max(next, copy.takenAt - step) : copy.takenAt) + step;
        }

        pollfd fds[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {0, POLLIN, 0}};
        if (made == count && lingerMs >= 0 && Clock::now() >= lastTakenAt + std::chrono::milliseconds(lingerMs))
            break;
        int timeout = -1;
        if (made < count)
            timeout = int(std::max<long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count()));
        else if (lingerMs >= 0)
            timeout = 10;
        ::poll(fds, stdinOpen ? 2 : 1, timeout);
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            if (::read(0, buffer, sizeof buffer) <= 0)
                break;
        }
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const bool over = handle(event);
            std::free(event);
            if (over)
                return 0;
        }
        if (xcb_connection_has_error(connection))
            return 1;
    }
    return 0;
}
