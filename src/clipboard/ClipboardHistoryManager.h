#pragma once

#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardSearchPresentation.h"
#include "model/ClipboardItem.h"
#include "platform/Lifetime.h"
#include "platform/Task.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class Clock;
class ClipboardFilter;
class ClipboardItemStore;
class ClipboardSearchIndex;

// The clipboard history: the newest items first, kept in the main store, pruned by age and count,
// searchable through an index on a worker thread. Lives on the main thread.
class ClipboardHistoryManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int storageRevision READ storageRevision NOTIFY storageRevisionChanged)
    Q_PROPERTY(int searchRevision READ searchRevision NOTIFY searchRevisionChanged)
public:
    static constexpr int maximumItemCount = 5000;
    static constexpr double cleanupInterval = 60.0;
    static constexpr qint64 secondsPerDay = 86400;
    // Changes a save could not write are tried again this often, and once more at stop(): soon enough that
    // they are saved within moments of the room coming back, not left to a quit that may be a kill.
    static constexpr double saveRetryInterval = 2.0;
    // More copies than this from one program within the flood span are more than a person makes: five a
    // second for a whole minute. A burst of up to this many stays whole even in a full history.
    static constexpr int floodCopyCount = 300;
    static constexpr double floodSpan = 60.0;
    // A copy this soon after the program's previous one came faster than a person copies (the flood's pace).
    static constexpr double personInterval = floodSpan / floodCopyCount;

    // `store` may be null: the history then lives in memory only.
    ClipboardHistoryManager(Clock &clock, ClipboardItemStore *store, QObject *parent = nullptr);
    ~ClipboardHistoryManager() override;

    // Settings, read at the moment they matter (days are clamped to 1...7; 7 when unset).
    void setRetentionDaysProvider(std::function<int()> provider) { m_retentionDays = std::move(provider); }
    void setPasteAsPlainTextProvider(std::function<bool()> provider) { m_pasteAsPlainText = std::move(provider); }

    // Loads the stored items, prunes them and starts the clean-up loop.
    void start();
    // Ends the loops and saves what is not saved yet; what still cannot be is said (changesLostAtStop).
    void stop();
    // Tries the changes a save could not write now (the session is ending), not at the next retry.
    void saveUnsavedChanges();

    const QList<ClipboardItem> &items() const { return m_items; }
    std::optional<ClipboardItem> item(const QUuid &id) const;
    int storageRevision() const { return m_storageRevision; }
    // Why the last save failed (a full disk...), in plain words; empty while saves work.
    QString saveProblem() const { return m_saveProblem; }
    int searchRevision() const { return m_searchRevision; }
    const QHash<QUuid, ClipboardSearchPresentation> &searchPresentations() const { return m_searchPresentations; }

    // A new capture: dropped when it equals the newest item, otherwise stored at the top. Returns the new item.
    // A storming capture replaces the item of the previous capture of the same storm (unless the person
    // pasted or labelled it meanwhile), so that a program stuck in a loop holds one item, never the whole
    // history; nothing kept before the storm is taken back.
    // A program that added more copies within a minute than a person could (floodCopyCount) floods: in a
    // full history its copies replace its own oldest flood copies instead of pushing out the oldest items,
    // and so do its later copies while it has flood copies left.
    std::optional<ClipboardItem> ingest(const ClipboardCapture &capture);
    // A later, richer read of the same pasteboard change: replaces the item stored for that change while it
    // is still the newest, otherwise is taken as a new capture.
    std::optional<ClipboardItem> replaceCapture(const ClipboardCapture &capture);
    // The item as it would be stored for a capture (no side effects).
    ClipboardItem makeItem(const ClipboardCapture &capture) const;
    // Whether two items count as the same copy: same kind, and same paths, data or text by kind.
    static bool isSameContent(const ClipboardItem &a, const ClipboardItem &b);

    // Moves the item to the top with a new date and last-used date (inserting it when it is gone) and saves.
    void handleItemInserted(const ClipboardItem &item);
    // Replaces a stored item's fields (e.g. analysis results) in place and saves.
    void updateItem(const ClipboardItem &item);
    // The person's deletion. The newest item's content is still on the clipboard: it is not taken back
    // from there at the next start, only a new copy of it is.
    void deleteItems(const QList<ClipboardItem> &items);
    // Removes items older than the retention period and beyond the newest 5,000; saves when any went.
    void cleanUp();

    // Matches of the history for a filter and a query, newest first; fills searchPresentations. With
    // includeAnalysisText an item's analysis text is matched where it has one, its plain text otherwise.
    // None when the search was cancelled or the history went away: an empty list always means no match.
    Task<std::optional<QList<ClipboardItem>>> searchItems(std::optional<ClipboardFilter> filter, QString query,
                                                          bool includeAnalysisText, int limit);
    // The index, created on first use.
    ClipboardSearchIndex &searchIndex();

Q_SIGNALS:
    // Once for each new copy a person made (a program's churn is stored without it), before it is stored.
    void copyArrived();
    // Each new text or link item copied while Tavlen watched, with its text and source, so the field-value
    // engine can record a field copy.
    void textItemAdded(const QString &text, const QString &sourceApplicationId);
    // Each new item that is eligible for analysis and not analysed at the current version.
    void analysisWanted(const ClipboardItem &item);
    // Asks for this plain text to be written back to the pasteboard (a text or link item came with rich formats
    // while pasting as plain text is on).
    void plainTextRewriteRequested(const QString &text);
    void itemsChanged();
    void storageRevisionChanged(int revision);
    void searchRevisionChanged(int revision);
    void searchPresentationsChanged();
    void saveProblemChanged(const QString &problem);
    // The store's file was deleted or replaced while it was in use; it was opened again and the history
    // saved into it.
    void storeReplaced();
    // What stop() could not save, in words ("2 copies could not be saved: the disk is full").
    void changesLostAtStop(const QString &what);
    // A flooding program's copy replaced one of its own older copies for the first time, instead of another
    // one's. Once for each program; `application` is its name where its owner told it, else empty.
    void floodKeptToItsOwnCopies(const QString &application);

private:
    // The date for an item put at the top: now, or just above the newest other item than `moving`.
    QDateTime topDate(const QUuid &moving = {}) const;
    void insertAtTop(const ClipboardItem &item);
    // Pasted or labelled: the person's, whoever made it.
    static bool isClaimed(const ClipboardItem &item);
    // Notes a copy that adds an item; in a full history, answers the item of the same program that it
    // replaces (null: the oldest item goes as usual).
    QUuid floodCopyToReplace(const ClipboardCapture &capture, const QUuid &added);
    // `copiedNow`: made while Tavlen watched, not what the clipboard held at start.
    void afterNewItem(const ClipboardItem &item, bool copiedNow);
    void removeItems(const QList<ClipboardItem> &items);
    // Drops what the removed items left behind, saves and tells the observers.
    void commitRemoval(const QList<QUuid> &removed);
    void markChanged(const QList<ClipboardItem> &upserts, const QList<QUuid> &deletions);
    bool hasUnsavedChanges() const { return !m_pendingUpserts.isEmpty() || !m_pendingDeletions.isEmpty(); }
    void save();
    // Each change on its own, after a save of them all failed; the first failure's reason, empty when none.
    QString saveEachChange();
    Task<> runSaveRetries();
    // The items in the store, read again when the store failed its integrity check meanwhile.
    QList<ClipboardItem> readStore(QString *error);
    // When the store's file was taken away: reopens it and marks every item to be saved into it.
    void carryOverIfStoreReplaced();
    void setForgottenContent(const QSet<QByteArray> &keys);
    void raiseStorageRevision();
    void raiseSearchRevision();
    int retentionDays() const;
    Task<> runCleanupLoop();
    Task<> fillThumbnails(QList<ClipboardItem> images);
    Task<std::optional<QList<ClipboardItem>>> runSearch(std::optional<ClipboardFilter> filter, QString query,
                                                        bool includeAnalysisText, int limit);

    Clock &m_clock;
    ClipboardItemStore *m_store;
    QList<ClipboardItem> m_items;
    int m_storageRevision = 0;
    int m_searchRevision = 0;
    QHash<QUuid, ClipboardSearchPresentation> m_searchPresentations;
    QHash<QUuid, QImage> m_thumbnails;
    std::unique_ptr<ClipboardSearchIndex> m_searchIndex;

    // Changes not yet saved (kept after a failed save and retried on a timer, with the next one and at stop).
    QHash<QUuid, ClipboardItem> m_pendingUpserts;
    QList<QUuid> m_pendingDeletions;
    QString m_saveProblem;
    bool m_running = false;
    // Display keys of content deleted while the clipboard held it (ClipboardItemStore::forgottenContent).
    QSet<QByteArray> m_forgotten;

    // The change count of the last capture and the item stored for it (null when it was dropped).
    std::optional<qint64> m_lastChangeCount;
    QUuid m_lastCaptureItemId;
    // By storm source, the item stored for its last storming capture, and which storm that was.
    struct StormItem {
        qint64 storm = 0;
        QUuid id;
    };
    QHash<QString, StormItem> m_stormItems;
    // By program, the copies it added within the flood span (uptime), and the items of its floods, oldest
    // first: those it added faster than a person while it flooded, and those that took their places.
    struct ProgramCopies {
        struct Added {
            double at = 0;
            QUuid id;
            bool fast = false;
            bool inFlood = false;
        };
        QList<Added> recent;
        QList<QUuid> flood;
    };
    QHash<QString, ProgramCopies> m_programCopies;
    QSet<QString> m_floodsTold;

    std::function<int()> m_retentionDays;
    std::function<bool()> m_pasteAsPlainText;

    TaskSlot m_cleanupTask;
    TaskSlot m_saveRetryTask;
    TaskSlot m_thumbnailTask;
    Lifetime m_lifetime;
};
