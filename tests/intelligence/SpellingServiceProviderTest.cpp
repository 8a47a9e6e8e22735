// The spelling service on the simulated desktop: what it refuses and with which words (handed back as the
// request's answer, as the session bus carries it), the one review window and its place, a capture that
// only allows replacement where it is safe, and the whole road from a request to the corrected field.

#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIService.h"
#include "intelligence/SpellingRefusalWindow.h"
#include "intelligence/SpellingServiceContent.h"
#include "intelligence/SpellingServiceProvider.h"
#include "model/SettingsStore.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/sim/SimPlatform.h"
#include "ui/AlertView.h"
#include "ui/CustomWindow.h"
#include "ui/PushButton.h"

#include <QCoreApplication>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

const QString fieldText = QStringLiteral("Notes: teh meeting is tomorow.");
const QString selected = QStringLiteral("teh meeting is tomorow.");
const QString corrected = QStringLiteral("the meeting is tomorrow.");

struct Service {
    Service()
    {
        settings.update([](UserSettingsData &s) { s.aiEnabled = true; });
        sim.languageModel.answerer = [](const LanguageModelRequest &) {
            return LanguageModelResponse::completedWith(corrected);
        };
        editor = sim.workspace.addApplication(QStringLiteral("org.example.notes"), QStringLiteral("Notes"));
        sim.workspace.bringToFront(editor);
        field = sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::window)->addChild(AccessibilityRole::textField);
        field->setText(fieldText, {7, 23});
        field->textEditable = true;
        field->setFocused();
        provider.install();
    }
    ~Service() { provider.closePreviewWindow(); }

    // A request as it arrives over the session bus.
    TextServiceReply request(const QString &text)
    {
        const Task<TextServiceReply> reply = sim.textServices.requestSpellingCheck(text, 20);
        EXPECT_TRUE(reply.isFinished());
        return reply.result().value_or(TextServiceReply{});
    }
    SpellingPreviewView *panel() const
    {
        return provider.previewContent() ? provider.previewContent()->panel() : nullptr;
    }
    QString fieldValue() const { return field->attribute(AccessibilityAttribute::value).string().value_or(QString()); }

    SimPlatform sim;
    SettingsStore settings{sim.preferences};
    ClipboardAIService service{sim.languageModel};
    ClipboardAIController ai{service, sim.clock};
    SpellingServiceProvider provider{settings, ai, sim.platform()};
    RunningApplication editor;
    std::shared_ptr<SimAccessibilityNode> field;
};

TEST(SpellingServiceProviderTest, RefusalsComeBackAsTheAnswerAndOpenNoWindow)
{
    struct Row {
        const char *what;
        std::function<void(Service &)> setUp;
        QString text;
        QString message;
    };
    const QString tooLong = QString(1501, QLatin1Char('a'));
    const QList<Row> rows{
        {"local intelligence off", [](Service &s) { s.settings.update([](UserSettingsData &d) { d.aiEnabled = false; }); },
         selected, QStringLiteral("Enable local AI in Tavlen Settings to check spelling.")},
        {"no text", [](Service &) {}, QString(), QStringLiteral("Select text to check its spelling.")},
        {"only spaces and new lines", [](Service &) {}, QStringLiteral(" \n\t\n "), QStringLiteral("There is no text to analyze.")},
        {"over 1,500 bytes", [](Service &) {}, tooLong, ClipboardAIError::selectionTooLong().localizedDescription()},
        {"750 two-byte letters, exactly 1,500 bytes, but no model",
         [](Service &s) { s.sim.languageModel.currentAvailability = LanguageModelAvailability::modelNotReady; },
         QString(750, QChar(0x00e9)), ClipboardAIError::unavailable().localizedDescription()},
        {"no model endpoint",
         [](Service &s) { s.sim.languageModel.currentAvailability = LanguageModelAvailability::notEnabled; }, selected,
         ClipboardAIError::unavailable().localizedDescription()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Service s;
        row.setUp(s);
        const TextServiceReply reply = s.request(row.text);
        EXPECT_EQ(reply.status, TextServiceReply::Status::refused);
        EXPECT_EQ(reply.message, row.message);
        EXPECT_EQ(s.provider.previewWindow(), nullptr);
        EXPECT_TRUE(s.sim.languageModel.requests().isEmpty()) << "nothing reached the model";
    }
}

TEST(SpellingServiceProviderTest, ARequestOpensTheReviewWindowWithTheSelection)
{
    Service s;
    EXPECT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
    QWidget *window = s.provider.previewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Check Spelling \u00b7 Tavlen"));
    EXPECT_EQ(window->size(), QSize(640, 540));
    EXPECT_EQ(window->minimumSize(), QSize(540, 460));
    EXPECT_TRUE(window->isVisible());
    ASSERT_NE(s.panel(), nullptr);
    EXPECT_EQ(s.panel()->original(), selected);
    EXPECT_TRUE(s.panel()->canReplace());
    // The check ran at once with the spelling action.
    EXPECT_FALSE(s.panel()->isLoading());
    EXPECT_EQ(s.panel()->corrected(), corrected);
    ASSERT_EQ(s.sim.languageModel.requests().size(), 1);
    EXPECT_TRUE(s.sim.languageModel.requests().first().prompt.contains(selected));

    // A refused request leaves the open window as it is; a new one replaces it.
    EXPECT_EQ(s.request(QString()).status, TextServiceReply::Status::refused);
    EXPECT_EQ(s.provider.previewWindow(), window);
    QPointer<QWidget> first(window);
    EXPECT_EQ(s.request(QStringLiteral("Meeting")).status, TextServiceReply::Status::accepted);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "one review window at a time";
    ASSERT_NE(s.panel(), nullptr);
    EXPECT_EQ(s.panel()->original(), QStringLiteral("Meeting"));
    EXPECT_FALSE(s.panel()->canReplace()) << "the field's selection is not the delivered text";
}

// Another program's call never takes the keyboard from the person: the window it opens, refusal or review,
// comes without it, and a click on OK still closes the refusal; the person's own command gives it the keyboard.
TEST(SpellingServiceProviderTest, OnlyThePersonsOwnCommandTakesTheKeyboard)
{
    struct Row {
        const char *what;
        bool byCommand;
        bool aiEnabled;
    };
    const Row rows[] = {
        {"a refusal, the person's command", true, false},
        {"a refusal, another program", false, false},
        {"a review, the person's command", true, true},
        {"a review, another program", false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Service s;
        s.settings.update([&](UserSettingsData &d) { d.aiEnabled = row.aiEnabled; });
        s.sim.textServices.requestsByCommand = row.byCommand;
        s.request(selected);
        if (row.aiEnabled) {
            ASSERT_NE(s.provider.previewWindow(), nullptr);
            // Shown without activating (the offscreen platform activates every window shown).
            EXPECT_EQ(s.provider.previewWindow()->testAttribute(Qt::WA_ShowWithoutActivating), !row.byCommand);
            continue;
        }
        SpellingRefusalWindow *refusal = s.provider.refusalWindow();
        ASSERT_NE(refusal, nullptr);
        EXPECT_TRUE(refusal->window()->panel().isVisible());
        EXPECT_EQ(refusal->window()->panel().hasKeyboard(), row.byCommand);
        refusal->alert()->okButton()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(s.provider.refusalWindow(), nullptr);
    }
}

TEST(SpellingServiceProviderTest, ReplacementIsOfferedOnlyWhereItIsSafe)
{
    struct Row {
        const char *what;
        std::function<void(Service &)> setUp;
        bool canReplace;
    };
    const QList<Row> rows{
        {"an editable field in front", [](Service &) {}, true},
        {"a password field",
         [](Service &s) { s.field->set(AccessibilityAttribute::role, AccessibilityRole::secureTextField); }, false},
        {"Tavlen itself in front", [](Service &s) { s.sim.workspace.clearFrontmost(); }, false},
        {"no accessibility", [](Service &s) { s.sim.permissions.trusted = false; }, false},
        {"a read-only text", [](Service &s) { s.field->textEditable = false; }, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Service s;
        row.setUp(s);
        EXPECT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
        ASSERT_NE(s.panel(), nullptr);
        EXPECT_EQ(s.panel()->canReplace(), row.canReplace);
        EXPECT_EQ(s.panel()->isNoteShown(), !row.canReplace);
        EXPECT_EQ(s.panel()->replaceButton()->isEnabled(), row.canReplace);
    }
}

TEST(SpellingServiceProviderTest, ReplaceWritesTheCorrectionIntoTheFieldAndCloses)
{
    Service s;
    ASSERT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
    // The review window took the keyboard: the notes application reports no focused element now.
    s.sim.accessibility.application(s.editor.pid)->process().focused.reset();
    s.panel()->applyReplacement();
    EXPECT_EQ(s.fieldValue(), QStringLiteral("Notes: the meeting is tomorrow."));
    EXPECT_EQ(s.provider.previewWindow(), nullptr);
    ASSERT_FALSE(s.sim.workspace.activations.isEmpty());
    EXPECT_EQ(s.sim.workspace.activations.last().application.pid, s.editor.pid);
}

TEST(SpellingServiceProviderTest, AFieldChangedDuringTheReviewKeepsWhatThePersonTyped)
{
    Service s;
    ASSERT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
    s.field->setText(fieldText + QStringLiteral(" Bring snacks."), {7, 23});
    s.panel()->applyReplacement();
    EXPECT_EQ(s.fieldValue(), fieldText + QStringLiteral(" Bring snacks."));
    ASSERT_NE(s.provider.previewWindow(), nullptr) << "the window stays for copying";
    EXPECT_TRUE(s.panel()->errorMessage().value_or(QString()).startsWith(QStringLiteral("The selection changed")));
}

TEST(SpellingServiceProviderTest, TheWindowFollowsTheSettingAndItsCloseButton)
{
    Service s;
    ASSERT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
    s.settings.update([](UserSettingsData &d) { d.aiEnabled = false; });
    EXPECT_EQ(s.provider.previewWindow(), nullptr) << "switching local intelligence off closes it";

    s.settings.update([](UserSettingsData &d) { d.aiEnabled = true; });
    ASSERT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
    s.provider.previewWindow()->close();
    EXPECT_EQ(s.provider.previewWindow(), nullptr);
    ASSERT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
    EXPECT_NE(s.provider.previewWindow(), nullptr) << "a later request opens a fresh window";
}

TEST(SpellingServiceProviderTest, AModelAnswerThatIsCutOrBlankNeverReachesTheField)
{
    struct Row {
        const char *what;
        LanguageModelResponse response;
        QString shown;
    };
    const QList<Row> rows{
        {"cut at its token limit",
         LanguageModelResponse::failedWith(LanguageModelResponse::Status::truncated, QStringLiteral("The answer was cut off.")),
         QStringLiteral("The answer was cut off.")},
        {"blank", LanguageModelResponse::completedWith(QStringLiteral(" \n ")), QStringLiteral("There is no text to analyze.")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Service s;
        s.sim.languageModel.queueResponse(row.response);
        ASSERT_EQ(s.request(selected).status, TextServiceReply::Status::accepted);
        EXPECT_EQ(s.panel()->errorMessage(), row.shown);
        EXPECT_FALSE(s.panel()->replaceButton()->isEnabled());
        s.panel()->applyReplacement();
        EXPECT_EQ(s.fieldValue(), fieldText);
        EXPECT_TRUE(s.field->writes.isEmpty());
    }
}

} // namespace
