#pragma once
// Owns the settings record: loads it from the preferences and saves every change.

#include "model/PreferencesRecord.h"
#include "model/UserSettingsData.h"

#include <QObject>

#include <functional>

class Preferences;

class SettingsStore : public QObject {
    Q_OBJECT
public:
    static inline const QString preferencesKey = QStringLiteral("user_settings_v2");

    explicit SettingsStore(Preferences &prefs, QObject *parent = nullptr);
    ~SettingsStore() override;

    const UserSettingsData &settings() const { return m_settings; }
    // Both skip a record equal to the current one: nothing is saved and nobody is told.
    void setSettings(const UserSettingsData &settings);
    void update(const std::function<void(UserSettingsData &)> &change);

Q_SIGNALS:
    void settingsChanged();

private:
    void load();

    PreferencesRecord m_record;
    UserSettingsData m_settings;
};
