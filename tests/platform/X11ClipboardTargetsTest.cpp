#include "platform/Pasteboard.h"
#include "platform/linux/X11ClipboardTargets.h"

#include <gtest/gtest.h>

namespace {

QList<QByteArray> targets(const char *spaced)
{
    QList<QByteArray> list = QByteArray(spaced).split(' ');
    list.removeAll(QByteArray());
    return list;
}

struct OwnerCase {
    const char *name;
    const char *targets;
    QStringList types;
};

class X11ClipboardTargetsTest : public ::testing::TestWithParam<OwnerCase> {};

} // namespace

TEST_P(X11ClipboardTargetsTest, OneTypePerMeaningWithoutMetaTargets)
{
    EXPECT_EQ(X11ClipboardTargets::typesFromTargets(targets(GetParam().targets)), GetParam().types);
}

// Target lists as real owners announce them.
INSTANTIATE_TEST_SUITE_P(
    Owners, X11ClipboardTargetsTest,
    ::testing::Values(
        OwnerCase{"qt_image_with_text",
                  "application/x-qt-image text/plain UTF8_STRING STRING TEXT text/html image/png image/bmp image/cur "
                  "image/ico image/jpeg image/jpg image/pbm BITMAP image/pgm image/ppm PIXMAP image/xbm image/xpm "
                  "TARGETS MULTIPLE TIMESTAMP SAVE_TARGETS",
                  {PasteboardType::plainText, PasteboardType::html, PasteboardType::png}},
        OwnerCase{"gtk_text",
                  "TIMESTAMP TARGETS MULTIPLE SAVE_TARGETS UTF8_STRING COMPOUND_TEXT TEXT STRING "
                  "text/plain;charset=utf-8 text/plain",
                  {PasteboardType::plainText}},
        OwnerCase{"xclip_text", "TARGETS UTF8_STRING", {PasteboardType::plainText}},
        OwnerCase{"file_manager",
                  "TIMESTAMP TARGETS MULTIPLE x-special/gnome-copied-files text/uri-list UTF8_STRING STRING",
                  {"x-special/gnome-copied-files", PasteboardType::uriList, PasteboardType::plainText}},
        OwnerCase{"jpeg_only", "TARGETS image/jpeg image/bmp", {"image/jpeg"}},
        OwnerCase{"tiff_before_bmp", "TARGETS image/bmp image/tiff", {PasteboardType::tiff}},
        OwnerCase{"unknown_image_kind", "TARGETS image/x-exotic", {"image/x-exotic"}},
        OwnerCase{"compound_text_only", "TARGETS COMPOUND_TEXT", {}},
        OwnerCase{"pixmap_only", "TARGETS PIXMAP", {}},
        OwnerCase{"password_manager", "TARGETS UTF8_STRING x-kde-passwordManagerHint",
                  {PasteboardType::plainText, PasteboardType::passwordManagerHint}},
        OwnerCase{"duplicates", "TARGETS text/html text/html chromium/x-web-custom-data",
                  {PasteboardType::html, "chromium/x-web-custom-data"}},
        OwnerCase{"nothing", "TARGETS MULTIPLE TIMESTAMP", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(X11ClipboardTargets, PlainTextIsReadFromTheBestTextTargetFirst)
{
    const QList<QByteArray> qt = targets("text/plain UTF8_STRING STRING TEXT");
    EXPECT_EQ(X11ClipboardTargets::targetsForType(PasteboardType::plainText, qt),
              (QList<QByteArray>{"UTF8_STRING", "text/plain", "STRING", "TEXT"}));
    EXPECT_EQ(X11ClipboardTargets::targetsForType(PasteboardType::html, targets("TARGETS text/html")),
              QList<QByteArray>{"text/html"});
    EXPECT_TRUE(X11ClipboardTargets::targetsForType(PasteboardType::png, qt).isEmpty());
}

TEST(X11ClipboardTargets, LatinOneStringsBecomeUtf8)
{
    EXPECT_EQ(X11ClipboardTargets::toUtf8Text("STRING", "caf\xe9"), QByteArray("caf\xc3\xa9"));
    EXPECT_EQ(X11ClipboardTargets::toUtf8Text("UTF8_STRING", "caf\xc3\xa9"), QByteArray("caf\xc3\xa9"));
}

namespace {

struct MergeCase {
    const char *name;
    QList<PasteboardItemData> items;
    PasteboardItemData merged;
};

class MergeTest : public ::testing::TestWithParam<MergeCase> {};

} // namespace

TEST_P(MergeTest, SeveralItemsBecomeTheOneItemX11Holds)
{
    EXPECT_EQ(X11ClipboardTargets::mergedItem(GetParam().items), GetParam().merged);
}

INSTANTIATE_TEST_SUITE_P(
    Items, MergeTest,
    ::testing::Values(
        MergeCase{"one_item_as_it_is",
                  {{{PasteboardType::plainText, "a"}, {PasteboardType::html, "<b>a</b>"}}},
                  {{PasteboardType::plainText, "a"}, {PasteboardType::html, "<b>a</b>"}}},
        MergeCase{"texts_by_line", {{{PasteboardType::plainText, "a"}}, {{PasteboardType::plainText, "b"}}},
                  {{PasteboardType::plainText, "a\nb"}}},
        MergeCase{"uri_lists_by_line",
                  {{{PasteboardType::uriList, "file:///a"}}, {{PasteboardType::uriList, "file:///b\r\n"}},
                   {{PasteboardType::uriList, "file:///c"}}},
                  {{PasteboardType::uriList, "file:///a\r\nfile:///b\r\nfile:///c"}}},
        MergeCase{"first_of_any_other_type",
                  {{{PasteboardType::png, "one"}}, {{PasteboardType::png, "two"}, {PasteboardType::html, "<i>"}}},
                  {{PasteboardType::png, "one"}, {PasteboardType::html, "<i>"}}},
        MergeCase{"nothing", {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(X11ClipboardTargets, PlainTextIsOfferedUnderEveryTextNameAndTheRestUnderItsOwn)
{
    const auto offered = X11ClipboardTargets::offeredTargets(PasteboardType::plainText, "caf\xc3\xa9");
    QList<QByteArray> names;
    for (const auto &[target, data] : offered) {
        names.append(target);
        // STRING is Latin-1 by definition; every other text name carries the UTF-8 as it is.
        EXPECT_EQ(data, target == "STRING" ? QByteArray("caf\xe9") : QByteArray("caf\xc3\xa9")) << target.constData();
    }
    EXPECT_EQ(names, (QList<QByteArray>{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain;charset=UTF-8",
                                        "text/plain", "STRING", "TEXT"}));
    // Whatever a capture read under a text name is offered again under the name it was read by.
    for (const QByteArray &name : names)
        EXPECT_FALSE(X11ClipboardTargets::targetsForType(PasteboardType::plainText, {name}).isEmpty()) << name.constData();
    const auto png = X11ClipboardTargets::offeredTargets(PasteboardType::png, "\x89PNG");
    EXPECT_EQ(png, (QList<QPair<QByteArray, QByteArray>>{{"image/png", "\x89PNG"}}));
}
