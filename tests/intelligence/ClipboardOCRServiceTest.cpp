// Shaping what the recogniser observed: lines joined and trimmed, the text cut, labels filtered, and the
// absent result when nothing was found.

#include "intelligence/ClipboardOCRService.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimTextRecognizer.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using Label = ImageObservations::Label;

TEST(ClipboardOCRService, Shaping)
{
    struct Row {
        const char *name;
        ImageObservations observed;
        std::optional<ClipboardOCRResult> expected;
    };
    const QList<Row> rows{
        {"three lines, no label", {{QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}, {}},
         ClipboardOCRResult{QStringLiteral("One\nTwo\nThree"), {}}},
        {"a line without a candidate is skipped", {{QStringLiteral("One"), std::nullopt, QStringLiteral("Two")}, {}},
         ClipboardOCRResult{QStringLiteral("One\nTwo"), {}}},
        {"surrounding blank lines trimmed", {{QStringLiteral("  "), QStringLiteral("Text "), QStringLiteral("\n")}, {}},
         ClipboardOCRResult{QStringLiteral("Text"), {}}},
        {"spaces only and no label", {{QStringLiteral("   "), QStringLiteral(" ")}, {}}, std::nullopt},
        {"nothing at all", {}, std::nullopt},
        {"six confident labels keep the first four",
         {{}, {{"a", 0.9f}, {"b", 0.8f}, {"c", 0.7f}, {"d", 0.6f}, {"e", 0.5f}, {"f", 0.4f}}},
         ClipboardOCRResult{std::nullopt, {"a", "b", "c", "d"}}},
        {"exactly four kept; 0.17 dropped; 0.18 kept",
         {{}, {{"a", 0.9f}, {"low", 0.17f}, {"b", 0.18f}, {"c", 0.5f}, {"d", 0.3f}}},
         ClipboardOCRResult{std::nullopt, {"a", "b", "c", "d"}}},
        {"a repeated label kept once at its first place", {{}, {{"cat", 0.5f}, {"dog", 0.4f}, {"cat", 0.9f}}},
         ClipboardOCRResult{std::nullopt, {"cat", "dog"}}},
        {"only unconfident labels", {{}, {{"cat", 0.1f}}}, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ClipboardOCRService::shape(row.observed), row.expected);
    }

    ImageObservations longText;
    longText.textLines = {QStringLiteral(" ") + QString(10000, QLatin1Char('w'))};
    EXPECT_EQ(ClipboardOCRService::shape(longText)->text, QString(8000, QLatin1Char('w')));
}

TEST(ClipboardOCRService, RecognisesThroughThePlatform)
{
    SimClock clock;
    SimTextRecognizer recognizer(clock);
    ClipboardOCRService service(recognizer);
    recognizer.delay = 0.5;
    recognizer.recognizer = [](const QByteArray &) {
        return ImageObservations{{QStringLiteral("Invoice 42")}, {}};
    };
    const Task<std::optional<ClipboardOCRResult>> task = service.recognize(QByteArray("png"));
    EXPECT_FALSE(task.isFinished());
    clock.advance(0.5);
    ASSERT_TRUE(task.isFinished());
    EXPECT_EQ(task.result()->value().text, QStringLiteral("Invoice 42"));

    // Unreadable bytes: no result.
    recognizer.recognizer = nullptr;
    recognizer.delay = 0;
    EXPECT_EQ(*service.recognize(QByteArray("not an image")).result(), std::nullopt);
}

} // namespace
