#pragma once
// One small JSON record in the preferences under its own key: the settings store and the filter list each
// keep one.

#include <QByteArray>
#include <QString>

#include <optional>

class Preferences;

class PreferencesRecord {
public:
    PreferencesRecord(Preferences &prefs, QString key);

    QString key() const { return m_key; }
    // None when the record was never saved.
    std::optional<QByteArray> value() const;
    void save(const QByteArray &json);
    // Copies text that could not be read to "<key>.corrupt" (or a numbered key when that one holds
    // something else), so a later save cannot lose it; answers the key used.
    QString keepAside(const QByteArray &text);

private:
    Preferences &m_prefs;
    QString m_key;
};
