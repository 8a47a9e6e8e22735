// Tavlen: keeps everything the user copies and pastes it back from a launcher at the top of each screen.

#include "app/AppDelegate.h"
#include "app/MessageLog.h"
#include "app/SingleInstanceGuard.h"
#include "app/SpellingCheckRequest.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "model/MainStoreContainer.h"
#include "model/SqliteStoreFile.h"
#include "platform/FreedMemory.h"
#include "platform/linux/LinuxNotifications.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxTextServices.h"
#include "platform/linux/XdgStorageLocations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSocketNotifier>

#include <csignal>
#include <optional>
#include <cstdlib>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
// The history of a running Tavlen, for a program end that passes by the event loop.
ClipboardHistoryManager *runningHistory = nullptr;

void forwardSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT, SIGTERM and SIGHUP (the session ending) end the event loop normally, so the stop sequence runs.
void quitOnTerminationSignals(QApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalPipe[0], &byte, 1);
        // exit() rather than quit(): quit() asks every window first, and the launcher panels refuse to close.
        QCoreApplication::exit(0);
    });
    std::signal(SIGINT, forwardSignal);
    std::signal(SIGTERM, forwardSignal);
    std::signal(SIGHUP, forwardSignal);
}

const QString instanceCheckOption = QStringLiteral("already-running");

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Keeps everything you copy and pastes it back from a panel at the top of the screen."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({SpellingCheckRequest::argument.mid(2),
                      QStringLiteral("Hand the selected text to the running Tavlen's spelling check.")});
    QCommandLineOption testMode(QStringLiteral("test-mode"), QStringLiteral("Start with the interface tests' settings."));
    testMode.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(testMode);
    // For scripts/run-tavlen, which asks before it starts a display of its own for Tavlen.
    QCommandLineOption instanceCheck(instanceCheckOption,
                                     QStringLiteral("Say whether another Tavlen holds this history, and end."));
    instanceCheck.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(instanceCheck);
}

// A line on standard error written at once (no event loop needed), as the message log writes every other:
// one line, prefixed, its control characters escaped.
void say(const QString &text)
{
    if (const std::optional<QString> line = MessageLog::line(QtInfoMsg, nullptr, text))
        std::fprintf(stderr, "%s\n", qPrintable(*line));
}

// Started from the application menu, nobody reads the line: the notification says it there.
void sayAlreadyRunning()
{
    const QString running = QStringLiteral("Tavlen is already running.");
    say(running);
    LinuxNotifications::postBeforeExit(running, QStringLiteral("Its panel opens from the top of the screen."));
}

// The command line is read before anything else is looked at (no display needed): `--help` and `--version`
// print and end, and an argument Tavlen does not take is refused with the usage and status 2. Returns the
// program's status when the command line was all it had to answer.
std::optional<int> answerCommandLine(int argc, char **argv)
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavlen"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVLEN_VERSION));
    QCommandLineParser parser;
    // A word after one dash is one option (Qt's own -platform, -display), named as typed when refused.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    describeOptions(parser);
    const bool known = parser.parse(QCoreApplication::arguments());
    if (!known || !parser.positionalArguments().isEmpty()) {
        const QString problem = known ? QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst())
                                      : parser.errorText();
        say(problem);
        std::fprintf(stderr, "\n%s", qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))
        || parser.isSet(QStringLiteral("version")))
        parser.process(core); // prints and exits
    if (parser.isSet(instanceCheckOption)) {
        // Status 0 when another Tavlen holds this history, as a second start ends; else 1.
        if (!SingleInstanceGuard::isHeld(XdgStorageLocations().dataFolder()))
            return 1;
        sayAlreadyRunning();
        return 0;
    }
    return std::nullopt;
}

// `tavlen --check-spelling`: hands the selection to the running Tavlen. A refusal is printed and ends the
// command with status 1 at once; the running Tavlen shows the ones it gives in its own window.
int checkSpelling(QApplication &app)
{
    LinuxPlatform platform(LinuxPlatform::Purpose::serviceRequest);
    // Only the instance that holds this user's history is handed the selection, never another program
    // that took its name on the bus.
    if (auto *services = qobject_cast<LinuxTextServices *>(platform.platform().textServices)) {
        services->setOwnerCheck([folder = XdgStorageLocations().dataFolder()](qint64 pid) {
            return SingleInstanceGuard::isHeldBy(folder, pid);
        });
    }
    int status = 0;
    const Task<> request = [](Platform platform, int &status) -> Task<> {
        const std::optional<std::optional<QString>> message = co_await SpellingCheckRequest::run(platform);
        if (message && *message) {
            status = 1;
            say(**message);
        }
        QCoreApplication::exit(status);
    }(platform.platform(), status);
    return request.isFinished() ? status : app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    MessageLog::install();
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;
    FreedMemory::shareWorkerHeaps();
    FreedMemory::unmapLargeBlocks();
    const bool offscreen = qgetenv("QT_QPA_PLATFORM").startsWith("offscreen");
    if (!offscreen) {
        const QString problem = LinuxPlatform::displayProblem();
        if (!problem.isEmpty()) {
            say(problem);
            return 1;
        }
        LinuxPlatform::useX11Windows();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlen"));
    QApplication::setOrganizationDomain(QStringLiteral("trevik.tavlen"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationVersion(QStringLiteral(TAVLEN_VERSION));
    if (app.arguments().contains(SpellingCheckRequest::argument))
        return checkSpelling(app);

    // One instance per history, whatever display or session it was started in.
    SingleInstanceGuard instance(XdgStorageLocations().dataFolder());
    if (!instance.acquire()) {
        if (!instance.error().isEmpty()) {
            // Without its folder there is no store to share: the history is kept in memory, as the store says.
            say(instance.error());
        } else {
            sayAlreadyRunning();
            return 0;
        }
    }

    if (const QString limits = LinuxPlatform::sessionLimits(); !limits.isEmpty())
        say(limits);
    quitOnTerminationSignals(app);
    SqliteStoreFile::loadDriverAhead();
    LinuxPlatform platform;
    AppDelegate delegate(platform.platform(), AppDelegate::launchOptions(app.arguments()));
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::stop);
    // The session ending: the session manager asks first; a display that goes away ends the program
    // through exit(), past the event loop. The history saves what it has not saved yet either way.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &delegate.history(),
                     &ClipboardHistoryManager::saveUnsavedChanges);
    delegate.startStores();
    runningHistory = &delegate.history();
    std::atexit([] {
        if (runningHistory)
            runningHistory->stop();
    });
    // A store that opened otherwise than asked has said so on stderr already: one line for one fact.
    const StoreStatus &store = delegate.mainStore().status();
    const bool asAsked = store.outcome == StoreStatus::Outcome::opened || store.outcome == StoreStatus::Outcome::inMemoryByRequest;
    say(asAsked ? QStringLiteral("running. ") + store.message() : QStringLiteral("running."));
    // The launcher's windows, the hot key and the rest come on the first turn of the event loop: the history
    // answers, and copies are kept, without waiting for them.
    QMetaObject::invokeMethod(&delegate, &AppDelegate::start, Qt::QueuedConnection);
    const int status = app.exec();
    runningHistory = nullptr;
    return status;
}
