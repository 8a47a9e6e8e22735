// A misbehaving clipboard owner for the capture tests, in raw xcb. It takes CLIPBOARD, answers TARGETS,
// and for each target either answers, answers with integers (INTEGER/32) whatever was asked, never answers,
// or quits on the spot; --hand-over-before TARGET answers TARGET only after a second window of its own took
// the clipboard (offering nothing), as an owner replaced by the next copy still answers what it was asked:
//   stalled_clipboard_owner [--answer TARGET=TEXT]... [--integer TARGET]... [--stall TARGET]...
//                           [--exit-on TARGET]... [--hand-over-before TARGET] [--clear-after-ms MS]
// Prints "ready" once it owns the clipboard; exits when another owner takes it. --clear-after-ms gives up
// the clipboard on purpose (owner None) that long after "ready", prints "cleared" and runs on.
#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

xcb_connection_t *connection;

xcb_atom_t intern(const std::string &name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.c_str()), nullptr);
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

} // namespace

int main(int argc, char **argv)
{
    std::map<std::string, std::string> answers;
    std::vector<std::string> integers;
    std::string handOverBefore;
    std::vector<std::string> stalls;
    std::vector<std::string> exits;
    int clearAfterMs = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--answer") {
            const auto equals = value.find('=');
            answers[value.substr(0, equals)] = equals == std::string::npos ? "" : value.substr(equals + 1);
        } else if (option == "--hand-over-before") {
            handOverBefore = value;
        } else if (option == "--integer") {
            integers.push_back(value);
        } else if (option == "--stall") {
            stalls.push_back(value);
        } else if (option == "--exit-on") {
            exits.push_back(value);
        } else if (option == "--clear-after-ms") {
            clearAfterMs = std::atoi(value.c_str());
        }
    }

    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "stalled_clipboard_owner: no display\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    // A real timestamp, taken from a property change on our own window.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(connection);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const bool found = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
        if (found)
            time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
        std::free(event);
        if (found)
            break;
    }

    const xcb_atom_t clipboard = intern("CLIPBOARD");
    const xcb_atom_t targetsAtom = intern("TARGETS");
    const xcb_atom_t atomType = XCB_ATOM_ATOM;
    std::map<xcb_atom_t, std::string> answerAtoms;
    std::vector<xcb_atom_t> integerAtoms;
    std::vector<xcb_atom_t> stallAtoms;
    std::vector<xcb_atom_t> exitAtoms;
    std::vector<xcb_atom_t> advertised{targetsAtom};
    for (const auto &[name, text] : answers) {
        answerAtoms[intern(name)] = text;
        advertised.push_back(intern(name));
    }
    for (const auto &name : integers) {
        integerAtoms.push_back(intern(name));
        advertised.push_back(integerAtoms.back());
    }
    for (const auto &name : stalls) {
        stallAtoms.push_back(intern(name));
        advertised.push_back(stallAtoms.back());
    }
    for (const auto &name : exits) {
        exitAtoms.push_back(intern(name));
        advertised.push_back(exitAtoms.back());
    }

    xcb_set_selection_owner(connection, window, clipboard, time);
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr);
    const bool owning = owner && owner->owner == window;
    std::free(owner);
    if (!owning) {
        std::fprintf(stderr, "stalled_clipboard_owner: could not take the clipboard\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    const xcb_atom_t handOverAtom = handOverBefore.empty() ? XCB_ATOM_NONE : intern(handOverBefore);
    xcb_window_t successor = XCB_NONE;

    // Answers one event; false once the program is to end (another owner took the clipboard).
    const auto handle = [&](xcb_generic_event_t *event) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR)
            return reinterpret_cast<xcb_selection_clear_event_t *>(event)->owner == window && successor != XCB_NONE;
        if (type == XCB_SELECTION_REQUEST) {
            const auto request = *reinterpret_cast<xcb_selection_request_event_t *>(event);
            const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
            if (request.owner == successor) {
                // The next copy holds nothing but its target list.
                if (request.target == targetsAtom)
                    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, atomType, 32,
                                        1, &targetsAtom);
                notify(request, request.target == targetsAtom ? property : XCB_ATOM_NONE);
                return true;
            }
            if (request.target == handOverAtom && successor == XCB_NONE) {
                successor = xcb_generate_id(connection);
                xcb_create_window(connection, XCB_COPY_FROM_PARENT, successor, screen->root, 0, 0, 1, 1, 0,
                                  XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
                xcb_set_selection_owner(connection, successor, clipboard, XCB_CURRENT_TIME);
                std::free(xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard),
                                                        nullptr)); // the change is made before we answer
            }
            if (request.target == targetsAtom) {
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, atomType, 32,
                                    uint32_t(advertised.size()), advertised.data());
                notify(request, property);
            } else if (answerAtoms.count(request.target)) {
                const std::string &text = answerAtoms[request.target];
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target,
                                    8, uint32_t(text.size()), text.data());
                notify(request, property);
            } else if (std::find(integerAtoms.begin(), integerAtoms.end(), request.target) != integerAtoms.end()) {
                const uint32_t numbers[] = {0x6c6c6548, 0x0000216f}; // "Hello!" when taken for bytes
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER,
                                    32, 2, numbers);
                notify(request, property);
            } else if (std::find(exitAtoms.begin(), exitAtoms.end(), request.target) != exitAtoms.end()) {
                std::printf("exiting\n");
                std::fflush(stdout);
                std::_Exit(0); // mid-read, without a word to the requestor
            } else if (std::find(stallAtoms.begin(), stallAtoms.end(), request.target) != stallAtoms.end()) {
                std::printf("stalling %u\n", request.target);
                std::fflush(stdout);
            } else {
                notify(request, XCB_ATOM_NONE);
            }
        }
        return true;
    };

    if (clearAfterMs >= 0) {
        const auto clearAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(clearAfterMs);
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        while (std::chrono::steady_clock::now() < clearAt) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(clearAt - std::chrono::steady_clock::now());
            ::poll(&fd, 1, int(std::max<long long>(1, left.count())));
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
                const bool goOn = handle(event);
                std::free(event);
                if (!goOn)
                    return 0;
            }
        }
        xcb_set_selection_owner(connection, XCB_NONE, clipboard, XCB_CURRENT_TIME);
        xcb_flush(connection);
        std::printf("cleared\n");
        std::fflush(stdout);
    }

    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const bool goOn = handle(event);
        std::free(event);
        if (!goOn)
            return 0;
    }
    return 0;
}
