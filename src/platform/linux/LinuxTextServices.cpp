#include "platform/linux/LinuxTextServices.h"

#include "platform/linux/LinuxSpellingBusObject.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFile>

#include <dbus/dbus.h>

#include <cmath>
#include <limits>
#include <unistd.h>

namespace {

// Resumes the awaiting task when the call has an answer (or has timed out).
class PendingCallAwaiter : public CancellableAwaiter {
public:
    explicit PendingCallAwaiter(const QDBusPendingCall &call)
        : m_watcher(std::make_unique<QDBusPendingCallWatcher>(call))
    {
    }
    bool await_ready() const noexcept { return m_watcher->isFinished(); }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h)
    {
        if (!attach(h))
            return false;
        QObject::connect(m_watcher.get(), &QDBusPendingCallWatcher::finished, m_watcher.get(),
                         [resume = resumer()] { resume(true); });
        return true;
    }
    QDBusMessage reply() const { return m_watcher->reply(); }

private:
    void disarm() override { m_watcher.release()->deleteLater(); }
    std::unique_ptr<QDBusPendingCallWatcher> m_watcher;
};

// Clears the busy mark when the request is answered, or given up when its task ends.
struct BusyUntilAnswered {
    std::atomic_bool &busy;
    ~BusyUntilAnswered() { busy = false; }
};

} // namespace

LinuxTextServices::LinuxTextServices(QObject *parent)
    : TextServices(parent)
{
    m_busThread.setObjectName(QStringLiteral("Tavlen bus calls"));
}

LinuxTextServices::~LinuxTextServices()
{
    withdrawSpellingService();
    for (const Task<> &task : std::as_const(m_answers))
        task.cancel();
}

bool LinuxTextServices::offerSpellingService(SpellingHandler handler)
{
    withdrawSpellingService();
    m_handler = std::move(handler);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("No session bus: the spelling check cannot be started from other applications (%s).",
                 qPrintable(bus.lastError().message()));
        return false;
    }
    keepReading(bus);
    // Calls are taken, and those that cannot be served refused, on a thread of their own.
    m_object = new LinuxSpellingBusObject(*this, m_busy);
    m_busThread.start();
    m_object->moveToThread(&m_busThread);
    if (!bus.registerObject(objectPath, m_object, QDBusConnection::ExportScriptableSlots)) {
        qWarning("Cannot export %s on the session bus: %s", qPrintable(objectPath), qPrintable(bus.lastError().message()));
        removeBusObject();
        return false;
    }
    if (!bus.registerService(busName)) {
        qWarning("Cannot take the bus name %s (another program holds it): the spelling check cannot be started from "
                 "other applications.",
                 qPrintable(busName));
        bus.unregisterObject(objectPath);
        removeBusObject();
        return false;
    }
    m_offering = true;
    return true;
}

bool LinuxTextServices::isThisProgram(qint64 pid)
{
    // A program file replaced while it runs (an update) reads "… (deleted)".
    const auto program = [](const QString &link) {
        QString target = QFile::symLinkTarget(link);
        if (target.endsWith(QLatin1String(" (deleted)")))
            target.chop(10);
        return target;
    };
    const QString own = program(QStringLiteral("/proc/self/exe"));
    return pid > 0 && !own.isEmpty() && program(QStringLiteral("/proc/%1/exe").arg(pid)) == own;
}

void LinuxTextServices::keepReading(const QDBusConnection &bus)
{
    // libdbus stops reading a connection while more than 63 MiB of the messages it delivered are alive, and
    // reads again once they are freed; but a call's message is freed on the thread that took the call, and
    // Qt ignores a request to read again from any thread but its own bus thread. One call over 63 MiB left
    // the connection deaf for good. With no limit it never stops: the bus delivers at most 128 MiB a message,
    // and each is freed as soon as it is answered.
    if (auto *connection = static_cast<DBusConnection *>(bus.internalPointer())) {
        ::dbus_connection_set_max_received_size(connection, std::numeric_limits<long>::max());
        ::dbus_connection_set_max_received_unix_fds(connection, std::numeric_limits<long>::max());
    }
}

void LinuxTextServices::withdrawSpellingService()
{
    if (!m_offering)
        return;
    m_offering = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Released without waiting for the bus's answer, which comes after every call already on its way to us:
    // behind a few calls of 100 MB each, seconds at the quit.
    if (QDBusConnectionInterface *daemon = bus.interface())
        daemon->asyncCall(QStringLiteral("ReleaseName"), busName);
    bus.unregisterObject(objectPath);
    removeBusObject();
}

void LinuxTextServices::removeBusObject()
{
    // Deleted on its own thread as that thread ends, so no call is still being taken when the object goes.
    if (m_object)
        m_object->deleteLater();
    m_object = nullptr;
    m_busThread.quit();
    m_busThread.wait();
}

void LinuxTextServices::answer(const QDBusMessage &request, const QString &text)
{
    m_answers.removeIf([](const Task<> &task) { return task.isFinished(); });
    m_answers.append(respond(request, text));
}

Task<> LinuxTextServices::respond(QDBusMessage request, QString text)
{
    const BusyUntilAnswered busy{m_busy};
    const SpellingHandler handler = m_handler;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!handler) {
        bus.send(request.createErrorReply(QDBusError::Failed, QStringLiteral("Tavlen offers no spelling check now.")));
        co_return;
    }
    // Asked of the bus, which knows every caller's process; one that does not answer at once makes it another
    // program's call.
    QDBusMessage callerQuestion = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("GetConnectionUnixProcessID"));
    callerQuestion << request.service();
    PendingCallAwaiter caller(bus.asyncCall(callerQuestion, callerQuestionTimeoutMs));
    const bool asked = co_await caller;
    if (!asked) {
        bus.send(request.createErrorReply(QDBusError::Failed, QStringLiteral("Tavlen stopped before it could answer.")));
        co_return;
    }
    const QDBusMessage callerPid = caller.reply();
    const bool byCommand = callerPid.type() == QDBusMessage::ReplyMessage
                           && isThisProgram(callerPid.arguments().value(0).toLongLong());
    const std::optional<std::optional<QString>> refusal = co_await handler(std::move(text), byCommand);
    if (!refusal) {
        bus.send(request.createErrorReply(QDBusError::Failed, QStringLiteral("Tavlen stopped before it could answer.")));
        co_return;
    }
    if (*refusal)
        bus.send(request.createErrorReply(refusedError, **refusal));
    else
        bus.send(request.createReply());
}

Task<TextServiceReply> LinuxTextServices::requestSpellingCheck(QString text, double timeout)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        co_return TextServiceReply{TextServiceReply::Status::unreachable,
                                   QStringLiteral("There is no session bus to reach Tavlen through.")};
    const std::variant<QString, TextServiceReply> owner = trustedOwner();
    if (const auto *refusal = std::get_if<TextServiceReply>(&owner))
        co_return *refusal;
    // Sent to the owner just checked, not to the name, which another program could take meanwhile.
    QDBusMessage call = QDBusMessage::createMethodCall(std::get<QString>(owner), objectPath, interfaceName,
                                                       checkSpellingMethod);
    call << text;
    PendingCallAwaiter pending(bus.asyncCall(call, int(std::lround(timeout * 1000))));
    const bool answered = co_await pending;
    if (!answered)
        co_return TextServiceReply{TextServiceReply::Status::unreachable, QStringLiteral("The request was cancelled.")};
    const QDBusMessage reply = pending.reply();
    if (reply.type() == QDBusMessage::ReplyMessage)
        co_return TextServiceReply{TextServiceReply::Status::accepted, QString()};
    if (reply.errorName() == refusedError)
        co_return TextServiceReply{TextServiceReply::Status::refused, reply.errorMessage()};
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        co_return TextServiceReply{TextServiceReply::Status::unreachable, QString()};
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
        co_return TextServiceReply{TextServiceReply::Status::unreachable,
                                   QStringLiteral("Tavlen did not answer in time. Try again in a moment.")};
    co_return TextServiceReply{TextServiceReply::Status::unreachable, reply.errorMessage()};
}

std::variant<QString, TextServiceReply> LinuxTextServices::trustedOwner() const
{
    const QDBusConnectionInterface *daemon = QDBusConnection::sessionBus().interface();
    const QDBusReply<QString> owner = daemon ? daemon->serviceOwner(busName) : QDBusReply<QString>();
    if (!owner.isValid() || owner.value().isEmpty())
        return TextServiceReply{TextServiceReply::Status::unreachable, QString()};
    const QDBusReply<uint> user = daemon->serviceUid(owner.value());
    const QDBusReply<uint> pid = daemon->servicePid(owner.value());
    if (!user.isValid() || !pid.isValid() || user.value() != ::getuid() || (m_ownerCheck && !m_ownerCheck(pid.value())))
        return TextServiceReply{TextServiceReply::Status::unreachable,
                                QStringLiteral("The bus name %1 is held by a program other than the running Tavlen "
                                               "(process %2); the selection was not sent to it.")
                                    .arg(busName, pid.isValid() ? QString::number(pid.value()) : QStringLiteral("unknown"))};
    return owner.value();
}
