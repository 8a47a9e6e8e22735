// The result sheet of a text action: its header per action, Copy and Paste with what the person edited,
// Paste only for a text that is not blank, the keys, and a readable picture in both schemes.

#include "DesktopTest.h"
#include "SnapshotCheck.h"

#include "intelligence/ClipboardAIResultView.h"
#include "platform/sim/SimPlatform.h"
#include "ui/PushButton.h"

#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Sheet {
    explicit Sheet(ClipboardAIAction action, QString text = QStringLiteral("- [ ] Book the flight\n- [ ] Pay the invoice"))
        : view(ClipboardAIActionResult::make(action, std::move(text)),
               [this](QString pasted) {
                   events.append(QStringLiteral("paste:") + pasted);
                   return answer();
               },
               [this] { events.append(QStringLiteral("dismiss")); }, sim.platform(),
               [this] { return Palette::from(&sim.appearance, QColor(10, 132, 255)); })
    {
        view.resize(652, 452);
    }
    static Task<bool> answer() { co_return true; }

    SimPlatform sim;
    QStringList events;
    ClipboardAIResultView view;
};

TEST(ClipboardAIResultViewTest, TheHeaderNamesTheAction)
{
    struct Row {
        ClipboardAIAction action;
        const char *title;
        const char *symbol;
    };
    const Row rows[] = {
        {ClipboardAIAction::summarize, "Summarize", "text.redaction"},
        {ClipboardAIAction::improveWriting, "Improve Writing", "wand.and.sparkles"},
        {ClipboardAIAction::checkSpelling, "Check Spelling", "textformat.abc"},
        {ClipboardAIAction::translateToEnglish, "Translate to English", "character.book.closed"},
        {ClipboardAIAction::extractTasks, "Extract Tasks", "checklist"},
    };
    for (const Row &row : rows) {
        Sheet sheet(row.action);
        EXPECT_EQ(sheet.view.headerTitle(), row.title);
        EXPECT_EQ(sheet.view.headerSymbol(), row.symbol);
        // Every symbol the sheet draws has an icon.
        EXPECT_FALSE(SymbolTable::iconName(QString::fromLatin1(row.symbol)).isEmpty()) << row.symbol;
    }
}

TEST(ClipboardAIResultViewTest, PasteNeedsATextThatIsNotBlankCopyDoesNot)
{
    struct Row {
        const char *text;
        bool pasteEnabled;
    };
    const Row rows[] = {{"A summary.", true}, {"", false}, {"  \n\t ", false}, {" x ", true}};
    Sheet sheet(ClipboardAIAction::summarize);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        sheet.view.editor()->setPlainText(QString::fromUtf8(row.text));
        EXPECT_EQ(sheet.view.pasteButton()->isEnabled(), row.pasteEnabled);
        EXPECT_TRUE(sheet.view.copyButton()->isEnabled());
    }
    sheet.view.editor()->setPlainText(QStringLiteral(" \n"));
    sheet.view.pasteText();
    EXPECT_TRUE(sheet.events.isEmpty()) << "a blank text is never pasted";
}

TEST(ClipboardAIResultViewTest, CopyAndPasteUseTheEditedTextAndPasteDismissesFirst)
{
    Sheet sheet(ClipboardAIAction::improveWriting, QStringLiteral("Model text"));
    sheet.sim.pasteboard.copy({{{QStringLiteral("text/html"), QByteArrayLiteral("<b>rich</b>")},
                               {QStringLiteral("text/plain;charset=utf-8"), QByteArrayLiteral("rich")}}});
    sheet.view.editor()->setPlainText(QStringLiteral("Edited text"));
    sheet.view.copyText();
    ASSERT_EQ(sheet.sim.pasteboard.content().size(), 1);
    ASSERT_EQ(sheet.sim.pasteboard.content().first().size(), 1) << "only the plain text is left";
    EXPECT_EQ(sheet.sim.pasteboard.content().first().first().data, QByteArrayLiteral("Edited text"));
    EXPECT_TRUE(sheet.events.isEmpty()) << "Copy keeps the sheet open";

    sheet.view.pasteText();
    EXPECT_EQ(sheet.events, QStringList({QStringLiteral("dismiss"), QStringLiteral("paste:Edited text")}));
}

TEST(ClipboardAIResultViewTest, EscapeIsDoneAndReturnIsPlainTyping)
{
    Sheet sheet(ClipboardAIAction::extractTasks);
    sheet.view.show();
    sheet.view.editor()->setFocus();
    sheet.view.editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(sheet.view.editor(), Qt::Key_Return);
    EXPECT_TRUE(sheet.events.isEmpty());
    EXPECT_TRUE(sheet.view.text().endsWith(QLatin1Char('\n')));
    QTest::keyClick(sheet.view.editor(), Qt::Key_Escape);
    EXPECT_EQ(sheet.events, QStringList({QStringLiteral("dismiss")}));
    sheet.view.doneButton()->click();
    EXPECT_EQ(sheet.events.size(), 2);
}

TEST(ClipboardAIResultViewTest, Snapshot)
{
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        Sheet sheet(ClipboardAIAction::extractTasks,
                    QStringLiteral("- [ ] Send the signed contract to Ana by Friday\n- [ ] Book the venue for the "
                                   "offsite\n- [ ] Ask IT for two new laptops"));
        sheet.sim.appearance.setColorScheme(scheme);
        sheet.view.applyPalette();
        // The sheet is drawn on its card; the card's colour lies under it here.
        QWidget card;
        card.resize(sheet.view.size());
        card.setAutoFillBackground(true);
        QPalette palette = card.palette();
        palette.setColor(QPalette::Window, scheme == ColorScheme::dark ? QColor(38, 38, 41) : QColor(252, 252, 253));
        card.setPalette(palette);
        sheet.view.setParent(&card);
        const QImage shot = DesktopTest::renderSnapshot(card, scheme == ColorScheme::dark ? QStringLiteral("result-sheet-dark")
                                                                                          : QStringLiteral("result-sheet-light"));
        // The action's name, the result and the three buttons, each whole and readable.
        const QStringList unreadable = SnapshotCheck::unreadableTexts(SnapshotCheck::over(shot, Qt::black), card);
        EXPECT_TRUE(unreadable.isEmpty()) << unreadable.join(QStringLiteral("; ")).toStdString();
        EXPECT_TRUE(SnapshotCheck::showsText(card, QStringLiteral("Extract Tasks")));
        EXPECT_TRUE(SnapshotCheck::showsText(card, sheet.view.text()));
        for (const char *button : {"Done", "Copy", "Paste"})
            EXPECT_TRUE(SnapshotCheck::showsText(card, QString::fromLatin1(button))) << button;
        sheet.view.setParent(nullptr);
    }
}

} // namespace
