#include "platform/Preferences.h"

// A file backend hands every value back as text, an in-memory one keeps its type: accept both.

std::optional<QByteArray> Preferences::data(const QString &key) const
{
    const QVariant value = storedValue(key);
    switch (value.typeId()) {
    case QMetaType::QByteArray: return value.toByteArray();
    case QMetaType::QString: return value.toString().toUtf8();
    default: return std::nullopt;
    }
}

std::optional<QString> Preferences::string(const QString &key) const
{
    const QVariant value = storedValue(key);
    switch (value.typeId()) {
    case QMetaType::QString: return value.toString();
    case QMetaType::QByteArray: return QString::fromUtf8(value.toByteArray());
    default: return std::nullopt;
    }
}

std::optional<double> Preferences::doubleValue(const QString &key) const
{
    const QVariant value = storedValue(key);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toDouble();
    case QMetaType::QString: {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (ok)
            return number;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

std::optional<bool> Preferences::boolValue(const QString &key) const
{
    const QVariant value = storedValue(key);
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong() != 0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed().toLower();
        if (text == u"true" || text == u"1")
            return true;
        if (text == u"false" || text == u"0")
            return false;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

void Preferences::remove(const QString &key)
{
    if (!contains(key))
        return;
    eraseValue(key);
    Q_EMIT valueChanged(key);
}

void Preferences::write(const QString &key, const QVariant &value)
{
    const QVariant previous = storedValue(key);
    // Stored as given even when equal: a file backend may hold the text form of the same value.
    storeValue(key, value);
    if (previous.typeId() == value.typeId() && previous == value)
        return;
    Q_EMIT valueChanged(key);
}
