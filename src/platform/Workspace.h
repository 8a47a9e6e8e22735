#pragma once
// The running applications of the desktop: which one is in front, bringing one to the front, and the
// notifications that an application was activated or the current virtual desktop (workspace) changed.

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <optional>

// One running application as seen at a moment; a plain value that may outlive the process it names.
struct RunningApplication {
    qint64 pid = 0;
    // The application id: on Linux the WM_CLASS class of its window, or the process name where no window tells.
    QString applicationId;
    QString name;
    // True for an ordinary application with a normal managed window; false for docks, desktops, panels
    // and for this program itself.
    bool isRegular = false;
    // A window of the application, used to activate it; opaque outside the backend (0 = none known).
    quint64 window = 0;

    bool isValid() const { return pid > 0 || window != 0; }
    // The same process (or, without a pid, the same window).
    bool isSameApplication(const RunningApplication &other) const
    {
        if (pid > 0 || other.pid > 0)
            return pid == other.pid;
        return window != 0 && window == other.window;
    }
    friend bool operator==(const RunningApplication &, const RunningApplication &) = default;
};
Q_DECLARE_METATYPE(RunningApplication)

// The clipboard's owner: the client (connection to the display) holding it and, where its window or a
// live process tells, its application. A program that forked away from its connection (xclip) has no
// application, and a loop of such programs is a new client for each copy.
struct ClipboardOwner {
    quint64 client = 0; // 0: nobody holds the clipboard
    std::optional<RunningApplication> application;
};

class Workspace : public QObject {
    Q_OBJECT
public:
    // False when there is no desktop to ask (no display); every answer is then empty or false.
    virtual bool isAvailable() const = 0;

    // This program itself, so that callers can look for "another application".
    virtual RunningApplication currentApplication() const = 0;
    bool isCurrentApplication(const RunningApplication &app) const
    {
        return app.isSameApplication(currentApplication());
    }

    // The application owning the active window, if any.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // Who holds the clipboard's content, as the display server tells it.
    virtual ClipboardOwner clipboardOwner() const { return {}; }
    // Applications with at least one managed window, in the window manager's order.
    virtual QList<RunningApplication> runningApplications() const = 0;
    std::optional<RunningApplication> application(qint64 pid) const;

    // Asks the window manager to bring the application's window to the front and focus it. The answer
    // says whether the request could be sent, not that it already took effect: poll isActive().
    virtual bool activate(const RunningApplication &app) = 0;
    virtual bool isActive(const RunningApplication &app) const = 0;
    virtual bool isTerminated(const RunningApplication &app) const = 0;

Q_SIGNALS:
    // Another application became the frontmost one (not emitted for the same one twice in a row).
    void applicationActivated(const RunningApplication &app);
    // The current desktop changed (emitted once per change).
    void currentDesktopChanged();

protected:
    using QObject::QObject;
};
