#pragma once
// The clipboard list's search: the query, the items it displays, and the one search task that fills them
// from the history (or from the demo items). A submission made while a search runs waits for its results.
// While the panel is collapsed nobody sees the list: a change of the history only marks it stale, and it
// is listed again when the panel expands (relisting 5,000 items costs more than the copy that changed it).

#include "model/ClipboardFilter.h"
#include "model/ClipboardItem.h"
#include "platform/Lifetime.h"
#include "platform/Task.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class AppState;
class ClipboardHistoryManager;
class NotchLauncherViewModel;

class NotchClipboardSearch : public QObject {
    Q_OBJECT
public:
    // How the history is searched: the history's own search unless a test puts another in its place.
    // Answers none when the search failed or was cancelled.
    using SearchFunction = std::function<Task<std::optional<QList<ClipboardItem>>>(std::optional<ClipboardFilter>, QString)>;

    static constexpr int searchLimit = 5000;

    NotchClipboardSearch(const NotchLauncherViewModel &model, AppState *appState, ClipboardHistoryManager *history,
                         QObject *parent = nullptr);
    ~NotchClipboardSearch() override;

    const QString &clipboardSearchQuery() const { return m_clipboardSearchQuery; }
    const QList<ClipboardItem> &displayedClipboardItems() const { return m_displayedClipboardItems; }
    bool isRunning() const;
    bool hasPendingSubmission() const { return m_pendingClipboardSearchSubmission; }

    void setSearchFunction(SearchFunction search) { m_search = std::move(search); }
    // Answers false when the query is the one already searched.
    bool setClipboardSearchQuery(const QString &query);
    // Searches again for the current query and filter; a submission waiting for the old search is dropped.
    void refreshDisplayedClipboardItems();
    // The history or the filters changed: searches again now when the panel is expanded, else marks the
    // list stale.
    void historyChanged();
    // The panel expanded: a stale list is searched again.
    void relistIfStale();
    // The results being displayed (or awaited) bring the changes made while the panel was collapsed.
    bool isCatchingUp() const { return m_isCatchingUp; }
    // The running search's results are submitted once they arrive.
    void submitWhenDone() { m_pendingClipboardSearchSubmission = true; }
    void cancel();

Q_SIGNALS:
    // New results are displayed; `idsChanged` when they are other items or in another order.
    void displayedItemsChanged(bool idsChanged);
    // A submission waited for this search, which has now displayed its results.
    void pendingSubmissionDue();

private:
    void applySearchResults(const QList<ClipboardItem> &items);
#ifndef Q_MOC_RUN
    Task<> runSearch(QString query, std::optional<QUuid> filterId);
#endif

    const NotchLauncherViewModel &m_model;
    QPointer<AppState> m_appState;
    SearchFunction m_search;
    QString m_clipboardSearchQuery;
    QList<ClipboardItem> m_displayedClipboardItems;
    bool m_pendingClipboardSearchSubmission = false;
    bool m_isStale = false;
    bool m_isCatchingUp = false;
#ifndef Q_MOC_RUN
    TaskSlot m_clipboardSearchTask;
#endif
    Lifetime m_lifetime;
};
