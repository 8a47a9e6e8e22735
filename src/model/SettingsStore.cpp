#include "model/SettingsStore.h"

SettingsStore::SettingsStore(Preferences &prefs, QObject *parent)
    : QObject(parent)
    , m_record(prefs, preferencesKey)
{
    load();
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::load()
{
    const std::optional<QByteArray> stored = m_record.value();
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
    m_record.save(settings.toJson());
    m_settings = settings;
    Q_EMIT settingsChanged();
}

void SettingsStore::update(const std::function<void(UserSettingsData &)> &change)
{
    UserSettingsData changed = m_settings;
    change(changed);
    setSettings(changed);
}
