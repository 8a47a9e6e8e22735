#include "fields/FocusedFieldSampleGenerator.h"

#include "fields/FocusedFieldReader.h"

#include <QRandomGenerator>
#include <QSet>

#include <algorithm>

namespace {

const QStringList sampleTexts = {QStringLiteral("Test value"), QStringLiteral("Example input"),
                                 QStringLiteral("Sample data")};
// RFC 2606 documentation domains.
const QStringList sampleHosts = {QStringLiteral("www.example.com"), QStringLiteral("shop.example.net"),
                                 QStringLiteral("docs.example.org")};
const QStringList firstNames = {QStringLiteral("Ada"), QStringLiteral("Ola"), QStringLiteral("Jan"),
                                QStringLiteral("Ewa"), QStringLiteral("Tom"), QStringLiteral("Lena"),
                                QStringLiteral("Emil"), QStringLiteral("Iga")};
const QStringList lastNames = {QStringLiteral("Nowicki"), QStringLiteral("Fairfax"), QStringLiteral("Kowalik"),
                               QStringLiteral("Thornby"), QStringLiteral("Lindberg"), QStringLiteral("Marlow"),
                               QStringLiteral("Brzoska"), QStringLiteral("Hadley")};
const QStringList companyNames = {QStringLiteral("Acme Works"), QStringLiteral("Northwind Labs"),
                                  QStringLiteral("Blue Harbor"), QStringLiteral("Pine & Co")};
const QStringList streetAddresses = {QStringLiteral("12 Market Street"), QStringLiteral("24 River Road"),
                                     QStringLiteral("8 Oak Avenue"), QStringLiteral("41 Willow Lane")};
// RFC 2606 reserves .test for testing.
const QString emailDomain = QStringLiteral("mail.test");

// No 0/O, 1/l/I: a sample is read off the screen now and then.
const QString passwordAlphabet = QStringLiteral("ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789");

FocusedFieldSuggestion sample(const QString &title, const QString &value, const QString &systemImage)
{
    FocusedFieldSuggestion s;
    s.title = title;
    s.value = value;
    s.systemImage = systemImage;
    return s;
}

QString number(quint64 value)
{
    return QString::number(value);
}

} // namespace

FocusedFieldSampleGenerator::FocusedFieldSampleGenerator()
    : FocusedFieldSampleGenerator([] { return QRandomGenerator::system()->generate64(); })
{
}

FocusedFieldSampleGenerator::FocusedFieldSampleGenerator(RandomSource source)
    : m_random(std::move(source))
{
}

quint64 FocusedFieldSampleGenerator::randomBelow(quint64 n)
{
    Q_ASSERT(n >= 1);
    unsigned __int128 m = static_cast<unsigned __int128>(m_random()) * n;
    quint64 low = static_cast<quint64>(m);
    if (low < n) {
        const quint64 threshold = (0 - n) % n;
        while (low < threshold) {
            m = static_cast<unsigned __int128>(m_random()) * n;
            low = static_cast<quint64>(m);
        }
    }
    return static_cast<quint64>(m >> 64);
}

QString FocusedFieldSampleGenerator::pick(const QStringList &list)
{
    return list.at(static_cast<qsizetype>(randomBelow(quint64(list.size()))));
}

QString FocusedFieldSampleGenerator::strongPassword()
{
    auto has = [](const QString &s, bool (*test)(char32_t)) {
        return std::any_of(s.cbegin(), s.cend(), [test](QChar c) { return test(c.unicode()); });
    };
    QString password;
    // Sites commonly ask for an upper-case letter, a lower-case letter and a digit: draw until all are there
    // (a miss is rare, and dropping such draws costs well under a bit).
    for (int attempt = 0; attempt < 32; ++attempt) {
        password.clear();
        for (int i = 0; i < passwordLength; ++i)
            password.append(passwordAlphabet.at(static_cast<qsizetype>(randomBelow(quint64(passwordAlphabet.size())))));
        if (has(password, QChar::isUpper) && has(password, QChar::isLower) && has(password, QChar::isDigit))
            break;
    }
    return password;
}

std::optional<FocusedFieldSuggestion> FocusedFieldSampleGenerator::sampleSuggestion(FocusedFieldKind kind)
{
    switch (kind) {
    case FocusedFieldKind::url:
        return sample(QStringLiteral("Example URL"), QStringLiteral("https://") + pick(sampleHosts), QStringLiteral("link"));
    case FocusedFieldKind::login:
        return sample(QStringLiteral("Random login"), QStringLiteral("user") + number(1000 + randomBelow(99000)),
                      QStringLiteral("person.crop.circle"));
    case FocusedFieldKind::firstName:
        return sample(QStringLiteral("Random first name"), pick(firstNames), QStringLiteral("person"));
    case FocusedFieldKind::lastName:
        return sample(QStringLiteral("Random last name"), pick(lastNames), QStringLiteral("person"));
    case FocusedFieldKind::name: {
        const QString first = pick(firstNames);
        const QString last = pick(lastNames);
        return sample(QStringLiteral("Random name"), first + QLatin1Char(' ') + last,
                      QStringLiteral("person.text.rectangle"));
    }
    case FocusedFieldKind::email: {
        const QString first = pick(firstNames).toLower();
        const QString last = pick(lastNames).toLower();
        const QString digits = number(10 + randomBelow(90));
        return sample(QStringLiteral("Random email"), first + QLatin1Char('.') + last + digits + QLatin1Char('@') + emailDomain,
                      QStringLiteral("envelope"));
    }
    case FocusedFieldKind::phone: {
        const quint64 a = 500 + randomBelow(300);
        const quint64 b = 100 + randomBelow(900);
        const quint64 c = 100 + randomBelow(900);
        return sample(QStringLiteral("Test phone"),
                      QStringLiteral("+48 %1 %2 %3").arg(number(a), number(b), number(c)), QStringLiteral("phone"));
    }
    case FocusedFieldKind::company:
        return sample(QStringLiteral("Test company"), pick(companyNames), QStringLiteral("building.2"));
    case FocusedFieldKind::address:
        return sample(QStringLiteral("Test address"), pick(streetAddresses), QStringLiteral("house"));
    case FocusedFieldKind::postalCode: {
        const quint64 a = 10 + randomBelow(90);
        const quint64 b = 100 + randomBelow(900);
        return sample(QStringLiteral("Test postal code"), QString::asprintf("%02d-%03d", int(a), int(b)),
                      QStringLiteral("location"));
    }
    case FocusedFieldKind::taxID:
        return sample(QStringLiteral("Test tax ID"), QStringLiteral("TID-") + number(100000000 + randomBelow(900000000)),
                      QStringLiteral("number"));
    case FocusedFieldKind::identifier:
        return sample(QStringLiteral("Random ID"), QStringLiteral("ID-") + number(100000 + randomBelow(900000)),
                      QStringLiteral("number"));
    case FocusedFieldKind::password:
        return sample(QStringLiteral("Test password"), strongPassword(), QStringLiteral("key"));
    case FocusedFieldKind::date:
        return std::nullopt;
    case FocusedFieldKind::text:
        return sample(QStringLiteral("Sample text"), pick(sampleTexts), QStringLiteral("text.cursor"));
    }
    return std::nullopt;
}

QList<FocusedFieldSuggestion> FocusedFieldSampleGenerator::sampleSuggestionBatch(FocusedFieldKind kind)
{
    QList<FocusedFieldSuggestion> batch;
    for (int i = 0; i < 3; ++i) {
        if (std::optional<FocusedFieldSuggestion> s = sampleSuggestion(kind))
            batch.append(std::move(*s));
    }
    return batch;
}

FocusedFieldSuggestionDetails FocusedFieldSampleGenerator::details(const FocusedFieldDescriptor &descriptor)
{
    FocusedFieldSuggestionDetails d;
    d.applicationId = descriptor.applicationId;
    d.webOrigin = descriptor.webOrigin;
    d.fieldType = descriptor.fieldType;
    d.fieldName = descriptor.title ? descriptor.title : descriptor.placeholder;
    d.domIdentifier = descriptor.domIdentifier;
    d.accessibilityIdentifier = descriptor.accessibilityIdentifier;
    return d;
}

QList<FocusedFieldSuggestion> FocusedFieldSampleGenerator::sampleSuggestions(FocusedFieldKind kind,
                                                                            const FocusedFieldSuggestionDetails &details,
                                                                            int count)
{
    QList<FocusedFieldSuggestion> result;
    if (count < 1)
        return result;
    QSet<QString> seen;
    const int attempts = std::max(count, 2) * 4;
    for (int attempt = 0; attempt < attempts && result.size() < count; ++attempt) {
        for (const FocusedFieldSuggestion &drawn : sampleSuggestionBatch(kind)) {
            if (result.size() >= count)
                break;
            if (seen.contains(drawn.value))
                continue;
            seen.insert(drawn.value);
            FocusedFieldSuggestion s = drawn;
            s.id = QUuid::createUuid();
            s.details = details;
            result.append(std::move(s));
        }
    }
    return result;
}

QList<FocusedFieldSuggestion> FocusedFieldSampleGenerator::sampleSuggestions(const FocusedFieldTarget &target, int count)
{
    if (count < 1)
        return {};
    const std::optional<FocusedFieldKind> kind = FocusedFieldReader::classify(target.element);
    return sampleSuggestions(kind.value_or(FocusedFieldKind::text), details(target.descriptor), count);
}
