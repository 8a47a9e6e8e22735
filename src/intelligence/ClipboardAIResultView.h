#pragma once
// The sheet that shows a text action's result on a history item: the action's name and symbol, the result
// in an editor, Copy (the edited text, as plain text) and Paste (into the application that was in front
// before), and Done. Escape closes it like Done; Return has no meaning of its own here.

#include "intelligence/ClipboardAIActionResult.h"
#include "platform/Platform.h"
#include "platform/Task.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"

#include <QWidget>

#include <functional>

class PushButton;
class QLabel;
class QPlainTextEdit;

class ClipboardAIResultView : public QWidget {
    Q_OBJECT
public:
    // Puts a text into the previously active application (the root state's paste); true when it did.
    using Paste = std::function<Task<bool>(QString text)>;

    static constexpr QSize minimumSheetSize{620, 420};
    static constexpr int inset = 16;

    // The text starts as the result's; `dismiss` closes the sheet; `platform` gives the pasteboard (Copy).
    ClipboardAIResultView(ClipboardAIActionResult result, Paste paste, std::function<void()> dismiss,
                          const Platform &platform, std::function<Palette()> palette, QWidget *parent = nullptr);

    const ClipboardAIActionResult &result() const { return m_result; }
    QString text() const;
    void setText(const QString &text);

    void copyText();
    void pasteText();
    void done();

    // For tests and snapshots.
    QString headerTitle() const;
    QString headerSymbol() const { return symbolName(m_result.action); }
    QPlainTextEdit *editor() const { return m_editor; }
    PushButton *doneButton() const { return m_doneButton; }
    PushButton *copyButton() const { return m_copyButton; }
    PushButton *pasteButton() const { return m_pasteButton; }
    void applyPalette();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void updateButtons();

    ClipboardAIActionResult m_result;
    Paste m_paste;
    std::function<void()> m_dismiss;
    Platform m_platform;
    std::function<Palette()> m_palette;
    SymbolTable m_symbols;

    QLabel *m_symbol = nullptr;
    QLabel *m_title = nullptr;
    QWidget *m_well = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    PushButton *m_doneButton = nullptr;
    PushButton *m_copyButton = nullptr;
    PushButton *m_pasteButton = nullptr;
};
