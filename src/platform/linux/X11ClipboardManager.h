#pragma once
// The session's clipboard manager role: owns the CLIPBOARD_MANAGER selection, so that applications that
// quit while they own CLIPBOARD hand their content over (they ask the manager to convert SAVE_TARGETS and
// wait until it answers). Whoever takes a request answers it with finish() once the content is safe.
// When another program already is the clipboard manager, this stays inactive and leaves the job to it.

#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

#include <functional>
#include <optional>

class XcbSession;

class X11ClipboardManager {
public:
    struct SaveRequest {
        xcb_window_t requestor = 0;
        xcb_atom_t property = XCB_ATOM_NONE;
        xcb_timestamp_t time = XCB_CURRENT_TIME;
        QList<QByteArray> targets; // the targets the application asks to keep; empty: all it offers
    };
    using SaveHandler = std::function<void(const SaveRequest &)>;

    X11ClipboardManager(XcbSession &session, SaveHandler onSave);
    ~X11ClipboardManager();
    X11ClipboardManager(const X11ClipboardManager &) = delete;
    X11ClipboardManager &operator=(const X11ClipboardManager &) = delete;

    bool isActive() const { return m_active; }
    // Tells the application whether its content was taken over; it quits then. One request at a time:
    // another one that comes meanwhile is refused.
    void finish(const SaveRequest &request, bool saved);

private:
    void handleEvent(const xcb_generic_event_t &event);
    void answer(const xcb_selection_request_event_t &request);
    void notify(const xcb_selection_request_event_t &request, xcb_atom_t property);
    QList<QByteArray> requestedTargets(xcb_window_t requestor, xcb_atom_t property);

    XcbSession &m_session;
    SaveHandler m_onSave;
    int m_handler = 0;
    xcb_window_t m_window = 0;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    xcb_atom_t m_saveTargets = XCB_ATOM_NONE;
    bool m_active = false;
    std::optional<xcb_selection_request_event_t> m_pending;
};
