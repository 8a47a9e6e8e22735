// The implementation of DesktopTest.h (not DesktopTest.cpp: every *Test.cpp becomes a test executable).
#include "DesktopTest.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <csignal>
#include <sys/prctl.h>

namespace {

// Runs before main(): outside scripts/test-env a desktop test only skips, and its QApplication must neither
// abort for want of a display nor open windows on the developer's own one.
const bool offscreenOutsideTestEnv = [] {
    if (qgetenv("TAVLEN_TEST_ENV") != "1")
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

// A child must not outlive a test that crashed: it would keep ctest's output pipe open until the timeout.
void endWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

} // namespace

namespace DesktopTest {

QString missingReason()
{
    (void)offscreenOutsideTestEnv;
    if (qgetenv("TAVLEN_TEST_ENV") != "1")
        return QStringLiteral("TAVLEN_TEST_ENV is not set (not inside scripts/test-env)");
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("DISPLAY is not set");
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return QStringLiteral("Qt runs on the \"%1\" platform, not on X11").arg(QGuiApplication::platformName());
    return {};
}

bool isCi()
{
    const QByteArray ci = qgetenv("CI").toLower();
    return !ci.isEmpty() && ci != "0" && ci != "false";
}

ProcessResult run(const QString &program, const QStringList &arguments, int timeoutMs, const QByteArray &input,
                  const QProcessEnvironment &environment)
{
    ProcessResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    endWithParent(process);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        result.error = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return result;
    }
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        result.standardOutput = process.readAllStandardOutput();
        result.standardError = process.readAllStandardError();
        result.error = QStringLiteral("%1 did not finish within %2 ms").arg(program).arg(timeoutMs);
        return result;
    }
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    if (process.exitStatus() == QProcess::CrashExit) {
        result.error = QStringLiteral("%1 crashed: %2").arg(program, QString::fromLocal8Bit(result.standardError));
        return result;
    }
    result.finished = true;
    result.exitCode = process.exitCode();
    if (result.exitCode != 0) {
        result.error = QStringLiteral("%1 exited with %2: %3")
                           .arg(program)
                           .arg(result.exitCode)
                           .arg(QString::fromLocal8Bit(result.standardError));
    }
    return result;
}

ChildProcess::ChildProcess(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment)
{
    QProcessEnvironment childEnvironment = environment;
    childEnvironment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    m_process.setProcessEnvironment(childEnvironment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithParent(m_process);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { m_output += m_process.readAllStandardOutput(); });
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000))
        ADD_FAILURE() << program.toStdString() << " did not start: " << m_process.errorString().toStdString();
}

ChildProcess::~ChildProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QByteArray ChildProcess::output()
{
    m_output += m_process.readAllStandardOutput();
    return m_output;
}

std::optional<QByteArray> ChildProcess::waitForLine(const QByteArray &text, int timeoutMs)
{
    std::optional<QByteArray> found;
    waitUntil(
        [&] {
            output();
            qsizetype end;
            while ((end = m_output.indexOf('\n', m_consumed)) >= 0) {
                const QByteArray line = m_output.mid(m_consumed, end - m_consumed);
                m_consumed = end + 1;
                if (line.contains(text)) {
                    found = line;
                    return true;
                }
            }
            // A child that is gone will print nothing more.
            return m_process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return found;
}

void ChildProcess::writeLine(const QByteArray &line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(1000);
}

int ChildProcess::waitForExit(int timeoutMs)
{
    if (!waitUntil([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

HungBusService::HungBusService(const QString &busName)
{
    if (QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface())
        m_pid = qint64(bus->servicePid(busName).value());
    m_stopped = m_pid > 0 && ::kill(pid_t(m_pid), SIGSTOP) == 0;
}

void HungBusService::resume()
{
    if (m_stopped)
        ::kill(pid_t(m_pid), SIGCONT);
    m_stopped = false;
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

QString helperPath(const QString &name)
{
    // Helpers are built next to the test executables.
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QString snapshotDirectory()
{
    QString directory = qEnvironmentVariable("TAVLEN_SNAPSHOT_DIR");
    if (directory.isEmpty()) {
        // Test executables live in <build dir>/tests.
        QDir buildDir(QCoreApplication::applicationDirPath());
        if (!QFileInfo::exists(buildDir.filePath(QStringLiteral("CMakeCache.txt"))))
            buildDir.cdUp();
        directory = buildDir.filePath(QStringLiteral("snapshots"));
    }
    QDir().mkpath(directory);
    return directory;
}

QImage renderSnapshot(QWidget &widget, const QString &name)
{
    widget.show();
    QCoreApplication::processEvents();
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    saveSnapshot(image, name);
    return image;
}

void saveSnapshot(const QImage &image, const QString &name)
{
    image.save(QDir(snapshotDirectory()).filePath(name + QStringLiteral(".png")));
}

double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &color) {
        auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QImage screenshot(const QString &name, QString *error)
{
    const QString path = QDir(snapshotDirectory()).filePath(name + QStringLiteral(".png"));
    // ImageMagick's own binary: a `convert`/`import` earlier on PATH may be something else.
    const ProcessResult result = run(QStringLiteral("/usr/bin/import"),
                                     {QStringLiteral("-window"), QStringLiteral("root"), path}, 20000);
    QImage image;
    if (!result.succeeded()) {
        if (error)
            *error = result.error;
        return image;
    }
    if (!image.load(path) && error)
        *error = QStringLiteral("cannot load the screenshot %1").arg(path);
    return image;
}

QImage screenshotWhen(const QString &name, const std::function<bool(const QImage &)> &drawn, int timeoutMs)
{
    QImage image;
    waitUntil([&] {
        image = screenshot(name);
        return !image.isNull() && drawn(image);
    }, timeoutMs);
    return image;
}

bool xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments).succeeded();
}

bool copyWithXclip(const QByteArray &text, const QString &selection)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-i")});
    if (!xclip.waitForStarted(3000))
        return false;
    xclip.write(text);
    xclip.closeWriteChannel();
    return xclip.waitForFinished(3000) && xclip.exitCode() == 0;
}

QString readTextFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace DesktopTest
