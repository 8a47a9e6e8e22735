#include "model/PasteboardPayload.h"

#include <gtest/gtest.h>

#include <QHash>
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

namespace {

// A blob store in memory that counts what it was given.
struct Blobs {
    QHash<QString, QByteArray> files;
    int stored = 0;
    PasteboardPayload::BlobStorer storer()
    {
        return [this](const QByteArray &bytes) {
            ++stored;
            const QString name = QString::number(qHash(bytes), 16) + QString::number(bytes.size());
            files.insert(name, bytes);
            return name;
        };
    }
    PasteboardPayload::BlobLoader loader() const
    {
        return [this](const QString &name, qint64) { return files.value(name); };
    }
};

PasteboardPayload oneItem(const QList<PasteboardRepresentation> &reps)
{
    PasteboardPayload payload;
    payload.items.append(PasteboardPayloadItem{reps});
    return payload;
}

struct RecordCase {
    const char *name;
    PasteboardPayload payload;
    QByteArray itemText;
    QByteArray itemImage;
    int blobs;            // representations kept in blobs
    qint64 maxRecordSize; // the record itself stays this small
};

class PayloadRecordTest : public ::testing::TestWithParam<RecordCase> {};

} // namespace

TEST_P(PayloadRecordTest, KeepsEachRepresentationOnceAndGivesTheSamePayloadBack)
{
    const RecordCase c = GetParam();
    Blobs blobs;
    const std::optional<QByteArray> record = c.payload.record(c.itemText, c.itemImage, blobs.storer());
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(blobs.stored, c.blobs);
    EXPECT_EQ(PasteboardPayload::recordBlobNames(*record).size(), c.blobs);
    EXPECT_LE(record->size(), c.maxRecordSize);
    EXPECT_EQ(PasteboardPayload::recordEncodedSize(*record), c.payload.encodedSize());
    EXPECT_EQ(c.payload.encodedSize(), c.payload.encoded().size());
    QString error;
    const auto back = PasteboardPayload::fromRecord(*record, c.itemText, blobs.loader(), &error);
    ASSERT_TRUE(back.has_value()) << error.toStdString();
    EXPECT_EQ(*back, c.payload);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, PayloadRecordTest,
    ::testing::Values(
        RecordCase{"text_equal_to_the_item_is_only_marked",
                   oneItem({{"text/plain;charset=utf-8", QByteArray(4000, 't'), 4000, std::nullopt}}),
                   QByteArray(4000, 't'), {}, 0, 100},
        RecordCase{"small_formats_inline",
                   oneItem({{"text/plain;charset=utf-8", "a", 1, std::nullopt}, {"text/html", "<b>a</b>", 8, std::nullopt}}),
                   "other text", {}, 0, 200},
        RecordCase{"large_format_in_a_blob",
                   oneItem({{"text/html", QByteArray(100'000, 'h'), 100'000, std::nullopt}}), {}, {}, 1, 200},
        RecordCase{"the_image_itself_in_its_blob_whatever_its_size",
                   oneItem({{"image/png", QByteArray(300, 'p'), 300, std::nullopt}}), {}, QByteArray(300, 'p'), 1, 200},
        RecordCase{"omitted_formats_keep_their_reason",
                   oneItem({{"image/png", {}, 70'000'000, OmissionReason::sizeLimit},
                            {"application/x-stalled", {}, 0, OmissionReason::unavailable}}),
                   {}, {}, 0, 200},
        RecordCase{"several_items", samplePayload(), QString("zażółć").toUtf8(), {}, 0, 2000}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PayloadRecord, ABlobThatIsGoneLeavesItsFormatUnavailableAndABadRecordIsRefused)
{
    Blobs blobs;
    const PasteboardPayload payload = oneItem({{"text/plain;charset=utf-8", "kept", 4, std::nullopt},
                                              {"text/html", QByteArray(50'000, 'h'), 50'000, std::nullopt}});
    const QByteArray record = *payload.record({}, {}, blobs.storer());
    blobs.files.clear();
    const auto back = PasteboardPayload::fromRecord(record, {}, blobs.loader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->items[0].representations[0].data, QByteArray("kept"));
    EXPECT_TRUE(back->items[0].representations[1].data.isEmpty());
    EXPECT_EQ(back->items[0].representations[1].omissionReason, OmissionReason::unavailable);

    // A blob that cannot be stored gives no record at all.
    EXPECT_FALSE(payload.record({}, {}, [](const QByteArray &) { return QString(); }).has_value());
    for (const QByteArray &bad : {QByteArray(), record.left(record.size() - 3), record + "x", payload.encoded()})
        EXPECT_FALSE(PasteboardPayload::fromRecord(bad, {}, blobs.loader()).has_value());
}
