#include "model/LazyBlob.h"

#include <QFile>
#include <QtDebug>

std::shared_ptr<LazyBlob> LazyBlob::inMemory(QByteArray data)
{
    std::shared_ptr<LazyBlob> blob(new LazyBlob);
    blob->m_size = data.size();
    blob->m_data = std::move(data);
    blob->m_loaded = true;
    return blob;
}

std::shared_ptr<LazyBlob> LazyBlob::inFile(const QString &path, qint64 size)
{
    std::shared_ptr<LazyBlob> blob(new LazyBlob);
    blob->m_path = path;
    blob->m_size = size;
    return blob;
}

QByteArray LazyBlob::data() const
{
    std::lock_guard lock(m_mutex);
    if (!m_loaded) {
        m_loaded = true;
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("Could not read history data file %s: %s", qPrintable(m_path), qPrintable(file.errorString()));
        } else {
            m_data = file.readAll();
            if (m_data.size() != m_size) {
                qWarning("History data file %s has %lld bytes, expected %lld; ignoring it", qPrintable(m_path),
                         qlonglong(m_data.size()), qlonglong(m_size));
                m_data.clear();
            }
        }
    }
    return m_data;
}

bool LazyBlob::isLoaded() const
{
    std::lock_guard lock(m_mutex);
    return m_loaded;
}

QString LazyBlob::path() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

void LazyBlob::markStored(const QString &path)
{
    std::lock_guard lock(m_mutex);
    m_path = path;
}
