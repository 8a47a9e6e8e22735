// Reading the field under the pointer in the GTK 3 and Qt login-form helpers (median and p90 of 30
// repetitions), against a plain baseline on the same field: libatspi's own hit test of the application's
// window descended to the same element, reading only its role. Needs the test desktop (make bench).
#include "BenchmarkRun.h"

#include "fields/FocusedFieldSuggestionService.h"
#include "platform/Accessibility.h"
#include "platform/linux/LinuxPlatform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>

#include <atspi/atspi.h>

#include <algorithm>
#include <memory>

namespace {

struct Helper {
    std::unique_ptr<QProcess> process;
    QPointF emailCentre;   // accessibility space
    QPoint emailPixel;     // root window
    qint64 pid = 0;
};

std::unique_ptr<LinuxPlatform> g_platform;
std::unique_ptr<FocusedFieldSuggestionService> g_service;
Helper g_helpers[2];

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

bool start(Helper &helper, const QString &program, QPoint at)
{
    helper.process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    helper.process->setProcessEnvironment(environment);
    helper.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.process->start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/") + program,
                          {QStringLiteral("--at"), QStringLiteral("%1,%2").arg(at.x()).arg(at.y())});
    const std::optional<QByteArray> ready = readLine(*helper.process, "ready");
    if (!ready)
        return false;
    helper.pid = ready->mid(6).toLongLong();
    // Wait until the window manager has placed the window and the field reads.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        helper.process->write("geometry\n");
        const std::optional<QByteArray> line = readLine(*helper.process, "field email");
        if (!line)
            return false;
        const QList<QByteArray> parts = line->split(' ');
        const QRect rect(parts[2].toInt(), parts[3].toInt(), parts[4].toInt(), parts[5].toInt());
        helper.emailPixel = rect.center();
        helper.emailCentre = QPointF(rect.center()) - QPointF(QGuiApplication::primaryScreen()->geometry().topLeft());
        readLine(*helper.process, "field password");
        const std::optional<ClipboardPasteTarget> target = g_service->pasteTarget(helper.emailCentre);
        QCoreApplication::processEvents();
        if (target && target->application.pid == helper.pid)
            return true;
    }
    return false;
}

double p90(const std::vector<double> &values)
{
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(double(sorted.size()) * 0.9))];
}

void BM_FieldUnderPointer(benchmark::State &state)
{
    const Helper &helper = g_helpers[state.range(0)];
    if (!helper.pid) {
        BenchmarkRun::fail(state, "the helper application could not be read (run inside scripts/test-env)");
        return;
    }
    for (auto _ : state) {
        const std::optional<ClipboardPasteTarget> target = g_service->pasteTarget(helper.emailCentre);
        benchmark::DoNotOptimize(target);
        state.PauseTiming();
        if (!target || !target->field || target->field->descriptor.fieldType != QLatin1String("Email")) {
            BenchmarkRun::fail(state, "the e-mail field was not read");
            break;
        }
        // A new request per iteration (each has its own time budget).
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// The same element found by libatspi alone: the application's window, hit tests down, and its role.
void BM_BaselineHitTestAndRole(benchmark::State &state)
{
    const Helper &helper = g_helpers[state.range(0)];
    if (!helper.pid) {
        BenchmarkRun::fail(state, "the helper application could not be read (run inside scripts/test-env)");
        return;
    }
    AtspiAccessible *desktop = atspi_get_desktop(0);
    AtspiAccessible *app = nullptr;
    for (int i = 0; i < atspi_accessible_get_child_count(desktop, nullptr) && !app; ++i) {
        AtspiAccessible *candidate = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (candidate && atspi_accessible_get_process_id(candidate, nullptr) == guint(helper.pid))
            app = candidate;
        else if (candidate)
            g_object_unref(candidate);
    }
    g_object_unref(desktop);
    if (!app) {
        BenchmarkRun::fail(state, "the helper is not on the accessibility bus");
        return;
    }
    for (auto _ : state) {
        AtspiAccessible *current = atspi_accessible_get_child_at_index(app, 0, nullptr);
        while (current) {
            AtspiComponent *component = atspi_accessible_get_component_iface(current);
            AtspiAccessible *child = component ? atspi_component_get_accessible_at_point(
                                                     component, helper.emailPixel.x(), helper.emailPixel.y(),
                                                     ATSPI_COORD_TYPE_SCREEN, nullptr)
                                               : nullptr;
            if (component)
                g_object_unref(component);
            if (!child || child == current) {
                if (child)
                    g_object_unref(child);
                break;
            }
            g_object_unref(current);
            current = child;
        }
        const AtspiRole role = current ? atspi_accessible_get_role(current, nullptr) : ATSPI_ROLE_INVALID;
        if (current)
            g_object_unref(current);
        // The hit test reached the e-mail field itself (an entry in Qt, a text in GTK).
        if (role != ATSPI_ROLE_ENTRY && role != ATSPI_ROLE_TEXT) {
            gchar *name = atspi_role_get_name(role);
            BenchmarkRun::fail(state, std::string("the hit test ended on a ") + (name ? name : "nothing"));
            g_free(name);
            break;
        }
    }
    g_object_unref(app);
}

void arguments(benchmark::internal::Benchmark *b)
{
    b->ArgName("gtk0_qt1")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(30)
        ->ComputeStatistics("p90", p90)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_FieldUnderPointer)->Apply(arguments);
BENCHMARK(BM_BaselineHitTestAndRole)->Apply(arguments);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "0");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_platform = std::make_unique<LinuxPlatform>();
    g_service = std::make_unique<FocusedFieldSuggestionService>(g_platform->platform());
    if (g_platform->platform().accessibility->isAvailable()) {
        if (!start(g_helpers[0], QStringLiteral("gtk_login_app"), QPoint(60, 80)))
            g_helpers[0].pid = 0;
        if (!start(g_helpers[1], QStringLiteral("qt_login_app"), QPoint(700, 80)))
            g_helpers[1].pid = 0;
    }
    const int status = BenchmarkRun::runAll();
    for (Helper &helper : g_helpers) {
        if (helper.process) {
            helper.process->kill();
            helper.process->waitForFinished(2000);
        }
    }
    g_service.reset();
    g_platform.reset();
    return status;
}
