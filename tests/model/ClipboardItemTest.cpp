#include "model/ClipboardItem.h"

#include <gtest/gtest.h>

namespace {

struct TypeCase {
    const char *name;
    QString raw;
    QString filePath;
    QStringList filePaths;
    QByteArray image;
    ClipboardItemType expected;
};

class ClipboardItemTypeFallback : public testing::TestWithParam<TypeCase> {};

TEST_P(ClipboardItemTypeFallback, DerivesKind)
{
    const TypeCase &c = GetParam();
    ClipboardItem item(QUuid::createUuid());
    item.setTypeRawValue(c.raw);
    if (!c.filePaths.isEmpty())
        item.setFilePaths(c.filePaths);
    if (!c.filePath.isEmpty())
        item.setFilePath(c.filePath);
    item.setImageData(c.image);
    EXPECT_EQ(item.type(), c.expected);
    // The kind as stored is kept as it was, also one this version does not know, and never as none (the
    // store keeps one for every row).
    EXPECT_EQ(item.typeRawValue(), c.raw);
    EXPECT_FALSE(item.typeRawValue().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClipboardItemTypeFallback,
    testing::Values(
        TypeCase{"textPlain", "text", {}, {}, {}, ClipboardItemType::text},
        TypeCase{"textWithPath", "text", "/tmp/a.txt", {}, {}, ClipboardItemType::file},
        TypeCase{"textWithPaths", "text", {}, {"/a", "/b"}, {}, ClipboardItemType::file},
        TypeCase{"textWithImage", "text", {}, {}, "PNG", ClipboardItemType::image},
        TypeCase{"pathBeatsImage", "text", "/a", {}, "PNG", ClipboardItemType::file},
        TypeCase{"unknownWithImage", "sticker", {}, {}, "PNG", ClipboardItemType::image},
        TypeCase{"unknownBare", "sticker", {}, {}, {}, ClipboardItemType::text},
        TypeCase{"emptyRaw", "", {}, {}, {}, ClipboardItemType::text},
        TypeCase{"urlKeepsKind", "url", "/a", {}, {}, ClipboardItemType::url},
        TypeCase{"genericKeepsKind", "generic", {}, {}, "PNG", ClipboardItemType::generic},
        TypeCase{"imageKeepsKind", "image", {}, {}, {}, ClipboardItemType::image},
        TypeCase{"fileKeepsKind", "file", {}, {}, {}, ClipboardItemType::file}),
    [](const auto &info) { return std::string(info.param.name); });

struct TitleCase {
    const char *name;
    QString raw;
    QString text;
    QString fileName;
    QStringList paths;
    QByteArray image;
    QString aiTitle;
    QString expected;
};

class ClipboardItemDisplayTitle : public testing::TestWithParam<TitleCase> {};

TEST_P(ClipboardItemDisplayTitle, FollowsTheRules)
{
    const TitleCase &c = GetParam();
    ClipboardItem item(QUuid::createUuid());
    item.setTypeRawValue(c.raw);
    item.setText(c.text);
    item.setFileName(c.fileName);
    if (!c.paths.isEmpty())
        item.setFilePaths(c.paths);
    item.setImageData(c.image);
    item.setAiTitle(c.aiTitle);
    EXPECT_EQ(item.displayTitle(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClipboardItemDisplayTitle,
    testing::Values(
        TitleCase{"imageWithAnalysisTitle", "image", "", "", {}, "PNG", "Sunset over bay", "Sunset over bay"},
        TitleCase{"imageBlankAnalysisTitle", "image", "", "", {}, "PNG", "  ", "Clipboard item"},
        TitleCase{"textIgnoresAnalysisTitle", "text", "hello", "", {}, {}, "Greeting", "hello"},
        TitleCase{"twoFiles", "file", "", "a.txt", {"/x/a.txt", "/x/b.txt"}, {}, "", "2 files"},
        TitleCase{"oneFileName", "file", "", "a.txt", {"/x/a.txt"}, {}, "", "a.txt"},
        TitleCase{"fileWithoutNameUsesText", "file", "file:///x/a.txt", "", {"/x/a.txt"}, {}, "", "file:///x/a.txt"},
        TitleCase{"textKeptUntrimmed", "text", "  hi  ", "", {}, {}, "", "  hi  "},
        TitleCase{"blankText", "text", " \n\t ", "", {}, {}, "", "Clipboard item"},
        TitleCase{"imageNoTitleNoText", "image", "", "", {}, "PNG", "", "Clipboard item"},
        TitleCase{"genericWithText", "generic", "some", "", {}, {}, "", "some"},
        TitleCase{"textNamingFileUsesName", "text", "x", "a.txt", {"/x/a.txt"}, {}, "", "a.txt"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClipboardItem, DecodesListsAndIgnoresCorruptJson)
{
    ClipboardItem item(QUuid::createUuid());
    item.setFilePath("/only");
    EXPECT_EQ(item.filePaths(), QStringList{"/only"});
    item.setFilePathsData("not json");
    EXPECT_EQ(item.filePaths(), QStringList{"/only"});
    item.setAiTagsData("[\"a\", 3, \"b\"]");
    EXPECT_EQ(item.tags(), (QStringList{"a", "b"}));
    item.setAiTagsData("{");
    EXPECT_TRUE(item.tags().isEmpty());
}

TEST(ClipboardItem, AnalysisEligibilityAndCurrency)
{
    ClipboardItem text(QUuid::createUuid());
    text.setText("  ");
    EXPECT_FALSE(text.isEligibleForAnalysis());
    text.setText("note");
    EXPECT_TRUE(text.isEligibleForAnalysis());

    ClipboardItem link(QUuid::createUuid());
    link.setTypeRawValue("url");
    link.setText("https://example.org");
    EXPECT_TRUE(link.isEligibleForAnalysis());

    ClipboardItem image(QUuid::createUuid());
    image.setTypeRawValue("image");
    EXPECT_FALSE(image.isEligibleForAnalysis());
    image.setImageData("PNG");
    EXPECT_TRUE(image.isEligibleForAnalysis());

    ClipboardItem file(QUuid::createUuid());
    file.setFilePaths({"/a"});
    file.setText("file:///a");
    EXPECT_FALSE(file.isEligibleForAnalysis());

    EXPECT_FALSE(text.hasCurrentAnalysis());
    text.setAiAnalysisVersion(2);
    EXPECT_FALSE(text.hasCurrentAnalysis());
    text.setAiAnalyzedAt(QDateTime::currentDateTimeUtc());
    EXPECT_TRUE(text.hasCurrentAnalysis());
    text.setAiAnalysisVersion(1);
    EXPECT_FALSE(text.hasCurrentAnalysis());
}

TEST(ClipboardItem, CopiesShareBlobsButNotEdits)
{
    ClipboardItem a(QUuid::createUuid());
    a.setText("one");
    a.setImageData("bytes");
    ClipboardItem b = a;
    b.setText("two");
    EXPECT_EQ(a.text(), "one");
    EXPECT_EQ(a, b); // identity is the id
    EXPECT_EQ(a.imageBlob(), b.imageBlob());
    b.setImageData("other");
    EXPECT_EQ(a.imageData(), "bytes");
}

TEST(ClipboardItem, CorruptPayloadDecodesToNothing)
{
    ClipboardItem item(QUuid::createUuid());
    EXPECT_FALSE(item.payload().has_value());
    item.setPayloadData("TVPL garbage");
    EXPECT_FALSE(item.payload().has_value());
}

} // namespace
