#include "clipboard/ClipboardFilterMatcher.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardSearchIndex.h"
#include "model/ClipboardFilter.h"
#include "platform/sim/SimClock.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

namespace {

// Runs the event loop until the task ends (the search answers from its worker thread).
template<typename T>
std::optional<T> finish(const Task<T> &task)
{
    QDeadlineTimer deadline(10000);
    while (!task.isFinished() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return task.result();
}

ClipboardCapture text(const QString &value, ClipboardItemType type = ClipboardItemType::text)
{
    ClipboardCapture capture;
    capture.type = type;
    capture.text = value;
    return capture;
}

ClipboardCapture files(const QStringList &paths)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::file;
    capture.filePaths = paths;
    capture.fileName = QFileInfo(paths.first()).fileName();
    return capture;
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ClipboardCapture image(const QByteArray &bytes)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::image;
    capture.imageData = bytes;
    return capture;
}

class SearchTest : public testing::Test {
protected:
    QStringList search(const QString &query, std::optional<ClipboardFilter> filter = std::nullopt, int limit = 5000,
                       bool analysis = false)
    {
        const auto found = finish(manager.searchItems(filter, query, analysis, limit));
        EXPECT_TRUE(found && *found) << "the search reported no result";
        QStringList out;
        for (const auto &item : found.value_or(std::nullopt).value_or(QList<ClipboardItem>()))
            out.append(analysis ? item.text() : item.displayTitle());
        return out;
    }
    void add(const ClipboardCapture &capture)
    {
        manager.ingest(capture);
        clock.advance(1);
    }

    SimClock clock;
    ClipboardHistoryManager manager{clock, nullptr};
};

TEST_F(SearchTest, NormalisesQueryAndTextAlike)
{
    add(text("Caf\u00e9 latte"));     // composed
    add(text("Cafe\u0301 mocha"));    // decomposed
    add(text("CAFE plain"));
    add(text("\u00c9COLE"));
    add(text("Dworzec \u0141\u00d3D\u0179 Fabryczna")); // capitals that lowercase in place
    add(text("\u01c5ungla"));                             // a title-case letter
    add(text("300 \u212a"));                              // the Kelvin sign lowercases to a shorter "k"
    add(text("\u0400"));                                  // the bytes of "\u0420" and "\u0440" mixed
    // Deep in texts, where many places are looked at at once (32 and 16 of them).
    add(text(QString(40, u'\u0105') + "x\u0141\u00f3D\u017a" + QString(20, u'y')));
    add(text(QString(32, u'\u0105') + "x\u0141\u00f3D\u017a" + QString(20, u'y')));
    // Composed and decomposed queries find both spellings, whatever the case.
    EXPECT_EQ(search("caf\u00e9"), (QStringList{"Cafe\u0301 mocha", "Caf\u00e9 latte"}));
    EXPECT_EQ(search("  CAFE\u0301  "), (QStringList{"Cafe\u0301 mocha", "Caf\u00e9 latte"}));
    EXPECT_EQ(search("cafe"), QStringList{"CAFE plain"});
    EXPECT_EQ(search("\u00e9cole"), QStringList{"\u00c9COLE"});
    EXPECT_EQ(search("e\u0301cole"), QStringList{"\u00c9COLE"});
    EXPECT_EQ(search("\u0142\u00f3d\u017a fab"), QStringList{"Dworzec \u0141\u00d3D\u0179 Fabryczna"});
    EXPECT_EQ(search("\u01c6ungla"), QStringList{"\u01c5ungla"});
    EXPECT_EQ(search("300 k"), QStringList{"300 \u212a"});
    EXPECT_EQ(search("\u0450"), QStringList{"\u0400"});
    EXPECT_TRUE(search("\u0440").isEmpty());
    EXPECT_EQ(search("x\u0142\u00f3d\u017a").size(), 2);
    EXPECT_EQ(search("").size(), 10);
    EXPECT_EQ(search(" \n ").size(), 10);
    EXPECT_TRUE(search("tea").isEmpty());
    // A long text is lowercased a piece at a time: a letter and the mark composed with it stay in one piece.
    add(text(QString(65532, u'x') + "Cafe\u0301 au lait"));
    EXPECT_EQ(search("caf\u00e9 au lait").size(), 1);
}

TEST_F(SearchTest, MatchesFileNamesPathsAndTitles)
{
    add(files({"/home/u/Reports/Q1.pdf", "/home/u/notes.txt"}));
    add(files({"/srv/data/archive.zip"}));
    EXPECT_EQ(search("q1.pdf"), QStringList{"2 files"});
    EXPECT_EQ(search("/srv/data"), QStringList{"archive.zip"});
    EXPECT_EQ(search("2 files"), QStringList{"2 files"});
}

TEST_F(SearchTest, AnalysisTextOnlyWhenAsked)
{
    add(text("a b c"));
    ClipboardItem item = manager.items().first();
    item.setAiSummary("Quarterly numbers");
    item.setTags({"finance"});
    manager.updateItem(item);
    EXPECT_TRUE(search("quarterly").isEmpty());
    EXPECT_EQ(search("quarterly", std::nullopt, 10, true), QStringList{"a b c"});
    EXPECT_EQ(search("finance", std::nullopt, 10, true), QStringList{"a b c"});
}

TEST_F(SearchTest, TextRecognisedInAnImageIsFoundWithoutAskingForAnalysis)
{
    add(image(png(4, 3)));
    ClipboardItem item = manager.items().first();
    item.setAiExtractedText(QStringLiteral("Invoice 2041"));
    manager.updateItem(item);
    manager.searchIndex().waitForIdle();
    const auto found = finish(manager.searchItems(std::nullopt, QStringLiteral("invoice"), false, 5000));
    ASSERT_TRUE(found && *found);
    ASSERT_EQ((*found)->size(), 1);
    EXPECT_EQ((*found)->first().id(), item.id());
}

TEST_F(SearchTest, DropsDuplicatesAndHonoursTheLimit)
{
    add(text("same"));
    add(text("other"));
    add(text("same"));
    add(text("same", ClipboardItemType::url));
    EXPECT_EQ(search(""), (QStringList{"same", "same", "other"}));
    EXPECT_EQ(search("", std::nullopt, 2), (QStringList{"same", "same"}));
    EXPECT_EQ(search("", std::nullopt, 0), QStringList{});
    for (int i = 0; i < 30; ++i)
        add(text(QString("item %1").arg(i)));
    EXPECT_EQ(search("item", std::nullopt, 7).size(), 7);
    EXPECT_EQ(search("item", std::nullopt, 7).first(), "item 29");
}

TEST_F(SearchTest, FollowsInsertionsAndDeletions)
{
    add(text("alpha"));
    EXPECT_EQ(search("alp"), QStringList{"alpha"});
    add(text("alpine"));
    EXPECT_EQ(search("alp"), (QStringList{"alpine", "alpha"}));
    manager.deleteItems({manager.items().first()});
    EXPECT_EQ(search("alp"), QStringList{"alpha"});
    manager.handleItemInserted(manager.items().first());
    add(text("zzz"));
    manager.handleItemInserted(manager.items().last());
    EXPECT_EQ(search("").first(), "alpha");
    // An item deleted while a search runs is not in its answer.
    const auto running = manager.searchItems(std::nullopt, "", false, 10);
    manager.deleteItems({manager.items().first()});
    const auto found = finish(running);
    ASSERT_TRUE(found && *found);
    ASSERT_EQ((*found)->size(), 1);
    EXPECT_EQ((*found)->first().text(), "zzz");
}

TEST_F(SearchTest, PresentationsCarryTitlesLabelsAndThumbnails)
{
    add(image(png(400, 100)));
    add(text("words"));
    const QStringList found = search("");
    ASSERT_EQ(found.size(), 2);
    const auto &presentations = manager.searchPresentations();
    ASSERT_EQ(presentations.size(), 2);
    const QUuid imageId = manager.items().at(1).id();
    EXPECT_EQ(presentations.value(manager.items().at(0).id()).typeLabel, "Text");
    EXPECT_EQ(presentations.value(imageId).typeLabel, "Image");
    QDeadlineTimer deadline(10000);
    while (presentations.value(imageId).thumbnail.isNull() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(presentations.value(imageId).thumbnail.size(), QSize(80, 20));
}

// A search that did not run to its end says so: it is never mistaken for a search that found nothing.
TEST_F(SearchTest, ACancelledOrAbandonedSearchReportsItNeverNoMatch)
{
    add(text("x"));
    auto cancelled = manager.searchItems(std::nullopt, "x", false, 10);
    cancelled.cancel();
    const auto result = finish(cancelled);
    ASSERT_TRUE(cancelled.isFinished());
    EXPECT_FALSE(result.value_or(std::nullopt).has_value());

    auto history = std::make_unique<ClipboardHistoryManager>(clock, nullptr);
    history->ingest(text("y"));
    auto abandoned = history->searchItems(std::nullopt, "y", false, 10);
    history.reset();
    const auto gone = finish(abandoned);
    ASSERT_TRUE(abandoned.isFinished());
    EXPECT_FALSE(gone.value_or(std::nullopt).has_value());

    // Whereas a search that ran and matched nothing answers an empty list.
    const auto none = finish(manager.searchItems(std::nullopt, "nothing like it", false, 10));
    ASSERT_TRUE(none && *none);
    EXPECT_TRUE((*none)->isEmpty());
}

// With analysis text asked for, an analysed item is matched by its analysis, an item without one by its
// plain text; without it, only the plain text counts.
TEST_F(SearchTest, AnalysisTextReplacesThePlainTextOfAnalysedItems)
{
    add(text("alpha plain words"));
    add(text("beta plain words"));
    ClipboardItem analysed = manager.items().first();
    analysed.setAiTitle(QStringLiteral("Gamma summary title"));
    analysed.setTags({QStringLiteral("delta")});
    manager.updateItem(analysed);
    manager.searchIndex().waitForIdle();

    struct Row {
        const char *query;
        bool analysis;
        QStringList expected;
    };
    const Row rows[] = {
        {"gamma", true, {"beta plain words"}},
        {"delta", true, {"beta plain words"}},
        {"beta", true, {}},
        {"alpha", true, {"alpha plain words"}},
        {"plain", true, {"alpha plain words"}},
        {"gamma", false, {}},
        {"beta", false, {"beta plain words"}},
        {"plain", false, {"beta plain words", "alpha plain words"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.query) + (row.analysis ? " with analysis" : " without"));
        QStringList texts;
        const auto found = finish(manager.searchItems(std::nullopt, row.query, row.analysis, 5000));
        ASSERT_TRUE(found && *found);
        for (const ClipboardItem &item : **found)
            texts.append(item.text());
        EXPECT_EQ(texts, row.expected);
    }
}

struct FilterCase {
    const char *name;
    FilterType type;
    FilterOptions options;
    QStringList expected;
};

class SearchFilters : public SearchTest, public testing::WithParamInterface<FilterCase> {};

TEST_P(SearchFilters, Apply)
{
    add(text("Hello World"));
    add(text("hello there"));
    add(text("https://example.org/a", ClipboardItemType::url));
    add(text("  https://example.com  "));
    add(text("{\"a\": [1, 2]}"));
    add(text("[1, 2"));
    add(text("Mail me: bob@example.org"));
    add(text("alice@example.com"));
    add(files({"/docs/Report.PDF"}));
    add(files({"/docs/photo.jpg", "/docs/notes.txt"}));
    add(image(png(10, 10)));
    const FilterCase &c = GetParam();
    QStringList found = search("", ClipboardFilter::make("f", c.type, c.options));
    std::sort(found.begin(), found.end());
    QStringList expected = c.expected;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

FilterOptions match(TextMatchMode mode, const QString &text, bool caseSensitive = false)
{
    FilterOptions options;
    options.matchMode = mode;
    options.matchText = text;
    options.isCaseSensitive = caseSensitive;
    return options;
}

FilterOptions extensions(const QStringList &list)
{
    FilterOptions options;
    options.fileExtensions = list;
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SearchFilters,
    testing::Values(
        FilterCase{"links", FilterType::url, {}, {"https://example.org/a", "  https://example.com  "}},
        FilterCase{"images", FilterType::image, {}, {"Clipboard item"}},
        FilterCase{"files", FilterType::file, {}, {"Report.PDF", "2 files"}},
        FilterCase{"fileExtensionAnyCaseAnyDot", FilterType::file, extensions({".pdf"}), {"Report.PDF"}},
        FilterCase{"fileExtensionOfASecondFile", FilterType::file, extensions({"txt", "md"}), {"2 files"}},
        FilterCase{"json", FilterType::json, {}, {"{\"a\": [1, 2]}"}},
        FilterCase{"email", FilterType::email, {}, {"alice@example.com"}},
        FilterCase{"textContains", FilterType::text, match(TextMatchMode::contains, "HELLO"), {"Hello World", "hello there"}},
        FilterCase{"textCaseSensitive", FilterType::text, match(TextMatchMode::contains, "Hello", true), {"Hello World"}},
        FilterCase{"textStartsWith", FilterType::text, match(TextMatchMode::startsWith, "hello t"), {"hello there"}},
        FilterCase{"textEndsWith", FilterType::text, match(TextMatchMode::endsWith, "WORLD"), {"Hello World"}},
        FilterCase{"textEquals", FilterType::text, match(TextMatchMode::equals, "hello world"), {"Hello World"}},
        FilterCase{"textEqualsCaseSensitive", FilterType::text, match(TextMatchMode::equals, "hello world", true), {}},
        FilterCase{"regex", FilterType::text, match(TextMatchMode::regex, "^h.*(world|there)$"), {"Hello World", "hello there"}},
        FilterCase{"regexCaseSensitive", FilterType::text, match(TextMatchMode::regex, "^h.*(world|there)$", true), {"hello there"}},
        FilterCase{"brokenRegexMatchesNothing", FilterType::text, match(TextMatchMode::regex, "(unclosed"), {}},
        FilterCase{"fileNameMatch", FilterType::file, match(TextMatchMode::startsWith, "photo"), {"2 files"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SearchTest, FilterAndQueryCombine)
{
    add(text("hello json"));
    add(text("{\"hello\": 1}"));
    add(text("{\"bye\": 1}"));
    EXPECT_EQ(search("hello", ClipboardFilter::builtIn(FilterType::json)), QStringList{"{\"hello\": 1}"});
}

TEST(ClipboardSearchPresentation, ThumbnailsFitEightyPixelsAndFollowOrientation)
{
    EXPECT_TRUE(ClipboardSearchPresentation::makeThumbnail({}).isNull());
    EXPECT_TRUE(ClipboardSearchPresentation::makeThumbnail("not an image").isNull());
    EXPECT_EQ(ClipboardSearchPresentation::makeThumbnail(png(1000, 500)).size(), QSize(80, 40));
    EXPECT_EQ(ClipboardSearchPresentation::makeThumbnail(png(30, 60)).size(), QSize(30, 60));

    // A JPEG stored 200 x 100 with "rotate 90" in its EXIF data shows 100 x 200.
    QImage stored(200, 100, QImage::Format_RGB32);
    stored.fill(Qt::blue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(stored));
    EXPECT_EQ(ClipboardSearchPresentation::makeThumbnail(jpeg).size(), QSize(40, 80));
}

TEST(ClipboardSearchIndex, QueryPreparation)
{
    EXPECT_EQ(ClipboardSearchIndex::normalizedQuery("  \u00c9t\u00c9\n"), QString("\u00e9t\u00e9").toUtf8());
    EXPECT_EQ(ClipboardSearchIndex::normalizedQuery("E\u0301"), QString("\u00e9").toUtf8());
    EXPECT_EQ(ClipboardSearchIndex::normalizedText(" A "), " a ");
}

} // namespace
