// The folders under src/ form layers: every include points down, never up, and no two folders include
// each other. A sub-folder (fields/views, launcher/panel, platform/linux) belongs to its parent's layer.
// ui/ holds what every window and view shares (window base classes, drawing helpers).
// state/ holds the root state the views read (AppState, RuntimeState, SystemStatus): above the services it
// owns, below every view. The composition root (AppDelegate, main) builds everything and so may include every
// layer.
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Which layers include which, with one example include for each arrow.
using IncludeGraph = QMap<QString, QMap<QString, QString>>;

QString layerOf(const QString &relativePath)
{
    return relativePath.section(QLatin1Char('/'), 0, 0);
}

bool isCompositionRoot(const QString &relativePath)
{
    return relativePath.startsWith(QLatin1String("app/AppDelegate.")) || relativePath == QLatin1String("app/main.cpp");
}

IncludeGraph includeGraph()
{
    const QString root = QStringLiteral(TAVLEN_SOURCE_DIR "/src");
    static const QRegularExpression include(QStringLiteral(R"re(^\s*#\s*include\s+"([^"]+)")re"),
                                            QRegularExpression::MultilineOption);
    IncludeGraph graph;
    QDirIterator files(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString relative = path.mid(root.size() + 1);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (isCompositionRoot(relative))
            continue;
        const QString from = layerOf(relative);
        QRegularExpressionMatchIterator matches = include.globalMatch(QString::fromUtf8(file.readAll()));
        while (matches.hasNext()) {
            const QString target = matches.next().captured(1);
            if (!target.contains(QLatin1Char('/')))
                continue;
            const QString to = layerOf(target);
            if (to != from && !graph[from].contains(to))
                graph[from][to] = relative + QStringLiteral(" -> ") + target;
        }
    }
    return graph;
}

// A path of includes that leads from `from` back to `to`, empty when there is none.
QStringList pathBetween(const IncludeGraph &graph, const QString &from, const QString &to, QSet<QString> &seen)
{
    if (from == to)
        return {from};
    if (seen.contains(from))
        return {};
    seen.insert(from);
    const QMap<QString, QString> targets = graph.value(from);
    for (auto it = targets.begin(); it != targets.end(); ++it) {
        QStringList rest = pathBetween(graph, it.key(), to, seen);
        if (!rest.isEmpty())
            return QStringList{from} + rest;
    }
    return {};
}

// Every file the test programs are built from, relative to tests/; the programs under desktop/helpers/ are
// separate windows the desktop tests drive, not tests.
QStringList testSources()
{
    const QString root = QStringLiteral(TAVLEN_SOURCE_DIR "/tests");
    QStringList sources;
    QDirIterator files(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString relative = files.next().mid(root.size() + 1);
        if (!relative.startsWith(QLatin1String("desktop/helpers/")))
            sources.append(relative);
    }
    return sources;
}

TEST(Layering, SourceTreeIsFound)
{
    const IncludeGraph graph = includeGraph();
    EXPECT_TRUE(graph.contains(QStringLiteral("app")));
    EXPECT_TRUE(graph.value(QStringLiteral("launcher")).contains(QStringLiteral("state")));
}

struct Row {
    const char *lower;
    const char *upper;
};

// Pairs of layers in their order: the lower never includes the upper, so each builds and tests without it.
const Row rows[] = {
    {"platform", "model"},   {"platform", "clipboard"}, {"platform", "fields"}, {"platform", "launcher"},
    {"platform", "app"},     {"model", "clipboard"},    {"model", "fields"},    {"model", "launcher"},
    {"model", "app"},        {"clipboard", "fields"},   {"clipboard", "launcher"}, {"clipboard", "app"},
    {"fields", "launcher"},  {"app", "launcher"},
    // The root state owns the services below it and is read by the views and windows above it.
    {"platform", "state"},   {"model", "state"},       {"clipboard", "state"},  {"fields", "state"},
    {"intelligence", "state"}, {"state", "launcher"},  {"state", "preview"},    {"state", "settings"},
    {"state", "app"},
    // The window base classes every window builds on sit below every window, and the item preview below the
    // launcher panel that opens it.
    {"ui", "fields"},        {"ui", "launcher"},       {"ui", "preview"},
    {"preview", "launcher"}, {"preview", "settings"},  {"settings", "launcher"},
    // The settings window reads what it shows from state/, never from the composition root's folder.
    {"settings", "app"},
};

TEST(Layering, LowerLayersNeverIncludeUpperOnes)
{
    const IncludeGraph graph = includeGraph();
    for (const Row &row : rows) {
        const QString lower = QString::fromLatin1(row.lower);
        const QString upper = QString::fromLatin1(row.upper);
        EXPECT_FALSE(graph.value(lower).contains(upper))
            << qPrintable(lower) << " includes " << qPrintable(upper) << ": "
            << qPrintable(graph.value(lower).value(upper));
    }
}

TEST(Layering, NoTwoLayersIncludeEachOther)
{
    const IncludeGraph graph = includeGraph();
    for (auto from = graph.begin(); from != graph.end(); ++from) {
        for (auto to = from->begin(); to != from->end(); ++to) {
            QSet<QString> seen;
            const QStringList back = pathBetween(graph, to.key(), from.key(), seen);
            EXPECT_TRUE(back.isEmpty()) << "cycle " << qPrintable(from.key()) << " -> "
                                        << qPrintable(back.join(QStringLiteral(" -> "))) << " (first: "
                                        << qPrintable(to.value()) << ")";
        }
    }
}

// Qt Test's checks and waits only return from the function when they fail, and GoogleTest never hears of it:
// a test holding a timed-out wait passes.
TEST(Layering, TestsUseNoQtTestChecks)
{
    static const QRegularExpression qtTestCheck(QStringLiteral(R"re(\b(QTRY_\w+|QCOMPARE\w*|QVERIFY\w*)\s*\()re"));
    static const QRegularExpression lineComment(QStringLiteral(R"re(//.*$)re"), QRegularExpression::MultilineOption);
    const QStringList sources = testSources();
    ASSERT_TRUE(sources.contains(QStringLiteral("LayeringTest.cpp")));
    for (const QString &relative : sources) {
        QFile file(QStringLiteral(TAVLEN_SOURCE_DIR "/tests/") + relative);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(relative);
        const QString code = QString::fromUtf8(file.readAll()).remove(lineComment);
        const QRegularExpressionMatch check = qtTestCheck.match(code);
        EXPECT_FALSE(check.hasMatch()) << qPrintable(relative) << " uses " << qPrintable(check.captured(1))
                                       << "; use TAVLEN_WAIT_UNTIL or an ASSERT/EXPECT instead";
    }
}

} // namespace
