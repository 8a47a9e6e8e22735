#include "model/FocusedFieldDescriptor.h"

#include "model/FieldTextFolding.h"

#include <QCryptographicHash>
#include <QStringList>

namespace {

bool isPresent(const std::optional<QString> &text)
{
    return text && !text->isEmpty();
}

// Parts are joined with "|": a "|" or "\" inside a part is escaped so that two different fields can never
// produce one joined text.
QString escaped(QString part)
{
    return part.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('|'), QLatin1String("\\|"));
}

} // namespace

QString FocusedFieldDescriptor::normalized(const QString &text)
{
    return FieldTextFolding::fold(text).trimmed().toLower();
}

QString FocusedFieldDescriptor::fingerprint() const
{
    QStringList parts;
    if (isPresent(webOrigin))
        parts << QStringLiteral("web") << normalized(*webOrigin) << normalized(role);
    else
        parts << QStringLiteral("app") << normalized(applicationId) << normalized(role);

    if (isPresent(domIdentifier)) {
        parts << QStringLiteral("dom:") + normalized(*domIdentifier);
    } else if (isPresent(accessibilityIdentifier)) {
        parts << QStringLiteral("ax:") + normalized(*accessibilityIdentifier);
    } else {
        parts << QStringLiteral("title:") + normalized(title.value_or(QString()))
              << QStringLiteral("placeholder:") + normalized(placeholder.value_or(QString()))
              << QStringLiteral("type:") + normalized(fieldType);
    }
    for (QString &part : parts)
        part = escaped(part);
    const QByteArray digest = QCryptographicHash::hash(parts.join(QLatin1Char('|')).toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

QString FocusedFieldDescriptor::scopeKey() const
{
    if (isPresent(webOrigin))
        return QStringLiteral("web:") + normalized(*webOrigin);
    return QStringLiteral("app:") + normalized(applicationId);
}

size_t qHash(const FocusedFieldDescriptor &d, size_t seed)
{
    QtPrivate::QHashCombine combine;
    auto optional = [&](const std::optional<QString> &text) {
        seed = combine(seed, text.has_value());
        if (text)
            seed = combine(seed, *text);
    };
    seed = combine(seed, d.applicationId);
    optional(d.webOrigin);
    optional(d.domIdentifier);
    optional(d.accessibilityIdentifier);
    optional(d.title);
    optional(d.placeholder);
    seed = combine(seed, d.role);
    seed = combine(seed, d.fieldType);
    seed = combine(seed, d.hasSelectedText);
    seed = combine(seed, d.isEmpty);
    return seed;
}
