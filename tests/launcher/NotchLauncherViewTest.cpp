#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"

#include "DesktopTest.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace {

ClipboardItem textItem(const QString &text)
{
    ClipboardItem item(QUuid::createUuid());
    item.setText(text);
    item.setTypeRawValue(QStringLiteral("text"));
    return item;
}

QImage render(QWidget &view, const QString &name)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QString path = QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png"));
    image.save(path);
    return image;
}

struct NotchLauncherViewTest : ::testing::Test {
    NotchLauncherViewModel model;
    QStringList calls;
    QList<ClipboardItem> selected;
    NotchLauncherView::Callbacks callbacks()
    {
        NotchLauncherView::Callbacks c;
        c.onHoverChanged = [this](bool inside) { calls << (inside ? "hover-in" : "hover-out"); };
        c.onCollapsedTap = [this] { calls << "collapsed-tap"; };
        c.onClipboardListFocus = [this] { calls << "list-focus"; };
        c.onClipboardItemSelect = [this](const ClipboardItem &item) { selected << item; };
        c.onContentLayoutChanged = [this] { calls << "layout"; };
        return c;
    }
};

TEST_F(NotchLauncherViewTest, CollapsedChromeIsABlackNotchWithShouldersAndRoundedBottom)
{
    NotchLauncherView view(model, callbacks());
    view.resize(180, 32);
    const QImage image = render(view, QStringLiteral("launcher-collapsed"));
    // Black and opaque in the middle of the top edge and the body.
    EXPECT_EQ(image.pixelColor(90, 1), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(90, 28), QColor(Qt::black));
    // The top edge spans the full width (it meets the menu bar), thinning into the shoulders...
    EXPECT_GT(image.pixelColor(1, 0).alpha(), 0);
    EXPECT_GT(image.pixelColor(178, 0).alpha(), 0);
    EXPECT_GT(image.pixelColor(8, 0).alpha(), 128);
    // ...while the shoulders and the rounded bottom corners leave the sides transparent.
    EXPECT_EQ(image.pixelColor(2, 20).alpha(), 0);
    EXPECT_EQ(image.pixelColor(177, 20).alpha(), 0);
    EXPECT_EQ(image.pixelColor(9, 31).alpha(), 0);
    EXPECT_EQ(image.pixelColor(170, 31).alpha(), 0);
}

TEST_F(NotchLauncherViewTest, ExpandedShowsTheItemTitlesInRows)
{
    NotchLauncherView view(model, callbacks());
    model.setIsExpanded(true);
    view.setClipboardItems({textItem("Quarterly report draft"), textItem("https://example.org/a"),
                            textItem("Grocery list: milk, eggs")});
    view.resize(552, 280);
    const QImage image = render(view, QStringLiteral("launcher-expanded"));
    EXPECT_EQ(image.pixelColor(276, 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(2, 270).alpha(), 0); // beside the rounded body
    // Some light text pixels in the first row, none below the last row.
    auto lightPixels = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 30; x < 520; ++x) {
                if (image.pixelColor(x, y).lightness() > 160)
                    ++count;
            }
        }
        return count;
    };
    const int firstRow = int(view.topInset() + NotchLauncherView::listTopInset);
    EXPECT_GT(lightPixels(firstRow, firstRow + 64), 20);
    EXPECT_EQ(lightPixels(firstRow + 3 * 64, 280), 0);
}

TEST_F(NotchLauncherViewTest, ChromeValuesFollowTheState)
{
    NotchLauncherView view(model, callbacks());
    view.resize(180, 32);
    NotchChromeShape shape = view.chromeShape();
    EXPECT_DOUBLE_EQ(shape.bottomCornerRadius, 32 * 0.34);
    EXPECT_DOUBLE_EQ(shape.shoulderDepth, 32 * 0.23);
    EXPECT_DOUBLE_EQ(shape.shoulderCurveFactor, 0.1);
    model.setHasRealNotch(true);
    model.setRealNotchBottomCornerRadius(12.5);
    shape = view.chromeShape();
    EXPECT_DOUBLE_EQ(shape.bottomCornerRadius, 12.5);
    EXPECT_DOUBLE_EQ(shape.shoulderDepth, 0);
    model.setIsExpanded(true);
    shape = view.chromeShape();
    EXPECT_DOUBLE_EQ(shape.bottomCornerRadius, 20);
    EXPECT_DOUBLE_EQ(shape.shoulderDepth, 21.344);
    EXPECT_DOUBLE_EQ(shape.shoulderCurveFactor, 0.06);
    model.setIsFloatingWindow(true);
    shape = view.chromeShape();
    EXPECT_TRUE(shape.isFloatingWindow);
    EXPECT_DOUBLE_EQ(shape.shoulderDepth, 0);
}

TEST_F(NotchLauncherViewTest, ShouldersShrinkToFitSmallRectangles)
{
    // Narrower than 5 x the depth: 20 % of the width; lower than twice the depth: half the height.
    NotchChromeShape shape{false, 4, 21.344, 0.06};
    const QRectF narrow(0, 0, 50, 200);
    EXPECT_TRUE(shape.path(narrow).contains(QPointF(10.5, 199 - 4)));
    EXPECT_FALSE(shape.path(narrow).contains(QPointF(9.5, 150)));
    const QRectF low(0, 0, 400, 20);
    EXPECT_FALSE(shape.path(low).contains(QPointF(9.5, 15)));
    EXPECT_TRUE(shape.path(low).contains(QPointF(200, 19)));
}

TEST_F(NotchLauncherViewTest, CollapsedTapOnlyWhenHoverExpansionIsExplicitlyOff)
{
    NotchLauncherView view(model, callbacks());
    view.resize(180, 32);
    view.pointerClicked({90, 10}); // setting unset
    view.setNotchExpandOnHover(true);
    view.pointerClicked({90, 10});
    EXPECT_TRUE(calls.isEmpty());
    view.setNotchExpandOnHover(false);
    view.pointerClicked({90, 10});
    view.pointerClicked({90, 10});
    EXPECT_EQ(calls, (QStringList{"collapsed-tap", "collapsed-tap"}));
    model.setIsExpanded(true);
    view.pointerClicked({90, 10});
    EXPECT_EQ(calls.size(), 2);
}

TEST_F(NotchLauncherViewTest, HoverIsReportedOncePerChangeAndNotDuringTheDemo)
{
    NotchLauncherView view(model, callbacks());
    view.pointerEntered();
    view.pointerEntered();
    EXPECT_TRUE(view.isPointerInsideLauncher());
    view.pointerExited();
    view.pointerExited();
    EXPECT_EQ(calls, (QStringList{"hover-in", "hover-out"}));
    model.setDemoClipboardItems(QList<ClipboardItem>{});
    view.pointerEntered();
    EXPECT_EQ(calls.size(), 2);
}

TEST_F(NotchLauncherViewTest, RowsSelectOnHoverAndHandTheItemOverOnClick)
{
    NotchLauncherView view(model, callbacks());
    const QList<ClipboardItem> items{textItem("one"), textItem("two")};
    view.setClipboardItems(items);
    EXPECT_EQ(model.visibleClipboardItemCount(), 2);
    EXPECT_EQ(calls, QStringList{"layout"});
    view.setClipboardItems(items); // same count: no new layout request
    EXPECT_EQ(calls.size(), 1);

    view.resize(552, 300);
    model.setIsExpanded(true);
    const double secondRow = view.topInset() + NotchLauncherView::listTopInset + 64 + 32;
    view.pointerMoved({200, secondRow});
    EXPECT_EQ(model.selectedClipboardItemID(), items[1].id());
    EXPECT_EQ(calls.last(), "list-focus");
    view.pointerClicked({200, secondRow});
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].id(), items[1].id());
    view.pointerClicked({200, secondRow + 64}); // below the last row
    EXPECT_EQ(selected.size(), 1);
}

TEST_F(NotchLauncherViewTest, PublishesItsOutlineWhenItChanges)
{
    NotchLauncherView view(model, callbacks());
    QList<QPainterPath> paths;
    QObject::connect(&view, &NotchLauncherView::chromeShapeChanged, [&](const QPainterPath &p) { paths << p; });
    view.resize(180, 32);
    view.show(); // a hidden widget gets its resize only when shown
    ASSERT_EQ(paths.size(), 1);
    model.setVisibleClipboardItemCount(4); // no effect on the outline
    EXPECT_EQ(paths.size(), 1);
    model.setIsExpanded(true);
    EXPECT_EQ(paths.size(), 2);
    EXPECT_EQ(paths.last(), view.chromePath());
}

} // namespace
