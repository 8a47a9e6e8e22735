// Pictures of the launcher panel for people to look at (build/snapshots/), each checked on a few pixels
// that decide whether it drew what it should.
#include "LauncherTestFixture.h"

#include "DesktopTest.h"
#include "SnapshotCheck.h"
#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/NotchLauncherGeometry.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardRow.h"
#include "launcher/panel/NotchLauncherView.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"
#include "ui/FontTable.h"
#include "ui/NotchListRowLabel.h"
#include "ui/NotchListSearchBar.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>

namespace {

using DesktopTest::contrast;

QByteArray pictureBytes()
{
    QImage image(320, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(70, 140, 230));
    sky.setColorAt(1, QColor(250, 190, 120));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor(40, 90, 50));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(110, 230), 160, 90);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

using SnapshotCheck::over;
using SnapshotCheck::strongestContrast;

struct NotchLauncherSnapshotTest : LauncherTest {
    NotchLauncherViewModel model;
    std::unique_ptr<NotchLauncherView> view;

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
        for (int i = 0; i < 10; ++i) {
            history->searchIndex().waitForIdle();
            view->thumbnails().waitForIdle();
            QCoreApplication::processEvents();
        }
        sim.clock.advance(seconds);
        QCoreApplication::processEvents();
    }

    QImage snapshot(const QString &name)
    {
        // A first paint asks for the thumbnails on screen; they are decoded before the picture is taken.
        QImage first(view->size(), QImage::Format_ARGB32_Premultiplied);
        view->render(&first, QPoint(), QRegion(), QWidget::DrawChildren);
        settle(0);
        QImage image(view->size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        image.save(QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png")));
        return image;
    }

    QColor at(const QImage &image, double x, double y) { return image.pixelColor(int(x * 2), int(y * 2)); }

    ClipboardItem item(const QString &type, const QString &text, int minutesAgo)
    {
        ClipboardItem item(QUuid::createUuid());
        item.setTypeRawValue(type);
        item.setText(text);
        item.setDate(sim.clock.now().addSecs(-60 * minutesAgo));
        return item;
    }

    void fillHistory()
    {
        // Copied over the last day, oldest first, so the timestamps read like a real history.
        QList<std::pair<ClipboardItem, int>> items;
        items.append({item("text", "Quarterly report: revenue up 12 % on the year, costs flat", 1), 1});
        items.append({item("url", "https://example.org/articles/clipboard-history-done-right", 4), 4});
        ClipboardItem photo = item("image", QString(), 9);
        photo.setImageData(pictureBytes());
        items.append({photo, 9});
        ClipboardItem files = item("file", QString(), 15);
        files.setFilePaths({"/home/ada/Documents/plan.pdf", "/home/ada/Documents/budget.ods", "/home/ada/notes.txt"});
        items.append({files, 15});
        items.append({item("text", "Zażółć gęślą jaźń — pójdźże, kiń tę chmurność w głąb flaszy", 22), 22});
        items.append({item("text", "Ship it 🚀 and celebrate 🎉🥳", 40), 40});
        ClipboardItem labelled = item("text", "ssh deploy@build.internal -p 2222", 61);
        labelled.setLabel("Server");
        items.append({labelled, 61});
        items.append({item("text", "SELECT name, total FROM orders WHERE total > 100 ORDER BY total DESC;", 130), 130});
        items.append({item("url", "https://maps.example.com/?q=52.2297,21.0122", 300), 300});
        items.append({item("text", "Meeting moved to Thursday 10:30, room 4B", 600), 600});
        items.append({item("text", "שלום עולם — mixed right-to-left text", 1000), 1000});
        items.append({item("text", "Remember: milk, eggs, coffee beans, basil", 1300), 1300});
        for (qsizetype i = items.size() - 1; i >= 0; --i) {
            history->handleItemInserted(items.at(i).first);
            if (i > 0)
                sim.clock.advance(60.0 * (items.at(i).second - items.at(i - 1).second));
        }
    }

    void expandNotch(bool realNotch)
    {
        model.setHasRealNotch(realNotch);
        model.setRealNotchBarHeight(realNotch ? 37 : 24);
        model.setRealNotchBarWidth(180);
        model.setRealNotchBottomCornerRadius(realNotch ? 12.58 : 8.16);
        model.setRealNotchSideRailWidth(140);
        // As the window writes it: the panel's width less the notch presentation's side inset.
        model.setExpandedHeaderWidth((realNotch ? 552.688 : 441.688) - NotchLauncherGeometry::notchHeaderSideInset);
        model.setIsExpanded(true);
        model.setIsListSettled(true);
    }
};

TEST_F(NotchLauncherSnapshotTest, Collapsed)
{
    makeView(QSize(180, 28));
    const QImage image = snapshot(QStringLiteral("panel-collapsed"));
    EXPECT_EQ(at(image, 90, 1), QColor(Qt::black));
    EXPECT_EQ(at(image, 2, 20).alpha(), 0); // beside the shoulders
    // The grey logo in the middle.
    bool logo = false;
    for (int x = 80; x < 100; ++x)
        logo = logo || at(image, x, 13).lightness() > 60;
    EXPECT_TRUE(logo);
}

TEST_F(NotchLauncherSnapshotTest, PulseLit)
{
    makeView(QSize(180, 28));
    appState->runtime()->raiseClipboardPulse();
    settle(0.3);
    const QImage image = snapshot(QStringLiteral("panel-pulse"));
    int coloured = 0;
    for (int x = 70; x < 110; ++x) {
        for (int y = 2; y < 26; ++y)
            coloured += at(image, x, y).saturation() > 120 ? 1 : 0;
    }
    EXPECT_GT(coloured, 20);
}

TEST_F(NotchLauncherSnapshotTest, ExpandedEmptyDarkAndLight)
{
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        sim.appearance.setColorScheme(scheme);
        expandNotch(false);
        makeView(QSize(442, 132));
        const QImage image = snapshot(scheme == ColorScheme::dark ? QStringLiteral("panel-empty-dark")
                                                                  : QStringLiteral("panel-empty-light"));
        EXPECT_EQ(at(image, 221, 2), QColor(Qt::black));
        const QColor glass = at(image, 60, 120);
        EXPECT_EQ(glass.alpha(), 255);
        EXPECT_EQ(glass.lightness() > 128, scheme == ColorScheme::light);
        view.reset();
    }
}

TEST_F(NotchLauncherSnapshotTest, TwelveMixedRowsWithSelectedAndHovered)
{
    fillHistory();
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        sim.appearance.setColorScheme(scheme);
        expandNotch(false);
        makeView(QSize(442, 560));
        ASSERT_EQ(view->displayedClipboardItems().size(), 12);
        model.setSelectedClipboardItemID(view->displayedClipboardItems().at(1).id());
        view->clipboardList()->pointerMoved(QPointF(200, 3 * 64 + 30));
        model.setHighlightedClipboardItemID(std::nullopt);
        model.setSelectedClipboardItemID(view->displayedClipboardItems().at(1).id());
        settle(1);
        const bool dark = scheme == ColorScheme::dark;
        const QImage image = snapshot(dark ? QStringLiteral("panel-rows") : QStringLiteral("panel-rows-light"));
        const QRect list = view->clipboardList()->geometry();
        // The selected row's dot is strong, an unselected one faint.
        const double dotX = list.left() + 12 + 11;
        const QColor selectedDot = at(image, dotX, list.top() + 64 + 32);
        const QColor otherDot = at(image, dotX, list.top() + 32);
        if (dark) {
            EXPECT_GT(selectedDot.lightness(), 200);
            EXPECT_LT(otherDot.lightness(), 150);
        } else {
            EXPECT_LT(selectedDot.lightness(), 60);
            EXPECT_GT(otherDot.lightness(), 100);
        }
        // Along the straight sides and the bottom, every pixel the window's mask keeps (the outline as whole
        // pixels, as the X11 panel sets it) is drawn whole: a partly drawn one shows over black without a
        // compositor, as a dark line down the sides or along the bottom.
        const QRegion mask(view->chromeShape().path(QRectF(view->rect())).toFillPolygon().toPolygon(), Qt::WindingFill);
        int clear = 0;
        for (int x = 0; x < view->width(); ++x)
            clear += mask.contains(QPoint(x, view->height() - 40)) && at(image, x, view->height() - 40).alpha() < 255;
        for (int y = 0; y < view->height(); ++y)
            clear += mask.contains(QPoint(view->width() / 2, y)) && at(image, view->width() / 2, y).alpha() < 255;
        EXPECT_EQ(clear, 0);
        // A row marked where the list runs under the rounded bottom corners keeps inside them: with a
        // compositor no mask cuts off what the list draws there.
        const std::optional<int> lowest = view->clipboardList()->indexAt(QPointF(list.width() / 2.0, list.height() - 1));
        ASSERT_TRUE(lowest);
        model.setSelectedClipboardItemID(view->displayedClipboardItems().at(*lowest).id());
        settle(1);
        const QImage marked = snapshot(dark ? QStringLiteral("panel-rows-lowest-marked")
                                            : QStringLiteral("panel-rows-lowest-marked-light"));
        const QPainterPath outline = view->chromePath();
        int outside = 0;
        for (int y = view->height() - 30; y < view->height(); ++y)
            for (int x = 0; x < view->width(); ++x)
                outside += !outline.intersects(QRectF(x, y, 1, 1)) && at(marked, x, y).alpha() > 0;
        EXPECT_EQ(outside, 0);
        view.reset();
    }
}

TEST_F(NotchLauncherSnapshotTest, RowsInOtherScriptsStandInTheWeightOfLatinRows)
{
    // Titles in scripts the UI font lacks come from fallback fonts that have no medium face: each row's
    // title carries clearly more ink than the same text in the regular weight.
    const QStringList titles{QStringLiteral("Latin rows stand in medium weight"), QStringLiteral("Привет, мир — кириллица"),
                             QStringLiteral("Γειά σου κόσμε — ελληνικά"), QStringLiteral("שלום עולם בעברית"),
                             QStringLiteral("مرحبا بالعالم بالعربية"), QStringLiteral("你好世界，中文文本"),
                             QStringLiteral("नमस्ते दुनिया हिन्दी")};
    for (qsizetype i = titles.size() - 1; i >= 0; --i) {
        history->handleItemInserted(item("text", titles.at(i), int(i)));
        sim.clock.advance(1);
    }
    sim.appearance.setColorScheme(ColorScheme::light);
    expandNotch(false);
    makeView(QSize(442, 520));
    const QImage image = snapshot(QStringLiteral("panel-scripts"));
    const QRect list = view->clipboardList()->geometry();
    // Ink: how much darker than the row's ground the title's pixels are, summed.
    const auto ink = [](const QImage &picture, const QRectF &region, const QColor &ground) {
        double total = 0;
        for (int y = int(region.top()); y < int(region.bottom()); ++y)
            for (int x = int(region.left()); x < int(region.right()); ++x)
                total += std::max(0.0, double(ground.lightnessF() - picture.pixelColor(x, y).lightnessF()));
        return total;
    };
    for (const int index : {3, 4}) {
        const QRectF row = view->clipboardList()->rowRect(index).translated(list.topLeft());
        const QRectF title(list.left() + 96, row.center().y() - 10, 240, 20);
        const QColor ground = at(image, list.left() + 38, row.center().y());
        const double shown = ink(image, QRectF(title.topLeft() * 2, title.size() * 2), ground);
        QImage regular(image.size(), QImage::Format_RGB32);
        regular.setDevicePixelRatio(2);
        regular.fill(ground);
        QPainter painter(&regular);
        painter.setFont(FontTable::systemFont(NotchListRowLabel::titlePixelSize, QFont::Normal));
        painter.setPen(Palette::from(&sim.appearance, QColor()).primary());
        painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, titles.at(index));
        painter.end();
        EXPECT_GT(shown, 1.2 * ink(regular, QRectF(title.topLeft() * 2, title.size() * 2), ground))
            << titles.at(index).toStdString();
    }
}

TEST_F(NotchLauncherSnapshotTest, RowSwipedTo68)
{
    fillHistory();
    expandNotch(false);
    makeView(QSize(442, 300));
    NotchClipboardList &list = *view->clipboardList();
    const QUuid id = view->displayedClipboardItems().at(1).id();
    list.row(id)->swipe().handleDragChanged(QPointF(-68, 0));
    settle(0);
    const QImage image = snapshot(QStringLiteral("panel-row-swiped"));
    const QRect area = list.geometry();
    const QColor trash = at(image, area.right() - 20, area.top() + 64 + 10);
    EXPECT_GT(trash.red(), 180);
    EXPECT_LT(trash.green(), 110);
}

TEST_F(NotchLauncherSnapshotTest, ScreenWithANotch)
{
    fillHistory();
    expandNotch(true);
    makeView(QSize(553, 400));
    const QImage image = snapshot(QStringLiteral("panel-notch"));
    EXPECT_EQ(at(image, 276, 20), QColor(Qt::black));
    EXPECT_EQ(at(image, 3, 390).alpha(), 0); // the body is narrower than the top edge
}

TEST_F(NotchLauncherSnapshotTest, FloatingCompactWindow)
{
    fillHistory();
    model.setIsFloatingWindow(true);
    model.setIsExpanded(true);
    makeView(QSize(399, 280));
    const QImage image = snapshot(QStringLiteral("panel-compact"));
    EXPECT_EQ(at(image, 1, 1).alpha(), 0); // rounded corners
    // Continuous corners: the side still curves in where a circular corner would already run straight.
    const double r = view->chromeShape().bottomCornerRadius;
    EXPECT_FALSE(view->chromePath().contains(QPointF(0.1, r)));
    EXPECT_TRUE(view->chromePath().contains(QPointF(0.3, r)));
    EXPECT_EQ(at(image, 200, 140).alpha(), 255);
}

TEST_F(NotchLauncherSnapshotTest, Header)
{
    expandNotch(false);
    model.setShowsAIControls(true);
    makeView(QSize(442, 132));
    const QImage full = snapshot(QStringLiteral("panel-header-full"));
    const QImage header = full.copy(0, 0, full.width(), 46 * 2);
    header.save(QDir(DesktopTest::snapshotDirectory()).filePath(QStringLiteral("panel-header.png")));
    // The settings button's light disc at the trailing edge.
    const NotchHeaderLayout layout = view->headerLayout();
    const QRectF gear = layout.settingsButton;
    EXPECT_GT(at(full, gear.center().x() + 10, gear.center().y()).lightness(), 20);
    // Each control whole inside the band, its symbol standing out from its disc (3:1, as for any symbol a
    // person must make out), and the search field's placeholder readable on its capsule.
    const QImage shown = over(full, Qt::black);
    const QRectF band(0, 0, view->width(), 46);
    struct Control {
        const char *name;
        QRectF rect;
    };
    QList<Control> controls{{"settings", layout.settingsButton}, {"recent tab", layout.recentTab}};
    if (layout.showsFiltersToggle)
        controls.append({"filters toggle", layout.filtersToggle});
    for (const Control &control : controls) {
        ASSERT_FALSE(control.rect.isEmpty()) << control.name;
        EXPECT_TRUE(band.contains(control.rect)) << control.name;
        const QRectF symbol(control.rect.center() - QPointF(7, 7), QSizeF(14, 14));
        EXPECT_GE(SnapshotCheck::inkContrast(shown, symbol), 3.0) << control.name;
    }
    const QRectF bar = view->searchBar()->geometry();
    EXPECT_TRUE(band.contains(bar));
    EXPECT_GE(SnapshotCheck::inkContrast(shown, bar.adjusted(22, 4, -bar.width() / 2, -4)), 4.5) << "placeholder";
}

TEST_F(NotchLauncherSnapshotTest, BothSchemesAreReadableWithAndWithoutACompositor)
{
    // Each scheme, with a compositor (over a black and a white desktop) and without one, in the panel and
    // the compact window: row titles, timestamps and the search field's text stand out from what is behind
    // them (a selected row's wash included), and the search capsule stands out from the band or glass
    // around it. No row, nor the list below them, lets the windows behind show through: glass without a
    // blur would show their text sharp between the rows' own.
    struct Row {
        ColorScheme scheme;
        bool compositor;
        bool compact;
    };
    QList<Row> rows;
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light})
        for (const bool compositor : {false, true})
            for (const bool compact : {false, true})
                rows.append(Row{scheme, compositor, compact});
    history->handleItemInserted(item("text", "gamma", 3));
    history->handleItemInserted(item("text", "alpha beta", 1));
    for (const Row &row : rows) {
        sim.appearance.setColorScheme(row.scheme);
        sim.appearance.setSupportsTranslucency(row.compositor);
        model.setIsFloatingWindow(false);
        model.setIsExpanded(false);
        if (row.compact) {
            model.setIsFloatingWindow(true);
            model.setIsExpanded(true);
            makeView(QSize(399, 280));
        } else {
            expandNotch(false);
            makeView(QSize(442, 300));
        }
        view->setClipboardSearchQuery(QStringLiteral("a"));
        settle(1);
        ASSERT_EQ(view->displayedClipboardItems().size(), 2);
        const QRect list = view->clipboardList()->geometry();
        const QRectF first = view->clipboardList()->rowRect(0).translated(list.topLeft());
        const QRectF second = view->clipboardList()->rowRect(1).translated(list.topLeft());
        view->clipboardList()->pointerMoved(first.center() - list.topLeft()); // the first row hovered
        model.setHighlightedClipboardItemID(std::nullopt);
        model.setSelectedClipboardItemID(view->displayedClipboardItems().at(1).id());
        settle(1);
        const QString name = QStringLiteral("panel-%1-%2-%3")
                                 .arg(row.scheme == ColorScheme::dark ? "dark" : "light")
                                 .arg(row.compositor ? "compositor" : "opaque")
                                 .arg(row.compact ? "compact" : "panel");
        const QImage picture = snapshot(name);
        const double belowRows = std::min(second.bottom() + 20, double(list.bottom() - 2));
        for (const auto &[y, what] : {std::pair{first.center().y(), "unmarked row under the pointer"}, std::pair{second.center().y(), "selected row"},
                                      std::pair{belowRows, "list below the rows"}}) {
            int seeThrough = 0;
            for (int x = list.left() + 2; x < list.right() - 2; ++x)
                seeThrough += at(picture, x, y).alpha() < 255;
            EXPECT_EQ(seeThrough, 0) << name.toStdString() << ": " << what;
        }
        for (const QColor &desktop : row.compositor ? QList<QColor>{Qt::black, Qt::white} : QList<QColor>{Qt::black}) {
            const QImage shown = over(picture, desktop);
            const std::string where = name.toStdString() + (desktop == Qt::white ? " on white" : " on black");
            const QColor behindRow = at(shown, list.left() + 260, first.center().y());
            EXPECT_GE(strongestContrast(shown, QRectF(list.left() + 96, first.center().y() - 8, 80, 16), behindRow), 4.5)
                << where << ": title";
            // The timestamp's date line (secondary) and time line (tertiary), each on its own, in a plain row
            // and in the selected one.
            const QColor behindSelected = at(shown, list.left() + 38, second.center().y());
            for (const auto &[rowRect, behind, what] : {std::tuple{first, behindRow, "plain row"},
                                                        std::tuple{second, behindSelected, "selected row"}}) {
                const double middle = rowRect.center().y();
                EXPECT_GE(strongestContrast(shown, QRectF(list.left() + 44, middle - 13, 40, 12), behind), 3.0)
                    << where << ": date in the " << what;
                EXPECT_GE(strongestContrast(shown, QRectF(list.left() + 44, middle + 1, 40, 12), behind), 3.0)
                    << where << ": time in the " << what;
            }
            // The selected row stands out from the rest at a glance.
            EXPECT_GE(contrast(behindSelected, at(shown, list.left() + 38, first.center().y())),
                      row.scheme == ColorScheme::dark ? 1.4 : 1.12)
                << where << ": selected row";
            const QRect bar = view->searchBar()->geometry();
            const QColor capsule = at(shown, bar.center().x() + 20, bar.center().y());
            const QColor around = row.compact ? at(shown, bar.center().x(), bar.top() - 4) : at(shown, bar.left() - 5, bar.center().y());
            EXPECT_GE(strongestContrast(shown, QRectF(bar.left() + 26, bar.top() + 6, 20, 16), capsule), 4.5)
                << where << ": search text";
            EXPECT_GE(contrast(capsule, around), 1.15) << where << ": search capsule";
        }
        view.reset();
    }
}

} // namespace
