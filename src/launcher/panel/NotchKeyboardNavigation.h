#pragma once
// The clipboard list's selection and the keys that move it: the active item, the arrows from the list and
// from the search field, Return (paste the active item), Space (preview it), the search field's focus and
// the selection repair that follows a new list. Items are matched by id, never by position.

#include "model/ClipboardItem.h"
#include "platform/EventMonitors.h"
#include "platform/Lifetime.h"
#include "platform/Platform.h"
#include "platform/Task.h"

#include <QObject>
#include <QStringList>
#include <QUuid>

#include <optional>

class NotchClipboardSearch;
class NotchClipboardSearchTextField;
class NotchLauncherPreviews;
class NotchLauncherViewModel;

class NotchKeyboardNavigation : public QObject {
    Q_OBJECT
public:
    static constexpr double searchFocusDelay = 0.06;
    // Typing held for a search field that is slow to take the caret is thrown away after this (seconds):
    // text that shows up much later than it was typed would surprise more than it helps.
    static constexpr double heldTypingLifetime = 2.0;

    NotchKeyboardNavigation(const Platform &platform, NotchLauncherViewModel &model, NotchClipboardSearch &search,
                            NotchLauncherPreviews &previews, NotchClipboardSearchTextField *searchField,
                            QObject *parent = nullptr);
    ~NotchKeyboardNavigation() override;

    std::optional<QUuid> activeClipboardItemID() const;
    bool isClipboardSearchFocused() const { return m_isClipboardSearchFocused; }
    bool isClipboardKeyboardNavigationActive() const { return m_isClipboardKeyboardNavigationActive; }

    void selectClipboardItem(const ClipboardItem &item);
    void clearSelection();
    void ensureValidClipboardSelection();
    // After the displayed items changed: a collapsed panel selects the newest, any unfocused one repairs,
    // the search field leaves it alone.
    void displayedItemsReplaced();
    void moveClipboardSelection(int offset);
    void handleSearchFieldArrowDown();
    void handleSearchFieldArrowUp();
    void submitActiveClipboardItem();
    // The clipboard list's keys; the caller has checked the panel may act on the event.
    EventDisposition handleKeyDown(const KeyDownEvent &event);
    void clipboardRowHoverChanged(const ClipboardItem &item, bool isHovering);
    void endKeyboardNavigation() { m_isClipboardKeyboardNavigationActive = false; }

    void setClipboardSearchFocused(bool focused);
    // The field takes the keyboard a moment after a focus request, if the panel still shows the clipboard
    // list then; an opening panel's header (and the field in it) may come in later still: the request
    // waits for the field to be on screen.
    void focusSearchSoon();
    void dropSearchFocus();
    // The view put the search field on screen or took it off.
    void setSearchFieldShown(bool shown);
    // A focus request is on its way and the field does not have the caret yet.
    bool isSearchFocusPending() const;

Q_SIGNALS:
    // Paste `item` (Return, or the search field's submission).
    void clipboardItemSelected(const ClipboardItem &item);
    // The pointer chose a row: the window gives the list the keyboard.
    void clipboardListFocusRequested();

private:
#ifndef Q_MOC_RUN
    Task<> runSearchFocus();
#endif
    bool mayFocusSearch() const;
    void focusSearchIfDue();
    // Keys typed before the field has the caret (the hot key and typing at once): text and Backspace wait
    // for the field; answers whether the key was taken.
    bool holdTypingForSearch(const KeyDownEvent &event);
    void typeHeldTyping();
    void dropHeldTyping();

    Platform m_platform;
    NotchLauncherViewModel &m_model;
    NotchClipboardSearch &m_search;
    NotchLauncherPreviews &m_previews;
    NotchClipboardSearchTextField *m_searchField;
    bool m_isClipboardSearchFocused = false;
    bool m_isClipboardKeyboardNavigationActive = false;
    bool m_isSearchFieldShown = false;
    // A focus request's moment came while the field was not on screen.
    bool m_isSearchFocusDue = false;
    // Each key's text, or an empty string for a Backspace; never written anywhere (it may be a secret
    // typed into the wrong window).
    QStringList m_heldTyping;
    double m_heldTypingSince = 0;
#ifndef Q_MOC_RUN
    TaskSlot m_clipboardSearchFocusTask;
#endif
    Lifetime m_lifetime;
};
