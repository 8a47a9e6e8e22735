#include "clipboard/ClipboardItemStore.h"

#include "model/SqlValues.h"
#include "model/SwiftDataContainer.h"
#include "platform/FileProblem.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

const QString kColumns = QStringLiteral(
    "id, text, label, date, lastUsedAt, typeRawValue, filePath, filePathsData, fileName, fileSize, imageFile,"
    " imageByteCount, payloadFile, payloadByteCount, sourceBundleIdentifier, sourceApplicationName, contentDigest,"
    " aiTitle, aiSummary, aiCategory, aiTagsData, aiExtractedText, aiIsSensitive, aiAnalyzedAt, aiAnalysisVersion");

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

// A blob file the current save wrote; it becomes the item's file only when the transaction commits.
struct PendingFile {
    std::shared_ptr<LazyBlob> blob;
    QString path;
};

// Written under a temporary name and renamed, so a file with the final name is always complete. No sync to
// disk: a file lost in a power cut reads as empty (its size no longer matches) and costs one image, while
// a sync per copy would cost ten milliseconds on every capture.
bool writeFile(const QString &path, const QByteArray &data, QString *error)
{
    const QString temporary = path + QStringLiteral(".partial");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() || !file.flush()) {
        fail(error, FileProblem::describe(errno, temporary));
        file.close();
        QFile::remove(temporary);
        return false;
    }
    file.close();
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        fail(error, FileProblem::describe(errno, path));
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace

ClipboardItemStore::ClipboardItemStore(SwiftDataContainer &container)
    : m_container(container)
{
}

QList<ClipboardItem> ClipboardItemStore::fetchAll(QString *error) const
{
    QList<ClipboardItem> items;
    QSqlQuery query(m_container.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM ClipboardItem ORDER BY date DESC"))) {
        fail(error, m_container.explain(query.lastError()));
        return items;
    }
    const QDir blobs(m_container.blobFolder());
    while (query.next()) {
        ClipboardItem item(QUuid::fromString(query.value(0).toString()));
        if (item.isNull())
            continue;
        item.setText(query.value(1).toString());
        item.setLabel(query.value(2).toString());
        item.setDate(SqlValues::dateFrom(query.value(3)));
        item.setLastUsedAt(SqlValues::dateFrom(query.value(4)));
        item.setTypeRawValue(query.value(5).toString());
        item.setFilePath(query.value(6).toString());
        item.setFilePathsData(query.value(7).toByteArray());
        item.setFileName(query.value(8).toString());
        item.setFileSize(query.value(9).toLongLong());
        if (const QString file = query.value(10).toString(); !file.isEmpty())
            item.setImageBlob(LazyBlob::inFile(blobs.filePath(file), query.value(11).toLongLong()));
        if (const QString file = query.value(12).toString(); !file.isEmpty())
            item.setPayloadBlob(LazyBlob::inFile(blobs.filePath(file), query.value(13).toLongLong()));
        item.setSourceBundleIdentifier(query.value(14).toString());
        item.setSourceApplicationName(query.value(15).toString());
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
    return items;
}

bool ClipboardItemStore::save(const QList<ClipboardItem> &upserts, const QList<QUuid> &deletions, QString *error)
{
    if (upserts.isEmpty() && deletions.isEmpty())
        return true;
    QSqlDatabase db = m_container.database();
    const QString folder = m_container.blobFolder();
    const bool inMemory = folder.isEmpty();
    QList<PendingFile> written;
    auto discardWritten = [&written] {
        for (const auto &file : written)
            QFile::remove(file.path);
    };
    // Only bytes that are not yet in a file are written; a replaced blob gets a new name so that copies
    // of the item that still point at the old file keep reading what they expect.
    auto fileFor = [&](const QUuid &id, const std::shared_ptr<LazyBlob> &blob, const char *suffix,
                       QString *name) -> bool {
        name->clear();
        if (!blob || blob->size() == 0 || inMemory)
            return true;
        const QString stored = blob->path();
        if (!stored.isEmpty() && QFileInfo(stored).absolutePath() == QFileInfo(folder).absoluteFilePath()) {
            *name = QFileInfo(stored).fileName();
            return true;
        }
        *name = id.toString(QUuid::WithoutBraces) + QLatin1Char('-')
                + QUuid::createUuid().toString(QUuid::Id128).left(8) + QLatin1String(suffix);
        const QString path = QDir(folder).filePath(*name);
        if (!writeFile(path, blob->data(), error))
            return false;
        written.append({blob, path});
        return true;
    };

    if (!db.transaction()) {
        fail(error, m_container.explain(db.lastError()));
        return false;
    }
    auto abort = [&](const QString &message) {
        db.rollback();
        discardWritten();
        fail(error, message);
        return false;
    };

    QSqlQuery files(db);
    files.prepare(QStringLiteral("SELECT imageFile, payloadFile FROM ClipboardItem WHERE id = ?"));
    QSet<QString> keptNames;
    QStringList previousNames;
    auto collectPrevious = [&](const QUuid &id) -> bool {
        files.bindValue(0, id.toString(QUuid::WithoutBraces));
        if (!files.exec())
            return false;
        if (files.next()) {
            for (int column : {0, 1})
                if (const QString name = files.value(column).toString(); !name.isEmpty())
                    previousNames.append(name);
        }
        files.finish();
        return true;
    };

    QSqlQuery upsert(db);
    upsert.prepare(QStringLiteral("INSERT OR REPLACE INTO ClipboardItem (") + kColumns
                   + QStringLiteral(") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (const ClipboardItem &item : upserts) {
        if (!collectPrevious(item.id()))
            return abort(m_container.explain(files.lastError()));
        QString imageName, payloadName;
        if (!fileFor(item.id(), item.imageBlob(), ".image", &imageName)
            || !fileFor(item.id(), item.payloadBlob(), ".payload", &payloadName))
            return abort(error ? *error : QString());
        keptNames.insert(imageName);
        keptNames.insert(payloadName);
        const QVariant values[] = {
            item.id().toString(QUuid::WithoutBraces),
            item.text(),
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
            textValue(payloadName),
            item.payloadBlob() ? item.payloadBlob()->size() : qint64(0),
            textValue(item.sourceBundleIdentifier()),
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
        };
        for (int i = 0; i < int(std::size(values)); ++i)
            upsert.bindValue(i, values[i]);
        if (!upsert.exec())
            return abort(m_container.explain(upsert.lastError()));
    }

    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM ClipboardItem WHERE id = ?"));
    for (const QUuid &id : deletions) {
        if (!collectPrevious(id))
            return abort(m_container.explain(files.lastError()));
        remove.bindValue(0, id.toString(QUuid::WithoutBraces));
        if (!remove.exec())
            return abort(m_container.explain(remove.lastError()));
    }

    if (!db.commit())
        return abort(m_container.explain(db.lastError()));

    for (const auto &file : written)
        file.blob->markStored(file.path);
    for (const QString &name : std::as_const(previousNames))
        if (!keptNames.contains(name))
            QFile::remove(QDir(folder).filePath(name));
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
    if (!query.exec(QStringLiteral("SELECT imageFile, payloadFile FROM ClipboardItem")))
        return 0;
    while (query.next())
        for (int column : {0, 1})
            referenced.insert(query.value(column).toString());
    int removed = 0;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        if (!referenced.contains(name)
            && (name.endsWith(QLatin1String(".image")) || name.endsWith(QLatin1String(".payload"))
                || name.endsWith(QLatin1String(".partial")))) {
            removed += QFile::remove(dir.filePath(name)) ? 1 : 0;
        }
    }
    return removed;
}
