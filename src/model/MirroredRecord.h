#pragma once
// One small JSON record in the user defaults with its "_modified_at" stamp (seconds since 1970), mirrored
// under its own iCloud key in an envelope; when both sides hold a value the newer one wins. The settings
// store and the filter list each keep one.

#include "model/ICloudKeyValueSyncing.h"

#include <QByteArray>
#include <QDateTime>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class Clock;
class Preferences;

class MirroredRecord {
public:
    // A value from another machine is first checked (false leaves both sides as they are), then stored here
    // with its own stamp, then applied.
    using RemoteCheck = std::function<bool(const QByteArray &json)>;
    using RemoteApply = std::function<void(const QByteArray &json)>;

    MirroredRecord(Preferences &prefs, ICloudKeyValueSyncing &cloud, Clock &clock, QString localKey, QString cloudKey);
    ~MirroredRecord();
    MirroredRecord(const MirroredRecord &) = delete;
    MirroredRecord &operator=(const MirroredRecord &) = delete;

    QString localKey() const { return m_localKey; }
    QString modifiedAtKey() const { return m_localKey + QStringLiteral("_modified_at"); }
    QString cloudKey() const { return m_cloudKey; }

    std::optional<QByteArray> localValue() const;
    // None when the record was never saved here (or the stamp is unreadable): any remote value is newer.
    std::optional<QDateTime> localModifiedAt() const;

    // Writes the record with the clock's current time and pushes it while the mirror is active.
    void save(const QByteArray &json);
    // Copies text that could not be read to "<key>.corrupt" (or a numbered key when that one holds
    // something else), so a later save cannot lose it; answers the key used.
    QString keepAside(const QByteArray &text);

    // Observes the iCloud key (reconciling on every external change and on activation) and reconciles once.
    void start(RemoteCheck isUsable, RemoteApply apply);
    bool isStarted() const { return m_observer != 0; }
    // Newer wins: a newer usable remote value is stored here and applied; a newer local value is pushed.
    void reconcile();

private:
    Preferences &m_prefs;
    ICloudKeyValueSyncing &m_cloud;
    // Only to tell, when this record goes, whether the shared mirror is still there to forget the observer.
    QPointer<ICloudKeyValueSyncing> m_cloudAlive;
    Clock &m_clock;
    QString m_localKey;
    QString m_cloudKey;
    RemoteCheck m_isUsable;
    RemoteApply m_apply;
    ICloudKeyValueSyncing::ObserverId m_observer = 0;
};
