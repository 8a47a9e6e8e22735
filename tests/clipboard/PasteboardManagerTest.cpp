#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/PasteboardManager.h"
#include "platform/sim/SimPlatform.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>

namespace {

using Rep = SimPasteboard::Representation;
using Owner = SimPasteboard::Representation::Owner;

const QString kFoo = QStringLiteral("application/x-foo");

class PasteboardManagerTest : public ::testing::Test {
protected:
    PasteboardManagerTest()
    {
        QObject::connect(&manager, &PasteboardManager::captured, [this](const ClipboardCapture &c) {
            captures.append(c);
            captureTimes.append(sim.clock.uptime() - t0);
        });
        QObject::connect(&manager, &PasteboardManager::captureReplaced, [this](const ClipboardCapture &c) {
            replacements.append(c);
            replacementTimes.append(sim.clock.uptime() - t0);
        });
    }

    // Starts with whatever the pasteboard holds; time is then measured from here.
    void start()
    {
        t0 = sim.clock.uptime();
        manager.start();
    }
    double now() const { return sim.clock.uptime() - t0; }
    QList<double> typeQueryTimes(int from = 0) const
    {
        QList<double> times;
        for (const auto &r : sim.pasteboard.reads.mid(from))
            times.append(r.at - t0);
        return times;
    }

    SimPlatform sim;
    PasteboardManager manager{sim.clock, sim.pasteboard, &sim.workspace};
    double t0 = 0;
    QList<ClipboardCapture> captures;
    QList<double> captureTimes;
    QList<ClipboardCapture> replacements;
    QList<double> replacementTimes;
};

QStringList typesOf(const PasteboardPayloadItem &item)
{
    QStringList types;
    for (const auto &rep : item.representations)
        types.append(rep.type);
    return types;
}

} // namespace

TEST_F(PasteboardManagerTest, TheContentAtStartEntersLikeAnyCopyAndOnlyOnce)
{
    sim.pasteboard.copyText(QStringLiteral("hello"));
    start();
    ASSERT_EQ(captures.size(), 1);
    EXPECT_EQ(captureTimes[0], 0.0);
    EXPECT_EQ(captures[0].type, ClipboardItemType::text);
    EXPECT_EQ(captures[0].text, QStringLiteral("hello"));
    EXPECT_EQ(captures[0].changeCount, 1);
    EXPECT_TRUE(captures[0].presentAtStart);
    sim.clock.advance(2);
    EXPECT_EQ(captures.size(), 1);
    EXPECT_TRUE(replacements.isEmpty());
    sim.pasteboard.copyText(QStringLiteral("hello"));
    sim.clock.advance(1);
    ASSERT_EQ(captures.size(), 2);
    EXPECT_FALSE(captures[1].presentAtStart);
}

TEST_F(PasteboardManagerTest, PollsOnlyTheChangeCountUntilItMoves)
{
    sim.pasteboard.copyText(QStringLiteral("one"));
    start();
    const int listings = sim.pasteboard.typeQueries;
    const int queries = sim.pasteboard.changeCountQueries;
    // Content that changes without the count moving is not looked at.
    sim.pasteboard.setContent({{{PasteboardType::plainText, "two"}}});
    sim.clock.advance(1.6);
    EXPECT_EQ(sim.pasteboard.typeQueries, listings);
    EXPECT_EQ(captures.size(), 1);
    EXPECT_EQ(sim.pasteboard.changeCountQueries - queries, 10); // every 0.16 s
}

struct PollCase {
    bool active;
    double copyAt;
    double capturedAt;
};

class PollIntervalTest : public PasteboardManagerTest, public ::testing::WithParamInterface<PollCase> {};

TEST_P(PollIntervalTest, ACopyIsTakenAtTheNextPoll)
{
    const PollCase c = GetParam();
    manager.setApplicationActive(c.active);
    start();
    sim.clock.advance(c.copyAt);
    sim.pasteboard.copyText(QStringLiteral("copied"));
    sim.clock.advance(1.0);
    ASSERT_EQ(captures.size(), 1);
    EXPECT_NEAR(captureTimes[0], c.capturedAt, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Intervals, PollIntervalTest,
                         ::testing::Values(PollCase{true, 0.01, 0.08}, PollCase{true, 0.08, 0.16},
                                           PollCase{true, 0.5, 0.56}, PollCase{false, 0.01, 0.16},
                                           PollCase{false, 0.17, 0.32}, PollCase{false, 0.5, 0.64}));

TEST_F(PasteboardManagerTest, ANewIntervalTakesEffectWithTheNextWait)
{
    sim.pasteboard.copyText(QStringLiteral("x"));
    start();
    sim.clock.advance(0.16); // inactive: polls at 0 and 0.16, the next one already due at 0.32
    manager.setApplicationActive(true);
    const int before = sim.pasteboard.changeCountQueries;
    sim.clock.advance(0.4); // 0.32, then 0.40, 0.48, 0.56
    EXPECT_EQ(sim.pasteboard.changeCountQueries - before, 4);
    manager.setApplicationActive(false);
    const int later = sim.pasteboard.changeCountQueries;
    sim.clock.advance(0.48); // 0.64, then 0.80, 0.96
    EXPECT_EQ(sim.pasteboard.changeCountQueries - later, 3);
}

TEST_F(PasteboardManagerTest, AReportedChangeIsCapturedAtOnceAndNothingRunsInBetween)
{
    sim.pasteboard.setNotifiesChanges(true);
    sim.pasteboard.copyText(QStringLiteral("at start"));
    start();
    ASSERT_EQ(captures.size(), 1);
    // No poll: no timer waits and the count is not asked while nothing happens.
    EXPECT_EQ(sim.clock.pendingTimers(), 0);
    const int queries = sim.pasteboard.changeCountQueries;
    sim.clock.advance(60);
    EXPECT_EQ(sim.pasteboard.changeCountQueries, queries);

    sim.pasteboard.copyText(QStringLiteral("next"));
    ASSERT_EQ(captures.size(), 2);
    EXPECT_EQ(captureTimes[1], 60.0);
    EXPECT_EQ(captures[1].text, QStringLiteral("next"));
    EXPECT_EQ(sim.clock.pendingTimers(), 0);

    // Our own write is not reported, and a stopped manager hears nothing.
    manager.writePlainText(QStringLiteral("ours"));
    manager.stop();
    sim.pasteboard.copyText(QStringLiteral("after stop"));
    EXPECT_EQ(captures.size(), 2);
}

// Copies made while the capture of an earlier one still reads. Each copy is (time, text, seconds its HTML takes
// to arrive; 0: no HTML); a read still waiting when the next copy comes ends there (its owner is gone).
struct BurstCopy {
    double at;
    const char *text;
    double htmlDelay;
};
struct BurstCase {
    const char *name;
    QList<BurstCopy> copies;
    QList<double> capturedAt;
    QList<bool> withHtml;
};

class ChangeBurstTest : public PasteboardManagerTest, public ::testing::WithParamInterface<BurstCase> {};

TEST_P(ChangeBurstTest, EveryCopyIsCapturedInOrderAndAnInterruptedOneKeepsWhatItRead)
{
    const BurstCase c = GetParam();
    sim.pasteboard.setNotifiesChanges(true);
    start();
    double time = 0;
    for (const BurstCopy &copy : c.copies) {
        sim.clock.advance(copy.at - time);
        time = copy.at;
        SimPasteboard::Item item{{PasteboardType::plainText, copy.text}};
        if (copy.htmlDelay > 0)
            item.append({PasteboardType::html, QByteArray("<p>") + copy.text, Owner::answers, copy.htmlDelay});
        sim.pasteboard.copy({item});
    }
    sim.clock.advance(0.3); // beyond any answer, before the first re-read could deliver anything new
    ASSERT_EQ(captures.size(), c.copies.size()) << c.name;
    for (int i = 0; i < captures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(captures[i].text, QString::fromUtf8(c.copies[i].text));
        EXPECT_NEAR(captureTimes[i], c.capturedAt[i], 1e-9);
        const PasteboardRepresentation *html = captures[i].payload.items[0].representation(PasteboardType::html);
        EXPECT_EQ(html && !html->isOmitted(), c.withHtml[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bursts, ChangeBurstTest,
    ::testing::Values(
        BurstCase{"apart", {{0, "a", 0}, {0.1, "b", 0}, {0.2, "c", 0}}, {0, 0.1, 0.2}, {false, false, false}},
        BurstCase{"next copy while reading", {{0, "a", 0.1}, {0.03, "b", 0}}, {0.03, 0.03}, {false, false}},
        BurstCase{"three during slow reads", {{0, "a", 0.1}, {0.03, "b", 0.1}, {0.06, "c", 0.01}},
                  {0.03, 0.06, 0.07}, {false, false, true}},
        BurstCase{"answer before the next copy", {{0, "a", 0.02}, {0.03, "b", 0.02}}, {0.02, 0.05}, {true, true}},
        BurstCase{"same text twice", {{0, "a", 0}, {0.01, "a", 0}}, {0, 0.01}, {false, false}}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST_F(PasteboardManagerTest, RepresentationsAreReadInPriorityOrderAcrossItems)
{
    sim.pasteboard.copy({
        {{PasteboardType::png, "png0"}, {kFoo, "foo0"}, {PasteboardType::html, "<b>0</b>"},
         {PasteboardType::tiff, "tiff0"}, {PasteboardType::plainText, "text0"},
         {PasteboardType::uriList, "https://a.example/\r\n"}, {PasteboardType::rtf, "{\\rtf0}"}},
        {{kFoo, "foo1"}, {PasteboardType::plainText, "text1"}},
    });
    start();
    ASSERT_EQ(captures.size(), 1);
    const PasteboardPayload &payload = captures[0].payload;
    ASSERT_EQ(payload.items.size(), 2);
    EXPECT_EQ(typesOf(payload.items[0]),
              (QStringList{PasteboardType::plainText, PasteboardType::uriList, PasteboardType::html,
                           PasteboardType::rtf, PasteboardType::png, PasteboardType::tiff, kFoo}));
    EXPECT_EQ(typesOf(payload.items[1]), (QStringList{PasteboardType::plainText, kFoo}));
    QStringList order;
    for (const auto &r : sim.pasteboard.reads)
        order.append(QStringLiteral("%1:%2").arg(r.item).arg(r.type));
    EXPECT_EQ(order, (QStringList{"0:text/plain;charset=utf-8", "1:text/plain;charset=utf-8", "0:text/uri-list",
                                  "0:text/html", "0:text/rtf", "0:image/png", "0:image/tiff",
                                  "0:application/x-foo", "1:application/x-foo"}));
    EXPECT_EQ(payload.items[0].representations[4].data, QByteArray("png0"));
    EXPECT_EQ(payload.items[0].representations[4].originalByteCount, 4);
    EXPECT_FALSE(payload.items[0].representations[4].isOmitted());
}

struct BudgetCase {
    const char *name;
    QList<qint64> sizes; // plain text, html, png, tiff, other
    QList<bool> kept;
};

class CaptureBudgetTest : public PasteboardManagerTest, public ::testing::WithParamInterface<BudgetCase> {};

TEST_P(CaptureBudgetTest, OversizedRepresentationsKeepTheirPlaceAndLaterSmallOnesStillFit)
{
    const BudgetCase c = GetParam();
    const QStringList types{PasteboardType::plainText, PasteboardType::html, PasteboardType::png,
                            PasteboardType::tiff, kFoo};
    SimPasteboard::Item item;
    for (int i = 0; i < types.size(); ++i)
        item.append({types[i], QByteArray(c.sizes[i], 'x')});
    sim.pasteboard.copy({item});
    start();
    ASSERT_EQ(captures.size(), 1) << c.name;
    const auto &reps = captures[0].payload.items[0].representations;
    ASSERT_EQ(typesOf(captures[0].payload.items[0]), types);
    qint64 total = 0;
    for (int i = 0; i < types.size(); ++i) {
        SCOPED_TRACE(types[i].toStdString());
        EXPECT_EQ(reps[i].originalByteCount, c.sizes[i]);
        if (c.kept[i]) {
            EXPECT_FALSE(reps[i].isOmitted());
            EXPECT_EQ(reps[i].data.size(), c.sizes[i]);
        } else {
            EXPECT_EQ(reps[i].omissionReason, OmissionReason::sizeLimit);
            EXPECT_TRUE(reps[i].data.isEmpty());
        }
        total += reps[i].data.size();
    }
    EXPECT_LE(total, PasteboardManager::captureByteBudget);
    EXPECT_TRUE(replacements.isEmpty()); // a size omission is final: no re-reads
    sim.clock.advance(1);
    EXPECT_EQ(sim.pasteboard.reads.size(), types.size());
}

INSTANTIATE_TEST_SUITE_P(
    Budget, CaptureBudgetTest,
    ::testing::Values(
        BudgetCase{"all fit", {10, 20, 30, 40, 50}, {true, true, true, true, true}},
        BudgetCase{"png over, tiff and other fit", {10, 40'000'000, 30'000'000, 1'000, 10}, {true, true, false, true, true}},
        // The five names take 69 bytes of the budget.
        BudgetCase{"exactly the budget", {10, 63'999'920, 2, 1, 0}, {true, true, false, true, true}},
        BudgetCase{"first alone too large", {64'000'001, 5, 5, 5, 5}, {false, true, true, true, true}}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST_F(PasteboardManagerTest, ACopyWhollyOverTheBudgetIsNotKeptAndThatIsSaid)
{
    QSignalSpy tooLarge(&manager, &PasteboardManager::copyTooLarge);
    sim.pasteboard.copy({{{PasteboardType::plainText, QByteArray(PasteboardManager::captureByteBudget, 'x')}}});
    start();
    EXPECT_TRUE(captures.isEmpty());
    EXPECT_EQ(tooLarge.count(), 1);
    sim.pasteboard.copyText(QStringLiteral("small"));
    sim.clock.advance(1);
    EXPECT_EQ(captures.size(), 1);
    EXPECT_EQ(tooLarge.count(), 1);
}

TEST_F(PasteboardManagerTest, NamesThatCannotBeFormatsAreNeitherKeptNorRead)
{
    SimPasteboard::Item item{{PasteboardType::plainText, "words"}};
    for (int i = 0; i < 20; ++i)
        item.append({QString(5000, QLatin1Char('a' + i)), "x"});
    item.append({QString(256, QLatin1Char('b')), "x"});
    item.append({QStringLiteral("text/\x01junk"), "x"});
    item.append({QString(255, QLatin1Char('c')), "longest"});
    sim.pasteboard.copy({item});
    start();
    ASSERT_EQ(captures.size(), 1);
    EXPECT_EQ(typesOf(captures[0].payload.items[0]), (QStringList{PasteboardType::plainText, QString(255, QLatin1Char('c'))}));
    EXPECT_EQ(sim.pasteboard.reads.size(), 2);
}

TEST_F(PasteboardManagerTest, AnUnavailableRepresentationStaysWithItsReasonAndTheRestIsKept)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "kept"},
                          {PasteboardType::html, "<i>lost</i>", Owner::refuses},
                          {kFoo, "also kept"}}});
    start();
    ASSERT_EQ(captures.size(), 1);
    const auto &reps = captures[0].payload.items[0].representations;
    EXPECT_EQ(reps[0].data, QByteArray("kept"));
    EXPECT_EQ(reps[1].omissionReason, OmissionReason::unavailable);
    EXPECT_TRUE(reps[1].data.isEmpty());
    EXPECT_EQ(reps[1].originalByteCount, 0);
    EXPECT_EQ(reps[2].data, QByteArray("also kept"));
    EXPECT_TRUE(PasteboardManager::looksIncomplete(captures[0].payload));
}

TEST_F(PasteboardManagerTest, AnOwnerThatNeverAnswersCostsOneTimeoutPerRead)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "text"},
                          {PasteboardType::html, "<p>", Owner::neverAnswers},
                          {PasteboardType::png, "png"},
                          {kFoo, "foo"}}});
    start();
    EXPECT_TRUE(captures.isEmpty()); // still waiting for the HTML
    sim.clock.advance(0.5);
    ASSERT_EQ(captures.size(), 1);
    EXPECT_NEAR(captureTimes[0], 0.5, 1e-9);
    const auto &reps = captures[0].payload.items[0].representations;
    EXPECT_EQ(reps[0].data, QByteArray("text"));
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(reps[i].omissionReason, OmissionReason::unavailable) << i;
    // The owner was not asked for PNG or the other format once it had let a read time out.
    EXPECT_EQ(sim.pasteboard.reads.size(), 2);
}

TEST_F(PasteboardManagerTest, AnIncompleteCaptureIsReadAgainAtTheGivenMomentsAfterTheChange)
{
    start();
    sim.clock.advance(0.16);
    sim.pasteboard.copy({{{PasteboardType::plainText, "text"}, {PasteboardType::html, "<p>", Owner::refuses}}});
    t0 = sim.clock.uptime() + 0.16; // the next poll sees the change
    sim.clock.advance(0.16);
    ASSERT_EQ(captures.size(), 1);
    sim.pasteboard.reads.clear();
    sim.clock.advance(3);
    QList<double> listings;
    for (const auto &r : sim.pasteboard.reads) {
        if (r.type == PasteboardType::plainText)
            listings.append(r.at - t0);
    }
    ASSERT_EQ(listings.size(), 4);
    const QList<double> expected{0.04, 0.16, 0.41, 0.91};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(listings[i], expected[i], 1e-9) << i;
    EXPECT_TRUE(replacements.isEmpty()); // the same incomplete content each time
}

TEST_F(PasteboardManagerTest, ReReadsStopOnceTheCaptureLooksComplete)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "text"}, {PasteboardType::png, "", Owner::refuses}}});
    start();
    ASSERT_EQ(captures.size(), 1);
    EXPECT_EQ(captures[0].type, ClipboardItemType::text);
    sim.clock.advance(0.1);
    sim.pasteboard.setContent({{{PasteboardType::plainText, "text"}, {PasteboardType::png, "PNGDATA"}}});
    sim.clock.advance(2);
    ASSERT_EQ(replacements.size(), 1);
    EXPECT_NEAR(replacementTimes[0], 0.16, 1e-9);
    EXPECT_EQ(replacements[0].changeCount, captures[0].changeCount);
    EXPECT_EQ(replacements[0].payload.items[0].representations[1].data, QByteArray("PNGDATA"));
    // Two re-reads (0.04 and 0.16) of two representations each, then none.
    EXPECT_EQ(sim.pasteboard.reads.size(), 2 + 2 * 2);
}

TEST_F(PasteboardManagerTest, ReReadsStopWhenTheCountMovesAgain)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "first"}, {PasteboardType::html, "", Owner::refuses}}});
    start();
    sim.clock.advance(0.1); // the re-read at 0.04 happened
    sim.pasteboard.copyText(QStringLiteral("second"));
    sim.pasteboard.reads.clear();
    sim.clock.advance(2);
    ASSERT_EQ(captures.size(), 2);
    EXPECT_EQ(captures[1].text, QStringLiteral("second"));
    EXPECT_NEAR(captureTimes[1], 0.16, 1e-9);
    EXPECT_TRUE(replacements.isEmpty());
    // Only the new copy was read; the old change got no more re-reads.
    ASSERT_EQ(sim.pasteboard.reads.size(), 1);
    EXPECT_EQ(sim.pasteboard.reads[0].type, PasteboardType::plainText);
}

struct ReplacementCase {
    const char *name;
    QList<SimPasteboard::Item> later; // content handed over before the first re-read
    bool replaced;
};

class ReplacementTest : public PasteboardManagerTest, public ::testing::WithParamInterface<ReplacementCase> {};

TEST_P(ReplacementTest, AReReadReplacesOnlyWhenAtLeastAsRichAndDifferent)
{
    const ReplacementCase c = GetParam();
    sim.pasteboard.copy({{{PasteboardType::plainText, "text"},
                          {PasteboardType::html, "<b>text</b>"},
                          {PasteboardType::png, "", Owner::refuses}}});
    start();
    sim.pasteboard.setContent(c.later);
    sim.clock.advance(0.04);
    EXPECT_EQ(replacements.size(), c.replaced ? 1 : 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReplacementTest,
    ::testing::Values(
        ReplacementCase{"same content", {{{PasteboardType::plainText, "text"}, {PasteboardType::html, "<b>text</b>"}, {PasteboardType::png, "", Owner::refuses}}}, false},
        ReplacementCase{"richer", {{{PasteboardType::plainText, "text"}, {PasteboardType::html, "<b>text</b>"}, {PasteboardType::png, "PNG"}}}, true},
        ReplacementCase{"as rich but different", {{{PasteboardType::plainText, "text2"}, {PasteboardType::html, "<b>text</b>"}, {PasteboardType::png, "", Owner::refuses}}}, true},
        ReplacementCase{"poorer", {{{PasteboardType::plainText, "text"}, {PasteboardType::html, "", Owner::refuses}, {PasteboardType::png, "PNG", Owner::refuses}}}, false},
        ReplacementCase{"emptied", {}, false}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST_F(PasteboardManagerTest, NothingListedAtFirstThenTheReReadDeliversTheCopy)
{
    sim.pasteboard.copyText(QStringLiteral("late"));
    sim.pasteboard.setTypesAnswered(false);
    start();
    sim.clock.advance(0.5); // the listing timed out: nothing to deliver
    EXPECT_TRUE(captures.isEmpty());
    sim.pasteboard.setTypesAnswered(true);
    sim.clock.advance(0.04);
    ASSERT_EQ(captures.size(), 1);
    EXPECT_NEAR(captureTimes[0], 0.54, 1e-9);
    EXPECT_EQ(captures[0].text, QStringLiteral("late"));
    EXPECT_TRUE(replacements.isEmpty());
}

TEST_F(PasteboardManagerTest, SecretCopiesFromPasswordManagersNeverLeave)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "hunter2"}, {PasteboardType::passwordManagerHint, "secret"}}});
    start();
    sim.clock.advance(2);
    EXPECT_TRUE(captures.isEmpty());
    EXPECT_TRUE(replacements.isEmpty());
    // Only the hint was read, never the password itself, and nothing is re-read.
    ASSERT_EQ(sim.pasteboard.reads.size(), 1);
    EXPECT_EQ(sim.pasteboard.reads[0].type, PasteboardType::passwordManagerHint);

    // A hint that cannot be read counts as secret too; any other hint does not.
    sim.pasteboard.copy({{{PasteboardType::plainText, "pw"}, {PasteboardType::passwordManagerHint, "", Owner::refuses}}});
    sim.clock.advance(0.2);
    EXPECT_TRUE(captures.isEmpty());
    sim.pasteboard.copy({{{PasteboardType::plainText, "user"}, {PasteboardType::passwordManagerHint, "public"}}});
    sim.clock.advance(0.2);
    ASSERT_EQ(captures.size(), 1);
    EXPECT_EQ(captures[0].text, QStringLiteral("user"));
}

TEST_F(PasteboardManagerTest, OurOwnWritesAreNotCaptured)
{
    sim.pasteboard.copyText(QStringLiteral("start"));
    start();
    const qint64 count = manager.writePlainText(QStringLiteral("plain"));
    EXPECT_EQ(count, sim.pasteboard.changeCount());
    PasteboardPayload payload;
    payload.items.append({{{PasteboardType::plainText, "a", 1, std::nullopt},
                           {PasteboardType::png, {}, 0, OmissionReason::unavailable},
                           {PasteboardType::html, {}, 90'000'000, OmissionReason::sizeLimit},
                           {kFoo, "x", 1, std::nullopt}}});
    payload.items.append({{{PasteboardType::uriList, "file:///tmp/b", 13, std::nullopt}}});
    manager.writeItems(payload);
    sim.clock.advance(1);
    EXPECT_EQ(captures.size(), 1);
    ASSERT_EQ(sim.pasteboard.writes.size(), 2);
    // Every representation that holds data goes back, as captured; omitted ones are not offered empty.
    const QList<PasteboardItemData> expected{{{PasteboardType::plainText, "a"}, {kFoo, "x"}},
                                             {{PasteboardType::uriList, "file:///tmp/b"}}};
    EXPECT_EQ(sim.pasteboard.writes[1], expected);
    sim.pasteboard.copyText(QStringLiteral("theirs"));
    sim.clock.advance(0.16);
    ASSERT_EQ(captures.size(), 2);
    EXPECT_EQ(captures[1].text, QStringLiteral("theirs"));
}

// What is offered again when the owner of the newest content quits without handing it over.
struct KeepCase {
    const char *name;
    std::function<void(SimPlatform &, PasteboardManager &)> script; // after start(), on the simulated clock
    QList<PasteboardItemData> offeredAgain;                         // empty: nothing, the pasteboard empties
};

class KeptContentTest : public PasteboardManagerTest, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(KeptContentTest, OnlyTheNewestCapturedCopyThatIsNoSecretIsOfferedAgain)
{
    const KeepCase c = GetParam();
    start();
    c.script(sim, manager);
    const qint64 count = sim.pasteboard.changeCount();
    const int captured = captures.size();
    sim.pasteboard.ownerQuits();
    sim.clock.advance(2);
    if (c.offeredAgain.isEmpty()) {
        EXPECT_EQ(sim.pasteboard.restores, 0);
        EXPECT_TRUE(sim.pasteboard.content().isEmpty());
        EXPECT_GT(sim.pasteboard.changeCount(), count);
        return;
    }
    EXPECT_EQ(sim.pasteboard.restores, 1);
    EXPECT_EQ(sim.pasteboard.changeCount(), count); // the same content, no new change
    EXPECT_EQ(captures.size(), captured);           // and not captured again
    QList<PasteboardItemData> content;
    for (const SimPasteboard::Item &item : sim.pasteboard.content()) {
        PasteboardItemData data;
        for (const Rep &rep : item)
            data.append({rep.type, rep.data});
        content.append(data);
    }
    EXPECT_EQ(content, c.offeredAgain);
}

INSTANTIATE_TEST_SUITE_P(
    Copies, KeptContentTest,
    ::testing::Values(
        KeepCase{"captured copy",
                 [](SimPlatform &sim, PasteboardManager &) {
                     sim.pasteboard.copy({{{PasteboardType::plainText, "a"}, {PasteboardType::html, "<b>a</b>"}}});
                     sim.clock.advance(0.16);
                 },
                 {{{PasteboardType::plainText, "a"}, {PasteboardType::html, "<b>a</b>"}}}},
        KeepCase{"representations the owner withheld are not offered empty",
                 [](SimPlatform &sim, PasteboardManager &) {
                     sim.pasteboard.copy({{{PasteboardType::plainText, "a"}, {PasteboardType::png, "", Owner::refuses}}});
                     sim.clock.advance(0.16);
                 },
                 {{{PasteboardType::plainText, "a"}}}},
        KeepCase{"secret copy after a captured one",
                 [](SimPlatform &sim, PasteboardManager &) {
                     sim.pasteboard.copyText(QStringLiteral("a"));
                     sim.clock.advance(0.16);
                     sim.pasteboard.copy({{{PasteboardType::plainText, "pw"}, {PasteboardType::passwordManagerHint, "secret"}}});
                     sim.clock.advance(0.16);
                 },
                 {}},
        KeepCase{"marked secret by a later read",
                 [](SimPlatform &sim, PasteboardManager &) {
                     sim.pasteboard.copy({{{PasteboardType::plainText, "pw"}, {PasteboardType::html, "", Owner::refuses}}});
                     sim.clock.advance(0.16);
                     sim.pasteboard.setContent({{{PasteboardType::plainText, "pw"}, {PasteboardType::passwordManagerHint, "secret"}}});
                     sim.clock.advance(1);
                 },
                 {}},
        KeepCase{"richer later read",
                 [](SimPlatform &sim, PasteboardManager &) {
                     sim.pasteboard.copy({{{PasteboardType::plainText, "a"}, {PasteboardType::png, "", Owner::refuses}}});
                     sim.clock.advance(0.16);
                     sim.pasteboard.setContent({{{PasteboardType::plainText, "a"}, {PasteboardType::png, "PNG"}}});
                     sim.clock.advance(1);
                 },
                 {{{PasteboardType::plainText, "a"}, {PasteboardType::png, "PNG"}}}},
        KeepCase{"nothing readable",
                 [](SimPlatform &sim, PasteboardManager &) {
                     sim.pasteboard.copy({{{PasteboardType::plainText, "", Owner::refuses}}});
                     sim.clock.advance(0.16);
                 },
                 {}},
        KeepCase{"loaded from where the history keeps it",
                 [](SimPlatform &sim, PasteboardManager &manager) {
                     manager.keptContent = [] {
                         return PasteboardContentLoader([] {
                             return QList<PasteboardItemData>{{{PasteboardType::plainText, "from the history"}}};
                         });
                     };
                     sim.pasteboard.copyText(QStringLiteral("a"));
                     sim.clock.advance(0.16);
                 },
                 {{{PasteboardType::plainText, "from the history"}}}}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST_F(PasteboardManagerTest, ACaptureIsStagedOffTheMainThreadBeforeItIsDelivered)
{
    const Qt::HANDLE mainThread = QThread::currentThreadId();
    std::atomic<Qt::HANDLE> stagedOn = nullptr;
    std::atomic<int> staged = 0;
    QSemaphore release;
    manager.stageCapture = [&](ClipboardCapture &capture) {
        stagedOn = QThread::currentThreadId();
        release.acquire();
        capture.contentDigest = "staged";
        ++staged;
    };
    sim.pasteboard.copyText(QStringLiteral("first"));
    start();
    EXPECT_TRUE(captures.isEmpty()); // held until the worker is done
    release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !captures.isEmpty(); }, 5000));
    EXPECT_EQ(captures[0].contentDigest, QByteArray("staged"));
    EXPECT_NE(stagedOn.load(), mainThread);

    // Stopped while the worker stages: stop() returns once the worker is done with the store, and
    // nothing arrives afterwards.
    sim.pasteboard.copyText(QStringLiteral("second"));
    sim.clock.advance(0.16);
    release.release();
    manager.stop();
    EXPECT_EQ(staged, 2);
    QCoreApplication::processEvents(); // the worker's answer, had anyone still waited for it
    QCoreApplication::processEvents();
    EXPECT_EQ(captures.size(), 1);
}

// The clipboard holds only its newest content: a copy is read while the one before it is still being
// stored, or a quick copy after a large one would be gone by the time it was looked at.
TEST_F(PasteboardManagerTest, CopiesMadeWhileOneIsStagedAreReadAndDeliveredInOrder)
{
    QSemaphore release;
    manager.stageCapture = [&](ClipboardCapture &) { release.acquire(); };
    sim.pasteboard.copyText(QStringLiteral("first"));
    start();
    sim.pasteboard.copyText(QStringLiteral("second"));
    sim.clock.advance(0.16);
    sim.pasteboard.copyText(QStringLiteral("third"));
    sim.clock.advance(0.16);
    EXPECT_TRUE(captures.isEmpty());
    release.release(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return captures.size() == 3; }, 5000)) << captures.size();
    EXPECT_EQ(captures[0].text, QStringLiteral("first"));
    EXPECT_EQ(captures[1].text, QStringLiteral("second"));
    EXPECT_EQ(captures[2].text, QStringLiteral("third"));
}

TEST_F(PasteboardManagerTest, AnOwnWriteEndsTheReReadsOfTheCopyBefore)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "x"}, {PasteboardType::html, "", Owner::refuses}}});
    start();
    manager.writePlainText(QStringLiteral("x"));
    sim.pasteboard.reads.clear();
    sim.clock.advance(2);
    EXPECT_TRUE(sim.pasteboard.reads.isEmpty());
    EXPECT_TRUE(replacements.isEmpty());
}

TEST_F(PasteboardManagerTest, TheSourceIsTheClipboardOwnerElseTheFrontmostApplicationNeverTavlen)
{
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("org.example.Editor"),
                                                                   QStringLiteral("Editor"));
    const RunningApplication terminal = sim.workspace.addApplication(QStringLiteral("org.example.Terminal"),
                                                                     QStringLiteral("Terminal"));
    const RunningApplication tavlen = sim.workspace.currentApplication();
    struct Row {
        const char *name;
        std::optional<RunningApplication> owner;
        RunningApplication front;
        QString applicationId;
        QString applicationName;
        bool ownerUnnamed;
    };
    const Row rows[] = {
        {"the owner's window tells its application", terminal, editor, QStringLiteral("org.example.Terminal"),
         QStringLiteral("Terminal"), false},
        {"an owner that cannot be told", std::nullopt, editor, QStringLiteral("org.example.Editor"),
         QStringLiteral("Editor"), true},
        {"an owner that cannot be told, Tavlen in front", std::nullopt, tavlen, QString(), QString(), true},
        {"Tavlen's own window holds it", tavlen, editor, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
         true},
    };
    start();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        sim.workspace.clipboardHolder = {row.owner ? 7u : 0u, row.owner};
        sim.workspace.bringToFront(row.front);
        sim.pasteboard.copyText(QString::fromLatin1(row.name));
        sim.clock.advance(0.16);
        ASSERT_FALSE(captures.isEmpty());
        EXPECT_EQ(captures.last().text, QString::fromLatin1(row.name));
        EXPECT_EQ(captures.last().sourceApplicationId, row.applicationId);
        EXPECT_EQ(captures.last().sourceApplicationName, row.applicationName);
        EXPECT_EQ(captures.last().ownerUnnamed, row.ownerUnnamed);
    }
}

// A program rewriting the clipboard in a loop adds one item once it is recognised and never takes another
// owner's copies, nor copies kept before it (any window can be made the owner: a loop may be charged to the
// window the person copies in), nor its own copies at a person's pace once it has slowed. Owners are told
// apart by their client, not their names; owners that cannot be named (xclip: a new client each copy) are one.
TEST_F(PasteboardManagerTest, AStormFoldsOnlyItsOwnCopies)
{
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("org.example.Editor"),
                                                                   QStringLiteral("Editor"));
    const RunningApplication looper = sim.workspace.addApplication(QStringLiteral("org.example.Looper"),
                                                                   QStringLiteral("Looper"));
    const RunningApplication editorsTwin = sim.workspace.addApplication(QStringLiteral("org.example.Editor"),
                                                                        QStringLiteral("Editor"));
    // Copies by one owner; `client` 0 for the loop: a new client for each copy.
    struct Copies {
        std::optional<RunningApplication> owner;
        quint64 client;
        int count;
        double interval;
        double from = 0;
    };
    struct Row {
        const char *name;
        Copies loop;
        Copies person;
        QStringList told;
        bool pasted = false; // the person pastes the storm's item as the loop makes its 200th copy
    };
    const Row rows[] = {
        {"a named program looping while another application copies", {looper, 11, 3250, 0.002},
         {editor, 12, 20, 0.3, 0.1}, {"Looper"}},
        {"an xclip loop while the application in front copies", {std::nullopt, 0, 3250, 0.002},
         {editor, 12, 20, 0.3, 0.1}, {""}},
        {"a loop whose class is the editor's", {editorsTwin, 13, 3250, 0.002}, {editor, 12, 20, 0.3, 0.1},
         {"Editor"}},
        {"copies 0.6 s apart after a storm from the same window", {looper, 11, 300, 0.005},
         {looper, 11, 8, 0.6, 2.1}, {"Looper"}},
        {"copies 0.8 s apart after a storm from the same window", {looper, 11, 300, 0.005},
         {looper, 11, 10, 0.8, 2.3}, {"Looper"}},
        {"a loop at 150 a second for 3 s", {looper, 11, 450, 1.0 / 150}, {editor, 12, 0, 1}, {"Looper"}},
        {"a loop at 150 a second beside a window copying every 0.3 s", {looper, 11, 450, 1.0 / 150},
         {editor, 12, 10, 0.3, 0.1}, {"Looper"}},
        {"a loop at 150 a second, its item pasted meanwhile", {looper, 11, 450, 1.0 / 150}, {editor, 12, 0, 1},
         {"Looper"}, true},
        {"a loop in the editor's window right after the editor's copies", {editor, 12, 3250, 0.002, 1.3},
         {editor, 12, 5, 0.3}, {"Editor"}},
        {"an xclip loop right after the person's xclip copies", {std::nullopt, 0, 3250, 0.002, 1.3},
         {std::nullopt, 0, 5, 0.3}, {""}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SimPlatform platform;
        platform.pasteboard.setNotifiesChanges(true);
        platform.workspace.bringToFront(editor);
        platform.workspace.clipboardHolder = {12, editor}; // when watching begins, not the loop's
        ClipboardHistoryManager history(platform.clock, nullptr);
        history.start();
        PasteboardManager stormed(platform.clock, platform.pasteboard, &platform.workspace);
        QObject::connect(&stormed, &PasteboardManager::captured, &history, &ClipboardHistoryManager::ingest);
        QStringList told;
        qint64 folded = 0;
        QObject::connect(&stormed, &PasteboardManager::stormFolded, [&](const QString &app, qint64 changes) {
            told.append(app);
            folded += changes;
        });
        stormed.start();
        const double t0 = platform.clock.uptime();
        int loopMade = 0;
        int personMade = 0;
        while (loopMade < row.loop.count || personMade < row.person.count) {
            const double loopAt = loopMade < row.loop.count ? row.loop.from + row.loop.interval * loopMade : 1e9;
            const double personAt = personMade < row.person.count ? row.person.from + row.person.interval * personMade
                                                                  : 1e9;
            const bool person = personAt < loopAt;
            platform.clock.advance(std::max(0.0, t0 + std::min(loopAt, personAt) - platform.clock.uptime()));
            if (!person && row.pasted && loopMade == 199)
                history.handleItemInserted(history.items().first());
            const Copies &by = person ? row.person : row.loop;
            platform.workspace.clipboardHolder = {by.client ? by.client : quint64(1000 + loopMade), by.owner};
            platform.pasteboard.copyText(person ? QStringLiteral("person %1").arg(++personMade)
                                                : QStringLiteral("loop %1").arg(++loopMade));
        }
        platform.clock.advance(1.0);

        int loopItems = 0;
        QStringList missing;
        for (int i = 1; i <= row.person.count; ++i)
            missing.append(QStringLiteral("person %1").arg(i));
        for (const ClipboardItem &item : history.items()) {
            missing.removeOne(item.text());
            loopItems += item.text().startsWith(QLatin1String("loop ")) ? 1 : 0;
        }
        EXPECT_TRUE(missing.isEmpty()) << missing.join(QStringLiteral(", ")).toStdString();
        // Its copies before it was recognised, its newest copy and the one the person pasted; every other copy
        // folded.
        const int beforeStorm = loopItems - 1 - (row.pasted ? 1 : 0);
        EXPECT_LT(beforeStorm, ClipboardStormDetector::beginChangeCount);
        EXPECT_EQ(folded, row.loop.count - beforeStorm);
        EXPECT_EQ(told.join(QLatin1Char(',')).toStdString(), row.told.join(QLatin1Char(',')).toStdString());
    }
}

// Copies waiting to be stored are held in memory: past the budget of one capture, the next change is read
// only once one of them is stored.
TEST_F(PasteboardManagerTest, ReadingWaitsWhileTheCopiesBeingStoredPassTheBudget)
{
    QSemaphore release;
    manager.stageCapture = [&](ClipboardCapture &) { release.acquire(); };
    const QByteArray half(PasteboardManager::captureByteBudget / 2 + 1, 'x');
    sim.pasteboard.copy({{{kFoo, half}}});
    start();
    sim.pasteboard.copy({{{kFoo, half + "2"}}});
    sim.clock.advance(0.16);
    sim.pasteboard.copyText(QStringLiteral("small"));
    sim.clock.advance(0.5);
    EXPECT_EQ(sim.pasteboard.typeQueries, 2);
    release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        sim.clock.advance(0.16);
        return sim.pasteboard.typeQueries == 3;
    }, 5000));
    release.release(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return captures.size() == 3; }, 5000)) << captures.size();
    EXPECT_EQ(captures[2].text, QStringLiteral("small"));
}

TEST_F(PasteboardManagerTest, AnOwnerThatQuitsMidReadLeavesWhatWasRead)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "kept"},
                          {PasteboardType::html, "<p>gone</p>", Owner::answers, 0.1},
                          {kFoo, "never asked"}}});
    start();
    sim.clock.advance(0.05);
    sim.pasteboard.clear();
    sim.clock.advance(2);
    ASSERT_EQ(captures.size(), 1);
    const auto &reps = captures[0].payload.items[0].representations;
    EXPECT_EQ(reps[0].data, QByteArray("kept"));
    EXPECT_EQ(reps[1].omissionReason, OmissionReason::unavailable);
    EXPECT_EQ(reps[2].omissionReason, OmissionReason::unavailable);
    EXPECT_EQ(sim.pasteboard.reads.size(), 2);
    EXPECT_TRUE(replacements.isEmpty());
}

TEST_F(PasteboardManagerTest, EmptyPasteboardDeliversNothing)
{
    start();
    sim.pasteboard.clear();
    sim.clock.advance(2);
    sim.pasteboard.copy({{{PasteboardType::plainText, ""}}});
    sim.clock.advance(2);
    EXPECT_TRUE(captures.isEmpty());
}

TEST_F(PasteboardManagerTest, WithoutAPasteboardNothingRuns)
{
    sim.pasteboard.setAvailable(false);
    start();
    sim.clock.advance(1);
    EXPECT_FALSE(manager.isRunning());
    EXPECT_EQ(sim.pasteboard.changeCountQueries, 0);
    EXPECT_EQ(sim.clock.pendingTimers(), 0);
}

TEST_F(PasteboardManagerTest, StopEndsThePollAndTheReReads)
{
    sim.pasteboard.copy({{{PasteboardType::plainText, "x"}, {PasteboardType::html, "", Owner::refuses}}});
    start();
    manager.stop();
    EXPECT_EQ(sim.clock.pendingTimers(), 0);
    sim.pasteboard.copyText(QStringLiteral("y"));
    sim.clock.advance(1);
    EXPECT_EQ(captures.size(), 1);
}

TEST_F(PasteboardManagerTest, StoppingFromTheCaptureCallbackStartsNoReReads)
{
    QObject::connect(&manager, &PasteboardManager::captured, [this](const ClipboardCapture &) { manager.stop(); });
    sim.pasteboard.copy({{{PasteboardType::plainText, "x"}, {PasteboardType::html, "", Owner::refuses}}});
    start();
    EXPECT_EQ(sim.clock.pendingTimers(), 0);
}

// The kind and derived fields of a capture.
struct KindCase {
    const char *name;
    SimPasteboard::Item item;
    ClipboardItemType type;
    QString text;
    QStringList paths;
    QByteArray image;
};

class CaptureKindTest : public PasteboardManagerTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(CaptureKindTest, DecidesTheKindAndFillsTheCapture)
{
    const KindCase c = GetParam();
    sim.pasteboard.copy({c.item});
    start();
    ASSERT_EQ(captures.size(), 1);
    EXPECT_EQ(captures[0].type, c.type);
    EXPECT_EQ(captures[0].text, c.text);
    EXPECT_EQ(captures[0].filePaths, c.paths);
    EXPECT_EQ(captures[0].imageData, c.image);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CaptureKindTest,
    ::testing::Values(
        KindCase{"text", {{PasteboardType::plainText, "Hello, world"}}, ClipboardItemType::text, "Hello, world", {}, {}},
        KindCase{"text with html", {{PasteboardType::plainText, "bold"}, {PasteboardType::html, "<b>bold</b>"}}, ClipboardItemType::text, "bold", {}, {}},
        KindCase{"web address as text", {{PasteboardType::plainText, " https://example.org/a?b=1 \n"}}, ClipboardItemType::url, " https://example.org/a?b=1 \n", {}, {}},
        KindCase{"two addresses are text", {{PasteboardType::plainText, "https://a.example https://b.example"}}, ClipboardItemType::text, "https://a.example https://b.example", {}, {}},
        KindCase{"not a web address", {{PasteboardType::plainText, "mailto:someone@example.org"}}, ClipboardItemType::text, "mailto:someone@example.org", {}, {}},
        KindCase{"uri list with a link", {{PasteboardType::uriList, "https://example.org/\r\n"}}, ClipboardItemType::url, "https://example.org/", {}, {}},
        KindCase{"link with its title", {{PasteboardType::plainText, "Example"}, {PasteboardType::uriList, "https://example.org/\r\n"}}, ClipboardItemType::url, "Example", {}, {}},
        KindCase{"files", {{PasteboardType::uriList, "# copied\r\nfile:///tmp/a%20b.txt\r\nfile:///tmp/c.png\r\n"}}, ClipboardItemType::file, "/tmp/a b.txt\n/tmp/c.png", {"/tmp/a b.txt", "/tmp/c.png"}, {}},
        // File managers' own ways of writing their lists.
        KindCase{"pcmanfm's files end in a NUL", {{PasteboardType::uriList, QByteArray("file:///tmp/a\r\nfile:///tmp/b", 28) + '\0'}}, ClipboardItemType::file, "/tmp/a\n/tmp/b", {"/tmp/a", "/tmp/b"}, {}},
        KindCase{"pcmanfm's one file ends in a NUL", {{PasteboardType::uriList, QByteArray("file:///tmp/a\0", 14)}}, ClipboardItemType::file, "/tmp/a", {"/tmp/a"}, {}},
        KindCase{"a GTK file manager's copied files with their paths as text", {{PasteboardType::plainText, "/tmp/a b\n/tmp/c"}, {PasteboardType::gnomeCopiedFiles, "copy\nfile:///tmp/a%20b\nfile:///tmp/c"}}, ClipboardItemType::file, "/tmp/a b\n/tmp/c", {"/tmp/a b", "/tmp/c"}, {}},
        KindCase{"cut files", {{PasteboardType::gnomeCopiedFiles, "cut\nfile:///tmp/a\nfile:///tmp/b\n"}}, ClipboardItemType::file, "/tmp/a\n/tmp/b", {"/tmp/a", "/tmp/b"}, {}},
        KindCase{"files and a link", {{PasteboardType::uriList, "file:///tmp/a\r\nhttps://example.org/\r\n"}}, ClipboardItemType::url, "file:///tmp/a", {}, {}},
        KindCase{"png image", {{PasteboardType::png, "\x89PNG"}, {PasteboardType::html, "<img>"}}, ClipboardItemType::image, "", {}, "\x89PNG"},
        KindCase{"png before tiff", {{PasteboardType::tiff, "TIFF"}, {PasteboardType::png, "PNG"}}, ClipboardItemType::image, "", {}, "PNG"},
        KindCase{"tiff only", {{PasteboardType::tiff, "TIFF"}}, ClipboardItemType::image, "", {}, "TIFF"},
        KindCase{"text wins over image", {{PasteboardType::plainText, "caption"}, {PasteboardType::png, "PNG"}}, ClipboardItemType::text, "caption", {}, {}},
        KindCase{"not utf-8", {{PasteboardType::plainText, "caf\xe9"}}, ClipboardItemType::text, QString::fromLatin1("caf\xe9"), {}, {}},
        KindCase{"other formats only", {{kFoo, "\x01\x02"}}, ClipboardItemType::generic, "", {}, {}},
        KindCase{"broken uri list", {{PasteboardType::uriList, "::::\r\n"}, {kFoo, "x"}}, ClipboardItemType::generic, "", {}, {}}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
        return name;
    });

TEST_F(PasteboardManagerTest, ASingleFileCarriesItsNameAndSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("twelve bytes");
    file.close();
    sim.pasteboard.copy({{{PasteboardType::uriList, QUrl::fromLocalFile(path).toEncoded() + "\r\n"},
                          {PasteboardType::plainText, path.toUtf8()}}});
    start();
    ASSERT_EQ(captures.size(), 1);
    EXPECT_EQ(captures[0].type, ClipboardItemType::file);
    EXPECT_EQ(captures[0].filePaths, QStringList{path});
    EXPECT_EQ(captures[0].fileName, QStringLiteral("report.txt"));
    EXPECT_EQ(captures[0].fileSize, 12);
}
