// Accessibility counts text in characters, QString in UTF-16 units: ranges must land on the same
// characters either way, and a range beyond the text names nothing.

#include "platform/AccessibilityText.h"

#include <gtest/gtest.h>

TEST(AccessibilityTextTest, RangesCountCharactersNotUtf16Units)
{
    const QString text = QStringLiteral("a\U0001F600b\u00e9c"); // a, emoji (two UTF-16 units), b, é, c
    struct Row {
        AccessibilityTextRange range;
        std::optional<QString> slice;
        std::optional<QString> replaced; // the range replaced by "X"
    };
    const Row rows[] = {
        {{0, 0}, QString(), QStringLiteral("Xa\U0001F600b\u00e9c")},
        {{1, 1}, QStringLiteral("\U0001F600"), QStringLiteral("aXb\u00e9c")},
        {{2, 3}, QStringLiteral("b\u00e9c"), QStringLiteral("a\U0001F600X")},
        {{5, 0}, QString(), QStringLiteral("a\U0001F600b\u00e9cX")},
        {{4, 2}, std::nullopt, std::nullopt}, // runs past the end
        {{6, 0}, std::nullopt, std::nullopt},
        {{-1, 1}, std::nullopt, std::nullopt},
        {{1, -1}, std::nullopt, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.range.location << "+" << row.range.length);
        EXPECT_EQ(AccessibilityText::slice(text, row.range), row.slice);
        EXPECT_EQ(AccessibilityText::replacing(text, row.range, QStringLiteral("X")), row.replaced);
    }
    EXPECT_EQ(AccessibilityText::characterCount(text), 5);
    // A lone surrogate counts as one character rather than swallowing its neighbour.
    EXPECT_EQ(AccessibilityText::characterCount(QString(QChar(0xD800)) + QStringLiteral("x")), 2);
}
