#include "model/SettingsStore.h"

#include "model/ICloudKeyValueSyncing.h"

SettingsStore::SettingsStore(Preferences &prefs, ICloudKeyValueSyncing &cloud, Clock &clock, QObject *parent)
    : QObject(parent)
    , m_cloud(cloud)
    , m_record(prefs, cloud, clock, preferencesKey, iCloudKey)
{
    load();
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::load()
{
    const std::optional<QByteArray> stored = m_record.localValue();
    if (!stored)
        return;
    QStringList problems;
    const std::optional<UserSettingsData> decoded = UserSettingsData::fromJson(*stored, &problems);
    if (!problems.isEmpty()) {
        // The text is kept under its own key before anything could overwrite it.
        const QString aside = m_record.keepAside(*stored);
        qWarning("Tavlen's saved settings could not be read completely (%s); %s. The text as stored was kept "
                 "under the preferences key \"%s\".",
            qPrintable(problems.join(QStringLiteral("; "))),
            decoded ? "readable settings were kept and the rest reset" : "the default settings are used",
            qPrintable(aside));
    }
    if (decoded)
        m_settings = *decoded;
}

void SettingsStore::setSettings(const UserSettingsData &settings)
{
    if (settings == m_settings)
        return;
    // Turning sync off shuts the mirror first, so the other machines keep syncing; turning it on opens the
    // mirror after the save, and the newly stamped record is pushed.
    if (m_iCloudStarted && !settings.iCloudSyncEnabled)
        m_cloud.setSyncEnabled(false);
    m_record.save(settings.toJson());
    apply(settings);
}

void SettingsStore::update(const std::function<void(UserSettingsData &)> &change)
{
    UserSettingsData changed = m_settings;
    change(changed);
    setSettings(changed);
}

void SettingsStore::apply(const UserSettingsData &settings)
{
    if (settings == m_settings)
        return;
    const bool syncChanged = settings.iCloudSyncEnabled != m_settings.iCloudSyncEnabled;
    m_settings = settings;
    if (syncChanged)
        applySyncGate();
    Q_EMIT settingsChanged();
}

void SettingsStore::applySyncGate()
{
    // Before start-up the mirror stays shut, as no store observes it yet.
    if (!m_iCloudStarted)
        return;
    // Turning sync on makes the mirror call every observer, this record's included, which pushes a record
    // saved while it was shut.
    m_cloud.setSyncEnabled(m_settings.iCloudSyncEnabled);
    m_logger.info(QStringLiteral("iCloud key-value sync set"));
}

void SettingsStore::startICloudSync()
{
    if (m_iCloudStarted)
        return;
    m_iCloudStarted = true;
    m_record.start(
        [](const QByteArray &json) { return UserSettingsData::fromJson(json).has_value(); },
        [this](const QByteArray &json) {
            if (const std::optional<UserSettingsData> remote = UserSettingsData::fromJson(json))
                apply(*remote);
        });
    applySyncGate();
}

void SettingsStore::reconcileWithICloud()
{
    m_record.reconcile();
}
