// One suggestion row: what it shows, when it looks selected or hovered, and what clicks and the pointer do.
#include "SuggestionTestData.h"

#include "fields/views/NotchSuggestionRow.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using namespace SuggestionTestData;

TEST(NotchSuggestionRow, DisplayTextAndBadges)
{
    struct Row {
        const char *name;
        std::optional<QString> displayValue;
        QString shown;
    };
    const Row rows[] = {
        {"the value without a display value", std::nullopt, QStringLiteral("secret value")},
        {"the display value when set", QStringLiteral("••••••••"), QStringLiteral("••••••••")},
        {"an empty display value stays empty", QString(), QString()},
    };
    for (const Row &row : rows) {
        FocusedFieldSuggestion s;
        s.value = QStringLiteral("secret value");
        s.displayValue = row.displayValue;
        EXPECT_EQ(NotchSuggestionRow::displayText(s), row.shown) << row.name;
    }
    // A password is masked even when nothing masked it before (a sample for a password field).
    FocusedFieldSuggestion password = sample(QStringLiteral("Tavln4821Sample!"));
    password.details->fieldType = QStringLiteral("Password");
    EXPECT_EQ(NotchSuggestionRow::displayText(password), QStringLiteral("••••••••"));
    password.details->fieldType = QStringLiteral(" PASSWORD ");
    EXPECT_EQ(NotchSuggestionRow::displayText(password), QStringLiteral("••••••••"));
    password.details->fieldType = QStringLiteral("Login");
    EXPECT_EQ(NotchSuggestionRow::displayText(password), QStringLiteral("Tavln4821Sample!"));
    EXPECT_EQ(NotchSuggestionRow::usageBadgeTitle(0), QStringLiteral("×0"));
    EXPECT_EQ(NotchSuggestionRow::usageBadgeTitle(3), QStringLiteral("×3"));
    EXPECT_EQ(NotchSuggestionRow::usageBadgeTitle(1234), QStringLiteral("×1234"));
}

TEST(NotchSuggestionRow, TimestampOnlyWithDetailsAndALastUse)
{
    FocusedFieldSuggestion withDate = remembered(QStringLiteral("a"), QStringLiteral("Latest"), 2, 1);
    FocusedFieldSuggestion withoutDate = withDate;
    withoutDate.details->lastUsedAt.reset();
    FocusedFieldSuggestion withoutDetails = withDate;
    withoutDetails.details.reset();
    struct Row {
        const char *name;
        FocusedFieldSuggestion suggestion;
        bool showsDetails;
        bool stamped;
    };
    const Row rows[] = {
        {"details with a last use", withDate, true, true},
        {"details without a last use", withoutDate, true, false},
        {"no details", withoutDetails, true, false},
        {"the details line is off", withDate, false, false},
    };
    for (const Row &row : rows) {
        const std::optional<QDateTime> date = NotchSuggestionRow::timestampDate(row.suggestion, row.showsDetails);
        EXPECT_EQ(date.has_value(), row.stamped) << row.name;
        if (row.stamped) {
            EXPECT_EQ(*date, *withDate.details->lastUsedAt) << row.name;
        }
    }
}

struct RowTest : ::testing::Test {
    std::optional<QUuid> selection;
    QStringList events;
    NotchSuggestionRow row;

    RowTest()
    {
        row.suggestion = remembered(QStringLiteral("ada@example.com"), QStringLiteral("Latest"), 3, 1);
        row.selectedSuggestionID = {[this] { return selection; },
                                    [this](const std::optional<QUuid> &id) {
                                        selection = id;
                                        events << QStringLiteral("select");
                                    }};
        row.onSelect = [this](const FocusedFieldSuggestion &s) {
            events << QStringLiteral("choose ") + s.value + (selection == s.id ? " (selected)" : "");
        };
    }
};

TEST_F(RowTest, LooksFollowSelectionHoverAndTheTutorial)
{
    struct Row {
        const char *name;
        bool selected, hovered, background, tutorial;
        bool drawnSelected, drawnHovered;
    };
    const Row rows[] = {
        {"plain", false, false, true, false, false, false},
        {"selected", true, false, true, false, true, false},
        {"hovered", false, true, true, false, false, true},
        {"both", true, true, true, false, true, true},
        {"no selection background", true, true, false, false, false, false},
        {"tutorial outline", true, true, true, true, false, false},
    };
    for (const Row &r : rows) {
        selection = r.selected ? std::optional<QUuid>(row.suggestion.id) : std::nullopt;
        row.showsSelectionBackground = r.background;
        row.isTutorialHighlighted = r.tutorial;
        row.setHovered(r.hovered, 0, false, false);
        EXPECT_EQ(row.isSelected(), r.selected) << r.name;
        EXPECT_EQ(row.isDrawnAsSelected(), r.drawnSelected) << r.name;
        EXPECT_EQ(row.isDrawnAsHovered(), r.drawnHovered) << r.name;
    }
}

TEST_F(RowTest, AClickSelectsFirstThenChoosesEvenWhenAlreadySelected)
{
    row.showsSelectionBackground = false; // the tutorial's rows still take clicks
    row.isTutorialHighlighted = true;
    row.click();
    row.click();
    EXPECT_EQ(events, (QStringList{"select", "choose ada@example.com (selected)", "select",
                                   "choose ada@example.com (selected)"}));
    EXPECT_EQ(selection, row.suggestion.id);
}

TEST_F(RowTest, EnteringSelectsLeavingKeeps)
{
    row.setHovered(true, 0, false);
    EXPECT_EQ(selection, row.suggestion.id);
    EXPECT_TRUE(row.isHovered());
    selection = QUuid::createUuid();
    row.setHovered(false, 0, false);
    EXPECT_FALSE(row.isHovered());
    EXPECT_NE(selection, row.suggestion.id);
    // A row that came under a resting pointer takes the look only.
    row.setHovered(true, 0, false, false);
    EXPECT_TRUE(row.isHovered());
    EXPECT_NE(selection, row.suggestion.id);
}

TEST_F(RowTest, TheLastRowsOutlineRoundsItsBottomCorners)
{
    // Drawn on transparent ground: the outline's orange reaches the bottom-left corner pixel only when
    // the corner is square.
    auto cornerIsOrange = [&](bool separator) {
        QImage image(200, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        row.isTutorialHighlighted = true;
        row.showsBottomSeparator = separator;
        NotchSuggestionRow fresh = row; // appears at once, no fade
        fresh.paint(painter, QRectF(0, 0, 200, 64), Palette(), QLocale::c(), 0);
        painter.end();
        const QColor corner = image.pixelColor(0, 63);
        return corner.alpha() > 100 && corner.red() > 150 && corner.blue() < 80;
    };
    EXPECT_TRUE(cornerIsOrange(true));
    EXPECT_FALSE(cornerIsOrange(false));
}

} // namespace
