// The spelling review panel on the simulated clock: its states (checking, a result, an error, an edit),
// Copy and Replace, the keys (Return in the editor is a new line, never a replacement), what a refused
// replacement tells the person, and snapshots of the review window in both colour schemes.

#include "DesktopTest.h"
#include "SnapshotCheck.h"

#include "intelligence/SpellingPreviewView.h"
#include "platform/sim/SimPlatform.h"
#include "ui/GroupBox.h"
#include "ui/PushButton.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Replacement = SpellingSelectionTarget::Replacement;

// The model's check, answered after a second on the simulated clock.
struct ScriptedCheck {
    SimClock &clock;
    ClipboardAIResult<QString> answer = QString();
    int calls = 0;

    SpellingPreviewView::CheckSpelling function()
    {
        return [this](QString) {
            ++calls;
            return run(clock, answer);
        };
    }
    static Task<ClipboardAIResult<QString>> run(SimClock &clock, ClipboardAIResult<QString> answer)
    {
        const bool awake = co_await clock.sleep(1);
        if (!awake)
            co_return ClipboardAIError::unavailable();
        co_return answer;
    }
};

struct Panel {
    // `remote`: the address the model answers from, empty for this computer.
    explicit Panel(QString original, ClipboardAIResult<QString> answer, bool canReplace = true, QString remote = {})
    {
        sim.languageModel.remote = std::move(remote);
        check.answer = std::move(answer);
        view = std::make_unique<SpellingPreviewView>(
            std::move(original), true, canReplace, check.function(),
            [this](QString corrected) {
                replaced.append(corrected);
                return replaceOutcome;
            },
            [this] { ++closes; }, sim.platform(), [this] { return Palette::from(&sim.appearance, QColor(10, 132, 255)); });
        view->resize(640, 540);
    }
    void finishCheck() { sim.clock.advance(1); }
    bool isProgressShown() const { return view->isLoading(); }

    SimPlatform sim;
    ScriptedCheck check{sim.clock};
    Replacement replaceOutcome = Replacement::replaced;
    QStringList replaced;
    int closes = 0;
    std::unique_ptr<SpellingPreviewView> view;
};

const QString original = QStringLiteral("Teh quick brown fox jumpd over the lazy dog.");
const QString correction = QStringLiteral("The quick brown fox jumped over the lazy dog.");

TEST(SpellingPreviewViewTest, StatesOfThePanel)
{
    struct Row {
        const char *what;
        QString original;
        ClipboardAIResult<QString> answer;
        bool canReplace;
        std::optional<QString> edit; // what the person leaves in the editor
        QString resultTitle;         // empty: no editor shown
        QString error;
        bool copyEnabled;
        bool replaceEnabled;
    };
    const QString padded = QStringLiteral("\n\n  Well spelled.\n");
    const QList<Row> rows{
        {"a correction", original, correction, true, {}, QStringLiteral("Corrected text"), {}, true, true},
        {"nothing to correct", padded, padded, true, {}, QStringLiteral("No changes needed"), {}, true, true},
        {"a correction without direct replacement", original, correction, false, {}, QStringLiteral("Corrected text"),
         {}, true, false},
        {"the model failed", original, ClipboardAIError::unavailable(), true, {}, {},
         ClipboardAIError::unavailable().localizedDescription(), false, false},
        {"an answer cut at its limit", original, ClipboardAIError::generation(QStringLiteral("The answer was cut off.")),
         true, {}, {}, QStringLiteral("The answer was cut off."), false, false},
        {"the correction deleted by the person", original, correction, true, QString(), {}, {}, false, false},
        {"the correction blanked by the person", original, correction, true, QStringLiteral("  \n "),
         QStringLiteral("Corrected text"), {}, false, false},
        {"the correction edited back to the original", original, correction, true, original,
         QStringLiteral("No changes needed"), {}, true, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Panel panel(row.original, row.answer, row.canReplace);
        EXPECT_TRUE(panel.isProgressShown());
        EXPECT_EQ(panel.view->resultTitle(), QString());
        EXPECT_FALSE(panel.view->copyButton()->isEnabled());
        EXPECT_FALSE(panel.view->replaceButton()->isEnabled());
        EXPECT_EQ(panel.view->isNoteShown(), !row.canReplace) << "the note shows from the start";

        panel.finishCheck();
        EXPECT_FALSE(panel.isProgressShown());
        if (row.edit)
            panel.view->editor()->setPlainText(*row.edit);
        EXPECT_EQ(panel.view->resultTitle(), row.resultTitle);
        EXPECT_EQ(panel.view->errorMessage().value_or(QString()), row.error);
        EXPECT_EQ(panel.view->copyButton()->isEnabled(), row.copyEnabled);
        EXPECT_EQ(panel.view->replaceButton()->isEnabled(), row.replaceEnabled);
        EXPECT_EQ(panel.check.calls, 1);
    }
}

TEST(SpellingPreviewViewTest, CopyIsMarkedCopiedUntilTheCorrectionChanges)
{
    Panel panel(original, correction);
    panel.finishCheck();
    panel.view->copyCorrectedText();
    ASSERT_FALSE(panel.sim.pasteboard.writes.isEmpty());
    EXPECT_EQ(panel.sim.pasteboard.content().value(0).value(0).data, correction.toUtf8());
    EXPECT_EQ(panel.view->copyButton()->text(), "Copied");
    panel.view->editor()->appendPlainText(QStringLiteral("!"));
    EXPECT_EQ(panel.view->copyButton()->text(), "Copy");
    EXPECT_EQ(panel.view->corrected(), correction + QStringLiteral("\n!"));

    // A clipboard that cannot be written says so and keeps "Copy".
    panel.sim.pasteboard.setAvailable(false);
    panel.view->copyCorrectedText();
    EXPECT_EQ(panel.view->copyButton()->text(), "Copy");
    EXPECT_EQ(panel.view->errorMessage(), QStringLiteral("Could not copy the corrected text. Try again."));
}

// Return in the editor starts a new line and never writes into the other application; elsewhere it replaces
// when Replace Selection can be used. Escape always closes.
TEST(SpellingPreviewViewTest, ReturnReplacesOnlyOutsideTheEditor)
{
    Panel panel(original, correction);
    panel.view->show();
    QTest::keyClick(panel.view.get(), Qt::Key_Return);
    EXPECT_TRUE(panel.replaced.isEmpty()) << "nothing to replace while checking";
    panel.finishCheck();

    panel.view->editor()->setFocus();
    panel.view->editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(panel.view->editor(), Qt::Key_Return);
    QTest::keyClick(panel.view->editor(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(panel.replaced.isEmpty());
    EXPECT_EQ(panel.view->corrected(), correction + QStringLiteral("\n\n"));
    EXPECT_EQ(panel.closes, 0);

    QTest::keyClick(panel.view.get(), Qt::Key_Return);
    ASSERT_EQ(panel.replaced.size(), 1);
    EXPECT_EQ(panel.replaced.first(), correction + QStringLiteral("\n\n"));
    EXPECT_EQ(panel.closes, 1);

    QTest::keyClick(panel.view->editor(), Qt::Key_Escape);
    EXPECT_EQ(panel.closes, 2);
}

TEST(SpellingPreviewViewTest, ARefusedReplacementSaysWhatHappenedAndKeepsThePanel)
{
    struct Row {
        Replacement outcome;
        bool closes;
        const char *says; // part of the message
    };
    const Row rows[] = {
        {Replacement::replaced, true, ""},
        {Replacement::refused, false, "The selection changed or this app could not replace it."},
        {Replacement::restored, false, "its original text was put back"},
        {Replacement::failedToRestore, false, "could not be put back"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.says);
        Panel panel(original, correction);
        panel.finishCheck();
        panel.replaceOutcome = row.outcome;
        panel.view->applyReplacement();
        EXPECT_EQ(panel.closes, row.closes ? 1 : 0);
        EXPECT_EQ(panel.view->errorMessage().has_value(), !row.closes);
        EXPECT_TRUE(panel.view->errorMessage().value_or(QString()).contains(QString::fromUtf8(row.says)));
        EXPECT_EQ(panel.view->corrected(), correction) << "the correction stays for copying";
    }
}

TEST(SpellingPreviewViewTest, SwitchingIntelligenceOffClosesAndARunningCheckLeavesNothingBehind)
{
    Panel panel(original, correction);
    panel.view->setIntelligenceEnabled(false);
    EXPECT_EQ(panel.closes, 1);
    panel.finishCheck();
    EXPECT_TRUE(panel.view->isLoading()) << "the cancelled check changed nothing";
    EXPECT_EQ(panel.view->corrected(), QString());

    // Closing the window while the check runs: the panel goes, the late answer finds nothing.
    Panel closing(original, correction);
    closing.view.reset();
    closing.finishCheck();
    EXPECT_EQ(closing.closes, 0);
}

TEST(SpellingPreviewViewTest, SaysProcessingStaysOnThisComputerOnlyWhereTheModelIs)
{
    for (const QString &remote : {QString(), QStringLiteral("http://10.0.0.7:8080")}) {
        SCOPED_TRACE(remote.toStdString());
        Panel panel(original, correction, true, remote);
        QStringList texts;
        for (const QLabel *label : panel.view->findChildren<QLabel *>())
            texts.append(label->text());
        const QString said = remote.isEmpty() ? SpellingPreviewView::explanation
                                              : SpellingPreviewView::remoteExplanation.arg(remote);
        EXPECT_TRUE(texts.contains(said));
        EXPECT_EQ(texts.join(QLatin1Char(' ')).contains(QStringLiteral("stays on this computer")), remote.isEmpty());
    }
}

TEST(SpellingPreviewViewTest, SnapshotsOfTheReviewWindow)
{
    // Every picture: each text whole and readable, and what the state has to say shown.
    const auto readable = [](SpellingPreviewView &view, const QString &name, const QStringList &shown) {
        const QImage image = DesktopTest::renderSnapshot(view, name);
        const QStringList unreadable = SnapshotCheck::unreadableTexts(SnapshotCheck::over(image, Qt::black), view);
        EXPECT_TRUE(unreadable.isEmpty()) << name.toStdString() << ": " << unreadable.join(QStringLiteral("; ")).toStdString();
        for (const QString &text : shown)
            EXPECT_TRUE(SnapshotCheck::showsText(view, text)) << name.toStdString() << ": " << text.toStdString();
        return image;
    };
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        Panel panel(original + QStringLiteral("\nIts a nice day, isnt it?"),
                    correction + QStringLiteral("\nIt's a nice day, isn't it?"));
        panel.sim.appearance.setColorScheme(scheme);
        panel.view->applyPalette();
        panel.finishCheck();
        const bool dark = scheme == ColorScheme::dark;
        const QImage image = readable(*panel.view, dark ? QStringLiteral("spelling-review-dark") : QStringLiteral("spelling-review-light"),
                                      {QStringLiteral("Corrected text"), correction + QStringLiteral("\nIt's a nice day, isn't it?"),
                                       QStringLiteral("Replace Selection")});
        // The background follows the scheme.
        EXPECT_EQ(image.pixelColor(4, 4).lightness() < 128, dark);
    }
    Panel checking(original, correction, false);
    readable(*checking.view, QStringLiteral("spelling-review-checking"),
             {original, QStringLiteral("Checking selected text…"),
              QStringLiteral("Direct replacement is unavailable in this selection. Copy the result to use it. "
                             "Replacement requires Accessibility access and a compatible editable field.")});
    Panel failed(original, ClipboardAIError::unavailable(), true);
    failed.finishCheck();
    readable(*failed.view, QStringLiteral("spelling-review-error"),
             {QStringLiteral("The local language model is not available on this computer.")});
}

} // namespace
