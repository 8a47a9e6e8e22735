// `tavlen --check-spelling` on the simulated desktop: which selection it takes (the focused field's, else
// the last selection anywhere), what it never reads, and how Tavlen's answer becomes what the person sees.

#include "app/SpellingCheckRequest.h"
#include "intelligence/ClipboardAIError.h"
#include "intelligence/SpellingServiceProvider.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace {

using Source = SpellingCheckRequest::Selection::Source;

struct Desktop {
    Desktop()
    {
        editor = sim.workspace.addApplication(QStringLiteral("org.example.editor"));
        sim.workspace.bringToFront(editor);
        field = sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::textField);
        field->setText(QStringLiteral("Hello wrold"), {6, 5});
        field->setFocused();
        sim.primarySelection.text = QStringLiteral("selected in a terminal");
    }
    std::variant<SpellingCheckRequest::Selection, QString> read()
    {
        const Task<std::variant<SpellingCheckRequest::Selection, QString>> task = SpellingCheckRequest::readSelection(sim.platform());
        EXPECT_TRUE(task.isFinished());
        return task.result().value_or(QString());
    }

    SimPlatform sim;
    RunningApplication editor;
    std::shared_ptr<SimAccessibilityNode> field;
};

TEST(SpellingCheckRequestTest, TakesTheFocusedFieldsSelectionElseTheLastSelectionAnywhere)
{
    struct Row {
        const char *what;
        std::function<void(Desktop &)> setUp;
        std::optional<Source> source; // none: a message instead
        QString text;                 // the text, or the message
    };
    const QString noText = QStringLiteral("Select text to check its spelling.");
    const QString tooLong = ClipboardAIError::selectionTooLong().localizedDescription();
    const QList<Row> rows{
        {"a selection in the focused field", [](Desktop &) {}, Source::field, QStringLiteral("wrold")},
        {"a field with nothing selected", [](Desktop &d) { d.field->setText(QStringLiteral("Hello"), {5, 0}); },
         Source::primarySelection, QStringLiteral("selected in a terminal")},
        {"an application that tells nothing", [](Desktop &d) { d.field->process().responding = false; },
         Source::primarySelection, QStringLiteral("selected in a terminal")},
        {"no accessibility bus", [](Desktop &d) { d.sim.accessibility.setAvailable(false); }, Source::primarySelection,
         QStringLiteral("selected in a terminal")},
        {"Tavlen itself in front", [](Desktop &d) { d.sim.workspace.clearFrontmost(); }, Source::primarySelection,
         QStringLiteral("selected in a terminal")},
        {"a password field", [](Desktop &d) { d.field->set(AccessibilityAttribute::role, AccessibilityRole::secureTextField); },
         std::nullopt, QStringLiteral("Text in a password field is never checked.")},
        {"nothing selected anywhere",
         [](Desktop &d) {
             d.field->setText(QStringLiteral("Hello"), {5, 0});
             d.sim.primarySelection.text.reset();
         },
         std::nullopt, noText},
        {"a selection owner that does not answer",
         [](Desktop &d) {
             d.sim.accessibility.setAvailable(false);
             d.sim.primarySelection.answers = false;
         },
         std::nullopt, noText},
        {"20,000 characters in the field", [](Desktop &d) { d.field->setText(QString(20000, QLatin1Char('x')), {0, 20000}); },
         Source::field, QString(20000, QLatin1Char('x'))},
        {"a selection over the read limit",
         [](Desktop &d) {
             d.sim.accessibility.setAvailable(false);
             d.sim.primarySelection.text = QString(SpellingCheckRequest::maximumSelectionBytes + 1, QLatin1Char('x'));
         },
         std::nullopt, tooLong},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Desktop d;
        row.setUp(d);
        const auto read = d.read();
        if (row.source) {
            ASSERT_TRUE(std::holds_alternative<SpellingCheckRequest::Selection>(read));
            EXPECT_EQ(std::get<SpellingCheckRequest::Selection>(read).source, *row.source);
            EXPECT_EQ(std::get<SpellingCheckRequest::Selection>(read).text, row.text);
        } else {
            ASSERT_TRUE(std::holds_alternative<QString>(read));
            EXPECT_EQ(std::get<QString>(read), row.text);
        }
    }
}

TEST(SpellingCheckRequestTest, APasswordFieldsTextIsNeverRead)
{
    Desktop d;
    d.field->set(AccessibilityAttribute::role, AccessibilityRole::secureTextField);
    d.field->process().readLog.clear();
    d.read();
    EXPECT_FALSE(d.field->process().readLog.contains(AccessibilityAttribute::selectedText));
    EXPECT_FALSE(d.field->process().readLog.contains(AccessibilityAttribute::value));
    EXPECT_EQ(d.sim.primarySelection.reads, 0) << "not even the selection elsewhere";
    EXPECT_TRUE(d.sim.textServices.requests.isEmpty());
}

TEST(SpellingCheckRequestTest, TavlensAnswerIsWhatThePersonSees)
{
    struct Row {
        const char *what;
        std::optional<QString> refusal; // what the running Tavlen answers; none: it took the text
        bool running;
        std::optional<QString> shown;
        QString selected = QStringLiteral("wrold"); // empty: nothing selected anywhere
    };
    const QString noText = SpellingServiceProvider::noTextMessage;
    const QList<Row> rows{
        {"taken", std::nullopt, true, std::nullopt},
        {"refused", SpellingServiceProvider::intelligenceOffMessage, true, SpellingServiceProvider::intelligenceOffMessage},
        {"not running", std::nullopt, false, QStringLiteral("Tavlen is not running. Start Tavlen, then check the spelling again.")},
        // Nothing selected: Tavlen is asked with no text, to refuse in its own words and window.
        {"nothing selected", SpellingServiceProvider::intelligenceOffMessage, true,
         SpellingServiceProvider::intelligenceOffMessage, QString()},
        {"nothing selected, not running", std::nullopt, false, noText, QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Desktop d;
        if (row.selected.isEmpty()) {
            d.field->setText(QStringLiteral("Hello"), {5, 0});
            d.sim.primarySelection.text.reset();
        }
        QStringList received;
        if (row.running) {
            d.sim.textServices.offerSpellingService([&received, refusal = row.refusal](QString text, bool) {
                received.append(text);
                return [](std::optional<QString> answer) -> Task<std::optional<QString>> { co_return answer; }(refusal);
            });
        }
        const Task<std::optional<QString>> run = SpellingCheckRequest::run(d.sim.platform());
        ASSERT_TRUE(run.isFinished());
        EXPECT_EQ(*run.result(), row.shown);
        EXPECT_EQ(received, row.running ? QStringList{row.selected} : QStringList());
    }
}

} // namespace
