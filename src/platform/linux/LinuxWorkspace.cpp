#include "platform/linux/LinuxWorkspace.h"

#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// A zombie still answers kill(pid, 0); only its /proc state tells that it has ended.
bool processEnded(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && (line.at(close + 2) == 'Z' || line.at(close + 2) == 'X');
}

// The program's file name; comm would cut it at 15 bytes.
QString processName(qint64 pid)
{
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray program = cmdline.read(4096).split('\0').value(0);
        const QByteArray name = program.mid(program.lastIndexOf('/') + 1);
        if (!name.isEmpty())
            return QString::fromLocal8Bit(name);
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll().trimmed());
}

} // namespace

LinuxWorkspace::LinuxWorkspace(XcbSession &session, QObject *parent)
    : Workspace(parent)
    , m_session(&session)
{
    if (!m_session->isAvailable()) {
        qWarning("Workspace unavailable: %s", qPrintable(m_session->errorMessage()));
        return;
    }
    // Our own connection keeps its own event mask on the root, independent of Qt's; of the backends that
    // share it, only the workspace listens on the root.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_session->connection(), m_session->root(), XCB_CW_EVENT_MASK, &mask);
    m_eventHandler = m_session->addEventHandler([this](const xcb_generic_event_t &event) { handleEvent(event); });
    m_desktop = m_session->cardinal(m_session->root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL);
    if (const auto front = frontmostApplication()) {
        m_lastActivatedPid = front->pid;
        m_lastActivatedWindow = xcb_window_t(front->window);
    }
    m_session->flush();
}

LinuxWorkspace::~LinuxWorkspace()
{
    if (m_eventHandler)
        m_session->removeEventHandler(m_eventHandler);
}

bool LinuxWorkspace::isAvailable() const
{
    return m_session->isAvailable();
}

RunningApplication LinuxWorkspace::currentApplication() const
{
    RunningApplication app;
    app.pid = QCoreApplication::applicationPid();
    app.name = QCoreApplication::applicationName();
    app.applicationId = app.name;
    app.isRegular = false;
    return app;
}

RunningApplication LinuxWorkspace::describe(xcb_window_t window) const
{
    RunningApplication app;
    app.window = window;
    app.pid = m_session->windowPid(window);
    const auto [instance, klass] = m_session->windowClass(window);
    // The application id is the WM_CLASS class (else its instance): no desktop file id is looked up.
    app.applicationId = klass.isEmpty() ? instance : klass;
    app.name = app.applicationId;
    if (app.name.isEmpty() && app.pid > 0)
        app.name = processName(app.pid);

    // A window without a type is a normal one (a transient one would be a dialog of a regular app).
    const QList<xcb_atom_t> types = m_session->windowTypes(window);
    const xcb_atom_t special[] = {
        m_session->atom("_NET_WM_WINDOW_TYPE_DOCK"),    m_session->atom("_NET_WM_WINDOW_TYPE_DESKTOP"),
        m_session->atom("_NET_WM_WINDOW_TYPE_SPLASH"),  m_session->atom("_NET_WM_WINDOW_TYPE_NOTIFICATION"),
        m_session->atom("_NET_WM_WINDOW_TYPE_TOOLBAR"), m_session->atom("_NET_WM_WINDOW_TYPE_MENU"),
    };
    bool regular = true;
    for (xcb_atom_t type : types) {
        for (xcb_atom_t s : special) {
            if (type == s)
                regular = false;
        }
    }
    app.isRegular = regular && app.pid != QCoreApplication::applicationPid();
    return app;
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication() const
{
    if (!isAvailable())
        return std::nullopt;
    const xcb_window_t window = m_session->activeWindow();
    if (!window || !m_session->windowExists(window))
        return std::nullopt;
    return describe(window);
}

ClipboardOwner LinuxWorkspace::clipboardOwner() const
{
    if (!isAvailable())
        return {};
    xcb_connection_t *c = m_session->connection();
    const XcbReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_session->atom("CLIPBOARD")), nullptr));
    const xcb_window_t owner = reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
    if (owner == XCB_WINDOW_NONE)
        return {};
    const XcbSession::Client client = m_session->windowClient(owner);
    ClipboardOwner result{client.id, std::nullopt};
    // Without a process the client's slot could be another program's next time: asked each time.
    if (client.pid <= 0) {
        result.application = ownerApplication(owner, 0);
        return result;
    }
    const QPair<quint32, qint64> key{client.id, client.pid};
    if (const auto known = m_ownerApplications.constFind(key); known != m_ownerApplications.cend()) {
        result.application = *known;
        return result;
    }
    // A loop of short-lived owners brings a new client each copy: what is kept stays small.
    if (m_ownerApplications.size() >= 64)
        m_ownerApplications.clear();
    result.application = ownerApplication(owner, client.pid);
    m_ownerApplications.insert(key, result.application);
    return result;
}

std::optional<RunningApplication> LinuxWorkspace::ownerApplication(xcb_window_t owner, qint64 pid) const
{
    // Toolkits own selections with hidden windows; the group's leader window names the application.
    const xcb_window_t candidates[] = {owner,
                                       m_session->cardinal(owner, "WM_CLIENT_LEADER", XCB_ATOM_WINDOW).value_or(0)};
    for (const xcb_window_t window : candidates) {
        if (window == XCB_WINDOW_NONE)
            continue;
        const RunningApplication app = describe(window);
        if (app.pid > 0 || !app.applicationId.isEmpty())
            return app;
    }
    // Bare selection windows (Qt's, a plain xcb program's) say nothing about themselves, but the server
    // knows which process made the window. A program that forked away from its connection (xclip) is
    // past telling: that process has ended.
    if (pid <= 0 || processEnded(pid))
        return std::nullopt;
    const QList<xcb_window_t> windows = m_session->clientList();
    const qsizetype found = m_session->windowPids(windows).indexOf(pid);
    if (found >= 0)
        return describe(windows.at(found));
    RunningApplication app;
    app.pid = pid;
    app.window = owner;
    app.name = processName(pid);
    app.applicationId = app.name;
    app.isRegular = false;
    return app;
}

QList<RunningApplication> LinuxWorkspace::runningApplications() const
{
    QList<RunningApplication> apps;
    if (!isAvailable())
        return apps;
    const QList<xcb_window_t> windows = m_session->clientList();
    for (xcb_window_t window : windows) {
        RunningApplication app = describe(window);
        const bool known = std::any_of(apps.cbegin(), apps.cend(), [&](const RunningApplication &a) {
            return a.isSameApplication(app);
        });
        if (!known)
            apps.append(app);
    }
    return apps;
}

xcb_window_t LinuxWorkspace::windowFor(const RunningApplication &app) const
{
    // Prefer the remembered window; when it is gone, any managed window of the same process will do.
    const QList<xcb_window_t> windows = m_session->clientList();
    if (app.window && windows.contains(xcb_window_t(app.window)))
        return xcb_window_t(app.window);
    if (app.pid > 0) {
        for (xcb_window_t window : windows) {
            if (m_session->windowPid(window) == app.pid)
                return window;
        }
    }
    return 0;
}

bool LinuxWorkspace::activate(const RunningApplication &app)
{
    if (!isAvailable() || !app.isValid() || isTerminated(app))
        return false;
    const xcb_window_t window = windowFor(app);
    if (!window)
        return false;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_session->atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // source: a pager, so the window manager does not second-guess it
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = 0;
    xcb_send_event(m_session->connection(), 0, m_session->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    m_session->flush();
    return true;
}

bool LinuxWorkspace::isActive(const RunningApplication &app) const
{
    const auto front = frontmostApplication();
    return front && front->isSameApplication(app);
}

bool LinuxWorkspace::isTerminated(const RunningApplication &app) const
{
    if (app.pid > 0)
        return processEnded(app.pid);
    // Without a pid the window is all we know of the application.
    return !isAvailable() || !m_session->windowExists(xcb_window_t(app.window));
}

void LinuxWorkspace::handleEvent(const xcb_generic_event_t &event)
{
    if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return;
    const auto &notify = reinterpret_cast<const xcb_property_notify_event_t &>(event);
    if (notify.window != m_session->root())
        return;
    if (notify.atom == m_session->atom("_NET_ACTIVE_WINDOW"))
        activeWindowChanged();
    else if (notify.atom == m_session->atom("_NET_CURRENT_DESKTOP"))
        desktopChanged();
}

void LinuxWorkspace::activeWindowChanged()
{
    // During a desktop switch the active window is 0 for a moment: that activates nobody.
    const auto front = frontmostApplication();
    if (!front)
        return;
    const bool same = front->pid > 0 ? front->pid == m_lastActivatedPid : front->window == m_lastActivatedWindow;
    m_lastActivatedPid = front->pid;
    m_lastActivatedWindow = xcb_window_t(front->window);
    if (!same)
        Q_EMIT applicationActivated(*front);
}

void LinuxWorkspace::desktopChanged()
{
    // The window manager may set the same desktop again: only a new number is a change.
    const auto desktop = m_session->cardinal(m_session->root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL);
    if (desktop == m_desktop)
        return;
    m_desktop = desktop;
    Q_EMIT currentDesktopChanged();
}
