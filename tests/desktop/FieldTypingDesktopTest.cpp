// Putting a value into another application's field on the real desktop, through Tavlen's own composition:
// Super + double-click on a Qt or GTK login form's e-mail field opens the field's remembered values,
// choosing one replaces the field's text with it exactly (read back by the application itself), and the
// value is remembered in the store and the keyring. The focus moving to another window before the keys
// go out types nothing anywhere, a hung application gets nothing while Tavlen keeps running, and a French
// keyboard layout still gets Control+A and the exact text.

#include "DesktopTest.h"
#include "LoginFormApp.h"
#include "HungApplicationLeaks.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "fields/FieldValueAssociationService.h"
#include "fields/FocusedFieldAutoPasteService.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/SettingsStore.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxKeyboardOutput.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/XcbSession.h"
#include "state/AppState.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace {

using Outcome = FocusedFieldAutoPasteService::InsertionOutcome;

const QString chosenValue = QString::fromUtf8("zażółć 😀 ok");

QString xdotool(const QStringList &arguments)
{
    return QString::fromUtf8(DesktopTest::run(QStringLiteral("xdotool"), arguments).standardOutput).trimmed();
}

// A keyboard that gives the focus to another window just before its first key of the given kind goes
// out, as a user clicking elsewhere at that moment would. Its X connection comes first and goes last.
struct OwnX11 {
    XcbSession x11;
};
class FocusStealingKeyboard : private OwnX11, public LinuxKeyboardOutput {
public:
    enum class Before { controlA, text };
    FocusStealingKeyboard(Clock &clock, Before before, std::function<void()> steal)
        : LinuxKeyboardOutput(clock, x11)
        , m_before(before)
        , m_steal(std::move(steal))
    {
    }
    bool postUnicodeText(const QString &chunk, qint64 pid) override
    {
        if (m_before == Before::text)
            stealOnce();
        return LinuxKeyboardOutput::postUnicodeText(chunk, pid);
    }

protected:
    bool postChordHalf(const KeyChord &chord, bool down, qint64 targetPid) override
    {
        if (down && m_before == Before::controlA)
            stealOnce();
        return LinuxKeyboardOutput::postChordHalf(chord, down, targetPid);
    }

private:
    void stealOnce()
    {
        if (std::exchange(m_stolen, true))
            return;
        m_steal();
    }
    Before m_before;
    std::function<void()> m_steal;
    bool m_stolen = false;
};

class FieldTypingDesktopTest : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }

    void TearDown() override
    {
        if (delegate)
            delegate->stop();
        delegate.reset();
        keyboard.reset();
        platform.reset();
    }

    // Starts the login form of the test's toolkit with `email` in its e-mail field.
    void startForm(const QString &email)
    {
        form = std::make_unique<LoginFormApp>(QString::fromLatin1(GetParam()), email);
        ASSERT_TRUE(form->waitUntilReady()) << form->process().output().constData();
        ASSERT_GT(form->emailRect().width(), 20);
    }

    // Tavlen with field suggestions on, on the real desktop (with `keyboard` instead of its own, when set).
    void startTavlen()
    {
        if (!platform)
            platform = std::make_unique<LinuxPlatform>();
        Platform p = platform->platform();
        if (keyboard)
            p.keyboard = keyboard.get();
        delegate = std::make_unique<AppDelegate>(p, LaunchOptions{});
        delegate->appState().settings()->update([](UserSettingsData &s) {
            s.aiEnabled = true;
            s.fieldSuggestionsEnabled = true;
        });
        delegate->start();
        TAVLEN_WAIT_UNTIL(form->refreshGeometry() && target(), 10000);
    }

    // The e-mail field as Tavlen reads it under its centre.
    std::optional<ClipboardPasteTarget> target() const
    {
        return form->emailTarget(*delegate->appState().focusedFieldSuggestions());
    }

    // The same, read again while a loaded desktop keeps AT-SPI from answering within Tavlen's time budget.
    std::optional<ClipboardPasteTarget> waitForTarget() const
    {
        std::optional<ClipboardPasteTarget> found;
        DesktopTest::waitUntil([&] { return (found = target()).has_value(); }, 10000 * DesktopTest::loadedMachineFactor);
        return found;
    }

    QString emailText() { return form->emailText(); }

    FocusedFieldAutoPasteService &autoPaste() const { return *delegate->autoPasteService(); }

    bool waitForOutcome(int timeoutMs = 15000)
    {
        return DesktopTest::waitUntil([this] { return autoPaste().lastInsertionOutcome().has_value(); }, timeoutMs);
    }

    NotchLauncherWindow *windowWithFieldValues() const
    {
        NotchLauncherService *launchers = delegate->launcherService();
        for (NotchLauncherWindow *window : launchers->windows().values() + launchers->fieldWindows().values()) {
            if (window->isExpanded() && window->viewModel()->aiContext())
                return window;
        }
        return nullptr;
    }

    std::unique_ptr<LoginFormApp> form;
    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<KeyboardOutput> keyboard;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_P(FieldTypingDesktopTest, SuperDoubleClickOffersTheFieldsValuesAndTheChosenOneReplacesItsText)
{
    startForm(QStringLiteral("old@example.org"));
    startTavlen();
    const std::optional<ClipboardPasteTarget> field = waitForTarget();
    ASSERT_TRUE(field);
    FieldValueAssociationService &store = *delegate->appState().fieldValueAssociations();
    ASSERT_EQ(DesktopTest::finish(store.recordValue(chosenValue, field->field->descriptor)), true);
    ASSERT_EQ(DesktopTest::finish(store.recordValue(QStringLiteral("other@example.org"), field->field->descriptor)), true);

    const QPoint click = form->emailRect().center();
    xdotool({"mousemove", "--sync", QString::number(click.x()), QString::number(click.y())});
    xdotool({"keydown", "super", "click", "--repeat", "2", "--delay", "80", "1", "keyup", "super"});
    NotchLauncherWindow *window = nullptr;
    TAVLEN_WAIT_UNTIL((window = windowWithFieldValues()) != nullptr, 8000);
    std::optional<FocusedFieldSuggestion> chosen;
    for (const FocusedFieldSuggestion &suggestion : window->viewModel()->aiContext()->historySuggestions) {
        if (suggestion.value == chosenValue)
            chosen = suggestion;
    }
    ASSERT_TRUE(chosen) << "the field's remembered value is offered";
    ASSERT_TRUE(autoPaste().notchTarget());

    window->selectAISuggestion(*chosen);
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(autoPaste().lastInsertionOutcome(), Outcome::typed);
    EXPECT_EQ(emailText(), chosenValue);

    // Remembered once more: the store's record counts the use, and the value comes back from the keyring.
    QList<FocusedFieldSuggestion> remembered
        = DesktopTest::finish(store.suggestions(field->field->descriptor, 10, false)).value_or(QList<FocusedFieldSuggestion>());
    const auto it = std::find_if(remembered.begin(), remembered.end(),
                                 [](const FocusedFieldSuggestion &s) { return s.value == chosenValue; });
    ASSERT_NE(it, remembered.end());
    EXPECT_EQ(it->usageCount, 2);
}

TEST_P(FieldTypingDesktopTest, FocusMovingToAnotherWindowFirstTypesNothingAnywhere)
{
    for (const auto before : {FocusStealingKeyboard::Before::controlA, FocusStealingKeyboard::Before::text}) {
        SCOPED_TRACE(before == FocusStealingKeyboard::Before::controlA ? "before Control+A" : "before the text");
        DesktopTest::ChildProcess other(DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                                        {QStringLiteral("--title"), QStringLiteral("Elsewhere")});
        ASSERT_TRUE(other.waitForLine("ready"));
        QString otherWindow;
        TAVLEN_WAIT_UNTIL(!(otherWindow = xdotool({"search", "--onlyvisible", "--pid", QString::number(other.pid())})
                                              .section(QLatin1Char('\n'), 0, 0))
                               .isEmpty(),
                          5000);
        ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {"type", "--delay", "20", "keep me"}).succeeded());
        auto otherText = [&] {
            other.writeLine("dump");
            const std::optional<QByteArray> line = other.waitForLine("text ", 3000);
            return line ? QString::fromUtf8(line->mid(5)) : QStringLiteral("<no answer>");
        };
        TAVLEN_WAIT_UNTIL(otherText() == QStringLiteral("keep me"), 5000);

        startForm(QStringLiteral("old@example.org"));
        auto steal = [otherWindow] { xdotool({"windowactivate", "--sync", otherWindow}); };
        platform = std::make_unique<LinuxPlatform>();
        keyboard = std::make_unique<FocusStealingKeyboard>(*platform->platform().clock, before, steal);
        startTavlen();
        const std::optional<ClipboardPasteTarget> field = waitForTarget();
        ASSERT_TRUE(field);
        FocusedFieldSuggestion suggestion;
        suggestion.value = QStringLiteral("must not appear");
        ASSERT_TRUE(autoPaste().insertValue(suggestion, *field->field, field->application,
                                            delegate->appState().focusedFieldSuggestions()->fieldFrame(*field->field).value()));
        ASSERT_TRUE(waitForOutcome());
        EXPECT_EQ(autoPaste().lastInsertionOutcome(), Outcome::notStarted);
        EXPECT_EQ(emailText(), QStringLiteral("old@example.org"));
        // Nothing reached the window that took the focus, not even Control+A: a key typed there now goes
        // after its text instead of replacing a selection.
        EXPECT_EQ(otherText(), QStringLiteral("keep me"));
        xdotool({"windowactivate", "--sync", otherWindow});
        ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {"type", "Z"}).succeeded());
        TAVLEN_WAIT_UNTIL(otherText() != QStringLiteral("keep me"), 5000);
        EXPECT_EQ(otherText(), QStringLiteral("keep meZ"));
        TearDown();
        form.reset();
    }
}

TEST_P(FieldTypingDesktopTest, AFrenchKeyboardLayoutStillGetsControlAAndTheExactText)
{
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("setxkbmap"), {"fr"}).succeeded());
    struct Restore {
        ~Restore() { DesktopTest::run(QStringLiteral("setxkbmap"), {"us"}); }
    } restore;
    startForm(QStringLiteral("avant@example.org"));
    startTavlen();
    const std::optional<ClipboardPasteTarget> field = waitForTarget();
    ASSERT_TRUE(field);
    // Letters that sit elsewhere on AZERTY (a, q, z, w, m), digits that need Shift there, and text the
    // layout has no key for.
    const QString value = QString::fromUtf8("aqzwm 123 ") + chosenValue;
    FocusedFieldSuggestion suggestion;
    suggestion.value = value;
    ASSERT_TRUE(autoPaste().insertValue(suggestion, *field->field, field->application,
                                        delegate->appState().focusedFieldSuggestions()->fieldFrame(*field->field).value()));
    ASSERT_TRUE(waitForOutcome());
    EXPECT_EQ(autoPaste().lastInsertionOutcome(), Outcome::typed);
    EXPECT_EQ(emailText(), value);
}

TEST_P(FieldTypingDesktopTest, AHungApplicationGetsNothingAndTavlenKeepsRunning)
{
    startForm(QStringLiteral("old@example.org"));
    startTavlen();
    const std::optional<ClipboardPasteTarget> field = waitForTarget();
    ASSERT_TRUE(field);
    const QRectF frame = delegate->appState().focusedFieldSuggestions()->fieldFrame(*field->field).value();
    // The longest time Tavlen's own event loop went without a turn meanwhile.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });

    form->process().writeLine("hang 4");
    FocusedFieldSuggestion suggestion;
    suggestion.value = QStringLiteral("typed into a hung form");
    sinceTick.start();
    ticker.start(50);
    ASSERT_TRUE(autoPaste().insertValue(suggestion, *field->field, field->application, frame));
    ASSERT_TRUE(waitForOutcome());
    ticker.stop();
    EXPECT_EQ(autoPaste().lastInsertionOutcome(), Outcome::notStarted);
    // A freeze would last the whole hang; short accessibility calls are all that may hold the loop.
    EXPECT_LT(longestGap, 2000);
    ASSERT_TRUE(form->process().waitForLine("awake", 10000));
    // Once awake it finds no keys waiting for it.
    EXPECT_EQ(emailText(), QStringLiteral("old@example.org"));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, FieldTypingDesktopTest, ::testing::Values("qt_login_app", "gtk_login_app"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, 3) == "qt_" ? std::string("Qt") : std::string("Gtk");
                         });

} // namespace
