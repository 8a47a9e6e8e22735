// The field value history inside the launcher view: where the pane and its search field show, the Space
// key that opens a value's details (and every condition that keeps it from doing so), the focus flag that
// follows the search field's real focus, and the details window closing with the launcher.
#include "LauncherTestFixture.h"
#include "../fields/SuggestionTestData.h"

#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchHistorySearchField.h"
#include "launcher/panel/NotchLauncherView.h"
#include "ui/NotchListSearchBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

namespace {

using namespace SuggestionTestData;

struct NotchLauncherFieldHistoryTest : LauncherTest {
    NotchLauncherViewModel model;
    std::unique_ptr<NotchLauncherView> view;
    bool ownsKeys = true;
    QList<FocusedFieldSuggestion> chosen;
    int textInputFocusRequests = 0;
    int layoutRequests = 0;
    const ScreenInfo keyScreen = rightScreen();

    NotchLauncherView &makeView()
    {
        view = std::make_unique<NotchLauncherView>(sim.platform(), model, appState.get(), history.get());
        view->setHost({[this](const KeyDownEvent &) { return ownsKeys; },
                       [this] { return std::optional<ScreenInfo>(keyScreen); }});
        QObject::connect(view.get(), &NotchLauncherView::aiSuggestionSelected,
                         [this](const FocusedFieldSuggestion &s) { chosen << s; });
        QObject::connect(view.get(), &NotchLauncherView::textInputFocusRequested, [this] { ++textInputFocusRequests; });
        QObject::connect(view.get(), &NotchLauncherView::contentLayoutChanged, [this] { ++layoutRequests; });
        view->resize(442, 400);
        view->show();
        processEvents();
        return *view;
    }

    void openOnRecent(const std::optional<NotchAIContext> &context)
    {
        model.setShowsAIControls(true);
        model.setIsExpanded(true);
        model.setIsListSettled(true);
        model.setSelectedList(NotchLauncherListKind::recent);
        model.setDisplayedList(NotchLauncherListKind::recent);
        if (context)
            model.setAIContext(*context);
        else
            model.clearAIContext();
        sim.clock.advance(1); // the list area has come in
        processEvents();
    }

    EventDisposition key(Qt::Key code)
    {
        KeyDownEvent event;
        event.key = code;
        return sim.eventMonitors.sendLocalKeyDown(event);
    }

    FocusedFieldSuggestionPreviewWindow *details() const { return view->suggestionPreviewWindow(); }
};

TEST_F(NotchLauncherFieldHistoryTest, ThePaneAndItsSearchFieldShowOnlyWhereTheyBelong)
{
    struct Row {
        const char *name;
        bool expanded;
        NotchLauncherListKind list;
        bool context;
        bool pane;
        bool searchField;
    };
    using K = NotchLauncherListKind;
    const Row rows[] = {
        {"recent with a context", true, K::recent, true, true, true},
        {"recent without a context: the placeholder", true, K::recent, false, false, false},
        {"clipboard with a context", true, K::clipboard, true, false, false},
        {"collapsed", false, K::recent, true, false, false},
    };
    makeView();
    for (const Row &row : rows) {
        model.setIsExpanded(row.expanded);
        model.setIsListSettled(true);
        model.setShowsAIControls(true);
        model.setSelectedList(row.list);
        model.setDisplayedList(row.list);
        if (row.context)
            model.setAIContext(nameContext());
        else
            model.clearAIContext();
        sim.clock.advance(1);
        processEvents();
        view->resize(442, 401);
        view->resize(442, 400);
        const bool pane = view->aiContentView() && view->aiContentView()->isVisible();
        EXPECT_EQ(pane, row.pane) << row.name;
        EXPECT_EQ(view->historySearchField()->isVisible(), row.searchField) << row.name;
    }
}

TEST_F(NotchLauncherFieldHistoryTest, TheSearchFieldNamesTheFieldAndNarrowsThePaneAsYouType)
{
    makeView();
    NotchHistorySearchField *field = view->historySearchField();
    EXPECT_EQ(field->textField()->accessibleName(), QStringLiteral("Search field history"));
    openOnRecent(nameContext());
    EXPECT_EQ(field->textField()->accessibleName(), QStringLiteral("Search Display name history"));
    layoutRequests = 0;
    field->textField()->setFocus();
    QTest::keyClicks(field->textField(), QStringLiteral("GRACE"));
    EXPECT_EQ(model.aiSearchQuery(), QStringLiteral("GRACE"));
    const auto &items = view->aiContentView()->currentContent().items;
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(1).suggestion.value, QStringLiteral("Grace Hopper"));
    EXPECT_EQ(model.selectedAISuggestionID(), items.at(1).suggestion.id);
    EXPECT_GE(layoutRequests, 1);
    // The clear button empties the query for both.
    field->searchBar()->clear();
    EXPECT_EQ(model.aiSearchQuery(), QString());
    EXPECT_EQ(field->query(), QString());
}

TEST_F(NotchLauncherFieldHistoryTest, SpaceOpensTheSelectedValuesDetailsOnlyWhenItMay)
{
    struct Row {
        const char *name;
        std::function<void(NotchLauncherFieldHistoryTest &)> setUp;
        Qt::Key key;
        EventDisposition disposition;
        bool opens;
    };
    const Row rows[] = {
        {"everything in place", [](auto &) {}, Qt::Key_Space, EventDisposition::Consume, true},
        {"the pointer is outside", [](auto &t) { t.view->pointerExited(); }, Qt::Key_Space, EventDisposition::Pass,
         false},
        {"another key", [](auto &) {}, Qt::Key_Return, EventDisposition::Pass, false},
        {"the search field is focused", [](auto &t) { t.model.setIsAISearchFocused(true); }, Qt::Key_Space,
         EventDisposition::Pass, false},
        {"another window owns the key", [](auto &t) { t.ownsKeys = false; }, Qt::Key_Space, EventDisposition::Pass,
         false},
        {"collapsed", [](auto &t) { t.model.setIsExpanded(false); }, Qt::Key_Space, EventDisposition::Pass, false},
        {"the guided demo", [](auto &t) { t.model.setDemoClipboardItems(QList<ClipboardItem>{}); }, Qt::Key_Space,
         EventDisposition::Pass, false},
        {"a sample value is selected", [](auto &t) {
             t.model.setSelectedAISuggestionID(t.model.aiContext()->randomSuggestions.at(0).id);
         },
         Qt::Key_Space, EventDisposition::Consume, false},
        {"nothing is selected",
         [](auto &t) {
             t.model.setAIContext(nameContext());
             t.model.setSelectedAISuggestionID(std::nullopt);
         },
         Qt::Key_Space, EventDisposition::Consume, false},
        // Nothing to show, so the manual entry has taken the keyboard: the space is typed there.
        {"the manual entry has the keyboard",
         [](auto &t) {
             NotchAIContext empty;
             empty.fieldName = QStringLiteral("Empty");
             t.model.setAIContext(empty);
             QApplication::setActiveWindow(t.view.get());
         },
         Qt::Key_Space, EventDisposition::Pass, false},
        {"the query hides the selection's neighbours, not the selection",
         [](auto &t) { t.model.setAISearchQuery(QStringLiteral("hopper")); }, Qt::Key_Space,
         EventDisposition::Consume, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ownsKeys = true;
        model.setDemoClipboardItems(std::nullopt);
        makeView();
        openOnRecent(nameContext());
        view->pointerEntered();
        row.setUp(*this);
        processEvents();
        const std::optional<QUuid> selected = model.selectedAISuggestionID();
        EXPECT_EQ(key(row.key), row.disposition);
        EXPECT_EQ(details() != nullptr, row.opens);
        if (details()) {
            EXPECT_EQ(details()->suggestion().id, *selected);
            // Shown on the screen of the window with the keyboard.
            const QRectF frame = details()->window()->panel().frame();
            EXPECT_TRUE(keyScreen.availableGeometry.contains(frame.center()));
            // A second Space while it is open is the details window's own business.
            EXPECT_EQ(key(Qt::Key_Space), EventDisposition::Pass);
        }
        view.reset();
        processEvents();
        model.clearAIContext();
        model.setIsDesktopSwitchSuspended(false);
    }
}

TEST_F(NotchLauncherFieldHistoryTest, TheFocusFlagFollowsTheFieldsRealFocus)
{
    makeView();
    openOnRecent(nameContext());
    view->pointerEntered();
    QLineEdit *text = view->historySearchField()->textField();
    QApplication::setActiveWindow(view.get());
    text->setFocus();
    processEvents();
    ASSERT_TRUE(text->hasFocus());
    EXPECT_TRUE(model.isAISearchFocused());
    // Cleared from outside while the field keeps the keyboard: the flag comes back, so a space reaches
    // the field instead of opening the details window.
    model.setIsAISearchFocused(false);
    EXPECT_TRUE(model.isAISearchFocused());
    EXPECT_TRUE(text->hasFocus());
    EXPECT_EQ(key(Qt::Key_Space), EventDisposition::Pass);
    EXPECT_EQ(details(), nullptr);
    // A new context while the field has the keyboard: the same.
    model.setAIContext(nameContext());
    EXPECT_TRUE(model.isAISearchFocused());
    // The pointer resting on a row selects it but leaves the keys with the field; Tab hands them over,
    // and Space then opens that row's details.
    NotchAIContentView *pane = view->aiContentView();
    pane->pointerMoved(pane->itemRect(3).center());
    EXPECT_TRUE(text->hasFocus());
    EXPECT_TRUE(model.isAISearchFocused());
    EXPECT_EQ(key(Qt::Key_Space), EventDisposition::Pass);
    QKeyEvent leave(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(text, &leave);
    EXPECT_EQ(key(Qt::Key_Space), EventDisposition::Consume);
    ASSERT_NE(details(), nullptr);
    EXPECT_EQ(details()->suggestion().id, pane->currentContent().items.at(3).suggestion.id);
    details()->close();
    // Focus moving away clears it; the field leaving the screen while focused clears it too.
    text->setFocus();
    EXPECT_TRUE(model.isAISearchFocused());
    text->clearFocus();
    EXPECT_FALSE(model.isAISearchFocused());
    text->setFocus();
    EXPECT_TRUE(model.isAISearchFocused());
    // Tab leaves the field, so Space reaches the pane again.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(text, &tab);
    EXPECT_FALSE(text->hasFocus());
    EXPECT_FALSE(model.isAISearchFocused());
    text->setFocus();
    EXPECT_TRUE(model.isAISearchFocused());
    model.setSelectedList(NotchLauncherListKind::clipboard);
    model.setDisplayedList(NotchLauncherListKind::clipboard);
    processEvents();
    EXPECT_FALSE(view->historySearchField()->isVisible());
    EXPECT_FALSE(model.isAISearchFocused());
}

TEST_F(NotchLauncherFieldHistoryTest, AClickIntoAFieldOfTheHistoryAsksForTheKeyboard)
{
    makeView();
    openOnRecent(nameContext());
    QLineEdit *text = view->historySearchField()->textField();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), text->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(text, &press);
    EXPECT_EQ(textInputFocusRequests, 1);
    NotchAIContext manual;
    manual.fieldName = QStringLiteral("Note");
    model.setAIContext(manual);
    processEvents();
    QLineEdit *entry = view->aiContentView()->manualField();
    QCoreApplication::sendEvent(entry, &press);
    EXPECT_EQ(textInputFocusRequests, 2);
}

TEST_F(NotchLauncherFieldHistoryTest, TheDetailsWindowClosesWhenTheLauncherIsSuspendedOrGoesAway)
{
    for (const bool suspend : {true, false}) {
        SCOPED_TRACE(suspend ? "suspended" : "view removed");
        makeView();
        openOnRecent(nameContext());
        view->pointerEntered();
        ASSERT_EQ(key(Qt::Key_Space), EventDisposition::Consume);
        QPointer<FocusedFieldSuggestionPreviewWindow> window = details();
        ASSERT_TRUE(window);
        Panel &panel = window->window()->panel();
        if (suspend) {
            model.setIsDesktopSwitchSuspended(true);
            EXPECT_EQ(details(), nullptr);
        } else {
            view.reset();
        }
        EXPECT_TRUE(panel.isClosed());
        processEvents();
        EXPECT_TRUE(window.isNull());
        view.reset();
        model.setIsDesktopSwitchSuspended(false);
        model.clearAIContext();
    }
}

TEST_F(NotchLauncherFieldHistoryTest, ChoosingARowHandsTheValueToTheWindow)
{
    makeView();
    openOnRecent(nameContext());
    NotchAIContentView *pane = view->aiContentView();
    ASSERT_NE(pane, nullptr);
    pane->pointerClicked(pane->itemRect(3).center()); // the first "Most used" row
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0].value, QStringLiteral("Zoë Łukasiewicz 🎉"));
    EXPECT_EQ(model.selectedAISuggestionID(), chosen[0].id);
}

TEST_F(NotchLauncherFieldHistoryTest, TheCompactWindowShowsTwoRememberedValuesAndOneSample)
{
    auto window = makeWindow(leftScreen(), LauncherPresentation::window);
    const NotchAIContext full = nameContext();
    ASSERT_TRUE(window->openForPasteTarget(full, NotchLauncherListKind::recent, std::nullopt));
    processEvents();
    NotchLauncherView *launcher = window->view();
    NotchAIContentView *pane = launcher->aiContentView();
    ASSERT_NE(pane, nullptr);
    QStringList values;
    for (const auto &item : pane->currentContent().items) {
        if (item.kind == NotchAIContentView::Item::Kind::suggestion)
            values << item.suggestion.value;
    }
    EXPECT_EQ(values, (QStringList{"Ada Lovelace", "Zoë Łukasiewicz 🎉", "Mila Novak"}));
    // The window is as tall as the three rows and their headers.
    EXPECT_DOUBLE_EQ(window->window()->panel().frame().height(), 3 * 88);
    EXPECT_EQ(pane->currentContent().height, 3 * 64 + 3 * 24);
    EXPECT_FALSE(launcher->historySearchField()->isVisible());
}

} // namespace
