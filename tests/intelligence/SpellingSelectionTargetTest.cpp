// Taking hold of another application's selection and writing a correction back, on simulated
// applications: what is captured, every change that must stop the write, and toolkits that take a write
// wrongly, after which the person's text is whole again (or the failure is said to be so).

#include "intelligence/SpellingSelectionTarget.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace {

using Replacement = SpellingSelectionTarget::Replacement;
using Write = SimAccessibilityNode::TextWrite;

const QString value = QStringLiteral("Dear Ann, teh cat sat on teh mat.");
const AccessibilityTextRange selection{10, 23}; // "teh cat sat on teh mat."
const QString selected = QStringLiteral("teh cat sat on teh mat.");
const QString corrected = QStringLiteral("the cat sat on the mat.");
const QString replacedValue = QStringLiteral("Dear Ann, the cat sat on the mat.");

// An editor in front with a focused text area whose words are selected.
struct Scene {
    Scene()
    {
        editor = sim.workspace.addApplication(QStringLiteral("org.example.editor"), QStringLiteral("Editor"));
        sim.workspace.bringToFront(editor);
        auto window = sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::window);
        field = window->addChild(AccessibilityRole::textArea);
        other = window->addChild(AccessibilityRole::textField);
        field->setText(value, selection);
        field->textEditable = true;
        field->setFocused();
    }
    std::optional<SpellingSelectionTarget> capture() { return SpellingSelectionTarget::capture(sim.platform(), selected); }
    QString fieldValue() const { return field->attribute(AccessibilityAttribute::value).string().value_or(QString()); }

    SimPlatform sim;
    RunningApplication editor;
    std::shared_ptr<SimAccessibilityNode> field;
    std::shared_ptr<SimAccessibilityNode> other;
};

TEST(SpellingSelectionTargetTest, CapturesOnlyAWritableSelectionThatIsTheDeliveredText)
{
    struct Row {
        const char *what;
        std::function<void(Scene &)> change;
        bool captured;
        QString expected = selected;
    };
    const QList<Row> rows{
        {"the selection as delivered", [](auto &) {}, true},
        {"the delivered text in another normal form",
         [](auto &t) { t.field->setText(QStringLiteral("un caf\u00e9"), {3, 4}); }, true, QStringLiteral("cafe\u0301")},
        {"no accessibility trust", [](auto &t) { t.sim.permissions.trusted = false; }, false},
        {"Tavlen itself in front", [](auto &t) { t.sim.workspace.clearFrontmost(); }, false},
        {"nothing focused", [](auto &t) { t.sim.accessibility.application(t.editor.pid)->process().focused.reset(); }, false},
        {"a password field",
         [](auto &t) { t.field->set(AccessibilityAttribute::role, AccessibilityRole::secureTextField); }, false},
        {"a password subrole",
         [](auto &t) { t.field->set(AccessibilityAttribute::subrole, AccessibilityRole::secureTextField); }, false},
        {"another selection", [](auto &t) { t.field->setText(value, {0, 4}); }, false},
        {"a value that cannot be read", [](auto &t) { t.field->unset(AccessibilityAttribute::value); }, false},
        {"a range that cannot be read", [](auto &t) { t.field->unset(AccessibilityAttribute::selectedTextRange); }, false},
        {"a range that names other characters",
         [](auto &t) { t.field->set(AccessibilityAttribute::selectedTextRange, AccessibilityTextRange{9, 23}); }, false},
        {"a read-only text", [](auto &t) { t.field->textEditable = false; }, false},
        {"an application that stopped answering",
         [](auto &t) { t.field->process().responding = false; }, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Scene t;
        row.change(t);
        const std::optional<SpellingSelectionTarget> target = SpellingSelectionTarget::capture(t.sim.platform(), row.expected);
        EXPECT_EQ(target.has_value(), row.captured);
        if (target) {
            EXPECT_EQ(target->originalText, row.expected);
            EXPECT_EQ(target->application.pid, t.editor.pid);
            EXPECT_EQ(target->element, t.field->element());
        }
    }
}

TEST(SpellingSelectionTargetTest, PasswordFieldTextIsNeverRead)
{
    Scene t;
    t.field->set(AccessibilityAttribute::role, AccessibilityRole::secureTextField);
    t.field->process().readLog.clear();
    EXPECT_FALSE(t.capture());
    EXPECT_FALSE(t.field->process().readLog.contains(AccessibilityAttribute::selectedText));
    EXPECT_FALSE(t.field->process().readLog.contains(AccessibilityAttribute::value));
}

// Every change between the capture and the write stops the write and leaves the text as the person left it.
TEST(SpellingSelectionTargetTest, AnyChangeMeanwhileRefusesTheReplacementAndWritesNothing)
{
    struct Row {
        const char *what;
        std::function<void(Scene &)> change;
        Replacement outcome;
    };
    const QList<Row> rows{
        {"nothing changed", [](auto &) {}, Replacement::replaced},
        // Tavlen's own review window has the keyboard: the application reports no focused element at all.
        {"the review window took the focus",
         [](auto &t) { t.sim.accessibility.application(t.editor.pid)->process().focused.reset(); }, Replacement::replaced},
        {"another application in front",
         [](auto &t) { t.sim.workspace.bringToFront(t.sim.workspace.addApplication(QStringLiteral("org.example.mail"))); },
         Replacement::replaced},
        {"the text was edited", [](auto &t) { t.field->setText(value + QStringLiteral("!"), selection); }, Replacement::refused},
        {"the selection moved", [](auto &t) { t.field->setText(value, {11, 22}); }, Replacement::refused},
        // The same words selected elsewhere: the text and the selected text read as before, only the range moved.
        {"the selection moved onto the same words",
         [](auto &t) { t.field->set(AccessibilityAttribute::selectedTextRange, AccessibilityTextRange{0, 23}); },
         Replacement::refused},
        {"the selection was cleared", [](auto &t) { t.field->setText(value, {12, 0}); }, Replacement::refused},
        {"the selected text reads otherwise",
         [](auto &t) { t.field->set(AccessibilityAttribute::selectedText, QStringLiteral("teh")); }, Replacement::refused},
        {"the focus went to another field", [](auto &t) { t.other->setFocused(); }, Replacement::refused},
        {"the element is gone", [](auto &t) { t.field->process().responding = false; }, Replacement::refused},
        {"the application quit", [](auto &t) { t.sim.workspace.terminate(t.editor); }, Replacement::refused},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Scene t;
        const std::optional<SpellingSelectionTarget> target = t.capture();
        ASSERT_TRUE(target);
        row.change(t);
        // The text as the change left it (read past an element that stopped answering).
        const bool responding = t.field->process().responding;
        t.field->process().responding = true;
        const QString afterChange = t.fieldValue();
        t.field->process().responding = responding;
        t.sim.workspace.activations.clear();
        EXPECT_EQ(target->replaceSelection(corrected, t.sim.platform()), row.outcome);
        if (row.outcome == Replacement::replaced) {
            EXPECT_EQ(t.fieldValue(), replacedValue);
            ASSERT_EQ(t.sim.workspace.activations.size(), 1) << "the application comes to the front";
            EXPECT_EQ(t.sim.workspace.activations.first().application.pid, t.editor.pid);
        } else {
            EXPECT_TRUE(t.field->writes.isEmpty()) << "nothing was written";
            t.field->process().responding = true;
            EXPECT_EQ(t.fieldValue(), afterChange);
            EXPECT_TRUE(t.sim.workspace.activations.isEmpty());
        }
    }
}

// A write the element does not take as written is undone: the person never keeps a deleted selection or a
// half-written correction, and is told when even the undo failed.
TEST(SpellingSelectionTargetTest, AWriteThatDidNotTakeIsReadBackAndUndone)
{
    struct Row {
        const char *what;
        Write write;
        int faultyWrites; // then writes go as asked (negative: every write goes wrong)
        int writesLeft;   // negative: no limit
        Replacement outcome;
        QString left;     // the element's text afterwards
        int writes;       // write calls made: the correction, the undo, the whole text
    };
    const QList<Row> rows{
        {"taken as written", Write::replaces, -1, -1, Replacement::replaced, replacedValue, 1},
        {"refused outright", Write::refuses, -1, -1, Replacement::refused, value, 1},
        {"answered as done, nothing changed", Write::ignores, -1, -1, Replacement::restored, value, 1},
        {"deleted, the insert lost; the undo takes", Write::deletesOnly, 1, -1, Replacement::restored, value, 2},
        {"half the text arrived; the undo takes", Write::truncates, 1, -1, Replacement::restored, value, 2},
        {"every edit goes wrong; the whole text goes back", Write::deletesOnly, -1, -1, Replacement::restored, value, 3},
        {"half of every edit arrives; the whole text goes back", Write::truncates, -1, -1, Replacement::restored, value, 3},
        {"deleted, and every way back refused", Write::deletesOnly, -1, 1, Replacement::failedToRestore,
         QStringLiteral("Dear Ann, "), 3},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Scene t;
        const std::optional<SpellingSelectionTarget> target = t.capture();
        ASSERT_TRUE(target);
        t.field->textWrite = row.write;
        t.field->faultyWrites = row.faultyWrites;
        t.field->writesLeft = row.writesLeft;
        EXPECT_EQ(target->replaceSelection(corrected, t.sim.platform()), row.outcome);
        EXPECT_EQ(t.fieldValue(), row.left);
        EXPECT_EQ(t.field->writes.size(), row.writes);
    }
}

TEST(SpellingSelectionTargetTest, TheUndoPutsBackOnlyTheSelectionWhenTheRestIsIntact)
{
    Scene t;
    const std::optional<SpellingSelectionTarget> target = t.capture();
    ASSERT_TRUE(target);
    t.field->textWrite = Write::truncates;
    t.field->faultyWrites = 1;
    EXPECT_EQ(target->replaceSelection(corrected, t.sim.platform()), Replacement::restored);
    ASSERT_EQ(t.field->writes.size(), 2);
    // The undo replaces what the write left between the untouched text, not the whole text.
    EXPECT_EQ(t.field->writes.at(1).range.location, selection.location);
    EXPECT_EQ(t.field->writes.at(1).text, selected);
}

TEST(SpellingSelectionTargetTest, OffsetsCountCharactersBeyondTheBasicPlane)
{
    Scene t;
    const QString withEmoji = QStringLiteral("\U0001F600 teh cat");
    t.field->setText(withEmoji, {2, 3}); // after the emoji (one character) and a space
    const std::optional<SpellingSelectionTarget> target = SpellingSelectionTarget::capture(t.sim.platform(), QStringLiteral("teh"));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->replaceSelection(QStringLiteral("the"), t.sim.platform()), Replacement::replaced);
    EXPECT_EQ(t.fieldValue(), QStringLiteral("\U0001F600 the cat"));
}

} // namespace
