#pragma once

#include "clipboard/ClipboardSearchMatch.h"
#include "model/ClipboardItem.h"

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QString>
#include <QThreadPool>
#include <QUuid>

#include <memory>
#include <mutex>
#include <vector>
#include <optional>

class ClipboardFilterMatcher;

// The history's search index. Its state lives on one worker thread (a serial pool); every call posts
// work there in call order, so updates and searches never race. Searches return futures.
class ClipboardSearchIndex
{
public:
    // Everything the search reads of one item, prepared once per item.
    // The item's text is not copied: where lowercasing keeps every character in its place (most texts),
    // the search reads the item's own UTF-8 with a case-folding match instead of a lowercased copy.
    struct Entry {
        // What only some items have, kept apart so that an entry of a plain text carries none of it.
        struct Extras {
            QStringList filePaths;
            QString title; // as much of the display title as a row shows; null when that is the item's own text
            // Lowercased, composed UTF-8 of text, file names and paths, title; empty when `text` is searched
            // in place.
            QByteArray searchText;
            QByteArray analysisText; // the same of the analysis title, summary, category, tags and extracted text
            QByteArray displayKey; // made when the item keeps no digest
        };

        ClipboardItem item; // shared with the history: the digest is read from it
        QByteArray text; // the item's own UTF-8, shared with it
        std::shared_ptr<const Extras> extras; // null when the item has none of them
        ClipboardItemType type = ClipboardItemType::text;
        bool searchesTextInPlace = false;

        // The item's digest, or the key made for it; valid as long as the entry.
        QByteArrayView displayKey() const;
        const QStringList &filePaths() const { return extras ? extras->filePaths : noExtras().filePaths; }
        const QString &title() const { return extras ? extras->title : noExtras().title; }
        const QByteArray &searchText() const { return extras ? extras->searchText : noExtras().searchText; }
        const QByteArray &analysisText() const { return extras ? extras->analysisText : noExtras().analysisText; }

    private:
        static const Extras &noExtras();
    };
    // The most of a title a search result carries: as many characters as a row measures.
    static constexpr qsizetype titleLength = 400;

    ClipboardSearchIndex();
    ~ClipboardSearchIndex();
    ClipboardSearchIndex(const ClipboardSearchIndex &) = delete;
    ClipboardSearchIndex &operator=(const ClipboardSearchIndex &) = delete;

    // Replaces the whole index.
    void reset(const QList<ClipboardItem> &items);
    // Adds or refreshes items.
    void upsert(const QList<ClipboardItem> &items);
    void remove(const QList<QUuid> &ids);

    // Matches over `history` (newest first; shared, not copied, and its ids read on the index's thread):
    // at most `limit` matches, duplicates by display key dropped, in that order. The query is trimmed,
    // lowercased and composed; an empty one matches all. With includeAnalysisText the analysis text of an
    // item that has one is searched instead of its text.
    QFuture<QList<ClipboardSearchMatch>> search(QList<ClipboardItem> history,
                                                std::shared_ptr<const ClipboardFilterMatcher> filter,
                                                const QString &query, bool includeAnalysisText, int limit);

    // Blocks until queued work is done (tests and benchmarks).
    void waitForIdle();

    // The prepared form of a query or text: trimmed (queries only), lowercased, NFC, UTF-8.
    static QByteArray normalizedQuery(const QString &query);
    static QByteArray normalizedText(const QString &text);
    static Entry prepare(const ClipboardItem &item);
    // What a query is looked for in (lowercased, composed UTF-8), whether or not prepare() keeps it.
    static QByteArray searchableText(const ClipboardItem &item);
    static QString typeLabel(ClipboardItemType type);
    // One item in list order, at `position` in the list, with what a search reads of every item: the entries
    // lie scattered in memory, and reading each one would cost a search more than reading its texts does.
    // `sharesKey` when another item has the same display key.
    struct Slot {
        const Entry *entry = nullptr;
        QUuid id;
        QByteArrayView text; // the item's own text where it is searched in place, its searchText otherwise
        const Entry::Extras *extras = nullptr;
        qsizetype position = 0;
        ClipboardItemType type = ClipboardItemType::text;
        bool searchesTextInPlace = false;
        bool sharesKey = false;
    };
    // The search proper, over entries in list order.
    static QList<ClipboardSearchMatch> searchSlots(const std::vector<Slot> &slots, const ClipboardFilterMatcher *filter,
                                                   const QByteArray &query, bool includeAnalysisText, int limit);

private:
    // Touched only on the pool's thread. The entries in list order are kept until the order or an entry
    // changes, so that typing a query does not look every item up again.
    struct State {
        // Waiting on a future may run its work on the waiting thread; the lock keeps even that serial.
        std::mutex mutex;
        QHash<QUuid, Entry> entries;
        quint64 generation = 0;
        // The history the slots were made for: the same values in the same order need no new slots.
        QList<ClipboardItem> resolvedHistory;
        quint64 resolvedGeneration = ~quint64(0);
        std::vector<Slot> slots;
        const std::vector<Slot> &resolve(const QList<ClipboardItem> &history);
    };

    QThreadPool m_pool;
    std::shared_ptr<State> m_state;
};
