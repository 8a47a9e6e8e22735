// The launcher with its filter bar and item preview plugged in: a pill narrows the list, Space on a row opens
// the preview, which follows and moves the launcher's selection, closes on Escape and pastes on Return; the
// rows' context menu previews; and snapshots of the header with its pills (build/snapshots/).
#include "LauncherTestFixture.h"

#include "DesktopTest.h"
#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchFilterBar.h"
#include "launcher/panel/NotchLauncherView.h"
#include "model/FilterManager.h"
#include "preview/ClipboardItemContextMenuModifier.h"
#include "preview/ClipboardPreviewWindow.h"
#include "preview/FilterPill.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>

namespace {

struct LauncherPreviewAndFiltersTest : LauncherTest {
    NotchLauncherWindow *window = nullptr;

    void SetUp() override
    {
        for (const auto &[type, text] : {std::pair{"text", "Quarterly figures"}, std::pair{"url", "https://example.org/a"},
                                         std::pair{"text", "Meeting at 10:30"}, std::pair{"url", "https://example.org/b"}}) {
            ClipboardItem item = textItem(QString::fromLatin1(text));
            item.setTypeRawValue(QString::fromLatin1(type));
            history->handleItemInserted(item);
        }
        startService();
        window = service->windows().value(leftNumber);
        window->show(NotchLauncherListKind::clipboard);
        // Simulated panels keep their content hidden; shown, it lays itself out as on a desktop.
        view().show();
        // The pointer rests on the open panel, so it stays open.
        movePointer(window->expandedFrame().center());
        // The expansion, the search and the frame that fits its rows run their course.
        for (int i = 0; i < 2; ++i) {
            sim.clock.advance(1);
            settle();
        }
    }

    NotchLauncherView &view() const { return *window->view(); }
    NotchFilterBar *bar() const { return qobject_cast<NotchFilterBar *>(view().filterBar()); }

    void settle()
    {
        for (int i = 0; i < 20; ++i) {
            history->searchIndex().waitForIdle();
            QCoreApplication::processEvents();
            sim.clock.runDue();
        }
    }

    QStringList displayedTexts() const
    {
        QStringList texts;
        for (const ClipboardItem &item : view().displayedClipboardItems())
            texts.append(item.text());
        return texts;
    }

    ClipboardPreviewWindow *preview() const { return view().findChild<ClipboardPreviewWindow *>(); }

    EventDisposition press(Qt::Key key, Panel *target)
    {
        KeyDownEvent event = sim.eventMonitors.keyDown(key, {}, {}, target);
        return sim.eventMonitors.sendLocalKeyDown(event);
    }

    // The pointer rests on a row, as a person moves to it: the search field lets go of the keyboard.
    void hoverRow(int index)
    {
        view().setClipboardSearchFocused(false);
        view().clipboardRowHoverChanged(view().displayedClipboardItems().at(index), true);
    }
};

TEST_F(LauncherPreviewAndFiltersTest, APillNarrowsTheListAndAllWidensIt)
{
    ASSERT_NE(bar(), nullptr);
    EXPECT_FALSE(bar()->isVisible()) << "filters start hidden";
    view().toggleFilters();
    sim.clock.advance(1);
    settle();
    EXPECT_TRUE(bar()->isVisibleTo(&view()));
    EXPECT_EQ(displayedTexts().size(), 4);
    bar()->pill(ClipboardFilter::builtIn(FilterType::url).id)->click();
    settle();
    EXPECT_EQ(displayedTexts(), QStringList({"https://example.org/b", "https://example.org/a"}));
    bar()->allPill()->click();
    settle();
    EXPECT_EQ(displayedTexts().size(), 4);
}

TEST_F(LauncherPreviewAndFiltersTest, SpaceOpensThePreviewWhichPagesEscapesAndPastes)
{
    hoverRow(1);
    ASSERT_EQ(press(Qt::Key_Space, window->panel()), EventDisposition::Consume);
    ClipboardPreviewWindow *open = preview();
    ASSERT_NE(open, nullptr);
    Panel &previewPanel = open->window()->panel();
    EXPECT_TRUE(previewPanel.isVisible());
    EXPECT_TRUE(view().isPreviewOpen());
    EXPECT_EQ(open->model().selectedItem()->text(), displayedTexts().at(1));
    EXPECT_EQ(open->model().items().size(), 4);
    EXPECT_TRUE(previewPanel.frame().intersects(leftScreen().frame)) << "on the launcher's screen";

    // Paging in the preview moves the launcher's selection with it.
    EXPECT_EQ(press(Qt::Key_Down, &previewPanel), EventDisposition::Consume);
    EXPECT_EQ(view().activeClipboardItemID(), view().displayedClipboardItems().at(2).id());

    // The launcher leaves the preview's keys alone; Escape closes only the preview.
    EXPECT_EQ(press(Qt::Key_Escape, &previewPanel), EventDisposition::Consume);
    EXPECT_FALSE(view().isPreviewOpen());
    EXPECT_FALSE(previewPanel.isVisible());
    EXPECT_TRUE(window->isExpanded());
    processEvents();
    EXPECT_EQ(preview(), nullptr) << "a closed preview is freed";

    // Again, and Return pastes the item shown.
    hoverRow(3);
    ASSERT_EQ(press(Qt::Key_Space, window->panel()), EventDisposition::Consume);
    ASSERT_NE(preview(), nullptr);
    const QString shown = preview()->model().selectedItem()->text();
    EXPECT_EQ(press(Qt::Key_Return, &preview()->window()->panel()), EventDisposition::Consume);
    EXPECT_FALSE(view().isPreviewOpen());
    EXPECT_FALSE(window->isExpanded());
    sim.clock.advance(0.5);
    EXPECT_EQ(pasteCount(), 1);
    EXPECT_EQ(history->items().first().text(), shown);
}

TEST_F(LauncherPreviewAndFiltersTest, OpeningAnotherPreviewClosesTheFirstAndDeletingClosesIt)
{
    int closes = 0;
    hoverRow(0);
    press(Qt::Key_Space, window->panel());
    QPointer<ClipboardPreviewWindow> first = preview();
    ASSERT_TRUE(first);
    QObject::connect(&first->window()->panel(), &Panel::willClose, [&] { ++closes; });
    view().showPreview(view().displayedClipboardItems().at(2));
    EXPECT_EQ(closes, 1);
    processEvents();
    EXPECT_TRUE(first.isNull());
    QPointer<ClipboardPreviewWindow> second = preview();
    ASSERT_TRUE(second);
    view().deleteClipboardItem(view().displayedClipboardItems().at(2));
    EXPECT_FALSE(view().isPreviewOpen());
    processEvents();
    EXPECT_TRUE(second.isNull());
}

TEST_F(LauncherPreviewAndFiltersTest, TheContextMenuHasOnePreviewEntryThatSelectsThenPreviews)
{
    QStringList calls;
    ClipboardItemContextMenuModifier modifier([&] { calls << "select"; }, [&] { calls << "preview"; });
    EXPECT_EQ(ClipboardItemContextMenuModifier::entries(), QStringList{"Preview"});
    modifier.choose(QStringLiteral("Preview"));
    modifier.choose(QStringLiteral("Copy"));
    EXPECT_EQ(calls, QStringList({"select", "preview"}));
    std::unique_ptr<QMenu> menu(modifier.makeMenu(nullptr));
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), "Preview");
    menu->actions().first()->trigger();
    EXPECT_EQ(calls, QStringList({"select", "preview", "select", "preview"}));

    // A right click on a row opens a menu whose entry previews that row.
    NotchClipboardList &list = *view().clipboardList();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(60, int(NotchClipboardList::rowHeight) + 20),
                            list.mapToGlobal(QPoint(60, int(NotchClipboardList::rowHeight) + 20)));
    QCoreApplication::sendEvent(&list, &click);
    QMenu *popup = list.findChild<QMenu *>();
    ASSERT_NE(popup, nullptr);
    popup->actions().first()->trigger();
    popup->close();
    ASSERT_NE(preview(), nullptr);
    EXPECT_EQ(view().model().selectedClipboardItemID(), preview()->model().selectedItemID());
}

struct HeaderSnapshotTest : LauncherPreviewAndFiltersTest {
    QImage snapshot(const QString &name, int height)
    {
        settle();
        QImage image(QSize(int(view().width()), height) * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        view().render(&image, QPoint(), QRegion(0, 0, view().width(), height), QWidget::DrawChildren);
        image.save(QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png")));
        return image;
    }
};

TEST_F(HeaderSnapshotTest, TheHeaderWithAllAndThreePillsAndAPillBeingDragged)
{
    FilterManager &filters = *appState->filters();
    for (FilterType hidden : {FilterType::json, FilterType::email, FilterType::file})
        filters.setFilterEnabled(ClipboardFilter::builtIn(hidden).id, false);
    view().toggleFilters();
    sim.clock.advance(1);
    settle();
    ASSERT_EQ(bar()->pills().size(), 4);
    const int height = int(bar()->geometry().bottom()) + 64 + 20;
    const QImage pills = snapshot(QStringLiteral("panel-header-filters"), height);
    const QRect all = bar()->allPill()->geometry().translated(bar()->pos());
    EXPECT_EQ(pills.pixelColor((all.left() + 4) * 2, all.center().y() * 2).rgb(),
              color(appState->settings()->settings().accentColor).rgb());

    const QUuid images = ClipboardFilter::builtIn(FilterType::image).id;
    bar()->runDrag = [&](const QString &) {
        EXPECT_TRUE(bar()->dragEnteredPill(ClipboardFilter::builtIn(FilterType::text).id, 50));
        sim.clock.advance(0.4);
        settle();
        snapshot(QStringLiteral("panel-header-filter-dragging"), height);
        EXPECT_GT(bar()->pill(images)->draggedAmount(), 0.9);
        EXPECT_EQ(bar()->pill(images)->parentWidget()->children().last(), bar()->pill(images)) << "drawn above the others";
    };
    bar()->dragPill(images);
    EXPECT_EQ(filters.enabledFilters().last().id, images);
}

} // namespace
