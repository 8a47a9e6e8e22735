// A secret service that has hung: it owns org.freedesktop.secrets on the session bus and takes every call
// to any of its objects, but never answers one (as a daemon stuck on a disk or a prompt would).
// Prints "ready" once it owns the name, then "call INTERFACE.MEMBER" for each call it swallows.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <cstdio>

namespace {

class Swallower : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        std::printf("call %s.%s\n", qPrintable(message.interface()), qPrintable(message.member()));
        std::fflush(stdout);
        // Handled, and never answered.
        return true;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    Swallower swallower;
    if (!bus.isConnected() || !bus.registerVirtualObject(QStringLiteral("/"), &swallower,
                                                          QDBusConnection::SubPath)) {
        std::puts("no-bus");
        return 1;
    }
    if (!bus.registerService(QStringLiteral("org.freedesktop.secrets"))) {
        std::printf("name-taken %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
