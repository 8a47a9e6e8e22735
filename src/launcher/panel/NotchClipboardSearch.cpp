#include "launcher/panel/NotchClipboardSearch.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/FilterManager.h"
#include "state/AppState.h"

namespace {

QList<QUuid> idsOf(const QList<ClipboardItem> &items)
{
    QList<QUuid> ids;
    ids.reserve(items.size());
    for (const ClipboardItem &item : items)
        ids.append(item.id());
    return ids;
}

Task<std::optional<QList<ClipboardItem>>> historySearch(QPointer<ClipboardHistoryManager> history,
                                                        std::optional<ClipboardFilter> filter, QString query,
                                                        bool includeAnalysisText)
{
    if (!history)
        co_return std::nullopt;
    Task<std::optional<QList<ClipboardItem>>> search =
        history->searchItems(std::move(filter), std::move(query), includeAnalysisText, NotchClipboardSearch::searchLimit);
    std::optional<std::optional<QList<ClipboardItem>>> found = co_await search;
    co_return found ? *found : std::nullopt;
}

} // namespace

NotchClipboardSearch::NotchClipboardSearch(const NotchLauncherViewModel &model, AppState *appState,
                                           ClipboardHistoryManager *history, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_appState(appState)
{
    QPointer<ClipboardHistoryManager> weakHistory = history;
    m_search = [weakHistory](std::optional<ClipboardFilter> filter, QString query) {
        // The panel searches what was copied; analysed items must stay findable by their own text.
        return historySearch(weakHistory, std::move(filter), std::move(query), false);
    };
}

NotchClipboardSearch::~NotchClipboardSearch()
{
    m_lifetime.end();
}

bool NotchClipboardSearch::isRunning() const
{
    return m_clipboardSearchTask.isRunning();
}

bool NotchClipboardSearch::setClipboardSearchQuery(const QString &query)
{
    if (query == m_clipboardSearchQuery)
        return false;
    m_clipboardSearchQuery = query;
    return true;
}

void NotchClipboardSearch::cancel()
{
    m_clipboardSearchTask.cancel();
    m_pendingClipboardSearchSubmission = false;
}

void NotchClipboardSearch::historyChanged()
{
    if (!m_model.isExpanded() && !m_model.demoClipboardItems()) {
        m_isStale = true;
        return;
    }
    refreshDisplayedClipboardItems();
}

void NotchClipboardSearch::relistIfStale()
{
    if (!m_isStale)
        return;
    m_isCatchingUp = true;
    refreshDisplayedClipboardItems();
}

void NotchClipboardSearch::refreshDisplayedClipboardItems()
{
    cancel();
    m_isStale = false;
    if (const std::optional<QList<ClipboardItem>> &demo = m_model.demoClipboardItems()) {
        const QString query = m_clipboardSearchQuery.trimmed();
        if (query.isEmpty()) {
            applySearchResults(*demo);
            return;
        }
        QList<ClipboardItem> matching;
        for (const ClipboardItem &item : *demo) {
            if (item.text().contains(query, Qt::CaseInsensitive))
                matching.append(item);
        }
        applySearchResults(matching);
        return;
    }
    m_clipboardSearchTask.start(runSearch(m_clipboardSearchQuery, m_model.selectedClipboardFilterID()));
}

Task<> NotchClipboardSearch::runSearch(QString query, std::optional<QUuid> filterId)
{
    const Lifetime::Pointer<NotchClipboardSearch> self(this, m_lifetime);
    // Let the caller store this task before it can finish.
    const bool cancelledAtStart = co_await isCancelled();
    if (cancelledAtStart || !self)
        co_return;
    std::optional<ClipboardFilter> filter;
    if (filterId && self->m_appState)
        filter = self->m_appState->filters()->filter(*filterId);
    Task<std::optional<QList<ClipboardItem>>> search = self->m_search(std::move(filter), std::move(query));
    const std::optional<std::optional<QList<ClipboardItem>>> result = co_await search;
    if (!self)
        co_return;
    const bool cancelled = co_await isCancelled();
    if (cancelled)
        co_return;
    if (!result || !*result) {
        // A failed search keeps the list, but must not leave the task standing: Return would wait forever.
        self->cancel();
        self->m_isCatchingUp = false;
        co_return;
    }
    const QList<ClipboardItem> items = **result;
    self->m_clipboardSearchTask.cancel(); // this task, finishing: clears the field
    self->applySearchResults(items);
    if (self && self->m_pendingClipboardSearchSubmission) {
        self->m_pendingClipboardSearchSubmission = false;
        Q_EMIT self->pendingSubmissionDue();
    }
}

void NotchClipboardSearch::applySearchResults(const QList<ClipboardItem> &items)
{
    const bool idsChanged = idsOf(items) != idsOf(m_displayedClipboardItems);
    m_displayedClipboardItems = items;
    const Lifetime::Pointer<NotchClipboardSearch> self(this, m_lifetime);
    Q_EMIT displayedItemsChanged(idsChanged);
    if (self)
        m_isCatchingUp = false;
}
