// Local intelligence against plain baselines, in one run: text recognition of a 1920 × 1080 screenshot-like
// image against decoding the same PNG alone, and one history item's trip through the analysis queue (chat
// completion, validation, storing, search index) against a raw HTTP round trip of the same request to the
// same local model server, with the HTTP requests each item cost.
#include "BenchmarkRun.h"

#include "LocalModelServer.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIService.h"
#include "intelligence/ClipboardAnalysisQueue.h"
#include "intelligence/ClipboardOCRService.h"
#include "model/SettingsStore.h"
#include "platform/linux/LinuxLanguageModel.h"
#include "platform/linux/TesseractTextRecognizer.h"
#include "platform/sim/SimPlatform.h"
#include "state/AppState.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPainter>

namespace {

const QString analysisAnswer = QStringLiteral(
    R"({"title":"Release notes","summary":"What changed.","category":"document","tags":["release","notes"],"containsSensitiveInformation":false})");

void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A window with a title bar, a sidebar, paragraphs and a code block, as a copied screenshot looks.
QByteArray screenshotPng()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    const int mono = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"));
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(246, 246, 248));
    QPainter painter(&image);
    painter.fillRect(0, 0, 1920, 44, QColor(222, 222, 228));
    painter.fillRect(0, 44, 300, 1036, QColor(232, 234, 240));
    QFont font(QFontDatabase::applicationFontFamilies(id).value(0));
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(20, 28), QStringLiteral("Release notes — Tavlen 0.1 — Text Editor"));
    const QStringList sidebar{"Inbox", "Drafts", "Sent", "Archive", "Projects", "Invoices 2024", "Travel"};
    for (int i = 0; i < sidebar.size(); ++i)
        painter.drawText(QPoint(24, 90 + i * 34), sidebar[i]);
    const QString sentence = QStringLiteral("The history keeps every copy for up to seven days and finds it again by its text.");
    for (int i = 0; i < 18; ++i)
        painter.drawText(QPoint(340, 90 + i * 30), QStringLiteral("%1. ").arg(i + 1) + sentence);
    painter.fillRect(330, 660, 1500, 360, QColor(36, 38, 46));
    QFont code(QFontDatabase::applicationFontFamilies(mono).value(0));
    code.setPixelSize(15);
    painter.setFont(code);
    painter.setPen(QColor(220, 220, 220));
    for (int i = 0; i < 10; ++i)
        painter.drawText(QPoint(350, 700 + i * 30), QStringLiteral("const total = items.reduce((sum, item) => sum + item.price * %1, 0);").arg(i + 2));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void BM_OcrScreenshot1080p(benchmark::State &state)
{
    static const QByteArray png = screenshotPng();
    const auto engine = TesseractTextRecognizer::makeEngine();
    TesseractTextRecognizer::recognizeNow(*engine, png, {}); // language data loads once, before timing
    QString text;
    for (auto _ : state) {
        const auto observed = TesseractTextRecognizer::recognizeNow(*engine, png, {});
        const auto shaped = observed ? ClipboardOCRService::shape(*observed) : std::nullopt;
        text = shaped && shaped->text ? *shaped->text : QString();
    }
    // The screenshot's sentences, read back.
    if (!text.contains(QLatin1String("keeps every copy for up to seven days"))) {
        BenchmarkRun::fail(state, "the screenshot's text was not recognised (" + std::to_string(text.size()) + " characters)");
        return;
    }
    state.counters["characters"] = double(text.size());
}
BENCHMARK(BM_OcrScreenshot1080p)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OcrBaselineDecodeOnly(benchmark::State &state)
{
    static const QByteArray png = screenshotPng();
    for (auto _ : state) {
        const QImage decoded = QImage::fromData(png).convertToFormat(QImage::Format_RGB888);
        if (decoded.size() != QSize(1920, 1080)) {
            BenchmarkRun::fail(state, "the screenshot was not decoded");
            break;
        }
    }
}
BENCHMARK(BM_OcrBaselineDecodeOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ModelBaselineRawHttp(benchmark::State &state)
{
    LocalModelServer server;
    server.completion = [](const LocalModelServer::Request &) { return LocalModelServer::answer(analysisAnswer); };
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    LanguageModelRequest request;
    request.instructions = ClipboardAIService::analysisInstructions;
    request.prompt = QStringLiteral("Analyze this clipboard item.");
    request.jsonSchema = ClipboardAIService::analysisSchema();
    const QByteArray body = LinuxLanguageModel::requestBody(request, QStringLiteral("test-model"));
    QNetworkRequest post(QUrl(server.baseUrl() + QStringLiteral("/chat/completions")));
    post.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    for (auto _ : state) {
        QNetworkReply *reply = network.post(post, body);
        waitUntil([reply] { return reply->isFinished(); });
        const QByteArray answer = reply->readAll();
        const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200
            && answer.contains("Release notes");
        reply->deleteLater();
        if (!answered) {
            BenchmarkRun::fail(state, "the server did not answer");
            break;
        }
    }
}
BENCHMARK(BM_ModelBaselineRawHttp)->Unit(benchmark::kMicrosecond)->Iterations(300)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_AnalysisQueuePerItem(benchmark::State &state)
{
    LocalModelServer server;
    server.completion = [](const LocalModelServer::Request &) { return LocalModelServer::answer(analysisAnswer); };
    SimPlatform sim;
    const QString endpoint = server.baseUrl();
    LinuxLanguageModel model(sim.clock, [endpoint] { return ModelEndpoint::parse(endpoint, std::nullopt); });
    Platform platform = sim.platform();
    platform.languageModel = &model;
    AppState appState(platform);
    ClipboardHistoryManager history(sim.clock, nullptr);
    ClipboardOCRService ocr(*platform.textRecognizer);
    ClipboardAnalysisQueue queue(history, *appState.settings(), *appState.ai(), ocr, sim.clock);
    QObject::connect(&history, &ClipboardHistoryManager::analysisWanted, &queue, &ClipboardAnalysisQueue::enqueue);
    history.start();
    appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
    queue.start();
    waitUntil([&] { return appState.ai()->availability() == ClipboardAIAvailability::available; });

    int round = 0;
    const qsizetype requestsBefore = server.requests().size();
    for (auto _ : state) {
        ClipboardCapture capture;
        capture.type = ClipboardItemType::text;
        capture.text = QStringLiteral("Release notes, draft %1: the history now finds images by their text.").arg(++round);
        const std::optional<ClipboardItem> item = history.ingest(capture);
        waitUntil([&] { return !queue.isWorking(); });
        if (!item || !history.item(item->id())->hasCurrentAnalysis()) {
            BenchmarkRun::fail(state, "the item was not analysed");
            break;
        }
    }
    state.counters["requests per item"] = double(server.requests().size() - requestsBefore) / double(state.iterations());
    queue.stop();
    history.stop();
}
BENCHMARK(BM_AnalysisQueuePerItem)->Unit(benchmark::kMicrosecond)->Iterations(300)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    return BenchmarkRun::runAll();
}
