// The controller's observable facts on the simulated model and clock: availability reads (in order, with the
// re-checks that notice a model server started later), request counts and the last error message.

#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIService.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimLanguageModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using A = ClipboardAIAvailability;
using LA = LanguageModelAvailability;

class ClipboardAIControllerTest : public testing::Test {
protected:
    SimClock clock;
    SimLanguageModel model{clock};
    ClipboardAIService service{model};
    ClipboardAIController controller{service, clock};
    QSignalSpy availabilityChanges{&controller, &ClipboardAIController::availabilityChanged};
    QSignalSpy messageChanges{&controller, &ClipboardAIController::lastErrorMessageChanged};
};

TEST_F(ClipboardAIControllerTest, AvailabilityTable)
{
    EXPECT_EQ(controller.availability(), A::checking);
    struct Row {
        LA model;
        A shown;
    };
    const QList<Row> rows{
        {LA::available, A::available},
        {LA::notEnabled, A::appleIntelligenceNotEnabled},
        {LA::modelNotReady, A::modelNotReady},
        {LA::deviceNotEligible, A::deviceNotEligible},
    };
    for (const Row &row : rows) {
        model.currentAvailability = row.model;
        const Task<> refresh = controller.refreshAvailability();
        EXPECT_TRUE(refresh.isFinished());
        EXPECT_EQ(controller.availability(), row.shown);
        EXPECT_FALSE(availabilityDescription(row.shown).isEmpty());
    }
}

TEST_F(ClipboardAIControllerTest, EqualReadsNotifyOnce)
{
    controller.refreshAvailability();
    controller.refreshAvailability();
    EXPECT_EQ(availabilityChanges.count(), 1);
}

// Of two overlapping reads, the later one's answer stands even when the earlier one answers last.
TEST_F(ClipboardAIControllerTest, AnOlderReadNeverOverwritesANewerOne)
{
    model.queueAvailability(LA::modelNotReady, 2); // started first, answers last
    model.queueAvailability(LA::available, 1);
    const Task<> older = controller.refreshAvailability();
    const Task<> newer = controller.refreshAvailability();
    clock.advance(1);
    EXPECT_EQ(controller.availability(), A::available);
    clock.advance(1);
    EXPECT_TRUE(older.isFinished());
    EXPECT_EQ(controller.availability(), A::available);

    // In call order, both answers are taken in turn.
    model.queueAvailability(LA::notEnabled, 1);
    model.queueAvailability(LA::modelNotReady, 2);
    controller.refreshAvailability();
    controller.refreshAvailability();
    clock.advance(1);
    EXPECT_EQ(controller.availability(), A::appleIntelligenceNotEnabled);
    clock.advance(1);
    EXPECT_EQ(controller.availability(), A::modelNotReady);
    EXPECT_TRUE(newer.isFinished());
}

// A model server started after Tavlen is noticed within a minute while the watch is on.
TEST_F(ClipboardAIControllerTest, WatchRechecksOnceAMinuteWhileUnavailable)
{
    model.currentAvailability = LA::modelNotReady;
    controller.refreshAvailability();
    controller.setAvailabilityWatch(true);
    const int checks = model.availabilityChecks();
    clock.advance(59.9);
    EXPECT_EQ(model.availabilityChecks(), checks);
    model.currentAvailability = LA::available;
    clock.advance(0.1);
    EXPECT_EQ(model.availabilityChecks(), checks + 1);
    EXPECT_EQ(controller.availability(), A::available);
    // Available: no more reads.
    clock.advance(600);
    EXPECT_EQ(model.availabilityChecks(), checks + 1);

    controller.setAvailabilityWatch(false);
    model.currentAvailability = LA::modelNotReady;
    controller.refreshAvailability();
    clock.advance(600);
    EXPECT_EQ(model.availabilityChecks(), checks + 2);
    EXPECT_EQ(clock.pendingTimers(), 0);
}

TEST_F(ClipboardAIControllerTest, AFailedRequestReadsTheAvailabilityAgain)
{
    controller.refreshAvailability();
    ASSERT_EQ(controller.availability(), A::available);
    // The server went away between the check and the request.
    model.queueResponse(LanguageModelResponse::failedWith(LanguageModelResponse::Status::unavailable, QString()));
    model.queueAvailability(LA::available);
    model.queueAvailability(LA::modelNotReady);
    const auto result = controller.perform(ClipboardAIAction::summarize, QStringLiteral("text"));
    ASSERT_TRUE(result.isFinished());
    EXPECT_EQ(result.result()->error().kind(), ClipboardAIError::Kind::unavailable);
    EXPECT_EQ(controller.availability(), A::modelNotReady);

    // Errors of the input say nothing about the model.
    const int checks = model.availabilityChecks();
    controller.perform(ClipboardAIAction::checkSpelling, QString(1600, QLatin1Char('a')));
    EXPECT_EQ(model.availabilityChecks(), checks);
}

TEST_F(ClipboardAIControllerTest, CountsAndMessagesOfOverlappingRequests)
{
    QSignalSpy counts(&controller, &ClipboardAIController::activeRequestCountChanged);
    model.queueResponse(LanguageModelResponse::completedWith(QStringLiteral("one")), 1);
    model.queueResponse(LanguageModelResponse::failedWith(LanguageModelResponse::Status::failed, QStringLiteral("HTTP 500")), 2);
    const auto ok = controller.perform(ClipboardAIAction::summarize, QStringLiteral("a"));
    const auto failing = controller.perform(ClipboardAIAction::summarize, QStringLiteral("b"));
    EXPECT_EQ(controller.activeRequestCount(), 2);
    clock.advance(1);
    EXPECT_EQ(controller.activeRequestCount(), 1);
    EXPECT_EQ(ok.result()->value(), QStringLiteral("one"));
    EXPECT_EQ(controller.lastErrorMessage(), std::nullopt);
    clock.advance(1);
    EXPECT_EQ(controller.activeRequestCount(), 0);
    EXPECT_EQ(controller.lastErrorMessage(), QStringLiteral("HTTP 500"));
    EXPECT_EQ(counts.count(), 4);

    // The same message again is stored without a notification; a success clears it.
    const int before = messageChanges.count();
    model.queueResponse(LanguageModelResponse::failedWith(LanguageModelResponse::Status::failed, QStringLiteral("HTTP 500")));
    controller.perform(ClipboardAIAction::summarize, QStringLiteral("c"));
    EXPECT_EQ(messageChanges.count(), before);
    controller.perform(ClipboardAIAction::summarize, QStringLiteral("d"));
    EXPECT_EQ(controller.lastErrorMessage(), std::nullopt);
    EXPECT_EQ(messageChanges.count(), before + 1);
}

TEST_F(ClipboardAIControllerTest, UnavailableModelSetsTheMessageAndRestoresTheCount)
{
    model.currentAvailability = LA::modelNotReady;
    const auto result = controller.analyze(ClipboardAIInput{QUuid::createUuid(), QStringLiteral("x"), QStringLiteral("text"), {}, {}});
    EXPECT_EQ(result.result()->error().kind(), ClipboardAIError::Kind::unavailable);
    EXPECT_EQ(controller.lastErrorMessage(), QStringLiteral("The local language model is not available on this computer."));
    EXPECT_EQ(controller.activeRequestCount(), 0);
}

TEST_F(ClipboardAIControllerTest, ACancelledRequestLeavesTheMessage)
{
    model.queueResponse(LanguageModelResponse::failedWith(LanguageModelResponse::Status::failed, QStringLiteral("earlier")));
    controller.perform(ClipboardAIAction::summarize, QStringLiteral("a"));
    model.responseDelay = 5;
    const auto slow = controller.perform(ClipboardAIAction::summarize, QStringLiteral("b"));
    EXPECT_EQ(controller.activeRequestCount(), 1);
    slow.cancel();
    EXPECT_TRUE(slow.isFinished());
    EXPECT_EQ(controller.activeRequestCount(), 0);
    EXPECT_EQ(controller.lastErrorMessage(), QStringLiteral("earlier"));
    EXPECT_EQ(model.cancelledRequests(), 1);
    EXPECT_EQ(clock.pendingTimers(), 0);
}

} // namespace
