// A field's value history on the real desktop, through Tavlen's own composition: Super + double-click on
// the Qt login form's e-mail field, which has three remembered values, opens the launcher with the three;
// typing into the history's search field narrows them; Space opens the value's details window and Space
// closes it again; clicking the value types it into the field, read back by the application itself.

#include "DesktopTest.h"
#include "LoginFormApp.h"

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "fields/FieldValueAssociationStore.h"
#include "fields/FocusedFieldAutoPasteService.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchHistorySearchField.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/SettingsStore.h"
#include "platform/Panel.h"
#include "platform/linux/LinuxPlatform.h"

#include <QApplication>
#include <QLineEdit>

namespace {

using Item = NotchAIContentView::Item;

const QStringList rememberedValues{QStringLiteral("ada@example.com"), QStringLiteral("grace@example.org"),
                                   QString::fromUtf8("zoë.łukasiewicz@example.net")};

QString xdotool(const QStringList &arguments)
{
    return QString::fromUtf8(DesktopTest::run(QStringLiteral("xdotool"), arguments).standardOutput).trimmed();
}

// The values the pane lists as rows, top to bottom.
QStringList listedValues(const NotchAIContentView &pane)
{
    QStringList values;
    for (const Item &item : pane.currentContent().items) {
        if (item.kind == Item::Kind::suggestion)
            values << item.suggestion.value;
    }
    return values;
}

class FieldHistoryDesktopTest : public ::testing::Test {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }

    void TearDown() override
    {
        if (delegate)
            delegate->stop();
        delegate.reset();
        platform.reset();
    }

    std::optional<ClipboardPasteTarget> target() const
    {
        return form->emailTarget(*delegate->appState().focusedFieldSuggestions());
    }

    NotchLauncherWindow *windowWithFieldValues() const
    {
        NotchLauncherService *launchers = delegate->launcherService();
        for (NotchLauncherWindow *window : launchers->windows().values()) {
            if (window->isExpanded() && window->viewModel()->aiContext() && window->view()
                && window->view()->aiContentView())
                return window;
        }
        return nullptr;
    }

    // Moves the real pointer onto the middle of a widget on screen.
    // A picture of the desktop once the launcher has stopped moving and repainted.
    void picture(NotchLauncherWindow *window, const QString &name)
    {
        TAVLEN_WAIT_UNTIL(!window->panel()->isAnimatingFrame(), 5000);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible())
                top->repaint();
        }
        QCoreApplication::processEvents();
        DesktopTest::screenshot(name);
    }

    static void pointAt(const QWidget &widget, QPoint offset = {})
    {
        const QPoint centre = widget.mapToGlobal(widget.rect().center() + offset);
        xdotool({"mousemove", "--sync", QString::number(centre.x()), QString::number(centre.y())});
    }

    std::unique_ptr<LoginFormApp> form;
    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(FieldHistoryDesktopTest, TheFieldsValuesAreListedSearchedDetailedAndTyped)
{
    form = std::make_unique<LoginFormApp>(QStringLiteral("qt_login_app"), QStringLiteral("old@example.org"));
    ASSERT_TRUE(form->waitUntilReady()) << form->process().output().constData();

    platform = std::make_unique<LinuxPlatform>();
    delegate = std::make_unique<AppDelegate>(platform->platform(), LaunchOptions{});
    delegate->appState().settings()->update([](UserSettingsData &s) {
        s.aiEnabled = true;
        s.fieldSuggestionsEnabled = true;
        s.fieldWindowEnabled = false; // the launcher at the top, with its header and the history's search field
    });
    delegate->start();
    TAVLEN_WAIT_UNTIL(form->refreshGeometry() && target(), 10000);
    const std::optional<ClipboardPasteTarget> field = target();
    ASSERT_TRUE(field);
    FieldValueAssociationStore &store = *delegate->appState().fieldValueAssociations();
    for (const QString &value : rememberedValues)
        ASSERT_TRUE(store.recordValue(value, field->field->descriptor));

    // Super + double-click in the field: the launcher lists its three values.
    const QPoint click = form->emailRect().center();
    xdotool({"mousemove", "--sync", QString::number(click.x()), QString::number(click.y())});
    xdotool({"keydown", "super", "click", "--repeat", "2", "--delay", "80", "1", "keyup", "super"});
    NotchLauncherWindow *window = nullptr;
    TAVLEN_WAIT_UNTIL((window = windowWithFieldValues()) != nullptr, 8000);
    NotchLauncherView *view = window->view();
    NotchLauncherViewModel &model = *window->viewModel();
    // Once the panel has grown to its size and its list has settled.
    TAVLEN_WAIT_UNTIL(!window->panel()->isAnimatingFrame() && model.isListSettled() && view->aiContentView()
                          && view->aiContentView()->isVisible() && view->historySearchField()->isVisible(),
                      5000);
    QStringList listed = listedValues(*view->aiContentView());
    for (const QString &value : rememberedValues)
        EXPECT_TRUE(listed.contains(value)) << value.toStdString() << " in " << listed.join(", ").toStdString();
    picture(window, QStringLiteral("field-history-listed"));

    // Typing into the history's search field narrows the list to the matching value.
    QLineEdit *search = view->historySearchField()->textField();
    pointAt(*search);
    xdotool({"click", "1"});
    TAVLEN_WAIT_UNTIL(search->hasFocus() && model.isAISearchFocused(), 5000);
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {"type", "--delay", "40", "grace"}).succeeded());
    TAVLEN_WAIT_UNTIL(model.aiSearchQuery() == QStringLiteral("grace"), 5000);
    TAVLEN_WAIT_UNTIL(listedValues(*view->aiContentView()) == QStringList{"grace@example.org"}, 5000);
    picture(window, QStringLiteral("field-history-searched"));

    // The pointer moving onto the result selects it; the search field keeps the keys until Tab leaves it,
    // and Space then opens the result's details.
    NotchAIContentView *pane = view->aiContentView();
    const QRectF resultRect = pane->itemRect(1);
    const QPoint result = pane->mapToGlobal(resultRect.center().toPoint());
    xdotool({"mousemove", "--sync", QString::number(result.x() - 40), QString::number(result.y())});
    xdotool({"mousemove", "--sync", QString::number(result.x()), QString::number(result.y())});
    TAVLEN_WAIT_UNTIL(model.selectedAISuggestionID() == pane->currentContent().items.at(1).suggestion.id, 5000);
    EXPECT_TRUE(model.isAISearchFocused());
    xdotool({"key", "Tab"});
    TAVLEN_WAIT_UNTIL(!model.isAISearchFocused(), 5000);
    xdotool({"key", "space"});
    TAVLEN_WAIT_UNTIL(view->suggestionPreviewWindow() != nullptr, 5000);
    FocusedFieldSuggestionPreviewWindow *details = view->suggestionPreviewWindow();
    EXPECT_EQ(details->suggestion().value, QStringLiteral("grace@example.org"));
    TAVLEN_WAIT_UNTIL(details->window()->panel().isKey(), 5000);
    EXPECT_EQ(model.aiSearchQuery(), QStringLiteral("grace")) << "the space went to no field";
    picture(window, QStringLiteral("field-history-details"));
    xdotool({"key", "space"});
    TAVLEN_WAIT_UNTIL(view->suggestionPreviewWindow() == nullptr, 5000);
    EXPECT_EQ(model.aiSearchQuery(), QStringLiteral("grace"));

    // Clicking the value types it into the field.
    xdotool({"mousemove", "--sync", QString::number(result.x()), QString::number(result.y())});
    xdotool({"click", "1"});
    TAVLEN_WAIT_UNTIL(delegate->autoPasteService()->lastInsertionOutcome().has_value(), 15000);
    EXPECT_EQ(delegate->autoPasteService()->lastInsertionOutcome(), FocusedFieldAutoPasteService::InsertionOutcome::typed);
    EXPECT_EQ(form->emailText(), QStringLiteral("grace@example.org"));
}

} // namespace
