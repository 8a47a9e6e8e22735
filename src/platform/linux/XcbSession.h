#pragma once
// A private connection to the X server for one backend, with cached atoms, an event pump on the Qt
// event loop and the EWMH reads the backends share. Without a display it reports why and stays idle.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <xcb/xcb.h>

#include <functional>
#include <optional>

class QSocketNotifier;

class XcbSession : public QObject {
    Q_OBJECT
public:
    using EventHandler = std::function<void(const xcb_generic_event_t &)>;

    explicit XcbSession(QObject *parent = nullptr);
    ~XcbSession() override;

    bool isAvailable() const { return m_connection != nullptr; }
    // Why the display could not be reached (empty when it was).
    QString errorMessage() const { return m_error; }

    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char *name);
    // Every event read on the connection goes to each handler; the id withdraws one.
    int addEventHandler(EventHandler handler);
    void removeEventHandler(int id);
    // Sends buffered requests, then hands queued events to the handlers.
    void flush();
    // Reading a reply can pull events into xcb's queue without waking the socket notifier: call after
    // reading replies so that those events are handed on at the next turn of the event loop.
    void scheduleDispatch();

    // Raw property bytes (at most maxBytes), or none when the window or property does not exist.
    std::optional<QByteArray> property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                       quint32 maxBytes = 65536);
    std::optional<quint32> cardinal(xcb_window_t window, const char *property, xcb_atom_t type);
    QList<quint32> cardinals(xcb_window_t window, const char *property, xcb_atom_t type);

    // EWMH reads. activeWindow() is 0 when no window is active or no window manager runs.
    bool hasWindowManager();
    xcb_window_t activeWindow();
    QList<xcb_window_t> clientList();
    qint64 windowPid(xcb_window_t window);
    // _NET_WM_PID of each window (0 where unset), asked all at once: one round trip for the lot.
    QList<qint64> windowPids(const QList<xcb_window_t> &windows);
    // The client that made a window: its resource base, and its process as the server knows it (X-Resource;
    // 0 for a remote client or a server without the extension).
    struct Client {
        quint32 id = 0;
        qint64 pid = 0;
    };
    Client windowClient(xcb_window_t window);
    // WM_CLASS as (instance, class).
    QPair<QString, QString> windowClass(xcb_window_t window);
    QList<xcb_atom_t> windowTypes(xcb_window_t window);
    bool windowExists(xcb_window_t window);

private:
    void dispatchQueued();
    // Hands out the events xcb holds; with `readSocket`, those waiting on the socket too.
    void dispatch(bool readSocket);

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    QString m_error;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    std::vector<std::pair<int, EventHandler>> m_handlers;
    int m_nextHandlerId = 1;
    int m_dispatchDepth = 0;
    QSocketNotifier *m_notifier = nullptr;
    bool m_dispatchScheduled = false;
};
