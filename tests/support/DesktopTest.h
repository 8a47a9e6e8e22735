// Helpers for the tests under tests/desktop/, which run on the private desktop of scripts/test-env. Unit tests
// that wait for a worker thread use TAVLEN_WAIT_UNTIL too: Qt Test's own waits return silently in GoogleTest.
//
//   TEST(PasteTest, PastesIntoLineEdit)
//   {
//       TAVLEN_REQUIRE_DESKTOP();                       // skip outside test-env, fail under CI=true
//       DesktopTest::ChildProcess app(DesktopTest::helperPath("line_edit_app"));
//       ASSERT_TRUE(app.waitForLine("ready")) << app.output().constData();
//       ...
//       TAVLEN_WAIT_UNTIL(readField() == "hello", 3000);  // polls while Qt events run
//       const QImage shot = DesktopTest::screenshot("paste-after");  // <build dir>/snapshots/paste-after.png
//   }
//
// Outside test-env, linking this file switches the test's QApplication to the offscreen platform before main()
// runs, so desktop tests skip cleanly instead of aborting without a display or opening windows on yours.
#pragma once

#include "platform/Task.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

class QWidget;
#include <optional>

#include <gtest/gtest.h>

namespace DesktopTest {

// Why the test desktop is missing ("" inside scripts/test-env).
QString missingReason();
// True under CI (CI=true), where desktop tests must run and never skip.
bool isCi();

// Runs `program` to completion and returns what it printed. A child still running after timeoutMs is killed.
struct ProcessResult {
    bool finished = false;  // false: it could not start, or it timed out
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
    QString error;          // why it did not finish, or its stderr when it failed; for test messages
    bool succeeded() const { return finished && exitCode == 0; }
};
ProcessResult run(const QString &program, const QStringList &arguments = {}, int timeoutMs = 10000,
                  const QByteArray &input = {},
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// A program the test drives (a helper window, a clipboard owner...), started at once with Qt's accessibility
// switched on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1). Its stderr goes to the test log. The destructor ends it:
// SIGTERM, then SIGKILL after two seconds; it also gets SIGTERM when the test process dies (a crash).
class ChildProcess {
public:
    explicit ChildProcess(const QString &program, const QStringList &arguments = {},
                          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    QProcess &process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Everything it printed on stdout so far.
    QByteArray output();
    // Waits (running Qt events) for the next stdout line containing `text` and returns it, without the newline.
    std::optional<QByteArray> waitForLine(const QByteArray &text, int timeoutMs = 5000);
    // Sends one line to its stdin.
    void writeLine(const QByteArray &line);
    // Waits for it to exit by itself; -1 when it is still running after timeoutMs or crashed.
    int waitForExit(int timeoutMs = 5000);

private:
    QProcess m_process;
    QByteArray m_output;
    qsizetype m_consumed = 0;  // where waitForLine goes on
};

// Stops the process that owns `busName` on the session bus until resumed or destroyed: the name stays
// taken and calls to it are queued, but none is answered (a daemon stuck on a disk, a prompt, a debugger).
class HungBusService {
public:
    explicit HungBusService(const QString &busName);
    ~HungBusService() { resume(); }
    HungBusService(const HungBusService &) = delete;
    HungBusService &operator=(const HungBusService &) = delete;

    bool isStopped() const { return m_stopped; }
    void resume();

private:
    qint64 m_pid = 0;
    bool m_stopped = false;
};

// Runs xdotool with `arguments` (moving the pointer, clicking, pressing keys); true when it succeeded.
bool xdotool(const QStringList &arguments);
// Puts `text` on the clipboard (or another selection: "primary") through xclip, which keeps owning it; true
// once xclip has taken it.
bool copyWithXclip(const QByteArray &text, const QString &selection = QStringLiteral("clipboard"));
// The text of a file as UTF-8; empty when it cannot be read.
QString readTextFile(const QString &path);

// Polls `condition` every 10 ms while Qt events run, in real time. True once it holds; false after timeoutMs.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);

// Every TAVLEN_WAIT_UNTIL deadline is the written one times this. A timeout is written for what the wait needs
// on an idle machine; CI runs the sanitized debug build beside other jobs, where the same work (a window
// manager raising a window, an application registering on a bus) takes up to about three times as long.
inline constexpr int loadedMachineFactor = 3;

// Runs Qt events until `task` (awaiting another thread's answer) has finished; its result, or nothing when it
// did not finish in time or ended without one.
template<typename T>
std::optional<T> finish(const Task<T> &task, int timeoutMs = 10000)
{
    waitUntil([&] { return task.isFinished(); }, timeoutMs);
    return task.isFinished() ? task.result() : std::nullopt;
}

// Path of a program built from tests/desktop/helpers/<name>.cpp.
QString helperPath(const QString &name);

// Directory for screenshots: $TAVLEN_SNAPSHOT_DIR, else <build dir>/snapshots (created on demand).
QString snapshotDirectory();

// Draws a widget and its children (shown first, offscreen) into snapshotDirectory()/<name>.png and returns the
// picture. For views rendered without a desktop.
QImage renderSnapshot(QWidget &widget, const QString &name);
// Saves a picture made otherwise as snapshotDirectory()/<name>.png.
void saveSnapshot(const QImage &image, const QString &name);

// The contrast ratio of two opaque colours as accessibility guidelines define it (1 to 21), from their
// relative luminance.
double contrast(const QColor &a, const QColor &b);

// Takes a screenshot of the whole root window (both monitors) into snapshotDirectory()/<name>.png and loads it.
// A null image on failure, with the reason in *error when given.
QImage screenshot(const QString &name, QString *error = nullptr);
// Takes screenshots (as screenshot() does) until `drawn` holds for one, for at most timeoutMs: a wait for the
// paint instead of a fixed pause. Returns the last one taken (null when none could be taken).
QImage screenshotWhen(const QString &name, const std::function<bool(const QImage &)> &drawn, int timeoutMs = 5000);

} // namespace DesktopTest

// First statement of every desktop test (or its fixture's SetUp()).
#define TAVLEN_REQUIRE_DESKTOP()                                                                           \
    do {                                                                                                   \
        const QString tavlenMissingDesktop = ::DesktopTest::missingReason();                               \
        if (!tavlenMissingDesktop.isEmpty()) {                                                             \
            if (::DesktopTest::isCi())                                                                     \
                FAIL() << "Desktop tests must run under CI, but " << tavlenMissingDesktop.toStdString()     \
                       << ". Run them through scripts/test-env.";                                          \
            GTEST_SKIP() << "No test desktop: " << tavlenMissingDesktop.toStdString()                       \
                         << ". Run through scripts/test-env (make test does).";                            \
        }                                                                                                  \
    } while (false)

// Asserts that `condition` becomes true within timeoutMs (times loadedMachineFactor), running Qt events
// meanwhile. The wait ends as soon as it holds.
#define TAVLEN_WAIT_UNTIL(condition, timeoutMs)                                                            \
    ASSERT_TRUE(::DesktopTest::waitUntil([&] { return static_cast<bool>(condition); },                     \
                                         int(timeoutMs) * ::DesktopTest::loadedMachineFactor))             \
        << "timed out after " << int(timeoutMs) * ::DesktopTest::loadedMachineFactor << " ms ("           \
        << int(timeoutMs) << " written) waiting for: " #condition
