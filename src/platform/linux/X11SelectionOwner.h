#pragma once
// Holds an X11 selection on a session's connection and answers every reader from memory, byte for byte:
// TARGETS, TIMESTAMP and each offered target, large data in INCR chunks. Runs on the event loop; lets go
// of the data as soon as another client takes the selection.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>

#include <xcb/xcb.h>

#include <chrono>
#include <functional>

class XcbSession;

class X11SelectionOwner {
public:
    using Targets = QList<QPair<QByteArray, QByteArray>>; // (target name, bytes)

    // `served` hears of each reader handed data (not the target list or the time), once it is answered.
    X11SelectionOwner(XcbSession &session, xcb_atom_t selection,
                      std::function<void(xcb_window_t requestor)> served = {});
    ~X11SelectionOwner();
    X11SelectionOwner(const X11SelectionOwner &) = delete;
    X11SelectionOwner &operator=(const X11SelectionOwner &) = delete;

    // Takes the selection at server time `time` (it must not be older than the selection's last change:
    // the server then keeps the newer owner) and serves `targets`. False when the selection was not taken.
    bool own(Targets targets, xcb_timestamp_t time);
    // Gives the selection up while we own it: nothing is selected then.
    void disown();
    bool isOwner() const { return m_owning; }
    xcb_window_t window() const { return m_window; }
    // Data above this size goes in INCR chunks of this size.
    qsizetype chunkSize() const { return m_chunkSize; }

private:
    struct Transfer {
        xcb_window_t requestor;
        xcb_atom_t property;
        xcb_atom_t type;
        QByteArray data;
        qsizetype offset = 0;
        std::chrono::steady_clock::time_point lastActivity;
    };

    void handleEvent(const xcb_generic_event_t &event);
    void answer(const xcb_selection_request_event_t &request);
    // Writes the next INCR chunk once the reader deleted the last one; an empty chunk ends the transfer.
    void continueTransfer(xcb_window_t requestor, xcb_atom_t property);
    // Drops transfers whose reader stopped asking (it quit or gave up) a while ago.
    void dropStaleTransfers();
    void release();

    XcbSession &m_session;
    std::function<void(xcb_window_t requestor)> m_served;
    int m_handler = 0;
    xcb_atom_t m_selection;
    xcb_window_t m_window = 0;
    xcb_timestamp_t m_time = XCB_CURRENT_TIME;
    bool m_owning = false;
    qsizetype m_chunkSize = 256 * 1024;
    QHash<xcb_atom_t, QPair<xcb_atom_t, QByteArray>> m_data; // target -> (property type, bytes)
    QList<xcb_atom_t> m_targetList;
    QList<Transfer> m_transfers;
};
