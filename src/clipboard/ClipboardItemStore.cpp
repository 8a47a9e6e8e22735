#include "clipboard/ClipboardItemStore.h"

#include "clipboard/ClipboardDisplayKey.h"
#include "clipboard/PasteboardManager.h"
#include "model/CompressedText.h"
#include "model/MainStoreContainer.h"
#include "model/SqlValues.h"
#include "platform/FileProblem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThreadPool>
#include <QtDebug>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <list>
#include <memory>
#include <unistd.h>

namespace {

const QString kColumns = QStringLiteral(
    "id, text, label, date, lastUsedAt, typeRawValue, filePath, filePathsData, fileName, fileSize, imageFile,"
    " imageByteCount, payloadFile, payloadByteCount, sourceBundleIdentifier, sourceApplicationName, contentDigest,"
    " aiTitle, aiSummary, aiCategory, aiTagsData, aiExtractedText, aiIsSensitive, aiAnalyzedAt, aiAnalysisVersion,"
    " payloadRecord, compressedText");

QVariant textValue(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QVariant bytesValue(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(bytes);
}

QString fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return message;
}

// A value file named by its digest; files of the first store version had "<id>-<random>.image|.payload".
bool isValueFileName(const QString &name)
{
    static const QRegularExpression digest(QStringLiteral("^[0-9a-f]{64}$"));
    return digest.match(name).hasMatch() || name.endsWith(QLatin1String(".image"))
        || name.endsWith(QLatin1String(".payload")) || name.contains(QLatin1String(".partial"));
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Written under a temporary name, synced and renamed, and the rename synced: once this returns, a file
// with the final name is complete on disk, and so a row that names it may commit. A failure names the
// folder, never the file: the same condition reads the same for every copy it stops.
bool writeFileDurably(const QString &path, const QByteArray &data, QString *error)
{
    const QString folder = QFileInfo(path).path();
    const QString temporary = path + QStringLiteral(".partial-")
                              + QString::number(QRandomGenerator::global()->generate64(), 16);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const int fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail(error, FileProblem::describe(errno, folder));
        return false;
    }
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    const bool complete = written == data.size() && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!complete) {
        fail(error, FileProblem::describe(writeError, folder));
        ::unlink(temporaryName.constData());
        return false;
    }
    if (::rename(temporaryName.constData(), QFile::encodeName(path).constData()) != 0) {
        fail(error, FileProblem::describe(errno, folder));
        ::unlink(temporaryName.constData());
        return false;
    }
    if (!syncFolder(folder)) {
        fail(error, FileProblem::describe(errno, folder));
        return false;
    }
    return true;
}

// The bytes of a value file, or empty when it is missing or not as long as expected.
QByteArray readValueFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Could not read history data file %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return {};
    }
    QByteArray data = file.readAll();
    if (data.size() != size) {
        qWarning("History data file %s has %lld bytes, expected %lld; ignoring it", qPrintable(path),
                 qlonglong(data.size()), qlonglong(size));
        return {};
    }
    return data;
}

// The encoded payload a record stands for, its large bytes read from the value files in `folder`; empty
// when the record does not decode.
QByteArray assemble(const QByteArray &record, const QByteArray &text, const QString &folder)
{
    const std::optional<PasteboardPayload> payload = PasteboardPayload::fromRecord(
        record, text,
        [&folder](const QString &name, qint64 bytes) { return readValueFile(QDir(folder).filePath(name), bytes); });
    return payload ? payload->encoded() : QByteArray();
}

// Compressed texts read back on worker threads while the rows after them are still being read, so that a
// history of long texts loads about as fast as one that keeps them whole. Their memory is allocated here.
class ParallelDecompression
{
public:
    ParallelDecompression() { m_pool.setMaxThreadCount(2); }

    // The compressed text of the item at `index`. One that declares more than a copy may hold is refused
    // before any room is made for it: a hand-made cell of a few bytes may declare gigabytes.
    void add(qsizetype index, QByteArrayView compressed, const QUuid &id)
    {
        Job job{index, m_batch.compressed.size(), compressed.size(), {}, false};
        const std::optional<qsizetype> size = CompressedText::textSize(compressed);
        if (size && *size > PasteboardManager::captureByteBudget) {
            qWarning("The text of the copy %s in the history store declares %lld bytes, more than a copy may hold;"
                     " it is left out",
                     qPrintable(id.toString(QUuid::WithoutBraces)), qlonglong(*size));
            job.refused = true;
        } else if (size) {
            job.text = QByteArray(*size, Qt::Uninitialized);
            job.readable = true;
        }
        if (m_batch.compressed.isEmpty())
            m_batch.compressed.reserve(batchBytes + compressed.size());
        m_batch.compressed.append(compressed);
        m_batch.jobs.push_back(std::move(job));
        if (m_batch.compressed.size() >= batchBytes)
            startBatch();
    }
    // Waits for every text and hands each to `take` with its item's index; none for one that does not read.
    // `refused` when add() already said why.
    void finish(const std::function<void(qsizetype, const std::optional<QByteArray> &, bool refused)> &take)
    {
        startBatch();
        m_pool.waitForDone();
        for (const Batch &batch : m_batches)
            for (const Job &job : batch.jobs)
                take(job.index, job.readable ? std::make_optional(job.text) : std::nullopt, job.refused);
        m_batches.clear();
    }

private:
    // The compressed bytes of a batch are kept together, apart from the texts that stay: held apart
    // one by one, they would leave gaps among them once freed.
    static constexpr qsizetype batchBytes = 256 * 1024;
    struct Job {
        qsizetype index;
        qsizetype offset;
        qsizetype length;
        QByteArray text;
        bool readable;
        bool refused = false; // already said why
    };
    struct Batch {
        QByteArray compressed;
        std::vector<Job> jobs;
    };
    void startBatch()
    {
        if (m_batch.jobs.empty())
            return;
        m_batches.push_back(std::move(m_batch));
        m_batch = {};
        Batch *batch = &m_batches.back(); // a list node: it stays where it is
        m_pool.start([batch] {
            for (Job &job : batch->jobs) {
                const QByteArrayView bytes = QByteArrayView(batch->compressed).sliced(job.offset, job.length);
                job.readable = job.readable && CompressedText::decompress(bytes, job.text);
            }
            batch->compressed = QByteArray();
        });
    }

    // Its own two threads: reading back takes about half as long as reading the rows.
    QThreadPool m_pool;
    Batch m_batch;
    std::list<Batch> m_batches;
};

// The payload record of one item, read on a connection of its own so that any thread may ask; empty when
// the item or the file is gone.
QByteArray readRecord(const QString &storePath, const QUuid &id)
{
    const QString name = QStringLiteral("tavlen-record-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QByteArray record;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(storePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery query(db);
        if (!db.open() || !query.prepare(QStringLiteral("SELECT payloadRecord FROM ClipboardItem WHERE id = ?"))) {
            qWarning("Could not read a copy's formats from %s: %s", qPrintable(storePath),
                     qPrintable(SqliteStoreFile::errorText(db.lastError())));
        } else {
            query.addBindValue(id.toString(QUuid::WithoutBraces));
            if (query.exec() && query.next())
                record = query.value(0).toByteArray();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return record;
}

} // namespace

struct ClipboardItemStore::CarriedRecords {
    std::mutex mutex;
    QHash<QUuid, QByteArray> records;

    // The item's record as carried over, otherwise as the store's file holds it.
    QByteArray record(const QString &storePath, const QUuid &id)
    {
        {
            std::lock_guard lock(mutex);
            if (const auto found = records.constFind(id); found != records.cend())
                return *found;
        }
        return readRecord(storePath, id);
    }
};

namespace {

// The payloads of the items a store loaded, read from its file when asked for.
class StoredRecords : public StoredPayloads
{
public:
    using CarriedRecords = std::shared_ptr<ClipboardItemStore::CarriedRecords>;
    StoredRecords(QString storePath, QString blobFolder, CarriedRecords carried)
        : m_storePath(std::move(storePath)), m_blobFolder(std::move(blobFolder)), m_carried(std::move(carried))
    {
    }
    std::shared_ptr<LazyBlob> payload(const QUuid &id, const QByteArray &text, qint64 size) const override
    {
        return LazyBlob::deferred(
            size,
            [path = m_storePath, folder = m_blobFolder, carried = m_carried, id, text] {
                return assemble(carried->record(path, id), text, folder);
            },
            [path = m_storePath, carried = m_carried, id] { return carried->record(path, id); });
    }

private:
    QString m_storePath;
    QString m_blobFolder;
    CarriedRecords m_carried;
};

} // namespace

ClipboardItemStore::ClipboardItemStore(MainStoreContainer &container)
    : m_container(container)
    , m_carriedRecords(std::make_shared<CarriedRecords>())
{
    if (!m_container.blobFolder().isEmpty())
        m_storedPayloads =
            std::make_shared<StoredRecords>(m_container.storePath(), m_container.blobFolder(), m_carriedRecords);
}

QString ClipboardItemStore::blobName(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString ClipboardItemStore::writeBlob(const QByteArray &bytes, bool staged, QString *error) const
{
    const QString name = blobName(bytes);
    const QString path = QDir(m_container.blobFolder()).filePath(name);
    if (staged) {
        // Claimed before looking: a save that drops the last other user of the file leaves it alone.
        std::lock_guard lock(m_stagedMutex);
        ++m_staged[name];
    }
    if (QFileInfo(path).size() == bytes.size())
        return name; // the same bytes are there already
    if (writeFileDurably(path, bytes, error))
        return name;
    if (staged) {
        std::lock_guard lock(m_stagedMutex);
        if (--m_staged[name] <= 0)
            m_staged.remove(name);
    }
    return {};
}

void ClipboardItemStore::unstage(const QStringList &names)
{
    std::lock_guard lock(m_stagedMutex);
    for (const QString &name : names) {
        const auto it = m_staged.find(name);
        if (it != m_staged.end() && --it.value() <= 0)
            m_staged.erase(it);
    }
}

bool ClipboardItemStore::isStaged(const QString &name) const
{
    std::lock_guard lock(m_stagedMutex);
    return m_staged.contains(name);
}

LazyBlob::Loader ClipboardItemStore::recordLoader(const QByteArray &record, const QByteArray &textBytes) const
{
    return [folder = m_container.blobFolder(), record, textBytes] { return assemble(record, textBytes, folder); };
}

std::shared_ptr<LazyBlob> ClipboardItemStore::recordBlob(const QByteArray &record, const QByteArray &text,
                                                         qint64 size) const
{
    return LazyBlob::deferred(size, recordLoader(record, text), record);
}

void ClipboardItemStore::stage(ClipboardCapture &capture)
{
    const QByteArray payloadBytes =
        capture.type == ClipboardItemType::generic ? capture.payload.encoded() : QByteArray();
    capture.contentDigest = ClipboardDisplayKey::make(capture.type, capture.text, capture.filePaths,
                                                      capture.imageData, payloadBytes);
    if (m_container.blobFolder().isEmpty() || m_container.isReadOnly())
        return; // a store in memory, or one that is only read, keeps the bytes where they are

    QStringList claimed;
    QHash<QPair<const char *, qsizetype>, QString> written; // an image and its PNG are one and the same bytes
    bool failed = false;
    const auto store = [&](const QByteArray &bytes) -> QString {
        const auto key = qMakePair(bytes.constData(), bytes.size());
        if (const auto found = written.constFind(key); found != written.constEnd())
            return *found;
        // Not said here: the save that follows writes the value, or says once why it cannot.
        const QString name = writeBlob(bytes, true, nullptr);
        if (name.isEmpty()) {
            failed = true;
            return {};
        }
        claimed.append(name);
        written.insert(key, name);
        return name;
    };
    if (capture.type == ClipboardItemType::image && !capture.imageData.isEmpty()) {
        const QString name = store(capture.imageData);
        if (!name.isEmpty())
            capture.imageBlob = LazyBlob::inFile(QDir(m_container.blobFolder()).filePath(name), capture.imageData.size());
    }
    if (!capture.payload.isEmpty() && !failed) {
        const QByteArray textBytes = capture.text.toUtf8();
        const std::optional<QByteArray> record = capture.payload.record(textBytes, capture.imageData, store);
        if (record) {
            capture.payloadBlob = recordBlob(*record, textBytes, capture.payload.encodedSize());
            capture.textUtf8 = textBytes;
        }
    }
    if (failed) {
        // The save writes what staging could not; nothing half staged is used.
        capture.imageBlob.reset();
        capture.payloadBlob.reset();
        capture.textUtf8.clear();
        unstage(claimed);
    }
}

QList<ClipboardItem> ClipboardItemStore::fetchAll(QString *error) const
{
    QList<ClipboardItem> items;
    QSqlQuery query(m_container.database());
    query.setForwardOnly(true);
    // The text as the UTF-8 the file holds: the item keeps it so, with no round trip through UTF-16.
    // Of the payload record only whether there is one: it is read when the item's payload is asked for.
    const QString columns = QString(kColumns)
                                .replace(QStringLiteral("id, text,"), QStringLiteral("id, CAST(text AS BLOB),"))
                                .replace(QStringLiteral(" payloadRecord"), QStringLiteral(" length(payloadRecord)"));
    if (!query.exec(QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM ClipboardItem ORDER BY date DESC"))) {
        fail(error, m_container.explain(query.lastError()));
        return items;
    }
    const QDir blobs(m_container.blobFolder());
    ParallelDecompression texts;
    // Copies come from a few applications: each name is kept once and shared by its items.
    QSet<QString> applicationNames;
    const auto shared = [&applicationNames](const QString &name) {
        return name.isEmpty() ? name : *applicationNames.insert(name);
    };
    while (query.next()) {
        ClipboardItem item(QUuid::fromString(query.value(0).toString()));
        if (item.isNull())
            continue;
        if (const QVariant compressed = query.value(26); !compressed.isNull())
            texts.add(items.size(), compressed.toByteArray(), item.id());
        else
            item.setTextUtf8(query.value(1).toByteArray());
        item.setLabel(query.value(2).toString());
        item.setDate(SqlValues::dateFrom(query.value(3)));
        item.setLastUsedAt(SqlValues::dateFrom(query.value(4)));
        // A known kind as its literal, shared by every item, rather than a string each.
        const QString raw = query.value(5).toString();
        const std::optional<ClipboardItemType> kind = clipboardItemTypeFromRawValue(raw);
        item.setTypeRawValue(kind ? rawValue(*kind) : raw);
        item.setFilePath(query.value(6).toString());
        item.setFilePathsData(query.value(7).toByteArray());
        item.setFileName(query.value(8).toString());
        item.setFileSize(query.value(9).toLongLong());
        if (const QString file = query.value(10).toString(); !file.isEmpty())
            item.setImageBlob(LazyBlob::inFile(blobs.filePath(file), query.value(11).toLongLong()));
        if (query.value(25).toLongLong() > 0)
            item.setStoredPayload(m_storedPayloads, query.value(13).toLongLong());
        else if (const QString file = query.value(12).toString(); !file.isEmpty())
            item.setPayloadBlob(LazyBlob::inFile(blobs.filePath(file), query.value(13).toLongLong()));
        item.setSourceApplicationId(shared(query.value(14).toString()));
        item.setSourceApplicationName(shared(query.value(15).toString()));
        item.setContentDigest(query.value(16).toByteArray());
        item.setAiTitle(query.value(17).toString());
        item.setAiSummary(query.value(18).toString());
        item.setAiCategory(query.value(19).toString());
        item.setAiTagsData(query.value(20).toByteArray());
        item.setAiExtractedText(query.value(21).toString());
        item.setAiIsSensitive(query.value(22).toBool());
        item.setAiAnalyzedAt(SqlValues::dateFrom(query.value(23)));
        item.setAiAnalysisVersion(query.value(24).toInt());
        items.append(std::move(item));
    }
    query.finish();
    // Items whose text does not read are left in the store as they are, and not shown: saving one again
    // would lose its text.
    QList<qsizetype> unreadable;
    texts.finish([&](qsizetype index, const std::optional<QByteArray> &text, bool refused) {
        if (text) {
            items[index].setTextUtf8(*text);
            return;
        }
        if (!refused)
            qWarning("The text of the copy %s in the history store cannot be read; it is left out",
                     qPrintable(items[index].id().toString(QUuid::WithoutBraces)));
        unreadable.append(index);
    });
    for (auto it = unreadable.crbegin(); it != unreadable.crend(); ++it)
        items.removeAt(*it);
    // The pages read on the way are not needed again soon: the database's cache gives them back.
    QSqlQuery(m_container.database()).exec(QStringLiteral("PRAGMA shrink_memory"));
    return items;
}

bool ClipboardItemStore::save(const QList<ClipboardItem> &upserts, const QList<QUuid> &deletions, QString *error)
{
    if (upserts.isEmpty() && deletions.isEmpty())
        return true;
    QSqlDatabase db = m_container.database();
    const QString folder = m_container.blobFolder();
    const bool inMemory = folder.isEmpty();
    const auto inFolder = [&folder](const QString &path) {
        return !path.isEmpty() && QFileInfo(path).absolutePath() == QFileInfo(folder).absoluteFilePath();
    };

    // Bytes only in memory are written before the transaction; they become the items' files once it commits.
    struct Written {
        std::shared_ptr<LazyBlob> blob;
        QString path;
        QByteArray record;
        QByteArray text;
    };
    QList<Written> written;
    QStringList writtenNames;
    QString writeError;
    const auto storeBytes = [&](const QByteArray &bytes) {
        const QString name = writeBlob(bytes, false, &writeError);
        if (!name.isEmpty())
            writtenNames.append(name);
        return name;
    };

    if (!db.transaction()) {
        fail(error, m_container.explain(db.lastError()));
        return false;
    }
    QSet<QString> touched; // value files an item stopped or started naming
    QSqlQuery names(db);
    names.prepare(QStringLiteral("SELECT name FROM BlobFile WHERE itemId = ?"));
    QSqlQuery forget(db);
    forget.prepare(QStringLiteral("DELETE FROM BlobFile WHERE itemId = ?"));
    QSqlQuery note(db);
    note.prepare(QStringLiteral("INSERT OR IGNORE INTO BlobFile (itemId, name) VALUES (?, ?)"));
    const auto removeOrphans = [&](const QStringList &candidates) {
        QSqlQuery used(db);
        used.prepare(QStringLiteral("SELECT 1 FROM BlobFile WHERE name = ? LIMIT 1"));
        for (const QString &name : candidates) {
            used.bindValue(0, name);
            if (!used.exec() || used.next() || isStaged(name))
                continue;
            used.finish();
            QFile::remove(QDir(folder).filePath(name));
        }
    };
    const auto abort = [&](const QString &message) {
        db.rollback();
        removeOrphans(writtenNames); // what this save wrote and no other item uses
        fail(error, message);
        return false;
    };
    // Drops an item's list of files, keeping the names to look at once the transaction is done.
    const auto forgetFiles = [&](const QString &id) -> bool {
        names.bindValue(0, id);
        if (!names.exec())
            return false;
        while (names.next())
            touched.insert(names.value(0).toString());
        names.finish();
        forget.bindValue(0, id);
        return forget.exec();
    };

    QSqlQuery upsert(db);
    upsert.prepare(QStringLiteral("INSERT OR REPLACE INTO ClipboardItem (") + kColumns
                   + QStringLiteral(") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    QStringList savedNames;
    for (const ClipboardItem &item : upserts) {
        const QString id = item.id().toString(QUuid::WithoutBraces);
        QString imageName, legacyPayloadName;
        QByteArray record;
        if (const auto blob = item.imageBlob(); blob && blob->size() > 0 && !inMemory) {
            if (inFolder(blob->path())) {
                imageName = QFileInfo(blob->path()).fileName();
            } else {
                imageName = storeBytes(blob->data());
                if (imageName.isEmpty())
                    return abort(writeError);
                written.append({blob, QDir(folder).filePath(imageName), {}, {}});
            }
        }
        if (const auto blob = item.payloadBlob(); blob && blob->size() > 0 && !inMemory) {
            if (!blob->storedForm().isEmpty()) {
                record = blob->storedForm();
            } else if (inFolder(blob->path())) {
                legacyPayloadName = QFileInfo(blob->path()).fileName();
            } else if (const std::optional<PasteboardPayload> payload = PasteboardPayload::decode(blob->data())) {
                const std::optional<QByteArray> made =
                    payload->record(item.textUtf8(), item.hasImageData() ? item.imageData() : QByteArray(), storeBytes);
                if (!made)
                    return abort(writeError);
                record = *made;
                written.append({blob, {}, record, item.textUtf8()});
            }
        }
        QStringList itemNames = PasteboardPayload::recordBlobNames(record);
        for (const QString &name : {imageName, legacyPayloadName})
            if (!name.isEmpty() && !itemNames.contains(name))
                itemNames.append(name);

        const QByteArray compressedText = CompressedText::compress(item.textUtf8());
        const QVariant values[] = {
            id,
            compressedText.isEmpty() ? item.text() : QStringLiteral(""),
            textValue(item.label()),
            SqlValues::date(item.date()),
            SqlValues::date(item.lastUsedAt()),
            item.typeRawValue(),
            textValue(item.filePath()),
            bytesValue(item.filePathsData()),
            textValue(item.fileName()),
            item.fileSize(),
            textValue(imageName),
            item.imageByteCount(),
            textValue(legacyPayloadName),
            item.payloadBlob() ? item.payloadBlob()->size() : qint64(0),
            textValue(item.sourceApplicationId()),
            textValue(item.sourceApplicationName()),
            bytesValue(item.contentDigest()),
            textValue(item.aiTitle()),
            textValue(item.aiSummary()),
            textValue(item.aiCategory()),
            bytesValue(item.aiTagsData()),
            textValue(item.aiExtractedText()),
            item.aiIsSensitive() ? 1 : 0,
            SqlValues::date(item.aiAnalyzedAt()),
            item.aiAnalysisVersion(),
            bytesValue(record),
            bytesValue(compressedText),
        };
        for (int i = 0; i < int(std::size(values)); ++i)
            upsert.bindValue(i, values[i]);
        if (!upsert.exec())
            return abort(m_container.explain(upsert.lastError()));
        if (!forgetFiles(id))
            return abort(m_container.explain(forget.lastError()));
        for (const QString &name : std::as_const(itemNames)) {
            note.bindValue(0, id);
            note.bindValue(1, name);
            if (!note.exec())
                return abort(m_container.explain(note.lastError()));
        }
        savedNames += itemNames;
    }

    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM ClipboardItem WHERE id = ?"));
    for (const QUuid &uuid : deletions) {
        const QString id = uuid.toString(QUuid::WithoutBraces);
        if (!forgetFiles(id))
            return abort(m_container.explain(forget.lastError()));
        remove.bindValue(0, id);
        if (!remove.exec())
            return abort(m_container.explain(remove.lastError()));
    }

    if (!db.commit())
        return abort(m_container.explain(db.lastError()));

    // The bytes are on disk now: nothing needs to hold them in memory any more.
    for (const Written &done : std::as_const(written)) {
        if (done.record.isEmpty())
            done.blob->markStored(done.path);
        else
            done.blob->markStored(done.record, recordLoader(done.record, done.text));
    }
    unstage(savedNames);
    removeOrphans(touched.values());
    return true;
}

int ClipboardItemStore::removeOrphanedFiles() const
{
    const QString folder = m_container.blobFolder();
    if (folder.isEmpty())
        return 0;
    QSet<QString> referenced;
    QSqlQuery query(m_container.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT name FROM BlobFile")))
        return 0;
    while (query.next())
        referenced.insert(query.value(0).toString());
    // A read cut short (a damaged page) would make files still in use look unreferenced.
    if (query.lastError().isValid())
        return 0;
    int removed = 0;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        if (!referenced.contains(name) && isValueFileName(name) && !isStaged(name))
            removed += QFile::remove(dir.filePath(name)) ? 1 : 0;
    }
    return removed;
}

void ClipboardItemStore::reopen()
{
    {
        // The old file is still open here, whatever took its place by name.
        QSqlQuery query(m_container.database());
        query.setForwardOnly(true);
        QHash<QUuid, QByteArray> records;
        if (query.exec(QStringLiteral("SELECT id, payloadRecord FROM ClipboardItem WHERE payloadRecord IS NOT NULL"))) {
            while (query.next())
                records.insert(QUuid::fromString(query.value(0).toString()), query.value(1).toByteArray());
        }
        std::lock_guard lock(m_carriedRecords->mutex);
        m_carriedRecords->records.insert(records);
    }
    m_container.reopen();
}

QSet<QByteArray> ClipboardItemStore::forgottenContent() const
{
    QSet<QByteArray> keys;
    QSqlQuery query(m_container.database());
    // A store no deletion was remembered in has no such table.
    if (query.exec(QStringLiteral("SELECT key FROM ForgottenContent"))) {
        while (query.next())
            keys.insert(query.value(0).toByteArray());
    }
    return keys;
}

bool ClipboardItemStore::setForgottenContent(const QSet<QByteArray> &keys, QString *error)
{
    QSqlDatabase db = m_container.database();
    if (!db.transaction()) {
        fail(error, m_container.explain(db.lastError()));
        return false;
    }
    QSqlQuery query(db);
    bool done = query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS ForgottenContent (key BLOB PRIMARY KEY NOT NULL)"))
                && query.exec(QStringLiteral("DELETE FROM ForgottenContent"));
    if (done)
        done = query.prepare(QStringLiteral("INSERT OR IGNORE INTO ForgottenContent (key) VALUES (?)"));
    for (auto key = keys.cbegin(); done && key != keys.cend(); ++key) {
        query.bindValue(0, *key);
        done = query.exec();
    }
    if (done && db.commit())
        return true;
    fail(error, m_container.explain(query.lastError().isValid() ? query.lastError() : db.lastError()));
    db.rollback();
    return false;
}
