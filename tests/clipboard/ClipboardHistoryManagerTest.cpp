#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "model/MainStoreContainer.h"
#include "platform/sim/SimClock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <csignal>
#include <sched.h>
#include <sys/resource.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ClipboardCapture textCapture(const QString &text, qint64 changeCount = 0, ClipboardItemType type = ClipboardItemType::text)
{
    ClipboardCapture capture;
    capture.type = type;
    capture.text = text;
    capture.changeCount = changeCount;
    capture.payload.items.append(PasteboardPayloadItem{{{"text/plain", text.toUtf8(), text.toUtf8().size(), std::nullopt}}});
    capture.sourceApplicationId = "org.example.editor";
    return capture;
}

ClipboardCapture fileCapture(const QStringList &paths)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::file;
    capture.filePaths = paths;
    capture.fileName = QFileInfo(paths.first()).fileName();
    capture.text = paths.join('\n');
    return capture;
}

ClipboardCapture imageCapture(const QByteArray &bytes)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::image;
    capture.imageData = bytes;
    capture.payload.items.append(PasteboardPayloadItem{{{"image/png", bytes, bytes.size(), std::nullopt}}});
    return capture;
}

ClipboardCapture genericCapture(const QByteArray &bytes)
{
    ClipboardCapture capture;
    capture.type = ClipboardItemType::generic;
    capture.payload.items.append(PasteboardPayloadItem{{{"application/x-thing", bytes, bytes.size(), std::nullopt}}});
    return capture;
}

class HistoryTest : public testing::Test {
protected:
    void SetUp() override { open(); }

    void open()
    {
        manager.reset();
        store.reset();
        container.reset();
        container = std::make_unique<MainStoreContainer>(dir.path());
        store = std::make_unique<ClipboardItemStore>(*container);
        manager = std::make_unique<ClipboardHistoryManager>(clock, store.get());
        QObject::connect(manager.get(), &ClipboardHistoryManager::copyArrived, [this] { ++pulses; });
        manager->setRetentionDaysProvider([this] { return days; });
        manager->start();
    }

    QStringList texts() const
    {
        QStringList out;
        for (const auto &item : manager->items())
            out.append(item.text());
        return out;
    }

    QTemporaryDir dir;
    SimClock clock;
    int pulses = 0;
    int days = 7;
    std::unique_ptr<MainStoreContainer> container;
    std::unique_ptr<ClipboardItemStore> store;
    std::unique_ptr<ClipboardHistoryManager> manager;
};

struct DuplicateCase {
    const char *name;
    ClipboardCapture first;
    ClipboardCapture second;
    bool dropped;
};

class HistoryDuplicates : public HistoryTest, public testing::WithParamInterface<DuplicateCase> {};

TEST_P(HistoryDuplicates, ComparesWithTheNewestItemByKind)
{
    const DuplicateCase &c = GetParam();
    ASSERT_TRUE(manager->ingest(c.first).has_value());
    const int revision = manager->storageRevision();
    const bool stored = manager->ingest(c.second).has_value();
    EXPECT_EQ(stored, !c.dropped);
    EXPECT_EQ(manager->items().size(), c.dropped ? 1 : 2);
    EXPECT_EQ(pulses, c.dropped ? 1 : 2);
    EXPECT_EQ(manager->storageRevision() > revision, !c.dropped);
}

ClipboardCapture withSource(ClipboardCapture capture, const QString &source)
{
    capture.sourceApplicationId = source;
    capture.payload.items.append(PasteboardPayloadItem{{{"text/html", "<p>", 3, std::nullopt}}});
    return capture;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HistoryDuplicates,
    testing::Values(
        DuplicateCase{"sameText", textCapture("hello"), textCapture("hello"), true},
        DuplicateCase{"sameTextOtherFormatsAndSource", textCapture("hello"), withSource(textCapture("hello"), "other"), true},
        DuplicateCase{"otherText", textCapture("hello"), textCapture("hello "), false},
        DuplicateCase{"sameTextOtherKind", textCapture("https://a.org"),
                      textCapture("https://a.org", 0, ClipboardItemType::url), false},
        DuplicateCase{"sameLink", textCapture("https://a.org", 0, ClipboardItemType::url),
                      textCapture("https://a.org", 0, ClipboardItemType::url), true},
        DuplicateCase{"samePaths", fileCapture({"/a", "/b"}), fileCapture({"/a", "/b"}), true},
        DuplicateCase{"pathsInOtherOrder", fileCapture({"/a", "/b"}), fileCapture({"/b", "/a"}), false},
        DuplicateCase{"fewerPaths", fileCapture({"/a", "/b"}), fileCapture({"/a"}), false},
        DuplicateCase{"sameImage", imageCapture("PNGDATA"), imageCapture("PNGDATA"), true},
        DuplicateCase{"otherImageSameSize", imageCapture("PNGDATA"), imageCapture("PNGDATB"), false},
        DuplicateCase{"sameGeneric", genericCapture("blob"), genericCapture("blob"), true},
        DuplicateCase{"otherGeneric", genericCapture("blob"), genericCapture("blub"), false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HistoryTest, OnlyTheNewestItemCounts)
{
    manager->ingest(textCapture("a"));
    manager->ingest(textCapture("b"));
    manager->ingest(textCapture("a"));
    EXPECT_EQ(texts(), (QStringList{"a", "b", "a"}));
}

TEST_F(HistoryTest, NewestFirstAndPersistedAcrossReopen)
{
    manager->ingest(textCapture("one"));
    clock.advance(1);
    manager->ingest(imageCapture(QByteArray(5000, 'p')));
    clock.advance(1);
    manager->ingest(textCapture("three"));
    const QUuid imageId = manager->items().at(1).id();
    open();
    ASSERT_EQ(manager->items().size(), 3);
    EXPECT_EQ(manager->items().at(0).text(), "three");
    EXPECT_EQ(manager->items().at(2).text(), "one");
    const ClipboardItem image = manager->items().at(1);
    EXPECT_EQ(image.id(), imageId);
    EXPECT_FALSE(image.imageBlob()->isLoaded());
    EXPECT_EQ(image.imageData(), QByteArray(5000, 'p'));
    ASSERT_TRUE(image.payload().has_value());
    EXPECT_EQ(image.payload()->items.at(0).representations.at(0).type, "image/png");
    // The digest kept in the row still finds the duplicate after a restart.
    EXPECT_FALSE(manager->ingest(textCapture("three")));
    manager->handleItemInserted(image);
    EXPECT_FALSE(manager->ingest(imageCapture(QByteArray(5000, 'p'))));
    EXPECT_EQ(manager->items().size(), 3);
}

TEST_F(HistoryTest, RetentionBoundaryOnTheWallClock)
{
    for (int setting : {1, 3, 7}) {
        days = setting;
        manager->deleteItems(manager->items());
        manager->ingest(textCapture("old"));
        clock.advance(1);
        manager->ingest(textCapture("older by a second less"));
        clock.advance(86400.0 * setting - 1);
        // "old" is now exactly the period old, and stays.
        manager->cleanUp();
        EXPECT_EQ(manager->items().size(), 2) << setting;
        clock.advance(1);
        manager->cleanUp();
        EXPECT_EQ(texts(), QStringList{"older by a second less"}) << setting;
    }
}

TEST_F(HistoryTest, RetentionOutsideOneToSevenIsClamped)
{
    days = 30;
    manager->ingest(textCapture("x"));
    clock.advance(7 * 86400.0 + 1);
    manager->cleanUp();
    EXPECT_TRUE(manager->items().isEmpty());
    days = 0;
    manager->ingest(textCapture("y"));
    clock.advance(86400.0);
    manager->cleanUp();
    EXPECT_EQ(manager->items().size(), 1);
}

TEST_F(HistoryTest, CleanUpRunsEverySixtySecondsAndPersists)
{
    days = 1;
    manager->ingest(textCapture("x"));
    clock.advance(86400.0 - 30);
    manager->ingest(textCapture("y"));
    clock.advance(30 + 1); // past the day for "x"; the loop has not looked yet unless a minute passed
    clock.advance(60);
    EXPECT_EQ(texts(), QStringList{"y"});
    open();
    EXPECT_EQ(texts(), QStringList{"y"});
    manager->stop();
    clock.advance(86400.0);
    EXPECT_EQ(manager->items().size(), 1);
}

TEST_F(HistoryTest, KeepsTheNewestFiveThousand)
{
    // Copies at a person's pace: the oldest go.
    for (int i = 0; i < ClipboardHistoryManager::maximumItemCount + 3; ++i) {
        manager->ingest(textCapture(QString::number(i)));
        clock.advance(1.0);
    }
    EXPECT_EQ(manager->items().size(), ClipboardHistoryManager::maximumItemCount);
    EXPECT_EQ(manager->items().first().text(), QString::number(ClipboardHistoryManager::maximumItemCount + 2));
    EXPECT_EQ(manager->items().last().text(), "3");
    open();
    EXPECT_EQ(manager->items().size(), ClipboardHistoryManager::maximumItemCount);
    EXPECT_EQ(manager->items().last().text(), "3");
}

TEST_F(HistoryTest, AStormingApplicationsCopyReplacesItsOwnPreviousOne)
{
    const auto storming = [](const QString &text, const QString &application, qint64 storm = 1) {
        ClipboardCapture capture = textCapture(text);
        capture.sourceApplicationId = application;
        capture.storm = storm;
        return capture;
    };
    manager->ingest(textCapture("before"));
    manager->ingest(storming("a1", "looper"));
    manager->ingest(storming("a2", "looper"));
    manager->ingest(textCapture("mine"));
    manager->ingest(storming("a3", "looper"));
    manager->ingest(storming("b1", "other"));
    manager->ingest(storming("a4", "looper"));
    EXPECT_EQ(texts(), QStringList({"a4", "b1", "mine", "before"}));
    // A storm of the same application that begins next takes nothing kept before it, nor its own copy the
    // person pasted.
    manager->ingest(storming("c1", "looper", 2));
    manager->ingest(storming("c2", "looper", 2));
    manager->handleItemInserted(manager->items().first());
    manager->ingest(storming("c3", "looper", 2));
    manager->ingest(storming("c4", "looper", 2));
    EXPECT_EQ(texts(), QStringList({"c4", "c2", "a4", "b1", "mine", "before"}));
    // Its storm over, the application's next copy is a copy of its own again.
    ClipboardCapture after = textCapture("a5");
    after.sourceApplicationId = "looper";
    manager->ingest(after);
    const QStringList kept{"a5", "c4", "c2", "a4", "b1", "mine", "before"};
    EXPECT_EQ(texts(), kept);
    EXPECT_EQ(pulses, 3);
    open();
    EXPECT_EQ(texts(), kept);
}

// A program copying faster than a person for a minute, through however many connections, never pushes the
// person's items out of a full history: its copies replace its own older ones, and that is said once.
TEST(HistoryFlood, AProgramCopyingFasterThanAPersonReplacesOnlyItsOwnCopies)
{
    struct Row {
        const char *name;
        const char *program; // its name, the editor's for a program of the editor's class; null: owners that
                             // cannot be named, the editor and a browser in front in turn
        int connections;     // its copies come from these in turn
        double pause;        // then still this long, and copying for a minute again; 0: once
        QStringList told;
    };
    const Row rows[] = {
        {"one program", "Copier", 1, 0, {"Copier"}},
        {"twenty connections of one program", "Copier", 20, 0, {"Copier"}},
        {"owners that cannot be named", nullptr, 1, 0, {""}},
        {"a program of the editor's class", "Editor", 1, 0, {"Editor"}},
        {"one program, again after two minutes", "Copier", 1, 120, {"Copier"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SimClock clock;
        ClipboardHistoryManager history(clock, nullptr);
        history.start();
        QStringList told;
        QObject::connect(&history, &ClipboardHistoryManager::floodKeptToItsOwnCopies,
                         [&](const QString &application) { told.append(application); });
        // The person's copies a second apart, two of them labelled.
        for (int i = 0; i < 30; ++i) {
            ClipboardCapture capture = textCapture(QStringLiteral("person %1").arg(i));
            capture.sourceApplicationName = QStringLiteral("Editor");
            const std::optional<ClipboardItem> item = history.ingest(capture);
            if (item && i % 15 == 0) {
                ClipboardItem labelled = *item;
                labelled.setLabel(QStringLiteral("keep"));
                history.updateItem(labelled);
            }
            clock.advance(1.0);
        }
        // 90 copies a second for a minute.
        int made = 0;
        for (int run = 0; run < (row.pause > 0 ? 2 : 1); ++run) {
            if (run > 0)
                clock.advance(row.pause);
            for (int i = 0; i < 90 * 60; ++i, ++made) {
                ClipboardCapture capture = textCapture(QStringLiteral("copy %1").arg(made));
                const QString name = QString::fromLatin1(row.program ? row.program : made % 2 ? "Browser" : "Editor");
                capture.sourceApplicationId = QStringLiteral("org.example.") + name.toLower();
                capture.sourceApplicationName = name;
                capture.ownerUnnamed = !row.program;
                capture.stormSource = row.program ? QStringLiteral("client %1").arg(made % row.connections)
                                                  : QStringLiteral("unnamed");
                history.ingest(capture);
                clock.advance(1.0 / 90);
            }
        }
        QStringList missing;
        for (int i = 0; i < 30; ++i)
            missing.append(QStringLiteral("person %1").arg(i));
        for (const ClipboardItem &item : history.items())
            missing.removeOne(item.text());
        EXPECT_TRUE(missing.isEmpty()) << missing.join(QStringLiteral(", ")).toStdString();
        EXPECT_EQ(history.items().size(), ClipboardHistoryManager::maximumItemCount);
        EXPECT_EQ(history.items().first().text(), QStringLiteral("copy %1").arg(made - 1));
        EXPECT_EQ(told, row.told);
    }
}

// Makes `folder` read-only for this process. Root may write anywhere, so for root the folder is mounted
// read-only in a mount namespace of the calling thread alone; answers false where that is not allowed.
bool makeReadOnly(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::geteuid() != 0) {
        QDirIterator files(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (files.hasNext())
            ::chmod(QFile::encodeName(files.next()).constData(), 0555);
        return ::chmod(path.constData(), 0555) == 0;
    }
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount(path.constData(), path.constData(), nullptr, MS_BIND | MS_REC, nullptr) == 0
        && ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

TEST_F(HistoryTest, AReadOnlyStoreShowsItsItemsAndKeepsNewCopiesInMemory)
{
    manager->ingest(textCapture("first"));
    clock.advance(1);
    manager->ingest(imageCapture("PNGDATA"));
    manager.reset();
    store.reset();
    container.reset();
    ASSERT_TRUE(makeReadOnly(dir.path())) << "cannot make a folder read-only here";
    open();
    EXPECT_EQ(container->status().outcome, StoreStatus::Outcome::readOnly) << container->status().message().toStdString();
    ASSERT_EQ(manager->items().size(), 2);
    EXPECT_EQ(manager->items().at(1).text(), "first");
    EXPECT_EQ(manager->items().at(0).imageData(), "PNGDATA");

    clock.advance(1);
    manager->ingest(textCapture("new"));
    EXPECT_EQ(texts().first(), "new");
    EXPECT_TRUE(manager->saveProblem().isEmpty()) << manager->saveProblem().toStdString();
    open();
    EXPECT_EQ(manager->items().size(), 2);
    if (::geteuid() == 0)
        ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    else
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
}

TEST_F(HistoryTest, HandleItemInsertedMovesToTopWithNewDates)
{
    manager->ingest(textCapture("a"));
    clock.advance(5);
    manager->ingest(textCapture("b"));
    clock.advance(5);
    const ClipboardItem a = manager->items().at(1);
    const int revision = manager->storageRevision();
    manager->handleItemInserted(a);
    EXPECT_EQ(texts(), (QStringList{"a", "b"}));
    EXPECT_EQ(manager->items().first().date(), clock.now());
    EXPECT_EQ(manager->items().first().lastUsedAt(), clock.now());
    EXPECT_GT(manager->storageRevision(), revision);
    EXPECT_EQ(manager->items().size(), 2);
    open();
    EXPECT_EQ(texts(), (QStringList{"a", "b"}));
    EXPECT_EQ(manager->items().first().lastUsedAt(), clock.now());

    // An item that is gone meanwhile comes back at the top.
    const ClipboardItem b = manager->items().at(1);
    manager->deleteItems({b});
    manager->handleItemInserted(b);
    EXPECT_EQ(texts(), (QStringList{"b", "a"}));

    // The top item pasted again stays on top after a restart: within the millisecond of the copies below
    // it, and after the wall clock was set back.
    manager->ingest(textCapture("c"));
    manager->handleItemInserted(manager->items().first());
    open();
    EXPECT_EQ(texts(), (QStringList{"c", "b", "a"}));
    clock.setWallClock(clock.now().addSecs(-60));
    manager->handleItemInserted(manager->items().first());
    open();
    EXPECT_EQ(texts(), (QStringList{"c", "b", "a"}));
}

TEST_F(HistoryTest, DeleteItemsRemovesFromListStoreAndFiles)
{
    manager->ingest(imageCapture("IMG"));
    manager->ingest(textCapture("keep"));
    manager->ingest(textCapture("drop"));
    const auto items = manager->items();
    manager->deleteItems({items.at(0), items.at(2)});
    EXPECT_EQ(texts(), QStringList{"keep"});
    // The image's file went with it; a text keeps everything in its row.
    EXPECT_EQ(QDir(container->blobFolder()).entryList(QDir::Files).size(), 0);
    open();
    EXPECT_EQ(texts(), QStringList{"keep"});
}

TEST_F(HistoryTest, ReReadReplacesTheItemOfItsChange)
{
    ASSERT_TRUE(manager->ingest(textCapture("partial", 7)));
    const QUuid id = manager->items().first().id();
    ClipboardCapture fuller = textCapture("partial", 7);
    fuller.payload.items[0].representations.append({"text/html", "<b>partial</b>", 14, std::nullopt});
    const auto replaced = manager->replaceCapture(fuller);
    ASSERT_TRUE(replaced.has_value());
    EXPECT_EQ(replaced->id(), id);
    EXPECT_EQ(manager->items().size(), 1);
    EXPECT_EQ(pulses, 1);
    EXPECT_TRUE(manager->items().first().payload()->hasType("text/html"));

    // A re-read for an older change is a new copy.
    ASSERT_TRUE(manager->replaceCapture(textCapture("next", 6)));
    EXPECT_EQ(manager->items().size(), 2);
    // Once another copy is on top, a late re-read of change 7 is a new item.
    ASSERT_TRUE(manager->ingest(textCapture("other", 8)));
    EXPECT_TRUE(manager->replaceCapture(textCapture("partial!", 7)).has_value());
    EXPECT_EQ(manager->items().first().text(), "partial!");
    EXPECT_EQ(manager->items().size(), 4);
}

TEST_F(HistoryTest, ReReadThatEqualsThePreviousTopRemovesTheEarlyRead)
{
    manager->ingest(textCapture("full text", 1));
    manager->ingest(textCapture("full", 2)); // an incomplete first read of change 2
    manager->replaceCapture(textCapture("full text", 2));
    EXPECT_EQ(texts(), QStringList{"full text"});
    open();
    EXPECT_EQ(texts(), QStringList{"full text"});
}

TEST_F(HistoryTest, ReReadOfADroppedCaptureIsIngested)
{
    manager->ingest(textCapture("same", 1));
    EXPECT_FALSE(manager->ingest(textCapture("same", 2)));
    EXPECT_TRUE(manager->replaceCapture(textCapture("same, complete", 2)));
    EXPECT_EQ(texts(), (QStringList{"same, complete", "same"}));
}

TEST_F(HistoryTest, SecretCopiesNeverEnter)
{
    ClipboardCapture secret = textCapture("hunter2", 3);
    secret.payload.items[0].representations.append({"x-kde-passwordManagerHint", "secret", 6, std::nullopt});
    EXPECT_FALSE(manager->ingest(secret));
    EXPECT_TRUE(manager->items().isEmpty());
    EXPECT_EQ(pulses, 0);

    // A marker that only shows up in the re-read takes the early read out again.
    manager->ingest(textCapture("hunter2", 4));
    secret.changeCount = 4;
    EXPECT_FALSE(manager->replaceCapture(secret));
    EXPECT_TRUE(manager->items().isEmpty());
    open();
    EXPECT_TRUE(manager->items().isEmpty());
}

TEST_F(HistoryTest, NewItemSignalsAndPlainTextRewrite)
{
    QStringList preChecked;
    QList<QUuid> queued;
    QStringList rewrites;
    bool plain = false;
    QObject::connect(manager.get(), &ClipboardHistoryManager::textItemAdded,
                     [&](const QString &text, const QString &source) { preChecked.append(text + "@" + source); });
    QObject::connect(manager.get(), &ClipboardHistoryManager::analysisWanted,
                     [&](const ClipboardItem &item) { queued.append(item.id()); });
    manager->setPasteAsPlainTextProvider([&] { return plain; });
    QObject::connect(manager.get(), &ClipboardHistoryManager::plainTextRewriteRequested,
                     [&](const QString &text) { rewrites.append(text); });

    ClipboardCapture rich = textCapture("rich");
    rich.payload.items[0].representations.append({"text/html", "<b>rich</b>", 11, std::nullopt});
    manager->ingest(rich);
    EXPECT_TRUE(rewrites.isEmpty());
    plain = true;
    rich.text = "rich 2";
    manager->ingest(rich);
    manager->ingest(textCapture("plain"));
    ClipboardCapture rtfLink = textCapture("https://a.org", 0, ClipboardItemType::url);
    rtfLink.payload.items[0].representations.append({"text/rtf", "{\\rtf1}", 7, std::nullopt});
    manager->ingest(rtfLink);
    ClipboardCapture image = imageCapture("IMG");
    image.payload.items[0].representations.append({"text/html", "<img>", 5, std::nullopt});
    manager->ingest(image);
    // Text with an image beside it (its bytes not read yet) is kept whole.
    ClipboardCapture captioned = textCapture("caption");
    captioned.payload.items[0].representations.append({"text/html", "<img>", 5, std::nullopt});
    captioned.payload.items[0].representations.append({"image/png", {}, 0, std::nullopt});
    manager->ingest(captioned);
    manager->ingest(fileCapture({"/f"}));
    manager->ingest(textCapture("   "));

    EXPECT_EQ(rewrites, (QStringList{"rich 2", "https://a.org"}));
    EXPECT_EQ(preChecked.size(), 6);
    EXPECT_EQ(preChecked.first(), "rich@org.example.editor");
    // Text and links with text, and the image; not the file or the blank text.
    EXPECT_EQ(queued.size(), 6);
}

TEST_F(HistoryTest, FailedSaveKeepsMemoryAndRetries)
{
    manager->ingest(textCapture("first"));
    // Break the database under the store: the table is gone.
    QSqlQuery(container->database()).exec("ALTER TABLE ClipboardItem RENAME TO Hidden");
    manager->ingest(textCapture("second"));
    EXPECT_EQ(texts(), (QStringList{"second", "first"}));
    QSqlQuery(container->database()).exec("ALTER TABLE Hidden RENAME TO ClipboardItem");
    manager->ingest(textCapture("third"));
    open();
    EXPECT_EQ(texts(), (QStringList{"third", "second", "first"}));
}

namespace {

// Long enough to need a page of the store's file of its own, and not to be compressed into less.
QString longText(int seed)
{
    QRandomGenerator random(seed);
    QString text(10'000, Qt::Uninitialized);
    for (QChar &c : text)
        c = QChar(u'0' + random.bounded(64));
    return text;
}

// The store's disk is full: its file takes no page more than it has.
void fillDisk(MainStoreContainer &container, bool full)
{
    QSqlQuery query(container.database());
    ASSERT_TRUE(query.exec("PRAGMA page_count") && query.next());
    const int pages = full ? query.value(0).toInt() : 1'000'000'000;
    query.finish();
    ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
}

class FullDisk : public HistoryTest, public testing::WithParamInterface<std::string> {};

} // namespace

TEST_P(FullDisk, KeepsTheCopiesAndSavesThemOnceThereIsRoom)
{
    const std::string then = GetParam();
    manager->ingest(textCapture("before"));
    QSignalSpy problems(manager.get(), &ClipboardHistoryManager::saveProblemChanged);
    QSignalSpy lost(manager.get(), &ClipboardHistoryManager::changesLostAtStop);
    fillDisk(*container, true);
    for (int i = 0; i < 11; ++i) {
        clock.advance(1);
        manager->ingest(textCapture(longText(i)));
    }
    clock.advance(1);
    manager->ingest(imageCapture(QByteArray(3000, 'p')));
    ASSERT_EQ(manager->items().size(), 13);
    EXPECT_EQ(problems.count(), 1); // told once, in words
    EXPECT_TRUE(manager->saveProblem().startsWith("the disk is full")) << manager->saveProblem().toStdString();

    if (then == "waits")
        clock.advance(600); // tried again and again in vain meanwhile
    if (then != "quitsStillFull")
        fillDisk(*container, false);
    if (then == "waits")
        clock.advance(2); // room again: saved within moments, before a kill could take them
    else
        manager->stop();
    ASSERT_EQ(lost.count(), then == "quitsStillFull" ? 1 : 0);
    // The image's row still fits where the long texts' do not: it is saved, and they wait no more for it.
    if (!lost.isEmpty()) {
        EXPECT_EQ(lost.first().first().toString(), "11 copies could not be saved: the disk is full");
    }
    open();
    if (then == "quitsStillFull") {
        EXPECT_EQ(texts(), QStringList({"", "before"}));
        return;
    }
    ASSERT_EQ(manager->items().size(), 13);
    EXPECT_EQ(manager->items().first().imageData(), QByteArray(3000, 'p'));
    EXPECT_EQ(manager->items().at(1).text(), longText(10));
}

INSTANTIATE_TEST_SUITE_P(Then, FullDisk, testing::Values("quits", "waits", "quitsStillFull"),
                         [](const auto &info) { return info.param; });

int warnings = 0;

void countWarning(QtMsgType type, const QMessageLogContext &, const QString &)
{
    warnings += type == QtWarningMsg;
}

TEST_F(HistoryTest, ACopyTooLargeForTheRoomLeftHoldsBackNoOther)
{
    QSignalSpy problems(manager.get(), &ClipboardHistoryManager::saveProblemChanged);
    // No file of this process may grow past 1 MB: the large image does not fit, short copies do.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit low = saved;
    low.rlim_cur = 1 << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    warnings = 0;
    const QtMessageHandler handler = qInstallMessageHandler(countWarning);
    // Staged first, as every copy is: the same problem meets each large one, and is said once.
    for (const char fill : {'p', 'q'}) {
        ClipboardCapture image = imageCapture(QByteArray(2 << 20, fill));
        store->stage(image);
        manager->ingest(image);
        clock.advance(1);
    }
    for (const char *text : {"short", "shorter", "shortest"}) {
        clock.advance(1);
        manager->ingest(textCapture(text));
    }
    qInstallMessageHandler(handler);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(problems.count(), 1) << manager->saveProblem().toStdString();
    EXPECT_EQ(manager->saveProblem(), "a file in " + container->blobFolder() + " would grow beyond what the system allows");
    open();
    EXPECT_EQ(texts(), QStringList({"shortest", "shorter", "short"}));
}

// The newest waiting copy names the problem: copies whose rows and copies whose files do not fit, copied in
// turn, name one full disk in two ways. It is said as it begins, once.
TEST_F(HistoryTest, AProblemMetInTwoWaysInTurnIsSaidOnce)
{
    QSignalSpy problems(manager.get(), &ClipboardHistoryManager::saveProblemChanged);
    fillDisk(*container, true);
    ASSERT_TRUE(QDir(container->blobFolder()).removeRecursively());
    QFile inTheWay(container->blobFolder());
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();
    warnings = 0;
    const QtMessageHandler handler = qInstallMessageHandler(countWarning);
    for (int i = 0; i < 2; ++i) {
        clock.advance(1);
        manager->ingest(textCapture(longText(i)));
        clock.advance(1);
        manager->ingest(imageCapture(QByteArray(3000, char('p' + i))));
    }
    qInstallMessageHandler(handler);
    EXPECT_GE(problems.count(), 3); // the settings show the newest
    EXPECT_EQ(warnings, 1);
}

class StoreTakenAway : public HistoryTest, public testing::WithParamInterface<std::string> {};

TEST_P(StoreTakenAway, IsNoticedAndTheHistorySavedIntoItsSuccessor)
{
    manager->ingest(imageCapture("PNGDATA"));
    clock.advance(1);
    manager->ingest(textCapture("before"));
    open(); // their formats are now read from the file when asked for
    QSignalSpy replaced(manager.get(), &ClipboardHistoryManager::storeReplaced);
    const QString path = container->storePath();
    ASSERT_TRUE(QFile::remove(path));
    if (GetParam() == "replacedByAnotherFile") {
        QFile other(path);
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write(QByteArray(8192, 'x'));
    }
    if (GetParam() == "deletedWhileNothingIsCopied") {
        clock.advance(ClipboardHistoryManager::cleanupInterval);
    } else {
        clock.advance(1);
        manager->ingest(textCapture("after"));
        clock.advance(1);
        manager->ingest(textCapture("later"));
    }
    EXPECT_EQ(replaced.count(), 1);
    open();
    const QStringList session = GetParam() == "deletedWhileNothingIsCopied" ? QStringList() : QStringList{"later", "after"};
    ASSERT_EQ(texts(), session + QStringList({"before", ""}));
    const std::optional<PasteboardPayload> payload = manager->items().last().payload();
    ASSERT_TRUE(payload && !payload->items.isEmpty());
    EXPECT_EQ(payload->items[0].representations[0].data, "PNGDATA");
}

INSTANTIATE_TEST_SUITE_P(Cases, StoreTakenAway,
                         testing::Values("deleted", "replacedByAnotherFile", "deletedWhileNothingIsCopied"),
                         [](const auto &info) { return info.param; });

TEST_F(HistoryTest, ADeletedCopyTheClipboardStillHoldsComesBackOnlyAsANewCopy)
{
    manager->ingest(textCapture("older"));
    clock.advance(1);
    manager->ingest(textCapture("token"));
    manager->deleteItems({manager->items().first()});
    ClipboardCapture stillThere = textCapture("token");
    stillThere.presentAtStart = true;
    for (int start = 0; start < 2; ++start) {
        open();
        EXPECT_FALSE(manager->ingest(stillThere).has_value());
    }
    EXPECT_EQ(texts(), QStringList{"older"});
    clock.advance(1);
    EXPECT_TRUE(manager->ingest(textCapture("token")).has_value());
    EXPECT_EQ(texts(), QStringList({"token", "older"}));

    // Other content found at a start enters as before, and ends the memory: the deleted content, copied
    // again while Tavlen was not running, is taken at the next start.
    manager->deleteItems({manager->items().first()});
    ClipboardCapture other = textCapture("other");
    other.presentAtStart = true;
    open();
    EXPECT_TRUE(manager->ingest(other).has_value());
    open();
    EXPECT_TRUE(manager->ingest(stillThere).has_value());
}

TEST_F(HistoryTest, RevisionsRiseOnEveryChange)
{
    QSignalSpy storage(manager.get(), &ClipboardHistoryManager::storageRevisionChanged);
    QSignalSpy search(manager.get(), &ClipboardHistoryManager::searchRevisionChanged);
    manager->ingest(textCapture("a"));
    manager->ingest(textCapture("a"));
    EXPECT_EQ(storage.count(), 1);
    EXPECT_EQ(search.count(), 1);
    manager->deleteItems(manager->items());
    EXPECT_EQ(storage.count(), 2);
}

} // namespace
