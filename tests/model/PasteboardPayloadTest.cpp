#include "model/PasteboardPayload.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

PasteboardPayload samplePayload()
{
    PasteboardPayload payload;
    PasteboardPayloadItem first;
    first.representations.append({"text/plain;charset=utf-8", QString("zażółć").toUtf8(), 12, std::nullopt});
    first.representations.append({"text/html", "<b>x</b>", 8, std::nullopt});
    first.representations.append({"image/png", {}, 70'000'000, OmissionReason::sizeLimit});
    PasteboardPayloadItem second;
    second.representations.append({"application/x-stalled", {}, 0, OmissionReason::unavailable});
    second.representations.append({"application/octet-stream", QByteArray(1000, '\0'), 1000, std::nullopt});
    payload.items = {first, second, PasteboardPayloadItem{}};
    return payload;
}

TEST(PasteboardPayload, RoundTripsEveryField)
{
    const PasteboardPayload payload = samplePayload();
    QString error;
    const auto decoded = PasteboardPayload::decode(payload.encoded(), &error);
    ASSERT_TRUE(decoded.has_value()) << error.toStdString();
    EXPECT_EQ(*decoded, payload);
    EXPECT_EQ(decoded->items.at(0).representations.at(2).omissionReason, OmissionReason::sizeLimit);
    EXPECT_EQ(decoded->items.at(1).representations.at(0).omissionReason, OmissionReason::unavailable);

    const auto empty = PasteboardPayload::decode(PasteboardPayload{}.encoded());
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
}

TEST(PasteboardPayload, Helpers)
{
    const PasteboardPayload payload = samplePayload();
    EXPECT_EQ(payload.totalByteCount(), QString("zażółć").toUtf8().size() + 8 + 1000);
    EXPECT_EQ(payload.totalOriginalByteCount(), 12 + 8 + 70'000'000 + 1000);
    EXPECT_EQ(payload.representationCount(), 5);
    EXPECT_TRUE(payload.hasType("text/html"));
    EXPECT_FALSE(payload.hasType("text/rtf"));
    EXPECT_EQ(payload.types().size(), 5);
    PasteboardPayload changed = payload;
    changed.items[0].representations[1].data = "<i>x</i>";
    EXPECT_NE(changed, payload);
}

TEST(PasteboardPayload, CorruptInputGivesAnErrorNotACrash)
{
    const QByteArray good = samplePayload().encoded();
    QString error;
    EXPECT_FALSE(PasteboardPayload::decode({}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(PasteboardPayload::decode("bplist00 not ours", &error));

    QByteArray newer = good;
    newer[4] = char(9);
    EXPECT_FALSE(PasteboardPayload::decode(newer, &error));
    EXPECT_TRUE(error.contains("version"));

    QByteArray trailing = good + "x";
    EXPECT_FALSE(PasteboardPayload::decode(trailing, &error));

    // Every truncation fails cleanly.
    for (int size = 0; size < good.size(); ++size)
        EXPECT_FALSE(PasteboardPayload::decode(good.left(size))) << size;

    // Huge counts and lengths must not allocate or read past the end.
    QByteArray hugeCount = good;
    hugeCount[8] = char(0xff), hugeCount[9] = char(0xff), hugeCount[10] = char(0xff), hugeCount[11] = char(0x7f);
    EXPECT_FALSE(PasteboardPayload::decode(hugeCount, &error));

    // Random bit flips never crash (decoding may succeed when only data bytes changed).
    auto *random = QRandomGenerator::global();
    for (int round = 0; round < 2000; ++round) {
        QByteArray flipped = good;
        const int at = int(random->bounded(flipped.size()));
        flipped[at] = char(flipped[at] ^ char(1 << random->bounded(8)));
        (void)PasteboardPayload::decode(flipped);
    }
}

} // namespace
