// The analysis queue between the history and the model: which items enter, one at a time, what is stored,
// what a failure leaves, and how it stops. First on the simulated platform, then end to end against a model
// server of the test's own.

#include "DesktopTest.h"
#include "LocalModelServer.h"
#include "OtherUserListener.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAnalysisQueue.h"
#include "model/ClipboardFilter.h"
#include "model/SettingsStore.h"
#include "platform/linux/LinuxLanguageModel.h"
#include "platform/sim/SimPlatform.h"
#include "state/AppState.h"
#include "state/SystemStatus.h"

#include <QBuffer>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString analysisJson(const QString &title, const QStringList &tags = {QStringLiteral("travel"), QStringLiteral("booking")})
{
    return QStringLiteral(R"({"title":"%1","summary":"A summary.","category":"note","tags":["%2"],"containsSensitiveInformation":false})")
        .arg(title, tags.join(QStringLiteral("\",\"")));
}

ClipboardCapture textCapture(const QString &text, ClipboardItemType type = ClipboardItemType::text)
{
    ClipboardCapture capture;
    capture.type = type;
    capture.text = text;
    capture.payload.items.append(PasteboardPayloadItem{{{"text/plain", text.toUtf8(), text.toUtf8().size(), std::nullopt}}});
    capture.sourceApplicationName = QStringLiteral("Text Editor");
    return capture;
}

ClipboardCapture imageCapture()
{
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    ClipboardCapture capture;
    capture.type = ClipboardItemType::image;
    capture.imageData = bytes;
    capture.payload.items.append(PasteboardPayloadItem{{{"image/png", bytes, bytes.size(), std::nullopt}}});
    return capture;
}

// The history, the root state and the queue wired as the composition root wires them.
struct Road {
    explicit Road(Platform platform)
        : appState(platform)
        , history(*platform.clock, nullptr)
        , ocr(*platform.textRecognizer)
        , queue(history, *appState.settings(), *appState.ai(), ocr, *platform.clock)
    {
        QObject::connect(&history, &ClipboardHistoryManager::analysisWanted, &queue, &ClipboardAnalysisQueue::enqueue);
        history.start();
        queue.start();
    }
    ~Road()
    {
        queue.stop();
        history.stop();
    }

    void setEnabled(bool on)
    {
        appState.settings()->update([on](UserSettingsData &s) { s.aiEnabled = on; });
    }
    ClipboardItem copy(const ClipboardCapture &capture) { return *history.ingest(capture); }
    ClipboardItem stored(const QUuid &id) const { return *history.item(id); }
    QList<ClipboardItem> search(const QString &query, bool includeAnalysisText)
    {
        const auto task = history.searchItems(std::nullopt, query, includeAnalysisText, 100);
        EXPECT_TRUE(QTest::qWaitFor([&] { return task.isFinished(); }, 10000));
        return task.result().value_or(std::nullopt).value_or(QList<ClipboardItem>());
    }

    AppState appState;
    ClipboardHistoryManager history;
    ClipboardOCRService ocr;
    ClipboardAnalysisQueue queue;
};

// The simulated platform with a model that titles each item after its first line.
struct SimRoad {
    SimRoad()
    {
        sim.languageModel.answerer = [](const LanguageModelRequest &request) {
            const QString first = request.prompt.section(QStringLiteral("<clipboard-content>\n"), 1).section(QLatin1Char('\n'), 0, 0);
            return LanguageModelResponse::completedWith(analysisJson(first.left(20)));
        };
        road.setEnabled(true);
    }

    SimPlatform sim;
    Road road{sim.platform()};
};

class ClipboardAnalysisQueueTest : public testing::Test, public SimRoad {};

TEST_F(ClipboardAnalysisQueueTest, StoresTheAnalysisAtVersionTwoAndSearchFindsItByATag)
{
    ASSERT_EQ(road.appState.ai()->availability(), ClipboardAIAvailability::available);
    const ClipboardItem item = road.copy(textCapture(QStringLiteral("Flight SK 1465 to Oslo, seat 14C")));
    const ClipboardItem analysed = road.stored(item.id());
    EXPECT_TRUE(analysed.hasCurrentAnalysis());
    EXPECT_EQ(analysed.aiAnalysisVersion(), 2);
    EXPECT_EQ(analysed.aiAnalyzedAt(), sim.clock.now());
    EXPECT_EQ(analysed.aiTitle(), QStringLiteral("Flight SK 1465 to Os"));
    EXPECT_EQ(analysed.aiCategory(), QStringLiteral("note"));
    EXPECT_EQ(analysed.tags(), (QStringList{QStringLiteral("booking"), QStringLiteral("travel")}));
    EXPECT_EQ(analysed.text(), item.text());

    const LanguageModelRequest &sent = sim.languageModel.requests().last();
    EXPECT_TRUE(sent.prompt.startsWith(QStringLiteral("Analyze this clipboard item.\nType: text\nSource application: Text Editor\n")));

    EXPECT_EQ(road.search(QStringLiteral("booking"), true).size(), 1);
    EXPECT_TRUE(road.search(QStringLiteral("booking"), false).isEmpty());
}

TEST_F(ClipboardAnalysisQueueTest, WhichItemsEnter)
{
    struct Row {
        const char *name;
        std::function<void(SimRoad &)> arrange;
        ClipboardCapture capture;
        bool analysed;
    };
    const QList<Row> rows{
        {"text while on and available", [](auto &) {}, textCapture(QStringLiteral("hello")), true},
        {"a link", [](auto &) {}, textCapture(QStringLiteral("https://example.org"), ClipboardItemType::url), true},
        {"local intelligence off", [](auto &t) { t.road.setEnabled(false); }, textCapture(QStringLiteral("hello")), false},
        {"model not ready",
         [](auto &t) {
             t.sim.languageModel.currentAvailability = LanguageModelAvailability::modelNotReady;
             t.road.appState.ai()->refreshAvailability();
         },
         textCapture(QStringLiteral("hello")), false},
        {"blank text", [](auto &) {}, textCapture(QStringLiteral("  \n ")), false},
        {"a file", [](auto &) {},
         [] {
             ClipboardCapture c;
             c.type = ClipboardItemType::file;
             c.filePaths = {QStringLiteral("/tmp/a.txt")};
             return c;
         }(),
         false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SimRoad fresh;
        row.arrange(fresh);
        const ClipboardItem item = fresh.road.copy(row.capture);
        EXPECT_EQ(fresh.road.stored(item.id()).hasCurrentAnalysis(), row.analysed);
        EXPECT_EQ(fresh.sim.languageModel.requests().size(), row.analysed ? 1 : 0);
    }
}

TEST_F(ClipboardAnalysisQueueTest, OneItemAtATimeAndNeverTwiceAtOnce)
{
    sim.languageModel.responseDelay = 2;
    const ClipboardItem first = road.copy(textCapture(QStringLiteral("first")));
    const ClipboardItem second = road.copy(textCapture(QStringLiteral("second")));
    // Capture never waits for the model.
    EXPECT_EQ(road.history.items().size(), 2);
    road.queue.enqueue(road.stored(first.id()));
    road.queue.enqueue(road.stored(second.id()));
    EXPECT_EQ(sim.languageModel.runningRequests(), 1);
    EXPECT_EQ(road.queue.pendingCount(), 1);
    sim.clock.advance(2);
    EXPECT_TRUE(road.stored(first.id()).hasCurrentAnalysis());
    EXPECT_FALSE(road.stored(second.id()).hasCurrentAnalysis());
    sim.clock.advance(2);
    EXPECT_TRUE(road.stored(second.id()).hasCurrentAnalysis());
    EXPECT_EQ(sim.languageModel.requests().size(), 2);
    EXPECT_FALSE(road.queue.isWorking());
}

// A failed analysis leaves its item as it was, and the next item is analysed all the same.
QStringList warnings;

void keepWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("keeps no title or tags")))
        warnings.append(message);
}

// Each answer that is not used leaves the item without title or tags and says why in the log; an image keeps
// the text read in it and is found by it.
TEST_F(ClipboardAnalysisQueueTest, FailuresLeaveTheItemAndTheQueueMovesOn)
{
    using Status = LanguageModelResponse::Status;
    struct Failure {
        LanguageModelResponse response;
        const char *logged;
    };
    const QList<Failure> failures{
        {LanguageModelResponse::failedWith(Status::truncated, QStringLiteral("cut")), "cut"},
        {LanguageModelResponse::completedWith(QStringLiteral(R"({"title":"half"})")), "did not have the expected form"},
        {LanguageModelResponse::completedWith(analysisJson(QStringLiteral("t"), {QStringLiteral("only")})),
         "did not have the expected form"},
        {LanguageModelResponse::completedWith(QString(analysisJson(QStringLiteral("t"))).replace("\"note\"", "\"recipe\"")),
         "named the category \"recipe\", which is not one of code, error log"},
        {LanguageModelResponse::failedWith(Status::failed, QStringLiteral("HTTP 500")), "HTTP 500"},
    };
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.logged);
        const QString read = QStringLiteral("Gate ") + QUuid::createUuid().toString(QUuid::Id128);
        sim.textRecognizer.recognizer = [read](const QByteArray &) { return ImageObservations{{read}, {}}; };
        sim.languageModel.queueResponse(failure.response, 1);
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepWarning);
        ClipboardCapture image = imageCapture();
        image.imageData.append(read.toUtf8()); // another copy, not a duplicate of the last row's
        const ClipboardItem failing = road.copy(image);
        const ClipboardItem next = road.copy(textCapture(QStringLiteral("next ") + QUuid::createUuid().toString()));
        sim.clock.advance(1);
        qInstallMessageHandler(previous);
        const ClipboardItem untouched = road.stored(failing.id());
        EXPECT_FALSE(untouched.aiAnalyzedAt().isValid());
        EXPECT_TRUE(untouched.aiTitle().isEmpty());
        EXPECT_TRUE(untouched.tags().isEmpty());
        EXPECT_EQ(untouched.aiExtractedText().toStdString(), read.toStdString());
        const QList<ClipboardItem> found = road.search(read.toLower(), false);
        EXPECT_TRUE(found.size() == 1 && found.first().id() == failing.id());
        EXPECT_TRUE(road.stored(next.id()).hasCurrentAnalysis());
        ASSERT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
        EXPECT_TRUE(warnings.first().contains(QLatin1String(failure.logged))) << warnings.first().toStdString();
    }
    EXPECT_EQ(road.appState.ai()->lastErrorMessage(), std::nullopt);
}

TEST_F(ClipboardAnalysisQueueTest, AnImageGoesThroughTextRecognitionFirst)
{
    sim.textRecognizer.recognizer = [](const QByteArray &) {
        return ImageObservations{{QStringLiteral("Invoice 2024-117"), QStringLiteral("Total due: 480 EUR")},
                                 {{QStringLiteral("document"), 0.9f}, {QStringLiteral("receipt"), 0.5f}}};
    };
    const ClipboardItem item = road.copy(imageCapture());
    const LanguageModelRequest &sent = sim.languageModel.requests().last();
    EXPECT_TRUE(sent.prompt.contains(QStringLiteral("Type: image\n")));
    EXPECT_TRUE(sent.prompt.contains(QStringLiteral("Local Vision labels: document, receipt\n")));
    EXPECT_TRUE(sent.prompt.contains(QStringLiteral(
        "<clipboard-content>\nImage of 320 × 200 pixels.\nRecognized text:\nInvoice 2024-117\nTotal due: 480 EUR\n</clipboard-content>")));
    const ClipboardItem analysed = road.stored(item.id());
    EXPECT_EQ(analysed.aiExtractedText(), QStringLiteral("Invoice 2024-117\nTotal due: 480 EUR"));
    EXPECT_EQ(road.search(QStringLiteral("480 eur"), true).size(), 1);

    // An image without text is still described.
    sim.textRecognizer.recognizer = nullptr;
    ClipboardCapture blank = imageCapture();
    blank.imageData.append('\0'); // another copy, not a duplicate of the first
    road.copy(blank);
    EXPECT_TRUE(sim.languageModel.requests().last().prompt.contains(QStringLiteral("Recognized text: none.")));
    EXPECT_TRUE(sim.languageModel.requests().last().prompt.contains(QStringLiteral("Local Vision labels: None\n")));
}

TEST_F(ClipboardAnalysisQueueTest, StopEndsTheItemInProgressAndStoresNothing)
{
    sim.languageModel.responseDelay = 5;
    const ClipboardItem item = road.copy(textCapture(QStringLiteral("slow")));
    road.copy(textCapture(QStringLiteral("queued")));
    EXPECT_EQ(road.appState.ai()->activeRequestCount(), 1);
    road.queue.stop();
    EXPECT_EQ(sim.languageModel.cancelledRequests(), 1);
    EXPECT_EQ(road.appState.ai()->activeRequestCount(), 0);
    sim.clock.advance(60);
    EXPECT_FALSE(road.stored(item.id()).aiAnalyzedAt().isValid());
    EXPECT_EQ(sim.languageModel.requests().size(), 1);
    // Nothing new enters after a stop.
    road.copy(textCapture(QStringLiteral("after")));
    EXPECT_EQ(sim.languageModel.requests().size(), 1);
}

TEST_F(ClipboardAnalysisQueueTest, FollowsTheSettingAndNoticesALateModelServer)
{
    sim.languageModel.responseDelay = 5;
    const ClipboardItem item = road.copy(textCapture(QStringLiteral("in flight")));
    road.setEnabled(false);
    EXPECT_EQ(sim.languageModel.cancelledRequests(), 1);
    EXPECT_FALSE(road.appState.ai()->isWatchingAvailability());
    sim.clock.advance(10);
    EXPECT_FALSE(road.stored(item.id()).hasCurrentAnalysis());

    // On again while the server is still down; it comes up later and is noticed within a minute.
    sim.languageModel.responseDelay = 0;
    sim.languageModel.currentAvailability = LanguageModelAvailability::modelNotReady;
    road.setEnabled(true);
    EXPECT_EQ(road.appState.ai()->availability(), ClipboardAIAvailability::modelNotReady);
    const ClipboardItem missed = road.copy(textCapture(QStringLiteral("while down")));
    EXPECT_FALSE(road.stored(missed.id()).hasCurrentAnalysis());
    sim.languageModel.currentAvailability = LanguageModelAvailability::available;
    sim.clock.advance(ClipboardAIController::recheckInterval);
    EXPECT_EQ(road.appState.ai()->availability(), ClipboardAIAvailability::available);
    const ClipboardItem later = road.copy(textCapture(QStringLiteral("after the server came up")));
    EXPECT_TRUE(road.stored(later.id()).hasCurrentAnalysis());
}

TEST_F(ClipboardAnalysisQueueTest, AnItemDeletedWhileAnalysedIsNotBroughtBack)
{
    sim.languageModel.responseDelay = 1;
    const ClipboardItem item = road.copy(textCapture(QStringLiteral("short-lived")));
    road.history.deleteItems({item});
    sim.clock.advance(1);
    EXPECT_FALSE(road.history.item(item.id()).has_value());
    EXPECT_TRUE(road.history.items().isEmpty());
}

// End to end: the real client, a real server on 127.0.0.1, the queue and the history's search.
TEST(ClipboardAnalysisQueueServer, AnalysedThroughAModelServerAndFoundByATag)
{
    LocalModelServer server;
    server.completion = [](const LocalModelServer::Request &) {
        return LocalModelServer::answer(analysisJson(QStringLiteral("Quarterly numbers"), {QStringLiteral("Finance"), QStringLiteral("report")}));
    };
    SimPlatform sim;
    const QString endpoint = server.baseUrl();
    LinuxLanguageModel model(sim.clock, [endpoint] { return ModelEndpoint::parse(endpoint, std::nullopt); });
    Platform platform = sim.platform();
    platform.languageModel = &model;
    Road road(platform);
    road.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return road.appState.ai()->availability() == ClipboardAIAvailability::available; }, 10000));

    const ClipboardItem item = road.copy(textCapture(QStringLiteral("Revenue rose 12% in Q3")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return road.stored(item.id()).hasCurrentAnalysis(); }, 10000));
    EXPECT_EQ(road.stored(item.id()).aiTitle(), QStringLiteral("Quarterly numbers"));
    EXPECT_EQ(road.search(QStringLiteral("finance"), true).size(), 1);
    const QJsonObject body = server.completions().last().json();
    EXPECT_EQ(body.value("max_tokens").toInt(), 320);

    // The server goes away: the next copy stays as it was and the model shows as not ready.
    server.shutDown();
    const ClipboardItem unanswered = road.copy(textCapture(QStringLiteral("after the server stopped")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !road.queue.isWorking(); }, 10000));
    EXPECT_FALSE(road.stored(unanswered.id()).aiAnalyzedAt().isValid());
    ASSERT_TRUE(QTest::qWaitFor([&] { return road.appState.ai()->availability() == ClipboardAIAvailability::modelNotReady; }, 10000));
}

} // namespace

namespace {

// The composition root hands new copies to the queue and stops it at quit.
TEST(ClipboardAnalysisQueueInApp, ACopyIsAnalysedWhenLocalIntelligenceIsOn)
{
    SimPlatform sim;
    sim.languageModel.answerer = [](const LanguageModelRequest &) {
        return LanguageModelResponse::completedWith(analysisJson(QStringLiteral("Copied note")));
    };
    LaunchOptions options;
    options.testMode = true;
    options.inMemoryStore = true;
    AppDelegate delegate(sim.platform(), options);
    delegate.appState().settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
    delegate.start();
    EXPECT_EQ(delegate.appState().ai()->availability(), ClipboardAIAvailability::available);
    sim.pasteboard.copyText(QStringLiteral("remember the milk"));
    sim.clock.advance(0.2);
    TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 1, 10000);
    EXPECT_EQ(delegate.history().items().first().aiTitle(), QStringLiteral("Copied note"));

    sim.languageModel.responseDelay = 30;
    sim.pasteboard.copyText(QStringLiteral("still thinking"));
    sim.clock.advance(0.2);
    TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 2, 10000);
    delegate.stop();
    EXPECT_EQ(sim.languageModel.cancelledRequests(), 1);
}


// On a shared computer another user's program may listen at the model's address. It is sent nothing, so no
// copy reaches it and no answer of its becomes a title; the person is told once, the settings say why, and a
// server of the person's own is used again.
TEST(ClipboardAnalysisQueueInApp, AnotherUsersProgramAtTheModelAddressIsSentNothing)
{
    OtherUserListener stranger(LocalModelServer::answer(analysisJson(QStringLiteral("Taken by a stranger"))).body);
    if (!stranger.isListening()) {
        ASSERT_FALSE(DesktopTest::isCi()) << stranger.problem().toStdString();
        GTEST_SKIP() << stranger.problem().toStdString();
    }
    LocalModelServer own;
    own.completion = [](const LocalModelServer::Request &) {
        return LocalModelServer::answer(analysisJson(QStringLiteral("Card details")));
    };
    SimPlatform sim;
    QString endpoint = stranger.baseUrl();
    LinuxLanguageModel model(sim.clock, [&endpoint] { return ModelEndpoint::parse(endpoint, std::nullopt); });
    Platform platform = sim.platform();
    platform.languageModel = &model;
    LaunchOptions options;
    options.testMode = true;
    options.inMemoryStore = true;
    AppDelegate delegate(platform, options);
    delegate.appState().settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
    delegate.start();
    ClipboardAIController &ai = *delegate.appState().ai();

    TAVLEN_WAIT_UNTIL(ai.availability() == ClipboardAIAvailability::modelNotReady, 10000);
    sim.pasteboard.copyText(QStringLiteral("Card 4111 1111 1111 1111, expires 12/29"));
    sim.clock.advance(0.2);
    TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 1, 10000);
    // Asked again a minute later, as while no model answers.
    sim.clock.advance(ClipboardAIController::recheckInterval);
    TAVLEN_WAIT_UNTIL(stranger.connections() >= 2, 10000);
    EXPECT_EQ(stranger.received(), QByteArray());
    EXPECT_EQ(delegate.history().items().first().aiTitle(), QString());
    const QString where = QStringLiteral("127.0.0.1:%1 (user nobody)").arg(stranger.port());
    EXPECT_EQ(model.foreignListener(), where);
    EXPECT_TRUE(delegate.systemStatus().modelDescription().contains(where)) << delegate.systemStatus().modelDescription().toStdString();
    const SystemNotice told{SystemNotice::Kind::modelAddressTaken, where};
    EXPECT_EQ(std::count_if(sim.notifications.posted.begin(), sim.notifications.posted.end(),
                            [&](const auto &posted) { return posted.summary == told.summary(); }),
              1);

    endpoint = own.baseUrl();
    ai.requestAvailabilityRefresh();
    TAVLEN_WAIT_UNTIL(ai.availability() == ClipboardAIAvailability::available, 10000);
    sim.pasteboard.copyText(QStringLiteral("Card 5500 0000 0000 0004"));
    sim.clock.advance(0.2);
    TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 2 && delegate.history().items().first().hasCurrentAnalysis(), 10000);
    EXPECT_EQ(delegate.history().items().first().aiTitle(), QStringLiteral("Card details"));
    EXPECT_EQ(model.foreignListener(), QString());
    EXPECT_EQ(delegate.systemStatus().modelDescription(), QStringLiteral("Text given to the language model stays on this computer."));
    delegate.stop();
}

} // namespace
