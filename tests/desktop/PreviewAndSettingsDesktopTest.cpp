// The item preview, the filter bar and the settings window on the real desktop, driven by keys and clicks:
// Space on a row opens the preview, Escape closes it, Return in it pastes into the application in front;
// the keyboard alone leaves the search field with Tab, previews and pastes the row it selected; a
// filter pill narrows the list; the gear opens the settings window, where a changed setting rebuilds the
// launchers, and opens it again after another program destroyed it.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchFilterBar.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/ClipboardFilter.h"
#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/Panel.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "preview/ClipboardPreviewWindow.h"
#include "preview/FilterPill.h"
#include "settings/SettingsSwitch.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"

#include <QCoreApplication>
#include <QCursor>
#include <QTemporaryDir>
#include <QWindow>

namespace {

using DesktopTest::xdotool;

bool moveTo(QPoint global)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}

bool clickAt(QPoint global)
{
    return moveTo(global) && xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

bool key(const QString &name)
{
    return xdotool({QStringLiteral("key"), name});
}

class PreviewAndSettingsDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        fieldFile = folder.filePath(QStringLiteral("field.txt"));
        app = std::make_unique<DesktopTest::ChildProcess>(DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                                                          QStringList{QStringLiteral("--output"), fieldFile});
        ASSERT_TRUE(app->waitForLine("ready")) << app->output().constData();
        Workspace &workspace = *platform.platform().workspace;
        TAVLEN_WAIT_UNTIL(workspace.frontmostApplication() && workspace.frontmostApplication()->pid == app->pid(), 5000);
        delegate = std::make_unique<AppDelegate>(platform.platform(), LaunchOptions{});
        delegate->start();
        ClipboardHistoryManager &history = delegate->history();
        for (const QByteArray &text : {QByteArrayLiteral("Quarterly figures for the board"),
                                      QByteArrayLiteral("https://example.org/tavlen/preview"),
                                      QByteArrayLiteral("Meeting moved to 10:30")}) {
            ASSERT_TRUE(DesktopTest::copyWithXclip(text));
            TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QString::fromUtf8(text),
                              5000);
        }
    }

    void TearDown() override
    {
        if (delegate)
            delegate->stop();
    }

    // Super+Shift+1 over the application; answers the open launcher once its rows are on screen.
    NotchLauncherWindow *openLauncher()
    {
        if (!moveTo(QPoint(700, 600)) || !key(QStringLiteral("super+shift+1")))
            return nullptr;
        NotchLauncherWindow *launcher = nullptr;
        const bool opened = DesktopTest::waitUntil(
            [&] {
                launcher = expandedLauncher(*delegate);
                // Settled: rows on screen, and the hot key's request for the search field served.
                return launcher && launcher->view()->clipboardList()->isVisible()
                    && launcher->view()->displayedClipboardItems().size() == 3 && !launcher->panel()->isAnimatingFrame()
                    && launcher->view()->isClipboardSearchFocused();
            },
            5000);
        return opened ? launcher : nullptr;
    }

    // The pointer comes to rest on a row, as a person's does: the row is selected, the search field lets go.
    bool hoverRow(NotchLauncherView *view, int index)
    {
        NotchClipboardList *list = view->clipboardList();
        // From a neighbouring row, so the pointer is seen to move onto this one.
        const int neighbour = (index + 1) % int(view->displayedClipboardItems().size());
        const QPoint from = list->mapToGlobal(list->rowRect(neighbour).center().toPoint());
        const QPoint row = list->mapToGlobal(list->rowRect(index).center().toPoint());
        if (!moveTo(from) || !DesktopTest::waitUntil([&] { return list->indexAt(list->mapFromGlobal(QCursor::pos())) == neighbour; }, 3000)
            || !moveTo(row))
            return false;
        return DesktopTest::waitUntil(
            [&] {
                return !view->isClipboardSearchFocused()
                    && view->activeClipboardItemID() == view->displayedClipboardItems().at(index).id();
            },
            3000);
    }

    ClipboardPreviewWindow *preview(NotchLauncherView *view) const
    {
        return view->isPreviewOpen() ? view->findChild<ClipboardPreviewWindow *>() : nullptr;
    }

    QTemporaryDir folder;
    QString fieldFile;
    LinuxPlatform platform;
    std::unique_ptr<DesktopTest::ChildProcess> app;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(PreviewAndSettingsDesktop, SpaceOpensThePreviewEscapeClosesItReturnInItPastes)
{
    NotchLauncherWindow *launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    NotchLauncherView *view = launcher->view();

    ASSERT_TRUE(hoverRow(view, 1));
    ASSERT_TRUE(key(QStringLiteral("space")));
    TAVLEN_WAIT_UNTIL(preview(view) && preview(view)->window()->panel().hasKeyboard(), 5000);
    EXPECT_EQ(preview(view)->model().selectedItem()->text(), QStringLiteral("https://example.org/tavlen/preview"));
    DesktopTest::screenshot(QStringLiteral("preview-desktop-open"));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    TAVLEN_WAIT_UNTIL(!view->isPreviewOpen(), 3000);
    EXPECT_TRUE(launcher->isExpanded()) << "Escape closes the preview, not the launcher";
    EXPECT_TRUE(DesktopTest::readTextFile(fieldFile).isEmpty());

    // Again from the hot key; Down in the preview moves to the next item, Return pastes it.
    launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    ASSERT_TRUE(hoverRow(view, 0));
    ASSERT_TRUE(key(QStringLiteral("space")));
    TAVLEN_WAIT_UNTIL(preview(view) && preview(view)->window()->panel().hasKeyboard(), 5000);
    ASSERT_TRUE(key(QStringLiteral("Down")));
    TAVLEN_WAIT_UNTIL(preview(view)->model().selectedItem()->text() == QStringLiteral("https://example.org/tavlen/preview"),
                      3000);
    EXPECT_EQ(view->activeClipboardItemID(), view->displayedClipboardItems().at(1).id());
    ASSERT_TRUE(key(QStringLiteral("Return")));
    TAVLEN_WAIT_UNTIL(DesktopTest::readTextFile(fieldFile) == QStringLiteral("https://example.org/tavlen/preview"), 5000);
    EXPECT_FALSE(view->isPreviewOpen());
    TAVLEN_WAIT_UNTIL(!launcher->isPerformingSelection(), 5000);
}

// The keyboard alone: Down twice from the search field selects the second row, Tab leaves the field so the
// list's keys work: Space previews that row, Escape closes the preview, Return pastes the row.
TEST_F(PreviewAndSettingsDesktop, TabLeavesTheSearchFieldSoSpacePreviewsAndReturnPastesTheSelectedRow)
{
    NotchLauncherWindow *launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    NotchLauncherView *view = launcher->view();
    const ClipboardItem second = view->displayedClipboardItems().at(1);

    ASSERT_TRUE(key(QStringLiteral("Down")) && key(QStringLiteral("Down")));
    TAVLEN_WAIT_UNTIL(view->activeClipboardItemID() == second.id(), 3000);
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    TAVLEN_WAIT_UNTIL(!view->isClipboardSearchFocused() && !view->searchField()->hasFocus(), 3000);
    EXPECT_EQ(view->activeClipboardItemID(), second.id());

    ASSERT_TRUE(key(QStringLiteral("space")));
    TAVLEN_WAIT_UNTIL(preview(view) && preview(view)->window()->panel().hasKeyboard(), 5000);
    EXPECT_EQ(preview(view)->model().selectedItem()->id(), second.id());
    EXPECT_TRUE(view->clipboardSearchQuery().isEmpty()) << "the space went into the search field";
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    TAVLEN_WAIT_UNTIL(!view->isPreviewOpen(), 3000);
    EXPECT_TRUE(launcher->isExpanded());

    ASSERT_TRUE(key(QStringLiteral("Return")));
    TAVLEN_WAIT_UNTIL(DesktopTest::readTextFile(fieldFile) == second.text(), 5000);
    TAVLEN_WAIT_UNTIL(!launcher->isPerformingSelection(), 5000);
}

TEST_F(PreviewAndSettingsDesktop, AFilterPillNarrowsTheList)
{
    NotchLauncherWindow *launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    NotchLauncherView *view = launcher->view();
    ASSERT_TRUE(clickAt(view->mapToGlobal(view->headerLayout().filtersToggle.center().toPoint())));
    auto *bar = qobject_cast<NotchFilterBar *>(view->filterBar());
    ASSERT_NE(bar, nullptr);
    TAVLEN_WAIT_UNTIL(bar->isVisible() && !launcher->panel()->isAnimatingFrame(), 3000);
    FilterPill *links = bar->pill(ClipboardFilter::builtIn(FilterType::url).id);
    ASSERT_NE(links, nullptr);
    ASSERT_TRUE(clickAt(links->mapToGlobal(links->rect().center())));
    TAVLEN_WAIT_UNTIL(view->displayedClipboardItems().size() == 1, 3000);
    EXPECT_EQ(view->displayedClipboardItems().first().text(), QStringLiteral("https://example.org/tavlen/preview"));
    DesktopTest::screenshot(QStringLiteral("filter-desktop-links"));
    ASSERT_TRUE(clickAt(bar->allPill()->mapToGlobal(bar->allPill()->rect().center())));
    TAVLEN_WAIT_UNTIL(view->displayedClipboardItems().size() == 3, 3000);
}

TEST_F(PreviewAndSettingsDesktop, DraggingAPillOntoAnotherReordersTheFilters)
{
    NotchLauncherWindow *launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    NotchLauncherView *view = launcher->view();
    ASSERT_TRUE(clickAt(view->mapToGlobal(view->headerLayout().filtersToggle.center().toPoint())));
    auto *bar = qobject_cast<NotchFilterBar *>(view->filterBar());
    TAVLEN_WAIT_UNTIL(bar->isVisible() && !launcher->panel()->isAnimatingFrame(), 3000);
    FilterManager &filters = *delegate->appState().filters();
    const QUuid links = ClipboardFilter::builtIn(FilterType::url).id;
    const QUuid text = ClipboardFilter::builtIn(FilterType::text).id;
    ASSERT_EQ(filters.filters().at(0).id, links);
    ASSERT_EQ(filters.filters().at(2).id, text);

    // Press on "Text", carry it left over "Images" and "Links" to "All", come back into the first points of
    // "Links" and release: one xdotool run, started while this thread goes on running events, since the
    // drag runs its own event loop until the release. Entering "Links" from its trailing side puts "Text"
    // after it; entering it again at its leading edge puts "Text" before it.
    FilterPill *from = bar->pill(text);
    FilterPill *onto = bar->pill(links);
    const QPoint start = from->mapToGlobal(from->rect().center());
    const QPoint all = bar->allPill()->mapToGlobal(bar->allPill()->rect().center());
    const QPoint leading = onto->mapToGlobal(QPoint(6, onto->height() / 2));
    QStringList gesture{QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y()),
                        QStringLiteral("mousedown"), QStringLiteral("1")};
    const auto glide = [&gesture](QPoint from, QPoint to) {
        for (int step = 1; step <= 10; ++step) {
            const QPoint at = from + (to - from) * step / 10;
            gesture << QStringLiteral("sleep") << QStringLiteral("0.04") << QStringLiteral("mousemove")
                    << QString::number(at.x()) << QString::number(at.y());
        }
    };
    glide(start, all);
    glide(all, leading);
    gesture << QStringLiteral("sleep") << QStringLiteral("0.1") << QStringLiteral("mouseup") << QStringLiteral("1");
    DesktopTest::ChildProcess drag(QStringLiteral("xdotool"), gesture);
    TAVLEN_WAIT_UNTIL(filters.filters().at(0).id == text, 3000);
    EXPECT_EQ(filters.filters().at(1).id, links);
    TAVLEN_WAIT_UNTIL(!bar->draggingClipboardFilter(), 3000);
    EXPECT_FALSE(view->model().selectedClipboardFilterID()) << "a drag is not a click";
}

TEST_F(PreviewAndSettingsDesktop, TheGearOpensTheSettingsWindowWhereAChangedSettingRebuildsTheLaunchers)
{
    NotchLauncherWindow *launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    NotchLauncherView *view = launcher->view();
    ASSERT_TRUE(clickAt(view->mapToGlobal(view->headerLayout().settingsButton.center().toPoint())));
    SettingsWindow &settingsWindow = delegate->settingsWindow();
    TAVLEN_WAIT_UNTIL(settingsWindow.isOpen() && settingsWindow.view()->windowHandle()->isExposed(), 5000);
    SettingsView *settings = settingsWindow.view();
    EXPECT_EQ(settings->size(), SettingsWindow::defaultSize);
    TAVLEN_WAIT_UNTIL(settings->isActiveWindow(), 5000);
    EXPECT_FALSE(launcher->isExpanded()) << "the panel would hang over the settings window";
    const qint64 ours = QCoreApplication::applicationPid();
    TAVLEN_WAIT_UNTIL(platform.platform().workspace->frontmostApplication()
                          && platform.platform().workspace->frontmostApplication()->pid == ours,
                      5000);

    settings->showPage(QStringLiteral("Launcher"));
    SettingsSwitch *compact = nullptr;
    for (SettingsSwitch *control : settings->page(QStringLiteral("Launcher"))->findChildren<SettingsSwitch *>())
        if (control->accessibleName() == QStringLiteral("Compact window beside the pointer"))
            compact = control;
    ASSERT_NE(compact, nullptr);
    TAVLEN_WAIT_UNTIL(compact->isVisible(), 3000);
    DesktopTest::screenshot(QStringLiteral("settings-desktop"));
    NotchLauncherService &launchers = *delegate->launcherService();
    ASSERT_FALSE(launchers.fieldWindows().isEmpty());
    const int rebuilds = launchers.refreshCount();
    ASSERT_TRUE(clickAt(compact->mapToGlobal(compact->rect().center())));
    TAVLEN_WAIT_UNTIL(!delegate->appState().settings()->settings().fieldWindowEnabled, 3000);
    TAVLEN_WAIT_UNTIL(launchers.refreshCount() == rebuilds + 1 && launchers.fieldWindows().isEmpty(), 3000);
    EXPECT_EQ(launchers.windows().size(), 2);

    // The gear again brings the open window back instead of making another.
    settings->showMinimized();
    delegate->appState().runtime()->requestSettingsPresentation();
    EXPECT_EQ(settingsWindow.view(), settings);
    TAVLEN_WAIT_UNTIL(settings->isVisible() && !settings->isMinimized(), 3000);

    // Destroyed by another program, the window is built again.
    TAVLEN_WAIT_UNTIL(settings->windowHandle()->isExposed(), 3000);
    ASSERT_TRUE(xdotool({QStringLiteral("windowclose"), QString::number(settings->winId())}));
    TAVLEN_WAIT_UNTIL(!settings->windowHandle()->isExposed(), 3000);
    delegate->appState().runtime()->requestSettingsPresentation();
    TAVLEN_WAIT_UNTIL(settingsWindow.isOpen() && settingsWindow.view()->windowHandle()->isExposed(), 5000);
}

} // namespace
