// Putting 200 characters of mixed scripts into the Qt login form's e-mail field, from the request until the
// field shows them: typed by the auto-paste service (refocus, Control+A, Unicode keys on spare keycodes,
// read back), against the same text pasted through the clipboard (refocus, clipboard, Control+V). Reports
// characters per second. And a 30 KB text chosen in the launcher for that field, as the launcher hands it on
// (the field path first, the clipboard paste when that declines), until the field holds it. Needs the test
// desktop (make bench).
#include "BenchmarkRun.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardService.h"
#include "fields/FieldValueAssociationStore.h"
#include "fields/FocusedFieldAutoPasteService.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "model/ClipboardItem.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/KeyboardOutput.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>

#include <memory>

namespace {

std::unique_ptr<LinuxPlatform> g_platform;
std::unique_ptr<AppDelegate> g_delegate;
std::unique_ptr<FocusedFieldAutoPasteService> g_typing;
std::unique_ptr<QProcess> g_form;
std::optional<ClipboardPasteTarget> g_field;

// 200 characters (code points): Latin with diacritics, Cyrillic, Greek, CJK, an emoji and ASCII.
QString mixedText()
{
    const QString piece = QString::fromUtf8("Zażółć gęślą jaźń — Съешь ещё Ωμέγα 漢字かな 😀 ok; ");
    QString text;
    while (text.toUcs4().size() < 200)
        text += piece;
    const QList<uint> codePoints = text.toUcs4().mid(0, 200);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(codePoints.constData()), codePoints.size());
}

std::optional<QByteArray> readLine(QProcess &process, const QByteArray &prefix, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith(prefix))
                return line;
        }
        process.waitForReadyRead(100);
    }
    return std::nullopt;
}

QString fieldText()
{
    return g_field->field->element.attribute(AccessibilityAttribute::value).string().value_or(QString());
}

// Two texts of the same 200 characters but the first: each put into the field differs from what it shows, so
// the wait below ends only when the new text arrived.
QString nextText()
{
    const QString text = mixedText();
    const QString other = QStringLiteral("z") + text.mid(1);
    return fieldText() == text ? other : text;
}

// Runs the event loop until the field shows `text` (or, with `within`, holds it); false after 60 s.
bool waitForField(const QString &text, bool within = false)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const QString shown = fieldText();
        if (within ? shown.contains(text) : shown == text)
            return true;
    }
    return false;
}

bool setUp()
{
    g_form = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    g_form->setProcessEnvironment(environment);
    g_form->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    g_form->start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/qt_login_app"),
                  {QStringLiteral("--at"), QStringLiteral("300,300")});
    if (!readLine(*g_form, "ready"))
        return false;
    g_platform = std::make_unique<LinuxPlatform>();
    LaunchOptions options;
    options.testMode = true; // the stores and the paste service, nothing global
    g_delegate = std::make_unique<AppDelegate>(g_platform->platform(), options);
    g_delegate->start();
    AppState &state = g_delegate->appState();
    g_typing = std::make_unique<FocusedFieldAutoPasteService>(g_platform->platform(), state.settings(),
                                                              state.focusedFieldSuggestions());
    g_typing->setClipboardService(&g_delegate->clipboardService());
    // Wait until the window manager has placed the window and the field reads.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        g_form->write("geometry\n");
        const std::optional<QByteArray> line = readLine(*g_form, "field email");
        if (!line || !readLine(*g_form, "field password"))
            return false;
        const QList<QByteArray> parts = line->split(' ');
        const QRect rect(parts[2].toInt(), parts[3].toInt(), parts[4].toInt(), parts[5].toInt());
        const QPointF centre = QPointF(rect.center()) - QPointF(QGuiApplication::primaryScreen()->geometry().topLeft());
        QCoreApplication::processEvents();
        g_field = state.focusedFieldSuggestions()->pasteTarget(centre);
        if (g_field && g_field->field && g_field->application.pid == g_form->processId())
            return true;
    }
    return false;
}

void BM_TypedIntoTheField(benchmark::State &state)
{
    if (!g_field) {
        BenchmarkRun::fail(state, "the Qt form's field could not be read (run inside scripts/test-env)");
        return;
    }
    const QString text = mixedText();
    const QRectF frame = g_delegate->appState().focusedFieldSuggestions()->fieldFrame(*g_field->field).value_or(QRectF());
    for (auto _ : state) {
        const QString value = nextText(); // the time is taken below, from the request on
        FocusedFieldSuggestion suggestion;
        suggestion.value = value;
        QElapsedTimer timer;
        timer.start();
        g_typing->insertValue(suggestion, *g_field->field, g_field->application, frame);
        if (!waitForField(value)) {
            BenchmarkRun::fail(state, "the typed text did not arrive whole");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        // Let the insertion finish its own check before the next one starts.
        while (g_typing->isTyping())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.counters["chars_per_s"] = benchmark::Counter(double(text.toUcs4().size()) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}

void BM_BaselinePastedThroughTheClipboard(benchmark::State &state)
{
    if (!g_field) {
        BenchmarkRun::fail(state, "the Qt form's field could not be read (run inside scripts/test-env)");
        return;
    }
    const QString text = mixedText();
    ClipboardService &clipboard = g_delegate->clipboardService();
    for (auto _ : state) {
        const QString value = nextText();
        ClipboardItem item(QUuid::createUuid());
        item.setText(value);
        item.setTypeRawValue(QStringLiteral("text"));
        // Select the old text first, as the typed road does with Control+A.
        g_field->field->element.setFocused();
        QElapsedTimer timer;
        timer.start();
        g_platform->platform().keyboard->postChord(KeyChord::selectAll(), g_field->application.pid);
        Task<bool> paste = clipboard.paste(item, ClipboardPasteTarget{g_field->application, g_field->field});
        if (!waitForField(value)) {
            BenchmarkRun::fail(state, "the pasted text did not arrive");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        while (!paste.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.counters["chars_per_s"] = benchmark::Counter(double(text.toUcs4().size()) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}

void BM_LongTextChosenInTheLauncher(benchmark::State &state)
{
    if (!g_field) {
        BenchmarkRun::fail(state, "the Qt form's field could not be read (run inside scripts/test-env)");
        return;
    }
    // 30 KB on one line (the field is a line edit), different each time so a later run cannot match an earlier.
    ClipboardService &clipboard = g_delegate->clipboardService();
    for (auto _ : state) {
        QString text = QStringLiteral("run %1: ").arg(state.iterations());
        while (text.size() < 30000)
            text += QStringLiteral("the quick brown fox jumps over the lazy dog %1; ").arg(text.size());
        ClipboardItem item(QUuid::createUuid());
        item.setText(text);
        item.setTypeRawValue(QStringLiteral("text"));
        const ClipboardPasteTarget target{g_field->application, g_field->field};
        QElapsedTimer timer;
        timer.start();
        Task<bool> typed = g_typing->handleClipboardItemSelect(item, target);
        while (!typed.isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::optional<Task<bool>> paste;
        if (!typed.result().value_or(false))
            paste.emplace(clipboard.paste(item, target));
        if (!waitForField(text, true)) {
            BenchmarkRun::fail(state, "the text did not arrive whole");
            break;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        while (paste && !paste->isFinished())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

BENCHMARK(BM_TypedIntoTheField)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BaselinePastedThroughTheClipboard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LongTextChosenInTheLauncher)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "0");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!setUp())
        g_field.reset();
    const int status = BenchmarkRun::runAll();
    g_typing.reset();
    if (g_delegate)
        g_delegate->stop();
    g_delegate.reset();
    if (g_form) {
        g_form->kill();
        g_form->waitForFinished(2000);
    }
    g_platform.reset();
    return status;
}
