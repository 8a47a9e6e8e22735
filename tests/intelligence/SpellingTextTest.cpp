// The spelling check's size limit and whitespace merge, and the text actions' raw values and limits.

#include "intelligence/ClipboardAIAction.h"
#include "intelligence/SpellingText.h"

#include <gtest/gtest.h>

namespace {

TEST(SpellingText, Validate)
{
    using Kind = ClipboardAIError::Kind;
    const QString twoByteLetters = QString(750, QChar(0x0105)); // "ą", two UTF-8 bytes each
    struct Row {
        const char *name;
        QString text;
        std::optional<Kind> error;
    };
    const QList<Row> rows{
        {"1500 bytes of two-byte letters pass", twoByteLetters, std::nullopt},
        {"1499 bytes pass", QString(1499, QLatin1Char('a')), std::nullopt},
        {"1499 bytes and two trailing spaces are refused", QString(1499, QLatin1Char('a')) + QStringLiteral("  "),
         Kind::selectionTooLong},
        {"1501 bytes of letters", QString(1501, QLatin1Char('a')), Kind::selectionTooLong},
        {"one four-byte emoji over the limit", QString(1497, QLatin1Char('a')) + QStringLiteral("😀"), Kind::selectionTooLong},
        {"blank", QStringLiteral(" \n\t\u00a0"), Kind::emptyContent},
        {"empty", QString(), Kind::emptyContent},
        {"blank beyond the limit is blank", QString(2000, QLatin1Char(' ')), Kind::emptyContent},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ClipboardAIError> error = SpellingText::validate(row.text);
        EXPECT_EQ(error ? std::optional<Kind>(error->kind()) : std::nullopt, row.error);
    }
    EXPECT_EQ(SpellingText::validate(QString(1501, QLatin1Char('a')))->localizedDescription(),
              QStringLiteral("Select a shorter passage (about 200 words) and try again. The original text has not been changed."));
}

TEST(SpellingText, Merge)
{
    struct Row {
        const char *name;
        QString corrected;
        QString original;
        QString expected; // empty: emptyContent
    };
    const QList<Row> rows{
        {"keeps leading spaces and the final line feed", QStringLiteral("\nThe corrected text.\n"),
         QStringLiteral("  Teh corected text.\n"), QStringLiteral("  The corrected text.\n")},
        {"no surrounding whitespace", QStringLiteral("Fine."), QStringLiteral("Fyne."), QStringLiteral("Fine.")},
        {"tabs and no-break spaces count", QStringLiteral(" ok "), QStringLiteral("\t\u00a0ko\u2003\n"),
         QStringLiteral("\t\u00a0ok\u2003\n")},
        {"inner whitespace of the correction stays", QStringLiteral("a\n\nb"), QStringLiteral("x\n\ny "),
         QStringLiteral("a\n\nb ")},
        {"blank correction", QStringLiteral(" \n "), QStringLiteral("text"), QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ClipboardAIResult<QString> merged = SpellingText::merge(row.corrected, row.original);
        if (row.expected.isEmpty()) {
            ASSERT_FALSE(merged.hasValue());
            EXPECT_EQ(merged.error().kind(), ClipboardAIError::Kind::emptyContent);
        } else {
            ASSERT_TRUE(merged.hasValue());
            EXPECT_EQ(merged.value(), row.expected);
        }
    }
}

TEST(ClipboardAIAction, RawValuesAndLimits)
{
    struct Row {
        QString raw;
        QString request;
    };
    const QList<Row> rows{
        {QStringLiteral("summarize"),
         QStringLiteral("Summarize the content concisely in the same language as the content. Return only the summary.")},
        {QStringLiteral("improveWriting"),
         QStringLiteral("Improve clarity, grammar, and tone while preserving meaning and language. Return only the "
                        "revised text.")},
        {QStringLiteral("checkSpelling"),
         QStringLiteral("Correct only spelling, grammar, and punctuation errors. Preserve the original language, "
                        "meaning, tone, names, paragraph breaks, and formatting. Do not translate, summarize, expand, "
                        "or rewrite for style. Leave code, URLs, email addresses, and credentials unchanged. If no "
                        "correction is needed, return the original text. Return only the complete corrected text, "
                        "without commentary or surrounding quotes.")},
        {QStringLiteral("translateToEnglish"),
         QStringLiteral("Translate the content into natural English while preserving meaning and formatting. Return "
                        "only the translation.")},
        {QStringLiteral("extractTasks"),
         QStringLiteral("Extract actionable tasks as a concise Markdown checklist. Do not invent tasks. Return only "
                        "the checklist.")},
    };
    ASSERT_EQ(allClipboardAIActions().size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const ClipboardAIAction action = allClipboardAIActions()[i];
        EXPECT_EQ(rawValue(action), rows[i].raw);
        EXPECT_EQ(clipboardAIActionFromRawValue(rows[i].raw), action);
        EXPECT_EQ(maximumResponseTokens(action), action == ClipboardAIAction::checkSpelling ? 2000 : 1000);
        EXPECT_EQ(requestText(action), rows[i].request);
    }
    EXPECT_EQ(clipboardAIActionFromRawValue(QStringLiteral("Summarize")), std::nullopt);
    EXPECT_EQ(clipboardAIActionFromRawValue(QString()), std::nullopt);
    EXPECT_EQ(clipboardAIActionFromRawValue(QStringLiteral("summarize ")), std::nullopt);
}

} // namespace
