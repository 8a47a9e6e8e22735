#include "model/MirroredRecord.h"

#include "platform/Clock.h"
#include "platform/Preferences.h"

#include <cmath>

MirroredRecord::MirroredRecord(
    Preferences &prefs, ICloudKeyValueSyncing &cloud, Clock &clock, QString localKey, QString cloudKey)
    : m_prefs(prefs)
    , m_cloud(cloud)
    , m_cloudAlive(&cloud)
    , m_clock(clock)
    , m_localKey(std::move(localKey))
    , m_cloudKey(std::move(cloudKey))
{
}

MirroredRecord::~MirroredRecord()
{
    if (m_observer != 0 && m_cloudAlive)
        m_cloud.removeObserver(m_observer);
}

std::optional<QByteArray> MirroredRecord::localValue() const
{
    return m_prefs.data(m_localKey);
}

std::optional<QDateTime> MirroredRecord::localModifiedAt() const
{
    const std::optional<double> seconds = m_prefs.doubleValue(modifiedAtKey());
    if (!seconds || !std::isfinite(*seconds))
        return std::nullopt;
    return dateFromSecondsSince1970(*seconds);
}

void MirroredRecord::save(const QByteArray &json)
{
    const QDateTime now = m_clock.now();
    m_prefs.setData(m_localKey, json);
    m_prefs.setDouble(modifiedAtKey(), secondsSince1970(now));
    m_cloud.write(ICloudValueEnvelope{json, now}, m_cloudKey);
}

QString MirroredRecord::keepAside(const QByteArray &text)
{
    const QString base = m_localKey + QStringLiteral(".corrupt");
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

void MirroredRecord::start(RemoteCheck isUsable, RemoteApply apply)
{
    m_isUsable = std::move(isUsable);
    m_apply = std::move(apply);
    if (m_observer == 0)
        m_observer = m_cloud.addObserver(m_cloudKey, [this] { reconcile(); });
    reconcile();
}

void MirroredRecord::reconcile()
{
    if (!m_cloud.isActive())
        return;
    const std::optional<ICloudValueEnvelope> remote = m_cloud.read(m_cloudKey);
    const std::optional<QDateTime> localStamp = localModifiedAt();
    const std::optional<QByteArray> local = localValue();

    if (remote && (!localStamp || remote->modifiedAt > *localStamp)) {
        if (!m_isUsable || !m_isUsable(remote->value)) {
            qWarning("The iCloud value under \"%s\" cannot be read; the record on this machine is kept.",
                qPrintable(m_cloudKey));
            return;
        }
        // Stored before it is applied, so a change made while it is applied gets the later stamp.
        m_prefs.setData(m_localKey, remote->value);
        m_prefs.setDouble(modifiedAtKey(), secondsSince1970(remote->modifiedAt));
        if (m_apply)
            m_apply(remote->value);
        return;
    }
    if (local && localStamp && (!remote || *localStamp > remote->modifiedAt))
        m_cloud.write(ICloudValueEnvelope{*local, *localStamp}, m_cloudKey);
}
