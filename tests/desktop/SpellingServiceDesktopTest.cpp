// The spelling check of another application's selection on the test desktop, in a Qt and a GTK 3
// application: `tavlen --check-spelling` hands the selected text over the session bus to the spelling
// service (here in the test's own process), which asks the test's model server on 127.0.0.1 and opens the
// review window; Replace writes the correction into the selection and the field reads back exactly, while
// a field the person changed during the review is left as the person left it. Refusals come back as the
// bus's error text, end the command with a failure and show in Tavlen's own window.

#include "DesktopTest.h"
#include "LocalModelServer.h"
#include "LoginFormApp.h"

#include "app/SingleInstanceGuard.h"
#include "app/SpellingCheckRequest.h"
#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIError.h"
#include "intelligence/SpellingServiceContent.h"
#include "intelligence/SpellingRefusalWindow.h"
#include "intelligence/SpellingServiceProvider.h"
#include "model/SettingsStore.h"
#include "state/AppState.h"
#include "ui/AlertView.h"
#include "platform/Accessibility.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LinuxTextServices.h"
#include "platform/linux/XdgStorageLocations.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

// libatspi abandons the D-Bus call (with its timeout and closure) of each request an application left
// unanswered; that is its leak, not ours.
extern "C" const char *__asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:dbind_send_and_allow_reentry\n";
}

namespace {

const QString misspelled = QStringLiteral("Teh quick brwn fox");
const QString corrected = QStringLiteral("The quick brown fox");

// A program of the test run to the end (or until told to stop) while this process keeps serving the bus.
struct Command {
    explicit Command(const QString &program, const QStringList &arguments)
    {
        process.start(program, arguments);
    }
    ~Command()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
    bool finish(int timeoutMs = 25000)
    {
        return DesktopTest::waitUntil([this] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    }
    QString errors()
    {
        standardError += process.readAllStandardError();
        return QString::fromUtf8(standardError);
    }
    QProcess process;
    QByteArray standardError;
};

QString tavlenPath()
{
    // The program itself lies one folder above the tests.
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../tavlen"));
}

class SpellingServiceDesktop : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        ASSERT_TRUE(QFileInfo::exists(tavlenPath())) << "build the tavlen program first: " << tavlenPath().toStdString();
        server.completion = [](const LocalModelServer::Request &) { return LocalModelServer::answer(corrected); };
        qputenv("TAVLEN_MODEL_ENDPOINT", server.baseUrl().toUtf8());
        platform = std::make_unique<LinuxPlatform>();
        appState = std::make_unique<AppState>(platform->platform());
        appState->settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
        provider = std::make_unique<SpellingServiceProvider>(*appState->settings(), *appState->ai(), platform->platform());
        ASSERT_TRUE(provider->install()) << "the spelling service could not take its name on the session bus";
        // The command hands the selection only to the instance holding the history: here, this process.
        ASSERT_TRUE(instance.acquire()) << instance.error().toStdString();
    }
    void TearDown() override
    {
        provider.reset();
        appState.reset();
        platform.reset();
        qunsetenv("TAVLEN_MODEL_ENDPOINT");
    }

    // Starts the login form with the misspelled text in its e-mail field, selected, and waits until its
    // selection can be read over the accessibility bus.
    bool startApp()
    {
        app = std::make_unique<LoginFormApp>(QString::fromLatin1(GetParam()), misspelled);
        if (!app->waitUntilReady())
            return false;
        return DesktopTest::waitUntil([this] {
            if (app->emailText() != misspelled)
                return false;
            const AccessibilityElement field = platform->platform()
                                                   .accessibility->applicationElement(app->pid())
                                                   .attribute(AccessibilityAttribute::focusedElement)
                                                   .element()
                                                   .value_or(AccessibilityElement());
            return field.attribute(AccessibilityAttribute::selectedText).string() == misspelled;
        }, 15000);
    }
    // The field's text as the form itself reports it, leaving its selection alone.
    QString fieldText()
    {
        app->process().writeLine("text");
        const std::optional<QByteArray> line = app->process().waitForLine("text ", 5000);
        return line ? QString::fromUtf8(line->mid(5)) : QStringLiteral("<no answer>");
    }
    SpellingPreviewView *panel() const
    {
        return provider->previewContent() ? provider->previewContent()->panel() : nullptr;
    }
    // `tavlen --check-spelling`, as a key binding runs it; waits for the review window's result.
    bool checkSelection()
    {
        Command command(tavlenPath(), {QStringLiteral("--check-spelling")});
        const bool finished = command.finish();
        EXPECT_TRUE(finished);
        EXPECT_EQ(command.process.exitCode(), 0) << command.errors().toStdString();
        return DesktopTest::waitUntil([this] { return panel() && !panel()->isLoading(); }, 15000);
    }

    LocalModelServer server;
    SingleInstanceGuard instance{XdgStorageLocations().dataFolder()};
    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<AppState> appState;
    std::unique_ptr<SpellingServiceProvider> provider;
    std::unique_ptr<LoginFormApp> app;
};

TEST_P(SpellingServiceDesktop, ReplaceWritesTheCorrectionIntoTheSelection)
{
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(checkSelection());
    SpellingPreviewView *review = panel();
    EXPECT_EQ(review->original(), misspelled);
    EXPECT_EQ(review->corrected(), corrected);
    EXPECT_TRUE(review->canReplace()) << "the selection was captured over the accessibility bus";
    ASSERT_FALSE(server.completions().isEmpty());
    EXPECT_TRUE(server.completions().last().json().value("messages").toArray().last().toObject().value("content")
                    .toString().contains(misspelled));
    DesktopTest::screenshot(QStringLiteral("spelling-review-%1").arg(QString::fromLatin1(GetParam())));

    // The review window may hold the keyboard now: the replacement goes to the captured field anyway.
    review->applyReplacement();
    EXPECT_EQ(review->errorMessage(), std::nullopt);
    EXPECT_EQ(provider->previewWindow(), nullptr) << "a successful replacement closes the window";
    EXPECT_EQ(fieldText(), corrected);
}

TEST_P(SpellingServiceDesktop, AChangeDuringTheReviewRefusesTheReplacement)
{
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(checkSelection());
    ASSERT_TRUE(panel()->canReplace());
    app->process().writeLine("append  jumps");
    ASSERT_TRUE(app->process().waitForLine("appended"));
    const QString left = misspelled + QStringLiteral(" jumps");
    ASSERT_EQ(fieldText(), left);

    panel()->applyReplacement();
    EXPECT_TRUE(panel()->errorMessage().value_or(QString()).startsWith(QStringLiteral("The selection changed")));
    EXPECT_NE(provider->previewWindow(), nullptr) << "the window stays, with the correction to copy";
    EXPECT_EQ(fieldText(), left);
}

TEST_P(SpellingServiceDesktop, AMovedSelectionRefusesTheReplacement)
{
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(checkSelection());
    app->process().writeLine("selectrange 4 5");
    ASSERT_TRUE(app->process().waitForLine("selected range"));
    panel()->applyReplacement();
    EXPECT_TRUE(panel()->errorMessage().has_value());
    EXPECT_EQ(fieldText(), misspelled);
}

INSTANTIATE_TEST_SUITE_P(Toolkits, SpellingServiceDesktop, ::testing::Values("qt_login_app", "gtk_login_app"));

TEST(SpellingServiceDesktopRefusals, RefusalsComeBackAsTheBusErrorAndShowWithoutWaiting)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPlatform platform;
    AppState appState(platform.platform());
    SpellingServiceProvider provider(*appState.settings(), *appState.ai(), platform.platform());

    // Nobody offers the service yet.
    {
        Command command(tavlenPath(), {QStringLiteral("--check-spelling")});
        // The command prints what it shows; here it has no selection to send, or no Tavlen to send it to.
        ASSERT_TRUE(DesktopTest::waitUntil([&] { return command.errors().contains(QStringLiteral("tavlen: ")); }, 20000));
    }
    // Another program holding the bus name (an instance still quitting) keeps it: nothing is offered until
    // the name is free.
    {
        QDBusConnection holder = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("holder"));
        ASSERT_TRUE(holder.registerService(LinuxTextServices::busName));
        EXPECT_FALSE(provider.install());
        EXPECT_FALSE(platform.platform().textServices->isOfferingSpellingService());
        holder.unregisterService(LinuxTextServices::busName);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("holder"));
    ASSERT_TRUE(provider.install());
    struct Row {
        const char *what;
        bool aiEnabled;
        QString text;
        QString message;
    };
    const QList<Row> rows{
        {"local intelligence off", false, misspelled, SpellingServiceProvider::intelligenceOffMessage},
        {"only spaces", true, QStringLiteral("   "), QStringLiteral("There is no text to analyze.")},
        {"too long", true, QString(1600, QLatin1Char('x')), ClipboardAIError::selectionTooLong().localizedDescription()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        appState.settings()->update([&](UserSettingsData &s) { s.aiEnabled = row.aiEnabled; });
        Command call(QStringLiteral("dbus-send"),
                     {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                      QStringLiteral("--dest=") + LinuxTextServices::busName, LinuxTextServices::objectPath,
                      LinuxTextServices::interfaceName + QStringLiteral(".") + LinuxTextServices::checkSpellingMethod,
                      QStringLiteral("string:") + row.text});
        ASSERT_TRUE(call.finish());
        EXPECT_NE(call.process.exitCode(), 0);
        const QString errors = call.errors();
        EXPECT_TRUE(errors.contains(LinuxTextServices::refusedError)) << errors.toStdString();
        EXPECT_TRUE(errors.contains(row.message)) << errors.toStdString();
        EXPECT_EQ(provider.previewWindow(), nullptr);
        // The person sees it too, in a window that nobody waited on.
        ASSERT_NE(provider.refusalWindow(), nullptr);
        EXPECT_EQ(provider.refusalWindow()->alert()->message(), row.message);
    }

    // The command prints a refusal and ends with a failure at once; the running Tavlen shows it.
    appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = false; });
    LoginFormApp app(QStringLiteral("qt_login_app"), misspelled);
    ASSERT_TRUE(app.waitUntilReady());
    ASSERT_EQ(app.emailText(), misspelled);
    provider.refusalWindow()->close();
    // A program holding the bus name without holding the history (here this process, before it locks it) is
    // handed nothing.
    {
        Command command(tavlenPath(), {QStringLiteral("--check-spelling")});
        ASSERT_TRUE(command.finish());
        EXPECT_EQ(command.process.exitCode(), 1);
        EXPECT_TRUE(command.errors().contains(QStringLiteral("other than the running Tavlen"))) << command.errors().toStdString();
        EXPECT_TRUE(!provider.refusalWindow() || !provider.refusalWindow()->host()->isVisible()) << "the request reached it";
    }
    SingleInstanceGuard instance(XdgStorageLocations().dataFolder());
    ASSERT_TRUE(instance.acquire()) << instance.error().toStdString();
    Command command(tavlenPath(), {QStringLiteral("--check-spelling")});
    ASSERT_TRUE(command.finish()) << "the command waits for nobody";
    EXPECT_EQ(command.process.exitCode(), 1);
    EXPECT_TRUE(command.errors().contains(SpellingServiceProvider::intelligenceOffMessage)) << command.errors().toStdString();
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return provider.refusalWindow() && provider.refusalWindow()->host()->isVisible(); }));
    EXPECT_EQ(provider.refusalWindow()->alert()->message(), SpellingServiceProvider::intelligenceOffMessage);
    DesktopTest::renderSnapshot(*provider.refusalWindow()->host(), QStringLiteral("spelling-refusal"));
}

// While one request is answered (its model still asked whether it can be used), every other call is refused
// at once, and shown to nobody: a flood neither waits in the program nor opens a window per call.
TEST(SpellingServiceDesktopRefusals, CallsArrivingWhileOneIsAnsweredAreRefusedAtOnce)
{
    TAVLEN_REQUIRE_DESKTOP();
    LocalModelServer server;
    server.models = [](const LocalModelServer::Request &) { return LocalModelServer::Reply{LocalModelServer::Reply::Kind::hang}; };
    qputenv("TAVLEN_MODEL_ENDPOINT", server.baseUrl().toUtf8());
    LinuxPlatform platform;
    AppState appState(platform.platform());
    appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
    SpellingServiceProvider provider(*appState.settings(), *appState.ai(), platform.platform());
    ASSERT_TRUE(provider.install());
    // Calls from a connection of their own go through the bus, as another program's do.
    QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("flood"));
    ASSERT_TRUE(caller.isConnected());
    const auto call = [&](const QString &text, int timeoutMs) {
        QDBusMessage message = QDBusMessage::createMethodCall(LinuxTextServices::busName, LinuxTextServices::objectPath,
                                                              LinuxTextServices::interfaceName,
                                                              LinuxTextServices::checkSpellingMethod);
        message << text;
        return caller.asyncCall(message, timeoutMs);
    };
    const qsizetype asked = server.requests().size();
    const QDBusPendingCall first = call(misspelled, 60000);
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return server.requests().size() > asked; }, 10000));

    // Refused on the bus calls' own thread: this (the UI) thread waits for the answers without running.
    QList<QDBusPendingCall> flood;
    for (int i = 0; i < 200; ++i)
        flood.append(call(QString(100, QLatin1Char('a' + i % 26)), 10000));
    for (QDBusPendingCall &refused : flood)
        refused.waitForFinished();
    for (const QDBusPendingCall &refused : std::as_const(flood)) {
        ASSERT_EQ(refused.reply().errorName().toStdString(), LinuxTextServices::refusedError.toStdString());
        ASSERT_EQ(refused.reply().errorMessage().toStdString(), LinuxTextServices::busyMessage.toStdString());
    }
    EXPECT_FALSE(first.isFinished()) << "the first is still being answered";
    EXPECT_EQ(provider.refusalWindow(), nullptr);
    QDBusConnection::disconnectFromBus(QStringLiteral("flood"));
    qunsetenv("TAVLEN_MODEL_ENDPOINT");
}

// A call of any size is answered and the connection goes on answering: one past the 63 MiB libdbus holds for
// a connection by default left it deaf for good (its bus peers' pings unanswered, the service gone).
TEST(SpellingServiceDesktopRefusals, ACallOfAnySizeIsAnsweredAndTheConnectionGoesOnAnswering)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPlatform platform;
    AppState appState(platform.platform());
    appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = false; });
    SpellingServiceProvider provider(*appState.settings(), *appState.ai(), platform.platform());
    ASSERT_TRUE(provider.install());
    QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("large"));
    ASSERT_TRUE(caller.isConnected());
    const auto answer = [&](QDBusMessage message, int timeoutMs) {
        const QDBusPendingCall call = caller.asyncCall(message, timeoutMs);
        DesktopTest::waitUntil([&] { return call.isFinished(); }, timeoutMs + 1000);
        return call.isFinished() ? call.reply() : QDBusMessage();
    };
    const auto checkSpelling = [](const QString &text) {
        QDBusMessage message = QDBusMessage::createMethodCall(LinuxTextServices::busName, LinuxTextServices::objectPath,
                                                              LinuxTextServices::interfaceName,
                                                              LinuxTextServices::checkSpellingMethod);
        message << text;
        return message;
    };
    const QDBusMessage ping = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(), QStringLiteral("/"),
                                                             QStringLiteral("org.freedesktop.DBus.Peer"),
                                                             QStringLiteral("Ping"));
    struct Row {
        const char *what;
        qsizetype characters;
    };
    const Row rows[] = {{"100 MB", 100'000'000}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(answer(checkSpelling(QString(row.characters, QLatin1Char('a'))), 60000).errorName().toStdString(),
                  LinuxTextServices::refusedError.toStdString());
        EXPECT_EQ(answer(ping, 1000 * DesktopTest::loadedMachineFactor).type(), QDBusMessage::ReplyMessage);
        const QDBusMessage next = answer(checkSpelling(misspelled), 10000);
        EXPECT_EQ(next.errorMessage().toStdString(), SpellingServiceProvider::intelligenceOffMessage.toStdString());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("large"));
}

// Where no focused field tells its selection (no application in front here), the command takes the text
// selected last anywhere, read from its X11 owner; a selection far too long is refused unread.
TEST(SpellingServiceDesktopSelection, TheLastSelectionAnywhereIsTakenWhenNoFieldTellsItsOwn)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPlatform platform(LinuxPlatform::Purpose::serviceRequest);
    struct Row {
        QByteArray selected;
        QString read; // the text taken, or the message given
    };
    const QByteArray tooLong(SpellingCheckRequest::maximumSelectionBytes + 1, 'x');
    const Row rows[] = {
        {QByteArrayLiteral("Selected in a terminal, caf\xc3\xa9 included"), QStringLiteral("Selected in a terminal, caf\u00e9 included")},
        {tooLong, ClipboardAIError::selectionTooLong().localizedDescription()},
    };
    for (const Row &row : rows) {
        ASSERT_TRUE(DesktopTest::copyWithXclip(row.selected, QStringLiteral("primary")));
        // xclip takes the selection a moment after it returns: read until the new owner has answered.
        QString read;
        const bool settled = DesktopTest::waitUntil([&] {
            const Task<std::variant<SpellingCheckRequest::Selection, QString>> task
                = SpellingCheckRequest::readSelection(platform.platform());
            if (!DesktopTest::waitUntil([&] { return task.isFinished(); }, 10000))
                return false;
            const std::variant<SpellingCheckRequest::Selection, QString> result = task.result().value_or(QString());
            const auto *selection = std::get_if<SpellingCheckRequest::Selection>(&result);
            read = selection ? selection->text : std::get<QString>(result);
            return read == row.read && (!selection || selection->source == SpellingCheckRequest::Selection::Source::primarySelection);
        }, 10000);
        EXPECT_TRUE(settled) << read.left(80).toStdString();
    }
}

} // namespace
