// The search rule over a field's remembered values and the compact context of the floating window.
#include "fields/views/NotchAIContext.h"

#include <gtest/gtest.h>

namespace {

FocusedFieldSuggestion make(const QString &value, const QString &title = QStringLiteral("Latest"))
{
    FocusedFieldSuggestion s;
    s.value = value;
    s.title = title;
    return s;
}

QStringList values(const QList<FocusedFieldSuggestion> &list)
{
    QStringList out;
    for (const auto &s : list)
        out.append(s.value);
    return out;
}

TEST(FilterFocusedFieldSuggestions, FoldsCaseAndDiacriticsOnBothSides)
{
    NotchAIContext context;
    context.historySuggestions = {make(QStringLiteral("Élan"), QString()),
                                  make(QStringLiteral("Zoë Straße"), QString()),
                                  make(QStringLiteral("plain"), QString()),
                                  make(QStringLiteral("Łódź"), QString())};
    struct Case {
        QString query;
        QStringList expected;
    };
    const Case cases[] = {
        {QStringLiteral("elan"), {QStringLiteral("Élan")}},
        {QStringLiteral("ELAN"), {QStringLiteral("Élan")}},
        {QStringLiteral("  élan\n"), {QStringLiteral("Élan")}},
        {QStringLiteral("zoe"), {QStringLiteral("Zoë Straße")}},
        {QStringLiteral("STRASSE"), {QStringLiteral("Zoë Straße")}},
        {QStringLiteral("LA"), {QStringLiteral("Élan"), QStringLiteral("plain")}},
        {QStringLiteral("xyz"), {}},
        // Letters whose stroke is part of the glyph fold too, on both sides.
        {QStringLiteral("lodz"), {QStringLiteral("Łódź")}},
        {QStringLiteral("ŁÓDŹ"), {QStringLiteral("Łódź")}},
        {QStringLiteral("łod"), {QStringLiteral("Łódź")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(values(filterFocusedFieldSuggestions(context, c.query)), c.expected) << c.query.toStdString();
}

TEST(FilterFocusedFieldSuggestions, BlankQueryReturnsTheHistoryUnchanged)
{
    NotchAIContext context;
    context.historySuggestions = {make(QStringLiteral("b")), make(QStringLiteral("a"))};
    context.randomSuggestions = {make(QStringLiteral("random"))};
    context.searchableHistorySuggestions = QList<FocusedFieldSuggestion>{make(QStringLiteral("other"))};
    // Combining marks alone fold away to nothing: the same as a blank query.
    for (const QString &query : {QString(), QStringLiteral("   "), QStringLiteral("\n\t "),
                                 QStringLiteral("\u0301\u0308"), QStringLiteral(" \u0327 ")}) {
        const auto result = filterFocusedFieldSuggestions(context, query);
        ASSERT_EQ(result.size(), 2);
        EXPECT_EQ(result[0].id, context.historySuggestions[0].id);
        EXPECT_EQ(result[1].id, context.historySuggestions[1].id);
    }
}

TEST(FilterFocusedFieldSuggestions, SearchesTheSearchableListWhenThereIsOne)
{
    NotchAIContext context;
    context.historySuggestions = {make(QStringLiteral("alpha"))};
    context.randomSuggestions = {make(QStringLiteral("alpha random"))};
    context.searchableHistorySuggestions =
        QList<FocusedFieldSuggestion>{make(QStringLiteral("beta")), make(QStringLiteral("alphabet"))};
    EXPECT_EQ(values(filterFocusedFieldSuggestions(context, QStringLiteral("alpha"))),
              QStringList{QStringLiteral("alphabet")});
    EXPECT_EQ(values(filterFocusedFieldSuggestions(context, QStringLiteral("beta"))),
              QStringList{QStringLiteral("beta")});
    // An empty searchable list is still the list searched.
    context.searchableHistorySuggestions = QList<FocusedFieldSuggestion>{};
    EXPECT_TRUE(filterFocusedFieldSuggestions(context, QStringLiteral("alpha")).isEmpty());
    // Without one, the history; never the random values.
    context.searchableHistorySuggestions.reset();
    EXPECT_EQ(values(filterFocusedFieldSuggestions(context, QStringLiteral("alpha"))),
              QStringList{QStringLiteral("alpha")});
}

TEST(FilterFocusedFieldSuggestions, MatchesTitleDisplayValueAndDetails)
{
    FocusedFieldSuggestion s = make(QStringLiteral("secret"), QStringLiteral("Work mail"));
    s.displayValue = QStringLiteral("s•••t");
    FocusedFieldSuggestionDetails details;
    details.applicationId = QStringLiteral("org.example.Browser");
    details.webOrigin = QStringLiteral("https://shop.example");
    details.fieldName = QStringLiteral("Billing e-mail");
    s.details = details;
    NotchAIContext context;
    context.historySuggestions = {s};
    for (const QString &query :
         {QStringLiteral("work"), QStringLiteral("s•••"), QStringLiteral("billing"), QStringLiteral("SHOP.example"),
          QStringLiteral("org.example"),
          // Texts are joined with single spaces, so a query can span two of them.
          QStringLiteral("secret s•"), QStringLiteral("mail billing")})
        EXPECT_EQ(filterFocusedFieldSuggestions(context, query).size(), 1) << query.toStdString();
    EXPECT_TRUE(filterFocusedFieldSuggestions(context, QStringLiteral("secretwork")).isEmpty());
}

TEST(FilterFocusedFieldSuggestions, ASearchIsWhatTheFilterSearchesFor)
{
    struct Row {
        QString query;
        bool searches;
    };
    const Row rows[] = {
        {QString(), false},           {QStringLiteral(" \n\t"), false}, {QStringLiteral("\u0301"), false},
        {QStringLiteral("a\u0301"), true}, {QStringLiteral(" ł "), true},   {QStringLiteral("0"), true},
    };
    NotchAIContext context;
    context.historySuggestions = {make(QStringLiteral("zzz"), QString())};
    for (const Row &row : rows) {
        EXPECT_EQ(isSuggestionSearch(row.query), row.searches) << row.query.toStdString();
        // A search never matches "zzz"; no search returns the history.
        EXPECT_EQ(filterFocusedFieldSuggestions(context, row.query).isEmpty(), row.searches) << row.query.toStdString();
    }
}

TEST(NotchAIContext, CompactKeepsTwoHistoryValuesAndOneRandom)
{
    QList<FocusedFieldSuggestion> history, random;
    for (int i = 0; i < 5; ++i)
        history.append(make(QString::number(i)));
    for (int i = 0; i < 3; ++i)
        random.append(make(QStringLiteral("r%1").arg(i)));
    const NotchAIContext compact = NotchAIContext::compact(QStringLiteral("Name"), history, random);
    EXPECT_EQ(compact.fieldName, QStringLiteral("Name"));
    EXPECT_EQ(values(compact.historySuggestions), (QStringList{QStringLiteral("0"), QStringLiteral("1")}));
    EXPECT_EQ(values(compact.randomSuggestions), QStringList{QStringLiteral("r0")});
    EXPECT_FALSE(compact.searchableHistorySuggestions.has_value());
    EXPECT_TRUE(NotchAIContext::compact({}, {}, {}).randomSuggestions.isEmpty());
}

} // namespace
