// Sample values: the shape of every kind's values, distinct results, details carried along, strong
// passwords, the unbiased draw and determinism with a fixed random source.
#include "fields/FocusedFieldSampleGenerator.h"
#include "platform/sim/SimAccessibility.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

#include <gtest/gtest.h>

namespace {

FocusedFieldSampleGenerator seeded(quint32 seed)
{
    auto random = std::make_shared<QRandomGenerator>(seed);
    return FocusedFieldSampleGenerator([random] { return random->generate64(); });
}

struct ShapeRow {
    FocusedFieldKind kind;
    const char *pattern;
    const char *title;
    const char *systemImage;
};

const ShapeRow shapes[] = {
    {FocusedFieldKind::url, R"(^https://[a-z]+\.example\.(com|net|org)$)", "Example URL", "link"},
    {FocusedFieldKind::login, R"(^user[1-9][0-9]{3,4}$)", "Random login", "person.crop.circle"},
    {FocusedFieldKind::firstName, R"(^[A-Z][a-z]{2,3}$)", "Random first name", "person"},
    {FocusedFieldKind::lastName, R"(^[A-Z][a-z]{4,7}$)", "Random last name", "person"},
    {FocusedFieldKind::name, R"(^[A-Z][a-z]{2,3} [A-Z][a-z]{4,7}$)", "Random name", "person.text.rectangle"},
    {FocusedFieldKind::email, R"(^[a-z]{3,4}\.[a-z]{5,8}[1-9][0-9]@[a-z.]+\.test$)", "Random email", "envelope"},
    {FocusedFieldKind::phone, R"(^\+48 [5-7][0-9]{2} [1-9][0-9]{2} [1-9][0-9]{2}$)", "Test phone", "phone"},
    {FocusedFieldKind::company, R"(^.+$)", "Test company", "building.2"},
    {FocusedFieldKind::address, R"(^(12 Market Street|24 River Road|8 Oak Avenue|41 Willow Lane)$)", "Test address", "house"},
    {FocusedFieldKind::postalCode, R"(^[1-9][0-9]-[1-9][0-9]{2}$)", "Test postal code", "location"},
    {FocusedFieldKind::taxID, R"(^TID-[1-9][0-9]{8}$)", "Test tax ID", "number"},
    {FocusedFieldKind::identifier, R"(^ID-[1-9][0-9]{5}$)", "Random ID", "number"},
    {FocusedFieldKind::password, R"(^[A-HJ-NP-Za-km-z2-9]{20}$)", "Test password", "key"},
    {FocusedFieldKind::text, R"(^(Test value|Example input|Sample data)$)", "Sample text", "text.cursor"},
};

TEST(FocusedFieldSampleGeneratorTest, EveryKindHasItsShape)
{
    FocusedFieldSampleGenerator generator = seeded(7);
    for (const ShapeRow &row : shapes) {
        const QRegularExpression pattern(QString::fromLatin1(row.pattern));
        for (int i = 0; i < 200; ++i) {
            const std::optional<FocusedFieldSuggestion> s = generator.sampleSuggestion(row.kind);
            ASSERT_TRUE(s) << row.title;
            EXPECT_TRUE(pattern.match(s->value).hasMatch()) << row.title << ": " << s->value.toStdString();
            EXPECT_EQ(s->title, QString::fromLatin1(row.title));
            EXPECT_EQ(s->systemImage, QString::fromLatin1(row.systemImage));
            EXPECT_FALSE(s->isSaved);
            EXPECT_EQ(s->usageCount, 0);
            EXPECT_FALSE(s->displayValue);
            EXPECT_FALSE(s->details);
        }
    }
    EXPECT_FALSE(generator.sampleSuggestion(FocusedFieldKind::date));
    EXPECT_TRUE(generator.sampleSuggestionBatch(FocusedFieldKind::date).isEmpty());
}

TEST(FocusedFieldSampleGeneratorTest, PasswordsAreStrong)
{
    // 57 symbols, 20 of them: well above 80 bits, and every draw holds each character class.
    EXPECT_GE(FocusedFieldSampleGenerator::passwordLength * std::log2(57.0), 80.0);
    FocusedFieldSampleGenerator generator;
    QSet<QString> seen;
    for (int i = 0; i < 2000; ++i) {
        const QString password = generator.sampleSuggestion(FocusedFieldKind::password)->value;
        EXPECT_TRUE(password.contains(QRegularExpression(QStringLiteral("[A-Z]")))) << password.toStdString();
        EXPECT_TRUE(password.contains(QRegularExpression(QStringLiteral("[a-z]")))) << password.toStdString();
        EXPECT_TRUE(password.contains(QRegularExpression(QStringLiteral("[0-9]")))) << password.toStdString();
        seen.insert(password);
    }
    EXPECT_EQ(seen.size(), 2000);
}

TEST(FocusedFieldSampleGeneratorTest, AFixedSeedGivesTheSameValues)
{
    FocusedFieldSampleGenerator a = seeded(42);
    FocusedFieldSampleGenerator b = seeded(42);
    FocusedFieldSampleGenerator c = seeded(43);
    QStringList fromA, fromB, fromC;
    for (const FocusedFieldKind kind : FocusedFieldKind::allCases()) {
        for (const FocusedFieldSuggestion &s : a.sampleSuggestionBatch(kind))
            fromA << s.value;
        for (const FocusedFieldSuggestion &s : b.sampleSuggestionBatch(kind))
            fromB << s.value;
        for (const FocusedFieldSuggestion &s : c.sampleSuggestionBatch(kind))
            fromC << s.value;
    }
    EXPECT_EQ(fromA, fromB);
    EXPECT_NE(fromA, fromC);
    EXPECT_EQ(fromA.size(), 14 * 3);
}

TEST(FocusedFieldSampleGeneratorTest, DrawIsUnbiasedAndRejectsTheLowTail)
{
    // x * n's high word is the draw; a low word below (2^64 - n) mod n is redrawn.
    QList<quint64> draws = {0, ~quint64(0), quint64(1) << 63};
    qsizetype next = 0;
    FocusedFieldSampleGenerator generator([&] { return draws.at(next++); });
    EXPECT_EQ(generator.randomBelow(3), 2u) << "x = 0: low word 0 is below (2^64 - 3) mod 3 = 1, redrawn";
    EXPECT_EQ(next, 2);
    EXPECT_EQ(generator.randomBelow(2), 1u);
    EXPECT_EQ(next, 3);

    FocusedFieldSampleGenerator fair = seeded(1);
    int counts[3] = {};
    for (int i = 0; i < 30000; ++i)
        ++counts[fair.randomBelow(3)];
    for (int count : counts)
        EXPECT_NEAR(count, 10000, 500);
}

struct CountRow {
    FocusedFieldKind kind;
    int count;
    int expected;  // how many distinct values come back at most
};

const CountRow counts[] = {
    {FocusedFieldKind::text, 3, 3},   {FocusedFieldKind::text, 5, 3},    {FocusedFieldKind::url, 4, 3},
    {FocusedFieldKind::company, 6, 4}, {FocusedFieldKind::firstName, 10, 8}, {FocusedFieldKind::date, 3, 0},
    {FocusedFieldKind::login, 0, 0},  {FocusedFieldKind::login, -2, 0},  {FocusedFieldKind::password, 3, 3},
};

TEST(FocusedFieldSampleGeneratorTest, ResultsAreDistinctAndCarryTheFieldsDetails)
{
    FocusedFieldDescriptor descriptor;
    descriptor.applicationId = QStringLiteral("firefox");
    descriptor.webOrigin = QStringLiteral("https://example.com");
    descriptor.placeholder = QStringLiteral("Your name");
    descriptor.domIdentifier = QStringLiteral("n");
    descriptor.fieldType = QStringLiteral("Name");
    const FocusedFieldSuggestionDetails details = FocusedFieldSampleGenerator::details(descriptor);
    EXPECT_EQ(details.fieldName, QStringLiteral("Your name")) << "the placeholder names a field without a title";
    descriptor.placeholder.reset();
    EXPECT_FALSE(FocusedFieldSampleGenerator::details(descriptor).fieldName);

    for (const CountRow &row : counts) {
        FocusedFieldSampleGenerator generator = seeded(quint32(row.count + 100));
        const QList<FocusedFieldSuggestion> samples = generator.sampleSuggestions(row.kind, details, row.count);
        EXPECT_LE(samples.size(), row.expected) << row.kind.label().toStdString() << " " << row.count;
        if (row.expected <= 4 && row.count >= row.expected) {
            EXPECT_EQ(samples.size(), row.expected) << row.kind.label().toStdString();
        }
        QSet<QString> values;
        QSet<QUuid> ids;
        for (const FocusedFieldSuggestion &s : samples) {
            values.insert(s.value);
            ids.insert(s.id);
            EXPECT_EQ(s.details, details);
        }
        EXPECT_EQ(values.size(), samples.size());
        EXPECT_EQ(ids.size(), samples.size());
    }
}

TEST(FocusedFieldSampleGeneratorTest, TargetIsClassifiedFromItsHintTexts)
{
    SimAccessibility accessibility;
    const auto field = accessibility.application(5)->addChild(AccessibilityRole::textField);
    field->set(AccessibilityAttribute::placeholder, "Kod pocztowy");
    FocusedFieldTarget target{field->element(), {}};
    target.descriptor.title = QStringLiteral("Postal");

    FocusedFieldSampleGenerator generator = seeded(3);
    const int readsBefore = field->process().reads;
    EXPECT_TRUE(generator.sampleSuggestions(target, 0).isEmpty());
    EXPECT_EQ(field->process().reads, readsBefore) << "a count below 1 reads nothing";

    const QList<FocusedFieldSuggestion> samples = generator.sampleSuggestions(target, 3);
    ASSERT_EQ(samples.size(), 3);
    for (const FocusedFieldSuggestion &s : samples) {
        EXPECT_EQ(s.title, QStringLiteral("Test postal code"));
        EXPECT_EQ(s.details->fieldName, QStringLiteral("Postal"));
    }

    const auto unclassified = accessibility.application(5)->addChild(AccessibilityRole::textField);
    const QList<FocusedFieldSuggestion> texts = generator.sampleSuggestions(FocusedFieldTarget{unclassified->element(), {}}, 3);
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts.first().title, QStringLiteral("Sample text"));
}

} // namespace
