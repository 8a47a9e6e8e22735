#pragma once
// Owns the settings record: loads it from the user defaults, saves every change with its modification
// time, drives the iCloud mirror's gate from the iCloud sync setting and takes newer records from iCloud.

#include "model/AppLogger.h"
#include "model/MirroredRecord.h"
#include "model/UserSettingsData.h"

#include <QObject>

#include <functional>

class Clock;
class ICloudKeyValueSyncing;
class Preferences;

class SettingsStore : public QObject {
    Q_OBJECT
public:
    static inline const QString preferencesKey = QStringLiteral("user_settings_v2");
    static inline const QString iCloudKey = QStringLiteral("tavlen.user-settings.v2");

    SettingsStore(Preferences &prefs, ICloudKeyValueSyncing &cloud, Clock &clock, QObject *parent = nullptr);
    ~SettingsStore() override;

    const UserSettingsData &settings() const { return m_settings; }
    // Both skip a record equal to the current one: nothing is saved and nobody is told.
    void setSettings(const UserSettingsData &settings);
    void update(const std::function<void(UserSettingsData &)> &change);

    // Applies the iCloud sync setting to the mirror, observes the record's iCloud key and reconciles.
    void startICloudSync();
    // Newer wins between the local record and the one in iCloud (after the mirror was switched, say).
    void reconcileWithICloud();

Q_SIGNALS:
    void settingsChanged();

private:
    void load();
    void apply(const UserSettingsData &settings);
    void applySyncGate();

    ICloudKeyValueSyncing &m_cloud;
    MirroredRecord m_record;
    UserSettingsData m_settings;
    bool m_iCloudStarted = false;
    AppLogger m_logger;
};
