#include "launcher/panel/NotchKeyboardNavigation.h"

#include "launcher/panel/NotchClipboardSearch.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchLauncherPreviews.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "platform/Clock.h"

#include <algorithm>
#include <utility>

namespace {

std::optional<qsizetype> indexOf(const QList<ClipboardItem> &items, const std::optional<QUuid> &id)
{
    if (!id)
        return std::nullopt;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).id() == *id)
            return i;
    }
    return std::nullopt;
}

} // namespace

NotchKeyboardNavigation::NotchKeyboardNavigation(const Platform &platform, NotchLauncherViewModel &model,
                                                 NotchClipboardSearch &search, NotchLauncherPreviews &previews,
                                                 NotchClipboardSearchTextField *searchField, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_model(model)
    , m_search(search)
    , m_previews(previews)
    , m_searchField(searchField)
{
}

NotchKeyboardNavigation::~NotchKeyboardNavigation()
{
    m_lifetime.end();
}

std::optional<QUuid> NotchKeyboardNavigation::activeClipboardItemID() const
{
    return m_model.highlightedClipboardItemID() ? m_model.highlightedClipboardItemID() : m_model.selectedClipboardItemID();
}

void NotchKeyboardNavigation::selectClipboardItem(const ClipboardItem &item)
{
    m_model.setSelectedClipboardItemID(item.id());
    m_model.setHighlightedClipboardItemID(item.id());
}

void NotchKeyboardNavigation::clearSelection()
{
    m_model.setSelectedClipboardItemID(std::nullopt);
    m_model.setHighlightedClipboardItemID(std::nullopt);
}

void NotchKeyboardNavigation::ensureValidClipboardSelection()
{
    const std::optional<QUuid> active = activeClipboardItemID();
    const QList<ClipboardItem> &items = m_search.displayedClipboardItems();
    if (active && std::any_of(items.cbegin(), items.cend(), [&](const ClipboardItem &i) { return i.id() == *active; }))
        return;
    if (!items.isEmpty()) {
        m_model.setSelectedClipboardItemID(items.first().id());
        m_model.setHighlightedClipboardItemID(std::nullopt);
        return;
    }
    clearSelection();
}

void NotchKeyboardNavigation::displayedItemsReplaced()
{
    // The caret in the search field (or on its way there) keeps the selection as typing and Down left it:
    // nothing marked until Down enters the list, and Return pastes the top row.
    if (m_isClipboardSearchFocused || isSearchFocusPending())
        return;
    // A collapsed panel keeps no selection of its own: after copies made meanwhile the newest item is the
    // one selected, so opening by hovering (which, unlike the hot key, resets nothing) does not show the
    // first copy of the day selected at the bottom, nor paste it on Return.
    const QList<ClipboardItem> &items = m_search.displayedClipboardItems();
    const bool collapsedMeanwhile = !m_model.isExpanded() || m_search.isCatchingUp();
    if (collapsedMeanwhile && !m_model.demoClipboardItems() && !items.isEmpty()
        && activeClipboardItemID() != items.first().id()) {
        m_model.setSelectedClipboardItemID(items.first().id());
        m_model.setHighlightedClipboardItemID(std::nullopt);
    }
    ensureValidClipboardSelection();
}

void NotchKeyboardNavigation::moveClipboardSelection(int offset)
{
    const QList<ClipboardItem> &items = m_search.displayedClipboardItems();
    if (items.isEmpty())
        return;
    const qsizetype base = indexOf(items, activeClipboardItemID()).value_or(0);
    const qsizetype target = std::clamp<qsizetype>(base + offset, 0, items.size() - 1);
    selectClipboardItem(items.at(target));
}

void NotchKeyboardNavigation::handleSearchFieldArrowDown()
{
    const QList<ClipboardItem> &items = m_search.displayedClipboardItems();
    if (items.isEmpty())
        return;
    if (!m_isClipboardKeyboardNavigationActive) {
        m_isClipboardKeyboardNavigationActive = true;
        selectClipboardItem(items.first());
        return;
    }
    moveClipboardSelection(1);
}

void NotchKeyboardNavigation::handleSearchFieldArrowUp()
{
    if (!m_isClipboardKeyboardNavigationActive)
        return;
    const std::optional<qsizetype> index = indexOf(m_search.displayedClipboardItems(), activeClipboardItemID());
    if (!index)
        return;
    if (*index == 0) {
        m_isClipboardKeyboardNavigationActive = false;
        clearSelection();
        return;
    }
    moveClipboardSelection(-1);
}

void NotchKeyboardNavigation::submitActiveClipboardItem()
{
    if (m_search.isRunning()) {
        m_search.submitWhenDone();
        return;
    }
    const QList<ClipboardItem> &items = m_search.displayedClipboardItems();
    if (const std::optional<qsizetype> index = indexOf(items, activeClipboardItemID())) {
        Q_EMIT clipboardItemSelected(items.at(*index));
        return;
    }
    if (items.isEmpty())
        return;
    const ClipboardItem first = items.first();
    selectClipboardItem(first);
    Q_EMIT clipboardItemSelected(first);
}

EventDisposition NotchKeyboardNavigation::handleKeyDown(const KeyDownEvent &event)
{
    if (m_previews.isPreviewOpen())
        return EventDisposition::Pass;
    if (holdTypingForSearch(event))
        return EventDisposition::Consume;
    if (m_isClipboardSearchFocused)
        return EventDisposition::Pass;
    if (event.modifiers & shortcutModifiers)
        return EventDisposition::Pass;
    const QList<ClipboardItem> items = m_search.displayedClipboardItems();
    const std::optional<qsizetype> active = indexOf(items, activeClipboardItemID());
    switch (event.key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!active)
            return EventDisposition::Pass;
        Q_EMIT clipboardItemSelected(items.at(*active));
        return EventDisposition::Consume;
    case Qt::Key_Space:
        if (!active)
            return EventDisposition::Pass;
        m_previews.showPreview(items, items.at(*active));
        return EventDisposition::Consume;
    case Qt::Key_Up:
        m_isClipboardKeyboardNavigationActive = true;
        moveClipboardSelection(-1);
        return EventDisposition::Consume;
    case Qt::Key_Down:
        m_isClipboardKeyboardNavigationActive = true;
        moveClipboardSelection(1);
        return EventDisposition::Consume;
    default:
        return EventDisposition::Pass;
    }
}

void NotchKeyboardNavigation::clipboardRowHoverChanged(const ClipboardItem &item, bool isHovering)
{
    if (!isHovering) {
        if (m_model.highlightedClipboardItemID() == item.id())
            m_model.setHighlightedClipboardItemID(std::nullopt);
        return;
    }
    if (!m_model.isExpanded() || m_model.demoClipboardItems() || m_previews.isPreviewOpen())
        return;
    dropSearchFocus();
    m_isClipboardKeyboardNavigationActive = false;
    selectClipboardItem(item);
    Q_EMIT clipboardListFocusRequested();
}

void NotchKeyboardNavigation::setClipboardSearchFocused(bool focused)
{
    const bool changed = focused != m_isClipboardSearchFocused;
    m_isClipboardSearchFocused = focused;
    if (focused || changed)
        m_searchField->update(focused, m_model.clipboardSearchFocusRequest());
    if (!focused) {
        dropHeldTyping();
        if (changed) {
            m_isClipboardKeyboardNavigationActive = false;
            ensureValidClipboardSelection();
        }
        return;
    }
    // The field's own focus comes a moment later and is reported here too: the held typing goes in then.
    if (m_searchField->hasFocus())
        typeHeldTyping();
}

void NotchKeyboardNavigation::focusSearchSoon()
{
    // A new request starts a new search (its query was cleared): what was typed for the last one goes.
    dropHeldTyping();
    m_isSearchFocusDue = false;
    m_clipboardSearchFocusTask.cancel();
    m_clipboardSearchFocusTask.start(runSearchFocus());
}

Task<> NotchKeyboardNavigation::runSearchFocus()
{
    const Lifetime::Pointer<NotchKeyboardNavigation> self(this, m_lifetime);
    Clock *clock = m_platform.clock;
    const bool awake = co_await clock->sleep(searchFocusDelay);
    if (!awake || !self)
        co_return;
    if (!self->mayFocusSearch()) {
        self->dropHeldTyping();
        co_return;
    }
    self->m_isSearchFocusDue = true;
    self->focusSearchIfDue();
}

bool NotchKeyboardNavigation::mayFocusSearch() const
{
    return m_model.isExpanded() && !m_model.isDesktopSwitchSuspended()
        && m_model.displayedList() == NotchLauncherListKind::clipboard && !m_model.demoClipboardItems();
}

void NotchKeyboardNavigation::focusSearchIfDue()
{
    // A field off screen that took the keyboard would lose it again at the next layout, and the request
    // with it: typing would go nowhere.
    if (!m_isSearchFocusDue || !m_isSearchFieldShown)
        return;
    m_isSearchFocusDue = false;
    if (mayFocusSearch())
        setClipboardSearchFocused(true);
    else
        dropHeldTyping();
}

void NotchKeyboardNavigation::setSearchFieldShown(bool shown)
{
    m_isSearchFieldShown = shown;
    focusSearchIfDue();
}

void NotchKeyboardNavigation::dropSearchFocus()
{
    dropHeldTyping();
    m_isSearchFocusDue = false;
    m_clipboardSearchFocusTask.cancel();
    setClipboardSearchFocused(false);
}

bool NotchKeyboardNavigation::isSearchFocusPending() const
{
    return m_clipboardSearchFocusTask.isRunning() || m_isSearchFocusDue
        || (m_isClipboardSearchFocused && !m_searchField->hasFocus());
}

bool NotchKeyboardNavigation::holdTypingForSearch(const KeyDownEvent &event)
{
    if (!isSearchFocusPending() || (event.modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const double now = m_platform.clock->uptime();
    if (!m_heldTyping.isEmpty() && now - m_heldTypingSince > heldTypingLifetime)
        dropHeldTyping();
    const bool isText = !event.text.isEmpty()
        && std::none_of(event.text.cbegin(), event.text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
    if (!isText && event.key != Qt::Key_Backspace) {
        // Return would paste the row marked for the empty query, not for what was typed: it waits for
        // the person to see the results.
        return !m_heldTyping.isEmpty() && (event.key == Qt::Key_Return || event.key == Qt::Key_Enter);
    }
    if (m_heldTyping.isEmpty())
        m_heldTypingSince = now;
    m_heldTyping << (isText ? event.text : QString());
    return true;
}

void NotchKeyboardNavigation::typeHeldTyping()
{
    const QStringList typing = std::exchange(m_heldTyping, {});
    if (typing.isEmpty() || m_platform.clock->uptime() - m_heldTypingSince > heldTypingLifetime)
        return;
    for (const QString &text : typing) {
        if (text.isEmpty())
            m_searchField->backspace();
        else
            m_searchField->insert(text);
    }
}

void NotchKeyboardNavigation::dropHeldTyping()
{
    m_heldTyping.clear();
}
