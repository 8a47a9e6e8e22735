// Runs Tavlen's Linux secret store in this process's environment (another bus, no bus, a locked keyring):
//   tavlen_secret_store SERVICE COMMAND...
// Commands: "save:ACCOUNT:HEX", "read:ACCOUNT", "remove:ACCOUNT", "many:ACCOUNT,ACCOUNT...", and
// "wait:SECONDS", which moves the store's (simulated) clock on, and "hold", which waits for a line on stdin.
// Prints one line per command: "<command> <status>" (for many, the statuses joined by commas) and, for a read
// that found the item, " <hex of the secret>"; and "usable again" when the store says so.
#include "platform/linux/LinuxSecretStore.h"
#include "platform/sim/SimClock.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

const char *name(SecretStoreStatus status)
{
    switch (status) {
    case SecretStoreStatus::success:
        return "success";
    case SecretStoreStatus::itemNotFound:
        return "itemNotFound";
    case SecretStoreStatus::failure:
        return "failure";
    case SecretStoreStatus::noAnswer:
        return "noAnswer";
    }
    return "?";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tavlen_secret_store SERVICE COMMAND...\n");
        return 2;
    }
    SimClock clock;
    LinuxSecretStore store(clock);
    const QString service = args.at(1);
    QObject::connect(&store, &SecretStore::unusable, [](const QString &problem) {
        if (problem.isEmpty())
            std::printf("usable again\n");
    });
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QStringList parts = args.at(i).split(QLatin1Char(':'));
        const QString &op = parts.value(0);
        const QString account = parts.value(1);
        QByteArray line = args.at(i).section(QLatin1Char(':'), 0, 1).toUtf8() + ' ';
        if (op == QLatin1String("save")) {
            line += name(store.save(service, account, QByteArray::fromHex(parts.value(2).toLatin1()),
                                    QStringLiteral("Tavlen test item")));
        } else if (op == QLatin1String("read")) {
            const SecretRead read = store.read(service, account);
            line += name(read.status);
            if (read.found())
                line += ' ' + read.secret.toHex();
        } else if (op == QLatin1String("many")) {
            const QStringList accounts = account.split(QLatin1Char(','));
            const QHash<QString, SecretRead> found = store.readMany(service, accounts);
            QByteArrayList statuses;
            for (const QString &one : accounts)
                statuses.append(name(found.value(one).status));
            line += statuses.join(',');
        } else if (op == QLatin1String("remove")) {
            line += name(store.remove(service, account));
        } else if (op == QLatin1String("hold")) {
            std::printf("hold\n");
            std::fflush(stdout);
            char answer[8];
            if (!std::fgets(answer, sizeof answer, stdin))
                return 2;
            continue;
        } else if (op == QLatin1String("wait")) {
            clock.advance(account.toDouble());
            line.chop(1);
        } else {
            std::fprintf(stderr, "unknown command %s\n", qPrintable(args.at(i)));
            return 2;
        }
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
    }
    return 0;
}
