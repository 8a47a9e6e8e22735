#pragma once
// The user defaults in an INI file under the config folder; every write reaches the disk at once.
// A file that cannot be parsed is moved aside (never deleted); one that cannot be read at all is left
// untouched and the values live in memory for this run, so nothing on disk is overwritten.

#include "platform/Preferences.h"

#include <QHash>

#include <memory>

class QSettings;
class StorageLocations;

class SettingsFilePreferences : public Preferences {
    Q_OBJECT
public:
    // The file "preferences.conf" in the config folder.
    explicit SettingsFilePreferences(const StorageLocations &storage, QObject *parent = nullptr);
    explicit SettingsFilePreferences(const QString &filePath, QObject *parent = nullptr);
    ~SettingsFilePreferences() override;

    QString filePath() const { return m_filePath; }
    // False when the file could not be read: values are then kept for this run only.
    bool isPersistent() const { return m_settings != nullptr; }

protected:
    QVariant storedValue(const QString &key) const override;
    void storeValue(const QString &key, const QVariant &value) override;
    void eraseValue(const QString &key) override;

private:
    void open();
    void sync();

    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
    QHash<QString, QVariant> m_memory;
};
