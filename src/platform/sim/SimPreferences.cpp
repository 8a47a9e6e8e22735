#include "platform/sim/SimPreferences.h"

SimPreferences::SimPreferences(QObject *parent)
    : Preferences(parent)
{
}

void SimPreferences::storeValue(const QString &key, const QVariant &value)
{
    m_values.insert(key, value);
    ++m_writes[key];
}

void SimPreferences::eraseValue(const QString &key)
{
    m_values.remove(key);
    ++m_writes[key];
}
