// The settings window: one window that comes back to the front, every control bound to the settings record
// both ways, the filter list's edits, and snapshots (build/snapshots/).
#include "DesktopTest.h"

#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimWorkspace.h"
#include "settings/AccentColorPicker.h"
#include "settings/FiltersSettingsPage.h"
#include "settings/SettingsSwitch.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class SettingsWindowTest : public ::testing::Test {
public:
    SettingsWindowTest()
    {
        window.show();
        view = window.view();
    }

    // The switch in the row titled `title` on the page `page`.
    SettingsSwitch *switchNamed(const QString &page, const QString &title) const
    {
        for (SettingsSwitch *control : view->page(page)->findChildren<SettingsSwitch *>())
            if (control->accessibleName() == title)
                return control;
        ADD_FAILURE() << "no switch " << title.toStdString();
        return nullptr;
    }
    QImage snapshot(const QString &name)
    {
        QCoreApplication::processEvents();
        QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
        view->render(&image);
        image.save(QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png")));
        return image;
    }
    QStringList filterNames() const
    {
        QStringList names;
        for (const ClipboardFilter &filter : filters.filters())
            names.append(filter.name);
        return names;
    }

    SimPlatform sim;
    SettingsStore settings{sim.preferences};
    FilterManager filters{sim.preferences};
    SettingsWindow window{settings, filters, sim.platform()};
    SettingsView *view = nullptr;
};

TEST_F(SettingsWindowTest, OneWindowOfTheDefaultSizeThatComesBackToTheFront)
{
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->objectName(), "tavlen-settings");
    EXPECT_EQ(view->size(), QSize(920, 620));
    EXPECT_TRUE(window.isOpen());
    EXPECT_EQ(view->pageTitles(), QStringList({"General", "Launcher", "Filters", "Intelligence"}));
    view->resize(1000, 700);
    view->showPage(QStringLiteral("Filters"));
    QPointer<SettingsView> closed = view;
    view->close();
    EXPECT_FALSE(window.isOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull()) << "nothing of a closed window stays for a screen reader";
    window.show();
    view = window.view();
    window.show();
    EXPECT_EQ(window.view(), view) << "opening it while it is open shows the same window";
    EXPECT_TRUE(window.isOpen());
    EXPECT_EQ(view->size(), QSize(1000, 700)) << "as the user left it";
    EXPECT_EQ(view->currentPageTitle(), QStringLiteral("Filters"));

    // Destroyed by another program, it is built again.
    QPointer<SettingsView> destroyed = view;
    RunningApplication itsWindow;
    itsWindow.window = view->winId();
    sim.workspace.terminate(itsWindow);
    window.show();
    EXPECT_TRUE(destroyed.isNull());
    ASSERT_TRUE(window.isOpen());
    view = window.view();

    // A click below the pages, or a Control-click on the marked one, leaves the page shown marked.
    auto *pages = view->findChild<QListWidget *>();
    ASSERT_NE(pages, nullptr);
    pages->setCurrentRow(1);
    const QPoint clicks[] = {QPoint(20, pages->viewport()->height() - 4), pages->visualItemRect(pages->item(1)).center()};
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ControlModifier};
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(pages->viewport(), Qt::LeftButton, modifiers[i], clicks[i]);
        EXPECT_EQ(pages->selectedItems(), QList<QListWidgetItem *>({pages->item(1)})) << "click " << i;
        EXPECT_EQ(pages->currentRow(), 1);
    }
}

TEST_F(SettingsWindowTest, EverySwitchWritesItsSettingAndFollowsTheRecord)
{
    struct Row {
        const char *page;
        const char *title;
        std::function<bool(const UserSettingsData &)> read;
    };
    const Row rows[] = {
        {"General", "Paste as plain text", [](const UserSettingsData &s) { return s.pasteAsPlainText; }},
        {"Launcher", "Expand on hover", [](const UserSettingsData &s) { return s.expandsOnHover(); }},
        {"Launcher", "Compact window beside the pointer", [](const UserSettingsData &s) { return s.fieldWindowEnabled; }},
        {"Intelligence", "Local intelligence", [](const UserSettingsData &s) { return s.aiEnabled; }},
        {"Intelligence", "Clear the field before typing a value",
         [](const UserSettingsData &s) { return s.clearFieldBeforePaste; }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.title);
        SettingsSwitch *control = switchNamed(QString::fromLatin1(row.page), QString::fromLatin1(row.title));
        ASSERT_NE(control, nullptr);
        const bool before = row.read(settings.settings());
        EXPECT_EQ(control->isChecked(), before) << "shows the fresh record";
        QSignalSpy saved(&settings, &SettingsStore::settingsChanged);
        control->click();
        EXPECT_EQ(row.read(settings.settings()), !before);
        EXPECT_EQ(saved.count(), 1);
        // A change from elsewhere (another control) shows at once, without writing back.
        settings.setSettings(UserSettingsData());
        EXPECT_EQ(control->isChecked(), before);
        EXPECT_EQ(saved.count(), 2);
    }
}

TEST_F(SettingsWindowTest, FieldSuggestionsNeedLocalIntelligence)
{
    SettingsSwitch *suggestions = switchNamed(QStringLiteral("Intelligence"), QStringLiteral("Field suggestions"));
    EXPECT_FALSE(suggestions->isEnabledTo(view));
    switchNamed(QStringLiteral("Intelligence"), QStringLiteral("Local intelligence"))->click();
    EXPECT_TRUE(suggestions->isEnabledTo(view));
    suggestions->click();
    EXPECT_TRUE(settings.settings().areFieldSuggestionsActive());
}

TEST_F(SettingsWindowTest, RetentionOffersOneToSevenDaysAndAccentEveryColour)
{
    auto *retention = view->page(QStringLiteral("General"))->findChild<QComboBox *>();
    ASSERT_NE(retention, nullptr);
    EXPECT_EQ(retention->count(), 7);
    EXPECT_EQ(retention->itemText(0), "1 day");
    EXPECT_EQ(retention->currentText(), "7 days");
    retention->setCurrentIndex(2);
    Q_EMIT retention->activated(2);
    EXPECT_EQ(settings.settings().clipboardHistoryRetentionDays, 3);
    settings.update([](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 1; });
    EXPECT_EQ(retention->currentText(), "1 day");

    auto *accent = view->page(QStringLiteral("General"))->findChild<AccentColorPicker *>();
    ASSERT_NE(accent, nullptr);
    EXPECT_EQ(accent->value(), AccentColorOption::blue);
    accent->resize(accent->sizeHint());
    for (AccentColorOption option : allAccentColorOptions)
        EXPECT_EQ(accent->optionAt(accent->swatchRect(option).center()), option);
    QTest::mouseClick(accent, Qt::LeftButton, {}, accent->swatchRect(AccentColorOption::orange).center());
    EXPECT_EQ(settings.settings().accentColor, AccentColorOption::orange);
    EXPECT_EQ(view->palette().accent, color(AccentColorOption::orange)) << "the window follows the accent at once";
}

TEST_F(SettingsWindowTest, FiltersCanBeTurnedOffRenamedAndReorderedButBuiltInsNotDeleted)
{
    FiltersSettingsPage *page = view->filtersPage();
    const QUuid links = ClipboardFilter::builtIn(FilterType::url).id;
    const QUuid images = ClipboardFilter::builtIn(FilterType::image).id;
    const QUuid email = ClipboardFilter::builtIn(FilterType::email).id;
    EXPECT_EQ(page->rowOrder().size(), 6);
    EXPECT_FALSE(page->deleteButton(links)->isVisibleTo(page)) << "built-in filters cannot be deleted";
    EXPECT_FALSE(page->moveUpButton(links)->isEnabled());
    EXPECT_FALSE(page->moveDownButton(email)->isEnabled());

    page->enabledSwitch(images)->click();
    EXPECT_FALSE(filters.filter(images)->isEnabled);

    const struct {
        const char *typed;
        bool accepted;
        const char *name;
    } renames[] = {{"  Pictures  ", true, "Pictures"}, {"   ", false, "Pictures"}, {"", false, "Pictures"},
                   {"A name far longer than any pill should carry", false, "Pictures"}};
    for (const auto &rename : renames) {
        SCOPED_TRACE(rename.typed);
        EXPECT_EQ(page->rename(images, QString::fromLatin1(rename.typed)), rename.accepted);
        EXPECT_EQ(filters.filter(images)->name, QString::fromLatin1(rename.name));
        EXPECT_EQ(page->nameField(images)->text(), QString::fromLatin1(rename.name));
    }

    page->moveDownButton(links)->click();
    EXPECT_EQ(filterNames().mid(0, 3), QStringList({"Pictures", "Links", "Text"}));
    page->moveUpButton(email)->click();
    EXPECT_EQ(filterNames().mid(3), QStringList({"Files", "Email", "JSON"}));
    page->moveUpButton(images)->click(); // already first
    EXPECT_EQ(filterNames().first(), "Pictures");
    EXPECT_EQ(page->rowOrder().first(), images);
    EXPECT_FALSE(page->remove(links));
    EXPECT_EQ(filterNames().size(), 6);

    // A filter of the user's own (arriving from another machine) can be deleted.
    ClipboardFilter mine = ClipboardFilter::make(QStringLiteral("Invoices"), FilterType::file);
    filters.addFilter(mine);
    EXPECT_TRUE(page->deleteButton(mine.id)->isVisibleTo(page));
    page->deleteButton(mine.id)->click();
    EXPECT_FALSE(filters.filter(mine.id));
    EXPECT_EQ(page->rowOrder().size(), 6);
}

TEST_F(SettingsWindowTest, SnapshotsDarkAndLight)
{
    const QImage dark = snapshot(QStringLiteral("settings-general"));
    EXPECT_EQ(dark.pixelColor(500, 600).rgb(), QColor(30, 30, 32).rgb());
    view->showPage(QStringLiteral("Filters"));
    snapshot(QStringLiteral("settings-filters"));
    sim.appearance.setColorScheme(ColorScheme::light);
    view->showPage(QStringLiteral("Intelligence"));
    const QImage light = snapshot(QStringLiteral("settings-intelligence-light"));
    EXPECT_EQ(light.pixelColor(500, 600).rgb(), QColor(246, 246, 248).rgb());
}

} // namespace
