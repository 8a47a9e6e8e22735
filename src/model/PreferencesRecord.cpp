#include "model/PreferencesRecord.h"

#include "platform/Preferences.h"

PreferencesRecord::PreferencesRecord(Preferences &prefs, QString key)
    : m_prefs(prefs)
    , m_key(std::move(key))
{
}

std::optional<QByteArray> PreferencesRecord::value() const
{
    return m_prefs.data(m_key);
}

void PreferencesRecord::save(const QByteArray &json)
{
    m_prefs.setData(m_key, json);
}

QString PreferencesRecord::keepAside(const QByteArray &text)
{
    const QString base = m_key + QStringLiteral(".corrupt");
    QString key = base;
    for (int n = 2;; ++n) {
        const std::optional<QByteArray> held = m_prefs.data(key);
        if (!held || *held == text)
            break;
        key = base + QLatin1Char('.') + QString::number(n);
    }
    m_prefs.setData(key, text);
    return key;
}
