// Pictures of a field's value history for people to look at (build/snapshots/): the pane in the launcher
// with its sections, with search results and with the manual entry, the compact window and the details
// window, dark and light; each checked on a few pixels that decide whether it drew what it should.
#include "../launcher/LauncherTestFixture.h"
#include "SuggestionTestData.h"

#include "DesktopTest.h"
#include "fields/views/FocusedFieldSuggestionPreviewView.h"
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchHistorySearchField.h"
#include "launcher/panel/NotchLauncherView.h"
#include "platform/sim/SimPanel.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QToolButton>

namespace {

using namespace SuggestionTestData;

struct FieldSuggestionSnapshotTest : LauncherTest {
    NotchLauncherViewModel model;
    std::unique_ptr<NotchLauncherView> view;

    FieldSuggestionSnapshotTest()
    {
        // The dates in the rows are read in this locale.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    ~FieldSuggestionSnapshotTest() override { QLocale::setDefault(QLocale::c()); }

    void expandNotch(bool floating = false)
    {
        model.setIsFloatingWindow(floating);
        model.setHasRealNotch(false);
        model.setRealNotchBarHeight(24);
        model.setRealNotchBarWidth(180);
        model.setRealNotchBottomCornerRadius(8.16);
        model.setRealNotchSideRailWidth(140);
        model.setExpandedHeaderWidth(441.688);
        model.setShowsAIControls(true);
        model.setIsExpanded(true);
        model.setIsListSettled(true);
        model.setSelectedList(NotchLauncherListKind::recent);
        model.setDisplayedList(NotchLauncherListKind::recent);
    }

    NotchLauncherView &makeView(QSize size)
    {
        view = std::make_unique<NotchLauncherView>(sim.platform(), model, appState.get(), history.get());
        view->resize(size);
        view->show();
        settle();
        return *view;
    }

    void settle(double seconds = 2)
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        sim.clock.advance(seconds);
        QCoreApplication::processEvents();
    }

    static QImage render(QWidget &widget, const QString &name)
    {
        QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        image.save(QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png")));
        return image;
    }

    QImage snapshot(const QString &name)
    {
        settle(0);
        return render(*view, name);
    }

    static QColor at(const QImage &image, double x, double y) { return image.pixelColor(int(x * 2), int(y * 2)); }

    // Whether any pixel of the band is far from the background's lightness: something is drawn there.
    static bool drawsIn(const QImage &image, const QRectF &band)
    {
        const QColor reference = at(image, band.left() + 1, band.top() + 1);
        for (double y = band.top(); y < band.bottom(); y += 0.5) {
            for (double x = band.left(); x < band.right(); x += 0.5) {
                if (std::abs(at(image, x, y).lightness() - reference.lightness()) > 60)
                    return true;
            }
        }
        return false;
    }

    QRectF paneItem(int index) const
    {
        NotchAIContentView *pane = view->aiContentView();
        return pane->itemRect(index).translated(pane->pos());
    }
};

TEST_F(FieldSuggestionSnapshotTest, SectionsDarkAndLight)
{
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        sim.appearance.setColorScheme(scheme);
        expandNotch();
        model.setAIContext(nameContext());
        // Six rows and three headers fill the panel exactly.
        makeView(QSize(442, 38 + 10 + 6 * 64 + 3 * 24));
        ASSERT_NE(view->aiContentView(), nullptr);
        const QImage image = snapshot(scheme == ColorScheme::dark ? QStringLiteral("fields-pane-dark")
                                                                  : QStringLiteral("fields-pane-light"));
        const auto &items = view->aiContentView()->currentContent().items;
        ASSERT_EQ(items.size(), 9);
        // The selected first row is lit by its dot; the dot of the next row is dim.
        const QRectF first = paneItem(1);
        const QRectF second = paneItem(3);
        const double dotX = first.left() + 12 + 11;
        if (scheme == ColorScheme::dark) {
            EXPECT_GT(at(image, dotX, first.center().y()).lightness(), 200);
            EXPECT_LT(at(image, dotX, second.center().y()).lightness(), 150);
        }
        // Titles, timestamps and badges are drawn in every row; the header band's title too.
        for (int i : {1, 3, 4, 6, 7, 8})
            EXPECT_TRUE(drawsIn(image, paneItem(i).adjusted(60, 20, -150, -20))) << i;
        EXPECT_TRUE(drawsIn(image, paneItem(2).adjusted(8, 4, -300, -4))); // "MOST USED"
        // "LATEST", at the top below the black band that continues the notch, is readable in both schemes.
        EXPECT_TRUE(drawsIn(image, paneItem(0).adjusted(8, 4, -300, -4)));
        // The history search field sits in the header.
        EXPECT_TRUE(view->historySearchField()->isVisible());
        view.reset();
        model.clearAIContext();
    }
}

TEST_F(FieldSuggestionSnapshotTest, SearchResults)
{
    expandNotch();
    model.setAIContext(nameContext());
    makeView(QSize(442, 38 + 10 + 64 + 24));
    model.setAISearchQuery(QStringLiteral("luk")); // finds "Łukasiewicz": "ł" folds to "l"
    settle();
    const QImage image = snapshot(QStringLiteral("fields-pane-search"));
    const auto &items = view->aiContentView()->currentContent().items;
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(1).suggestion.value, QStringLiteral("Zoë Łukasiewicz 🎉"));
    EXPECT_EQ(items.at(0).text, QStringLiteral("Search results"));
    EXPECT_EQ(view->historySearchField()->query(), QStringLiteral("luk"));
    EXPECT_TRUE(drawsIn(image, paneItem(1).adjusted(60, 20, -150, -20)));
}

TEST_F(FieldSuggestionSnapshotTest, ManualEntry)
{
    expandNotch();
    NotchAIContext context;
    context.fieldName = QStringLiteral("Display name");
    model.setAIContext(context);
    makeView(QSize(442, 38 + 10 + 64));
    view->aiContentView()->manualField()->setText(QStringLiteral("Zażółć 😀"));
    const QImage image = snapshot(QStringLiteral("fields-pane-manual"));
    const QRectF row = paneItem(0);
    // The faint row, its arrow lit by the gradient once there is a value.
    EXPECT_TRUE(view->aiContentView()->manualButton()->isEnabled());
    const QRect button = view->aiContentView()->manualButton()->geometry().translated(view->aiContentView()->pos());
    EXPECT_GT(at(image, button.center().x(), button.center().y() - 5).saturation(), 80);
    EXPECT_TRUE(drawsIn(image, row.adjusted(30, 20, -60, -20)));
}

TEST_F(FieldSuggestionSnapshotTest, CompactWindowWithTwoRememberedAndOneSample)
{
    expandNotch(true);
    const NotchAIContext full = nameContext();
    model.setAIContext(NotchAIContext::compact(full.fieldName, full.historySuggestions, full.randomSuggestions));
    makeView(QSize(399, 3 * 88));
    const QImage image = snapshot(QStringLiteral("fields-compact"));
    const auto &items = view->aiContentView()->currentContent().items;
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items.at(5).suggestion.value, QStringLiteral("Mila Novak"));
    EXPECT_EQ(items.at(0).horizontalPadding, NotchAIContentView::compactHeaderPadding);
    EXPECT_EQ(at(image, 1, 1).alpha(), 0); // rounded corners
    EXPECT_FALSE(view->historySearchField()->isVisible()); // no header band in the compact window
}

TEST_F(FieldSuggestionSnapshotTest, DetailsWindowDarkAndLight)
{
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        sim.appearance.setColorScheme(scheme);
        FocusedFieldSuggestionPreviewWindow window(sim.platform(), nameContext().historySuggestions.at(1), [] {});
        window.show(std::nullopt);
        QWidget &content = *window.view();
        content.resize(window.window()->panel().frame().size().toSize());
        content.show();
        settle(0);
        const QImage image = render(content, scheme == ColorScheme::dark ? QStringLiteral("fields-details-dark")
                                                                         : QStringLiteral("fields-details-light"));
        EXPECT_EQ(content.size(), QSize(620, 720)); // the left screen's available geometry is large enough
        EXPECT_EQ(at(image, 0.5, 0.5).alpha(), 0); // rounded corners
        EXPECT_EQ(at(image, 300, 300).alpha(), 255);
        window.close();
    }
}

} // namespace
