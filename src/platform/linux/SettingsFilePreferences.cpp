#include "platform/linux/SettingsFilePreferences.h"

#include "platform/StorageLocations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

SettingsFilePreferences::SettingsFilePreferences(const StorageLocations &storage, QObject *parent)
    : SettingsFilePreferences(QDir(storage.configFolder()).filePath(QStringLiteral("preferences.conf")), parent)
{
}

SettingsFilePreferences::SettingsFilePreferences(const QString &filePath, QObject *parent)
    : Preferences(parent)
    , m_filePath(filePath)
{
    open();
}

SettingsFilePreferences::~SettingsFilePreferences() = default;

void SettingsFilePreferences::open()
{
    const QFileInfo info(m_filePath);
    if (info.exists()) {
        QFile probe(m_filePath);
        if (!probe.open(QIODevice::ReadOnly)) {
            qWarning("Tavlen cannot read its preferences file %s (%s); settings changed in this session will not "
                     "be saved, and the file is left as it is.",
                qPrintable(m_filePath), qPrintable(probe.errorString()));
            return;
        }
    }

    m_settings = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
    if (m_settings->status() != QSettings::FormatError)
        return;

    // Writing over a file we could not parse would lose whatever it held: keep it beside the new one.
    m_settings.reset();
    const QString aside = m_filePath + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (QFile::rename(m_filePath, aside)) {
        qWarning("Tavlen's preferences file %s could not be parsed; it was moved to %s and the defaults are used.",
            qPrintable(m_filePath), qPrintable(aside));
        m_settings = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
    } else {
        qWarning("Tavlen's preferences file %s could not be parsed nor moved aside; settings changed in this "
                 "session will not be saved.",
            qPrintable(m_filePath));
    }
}

QVariant SettingsFilePreferences::storedValue(const QString &key) const
{
    if (!m_settings)
        return m_memory.value(key);
    return m_settings->value(key);
}

void SettingsFilePreferences::storeValue(const QString &key, const QVariant &value)
{
    if (!m_settings) {
        m_memory.insert(key, value);
        return;
    }
    m_settings->setValue(key, value);
    sync();
}

void SettingsFilePreferences::eraseValue(const QString &key)
{
    if (!m_settings) {
        m_memory.remove(key);
        return;
    }
    m_settings->remove(key);
    sync();
}

void SettingsFilePreferences::sync()
{
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qWarning("Tavlen cannot save its preferences to %s; the change is kept for this session only.",
            qPrintable(m_filePath));
}
