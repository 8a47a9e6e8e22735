// scripts/run-tavlen without a display of its own brings up a private one, with a light desktop so the black
// launcher panels can be seen. The program it runs here takes a picture of that desktop. And the program
// itself runs once per history, however its session is spelled.
#include "DesktopTest.h"
#include "FakeNotificationService.h"
#include "LineEditApp.h"

#include "platform/linux/LinuxTextServices.h"

#include "app/SpellingCheckRequest.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcessEnvironment>
#include <QTimer>
#include <QTemporaryDir>

#include <csignal>

namespace {

QString tavlenPath()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../tavlen"));
}

// The built program run to its end (at most 30 s): its exit code (-1 when it did not end) and all it printed.
struct ProgramRun {
    int exitCode = -1;
    QByteArray output;
};
ProgramRun runTavlen(const QStringList &arguments, const QProcessEnvironment &environment,
                     const QString &program = tavlenPath())
{
    QProcess tavlen;
    tavlen.setProcessChannelMode(QProcess::MergedChannels);
    tavlen.setProcessEnvironment(environment);
    tavlen.start(program, arguments);
    const bool ended = DesktopTest::waitUntil([&] { return tavlen.state() == QProcess::NotRunning; }, 30000);
    ProgramRun run{ended ? tavlen.exitCode() : -1, tavlen.readAll()};
    if (!ended) {
        tavlen.kill();
        tavlen.waitForFinished(10000);
    }
    return run;
}

// Starts the built program and waits (at most 30 s) until its history answers; `output` gets what it printed.
bool startUntilRunning(QProcess &tavlen, const QProcessEnvironment &environment, QByteArray &output)
{
    tavlen.setProcessChannelMode(QProcess::MergedChannels);
    tavlen.setProcessEnvironment(environment);
    tavlen.start(tavlenPath());
    return DesktopTest::waitUntil([&] {
        output += tavlen.readAll();
        return output.contains("tavlen: running");
    }, 30000);
}

} // namespace

TEST(RunTavlen, APrivateDisplayHasALightDesktop)
{
    TAVLEN_REQUIRE_DESKTOP();
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("desktop.png"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    DesktopTest::ChildProcess script(QStringLiteral(TAVLEN_SOURCE_DIR "/scripts/run-tavlen"),
                                     {QStringLiteral("/usr/bin/import"), QStringLiteral("-window"),
                                      QStringLiteral("root"), picture},
                                     environment);
    ASSERT_EQ(script.waitForExit(60000), 0) << script.output().constData();
    QImage desktop;
    ASSERT_TRUE(desktop.load(picture)) << script.output().constData();
    for (const QPoint point : {QPoint(100, 500), QPoint(2500, 900)}) {
        const QColor colour = desktop.pixelColor(point);
        EXPECT_GT(colour.lightness(), 180) << "at " << point.x() << "," << point.y() << ": " << colour.name().toStdString();
    }
}

// Ctrl-C in the terminal signals run-tavlen's whole process group: the program stops while its private display
// is still there (a display gone first ended Tavlen with "The X11 connection broke" and status 1).
TEST(RunTavlen, CtrlCStopsTheProgramBeforeItsDisplay)
{
    TAVLEN_REQUIRE_DESKTOP();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    // Stands in for Tavlen, which takes SIGINT itself: stopped, it looks a moment later whether its display
    // still answers.
    const QString program = QStringLiteral(
        "trap 'kill $!; sleep 0.3; if xdpyinfo >/dev/null 2>&1; then echo display there; else echo display gone; fi;"
        " exit 0' INT TERM; echo ready; sleep 60 & wait");
    DesktopTest::ChildProcess script(QStringLiteral("setsid"),
                                     {QStringLiteral(TAVLEN_SOURCE_DIR "/scripts/run-tavlen"), QStringLiteral("/usr/bin/env"),
                                      QStringLiteral("--default-signal=INT"), QStringLiteral("/bin/bash"),
                                      QStringLiteral("-c"), program},
                                     environment);
    ASSERT_TRUE(script.waitForLine("ready", 30000)) << script.output().constData();
    ::kill(-pid_t(script.pid()), SIGINT);
    EXPECT_TRUE(script.waitForLine("display ", 10000)) << script.output().constData();
    EXPECT_TRUE(script.output().contains("display there")) << script.output().constData();
    EXPECT_EQ(script.waitForExit(10000), 0) << script.output().constData();
}

// Started again on the same display spelled another way, without the runtime folder, or after the history's
// folder was deleted under the first, Tavlen says on standard error and in one notification that it already
// runs, and leaves the history to the first. `make run` without a display says so too, before it starts a
// display of its own.
TEST(RunTavlen, ASecondStartOfOneHistoryLeavesItToTheFirst)
{
    TAVLEN_REQUIRE_DESKTOP();
    FakeNotificationService notifications;
    ASSERT_TRUE(notifications.isServing());

    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess first;
    QByteArray firstOutput;
    ASSERT_TRUE(startUntilRunning(first, environment, firstOutput)) << firstOutput.constData();

    const QString display = environment.value(QStringLiteral("DISPLAY")); // ":N"
    struct Row {
        QString display; // empty: none
        bool runtimeFolder;
        bool throughRunScript = false;
        bool folderDeleted = false;
    };
    const Row rows[] = {{display + QStringLiteral(".0"), true},
                        {QStringLiteral("unix") + display, true},
                        {display, false},
                        {QString(), true, true},
                        {display, true, false, true}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.display.toStdString() + (row.throughRunScript ? " run-tavlen" : ""));
        if (row.folderDeleted) {
            ASSERT_TRUE(QDir(environment.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/trevik.tavlen"))
                            .removeRecursively());
        }
        QProcessEnvironment other = environment;
        if (row.display.isEmpty())
            other.remove(QStringLiteral("DISPLAY"));
        else
            other.insert(QStringLiteral("DISPLAY"), row.display);
        if (!row.runtimeFolder)
            other.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        const ProgramRun second = row.throughRunScript
                                      ? runTavlen({tavlenPath()}, other, QStringLiteral(TAVLEN_SOURCE_DIR "/scripts/run-tavlen"))
                                      : runTavlen({}, other);
        EXPECT_EQ(second.exitCode, 0) << second.output.constData();
        EXPECT_TRUE(second.output.contains("tavlen: Tavlen is already running.")) << second.output.constData();
        EXPECT_FALSE(second.output.contains("DISPLAY=")) << second.output.constData();
    }
    EXPECT_EQ(notifications.summaries.filter(QStringLiteral("already running")).size(), std::size(rows))
        << notifications.summaries.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    EXPECT_TRUE(DesktopTest::waitUntil([&] { return first.state() == QProcess::NotRunning; }, 30000));
}

// Whatever goes wrong at the start, each line Tavlen writes names it, so that a session's log tells its lines
// from the other programs'.
TEST(RunTavlen, EveryLineItWritesNamesIt)
{
    TAVLEN_REQUIRE_DESKTOP();
    QTemporaryDir folder;
    // A file where the history folder goes: the folder, the single-instance check and each store say so.
    QFile blocking(folder.filePath(QStringLiteral("share")));
    ASSERT_TRUE(blocking.open(QIODevice::WriteOnly));
    blocking.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), blocking.fileName());
    QProcess tavlen;
    QByteArray output;
    ASSERT_TRUE(startUntilRunning(tavlen, environment, output)) << output.constData();
    tavlen.terminate();
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return tavlen.state() == QProcess::NotRunning; }, 30000));
    output += tavlen.readAll();
    const QList<QByteArray> lines = output.trimmed().split('\n');
    EXPECT_GE(lines.size(), 3) << output.constData();
    for (const QByteArray &line : lines)
        EXPECT_TRUE(line.startsWith("tavlen: ")) << line.constData();
}

// `--help` and `--version` print and end at once, without a display and without starting Tavlen; an argument
// it does not take is refused with the usage before the display is looked at.
TEST(RunTavlen, TheCommandLineIsAnsweredWithoutStartingAnything)
{
    TAVLEN_REQUIRE_DESKTOP();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    struct Row {
        QStringList arguments;
        QList<QByteArray> printed;
        int exitCode = 0;
    };
    const Row rows[] = {
        {{QStringLiteral("--help")}, {"--check-spelling"}},
        {{QStringLiteral("--version")}, {"tavlen 0."}},
        {{QStringLiteral("--bogus")}, {"tavlen: Unknown option 'bogus'.", "Usage: "}, 2},
        {{QStringLiteral("-platform"), QStringLiteral("xcb")}, {"tavlen: Unknown option 'platform'.", "Usage: "}, 2},
        {{QStringLiteral("extra-arg")}, {"tavlen: Unexpected argument 'extra-arg'.", "Usage: "}, 2},
        {{SpellingCheckRequest::argument, QStringLiteral("extra-arg")}, {"Unexpected argument 'extra-arg'."}, 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = runTavlen(row.arguments, environment);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.output.constData();
        for (const QByteArray &printed : row.printed)
            EXPECT_TRUE(run.output.contains(printed)) << run.output.constData();
        EXPECT_FALSE(run.output.contains("DISPLAY")) << run.output.constData();
    }
}

// A keyring library without its functions (a stub, or a broken copy) is named by the loader before any of
// Tavlen runs (`--version` shows it without a race), rather than ending a running Tavlen at its first call.
TEST(RunTavlen, ABrokenKeyringLibraryIsNamedBeforeTavlenStarts)
{
    TAVLEN_REQUIRE_DESKTOP();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                       QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("broken-libsecret")));
    for (const QStringList &arguments : {QStringList(), QStringList{QStringLiteral("--version")}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = runTavlen(arguments, environment);
        EXPECT_NE(run.exitCode, 0) << run.output.constData(); // -1 when it did not end
        EXPECT_TRUE(run.output.contains("undefined symbol: secret_")) << run.output.constData();
        EXPECT_FALSE(run.output.contains("tavlen: running") || run.output.contains("tavlen 0")) << run.output.constData();
    }
}

// Stopped while the session bus answers it nothing, Tavlen ends within 2 s: while other programs' calls of
// 100 MB each are on their way to it (its answers wait behind them), or while the bus itself is stopped. Its
// bus name released by waiting for the bus's answer took 3 s behind the calls, and 25 s once one such call
// had left its connection deaf.
TEST(RunTavlen, ItStopsWithinTwoSecondsWhileTheBusAnswersNothing)
{
    TAVLEN_REQUIRE_DESKTOP();
    QDBusConnectionInterface *daemon = QDBusConnection::sessionBus().interface();
    const uint daemonPid = daemon->servicePid(QStringLiteral("org.freedesktop.DBus")).value();
    ASSERT_GT(daemonPid, 0u);
    enum class Holdup { hugeCalls, busStopped };
    for (const Holdup holdup : {Holdup::hugeCalls, Holdup::busStopped}) {
        SCOPED_TRACE(holdup == Holdup::hugeCalls ? "calls of 100 MB on their way" : "the bus stopped");
        QProcess tavlen;
        QByteArray output;
        ASSERT_TRUE(startUntilRunning(tavlen, QProcessEnvironment::systemEnvironment(), output)) << output.constData();
        ASSERT_TRUE(DesktopTest::waitUntil([&] { return daemon->isServiceRegistered(LinuxTextServices::busName).value(); }, 30000));
        QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("huge"));
        QList<QDBusPendingCall> calls;
        if (holdup == Holdup::hugeCalls) {
            QDBusMessage message = QDBusMessage::createMethodCall(LinuxTextServices::busName, LinuxTextServices::objectPath,
                                                                  LinuxTextServices::interfaceName,
                                                                  LinuxTextServices::checkSpellingMethod);
            message << QString(100'000'000, QLatin1Char('a'));
            for (int i = 0; i < 5; ++i)
                calls.append(caller.asyncCall(message, 120000));
            // It has taken the first; the others are on their way.
            ASSERT_TRUE(DesktopTest::waitUntil([&] { return calls.first().isFinished(); }, 60000));
        } else {
            ::kill(pid_t(daemonPid), SIGSTOP);
        }
        QElapsedTimer stopping;
        stopping.start();
        tavlen.terminate();
        EXPECT_TRUE(DesktopTest::waitUntil([&] { return tavlen.state() == QProcess::NotRunning; }, 2000))
            << "still running " << stopping.elapsed() << " ms after SIGTERM";
        ::kill(pid_t(daemonPid), SIGCONT);
        EXPECT_TRUE(DesktopTest::waitUntil([&] { return tavlen.state() == QProcess::NotRunning; }, 60000));
        QDBusConnection::disconnectFromBus(QStringLiteral("huge"));
    }
}

// Other programs' calls never take the keyboard from the person: while a program calls the spelling check every
// 0.1 s, each call refused (local intelligence is off) in a window of Tavlen's, all the person types reaches
// their editor (when each such window took the keyboard, 0 of 60 characters did). The person's own command
// still gives its window the keyboard.
TEST(RunTavlen, OtherProgramsCallsLeaveTheKeyboardWithThePerson)
{
    TAVLEN_REQUIRE_DESKTOP();
    QProcess tavlen;
    QByteArray output;
    ASSERT_TRUE(startUntilRunning(tavlen, QProcessEnvironment::systemEnvironment(), output)) << output.constData();
    const QDBusConnectionInterface *daemon = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return daemon->isServiceRegistered(LinuxTextServices::busName).value(); }, 30000));
    LineEditApp editor(QStringLiteral("person-typing"));
    ASSERT_TRUE(editor.waitUntilReady());
    const auto activeWindowPid = [] {
        return DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"), QStringLiteral("getwindowpid")})
            .standardOutput.trimmed()
            .toLongLong();
    };
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return activeWindowPid() == editor.pid(); }, 10000));

    QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    QDBusMessage message = QDBusMessage::createMethodCall(LinuxTextServices::busName, LinuxTextServices::objectPath,
                                                          LinuxTextServices::interfaceName,
                                                          LinuxTextServices::checkSpellingMethod);
    message << QStringLiteral("Teh quick brwn fox");
    int refused = 0;
    QTimer calls;
    calls.setInterval(100);
    QObject::connect(&calls, &QTimer::timeout, &calls, [&] {
        auto *watcher = new QDBusPendingCallWatcher(caller.asyncCall(message), &calls);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &calls, [&refused, watcher] {
            refused += watcher->reply().errorName() == LinuxTextServices::refusedError;
            watcher->deleteLater();
        });
    });
    calls.start();
    // Half a second of calls: a window that takes the keyboard has it by then.
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return refused >= 5; }, 10000)) << refused << " calls refused";

    const int refusedBefore = refused;
    const QString typed = QStringLiteral("thequickbrownfoxjumpsoverthelazydog0123456789abcdefghijklmnopq").left(60);
    QProcess typing;
    typing.start(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), typed});
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return typing.state() == QProcess::NotRunning; }, 20000));
    EXPECT_TRUE(DesktopTest::waitUntil([&] { return editor.text() == typed; }, 5000))
        << editor.text().size() << " of 60 characters reached the editor: " << editor.text().toStdString();
    calls.stop();
    EXPECT_GE(refused - refusedBefore, 3) << "the calls kept coming while the person typed";

    // The person's own key, `tavlen --check-spelling`: its refusal takes the keyboard, so Return or Escape closes it.
    const ProgramRun command = runTavlen({QStringLiteral("--check-spelling")}, QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(command.exitCode, 1) << command.output.constData();
    EXPECT_TRUE(DesktopTest::waitUntil([&] { return activeWindowPid() == tavlen.processId(); }, 5000));
    tavlen.terminate();
    EXPECT_TRUE(DesktopTest::waitUntil([&] { return tavlen.state() == QProcess::NotRunning; }, 30000));
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
}
