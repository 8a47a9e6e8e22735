#include "model/LazyBlob.h"

#include <QFile>
#include <QtDebug>

std::shared_ptr<LazyBlob> LazyBlob::inMemory(QByteArray data)
{
    std::shared_ptr<LazyBlob> blob(new LazyBlob);
    blob->m_size = data.size();
    blob->m_data = std::move(data);
    blob->m_inMemory = true;
    return blob;
}

std::shared_ptr<LazyBlob> LazyBlob::inFile(const QString &path, qint64 size)
{
    std::shared_ptr<LazyBlob> blob(new LazyBlob);
    blob->m_path = path;
    blob->m_size = size;
    return blob;
}

std::shared_ptr<LazyBlob> LazyBlob::deferred(qint64 size, Loader load, QByteArray storedForm)
{
    std::shared_ptr<LazyBlob> blob(new LazyBlob);
    blob->m_size = size;
    blob->m_load = std::move(load);
    blob->m_storedForm = std::move(storedForm);
    return blob;
}

std::shared_ptr<LazyBlob> LazyBlob::deferred(qint64 size, Loader load, Loader loadStoredForm)
{
    std::shared_ptr<LazyBlob> blob(new LazyBlob);
    blob->m_size = size;
    blob->m_load = std::move(load);
    blob->m_loadStoredForm = std::move(loadStoredForm);
    return blob;
}

QByteArray LazyBlob::data() const
{
    QString path;
    Loader load;
    {
        std::lock_guard lock(m_mutex);
        if (m_inMemory)
            return m_data;
        path = m_path;
        load = m_load;
    }
    // Read outside the lock: large files take a while and other threads may ask for the size meanwhile.
    if (load)
        return load();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Could not read history data file %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return {};
    }
    QByteArray data = file.readAll();
    if (data.size() != m_size) {
        qWarning("History data file %s has %lld bytes, expected %lld; ignoring it", qPrintable(path),
                 qlonglong(data.size()), qlonglong(m_size));
        return {};
    }
    return data;
}

bool LazyBlob::isLoaded() const
{
    std::lock_guard lock(m_mutex);
    return m_inMemory;
}

QString LazyBlob::path() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

QByteArray LazyBlob::storedForm() const
{
    Loader load;
    {
        std::lock_guard lock(m_mutex);
        if (!m_storedForm.isEmpty() || !m_loadStoredForm)
            return m_storedForm;
        load = m_loadStoredForm;
    }
    QByteArray form = load();
    std::lock_guard lock(m_mutex);
    if (m_loadStoredForm) // not stored anew meanwhile
        m_storedForm = form;
    return m_storedForm;
}

void LazyBlob::markStored(const QString &path)
{
    std::lock_guard lock(m_mutex);
    m_path = path;
    m_load = nullptr;
    m_loadStoredForm = nullptr;
    m_storedForm.clear();
    m_inMemory = false;
    m_data = QByteArray();
}

void LazyBlob::markStored(QByteArray storedForm, Loader load)
{
    std::lock_guard lock(m_mutex);
    m_path.clear();
    m_storedForm = std::move(storedForm);
    m_loadStoredForm = nullptr;
    m_load = std::move(load);
    m_inMemory = false;
    m_data = QByteArray();
}
