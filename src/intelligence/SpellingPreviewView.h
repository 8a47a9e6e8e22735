#pragma once
// The review panel of a spelling check: it sends the selected text to the local model at once, shows the
// original above the correction, lets the person edit the correction, copy it, or replace the selection
// in the other application with it, and closes itself when local intelligence is switched off.
// Return replaces only when the focus is not in the editor (there it starts a new line); Escape closes.

#include "intelligence/ClipboardAIResult.h"
#include "intelligence/SpellingSelectionTarget.h"
#include "platform/Platform.h"
#include "platform/Task.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"

#include <QWidget>

#include <functional>
#include <optional>

class ActivityIndicator;
class GroupBox;
class PushButton;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;

class SpellingPreviewView : public QWidget {
    Q_OBJECT
public:
    using CheckSpelling = std::function<Task<ClipboardAIResult<QString>>(QString text)>;
    using OnReplace = std::function<SpellingSelectionTarget::Replacement(QString corrected)>;

    static constexpr QSize minimumPanelSize{500, 400};
    static constexpr int inset = 24;
    static constexpr int originalHeight = 100;

    static inline const QString title = QStringLiteral("Check Spelling");
    static inline const QString explanation
        = QStringLiteral("Review spelling, grammar, and punctuation corrections. Processing stays on this computer.");
    // Said instead where the language model answers from another computer (%1: its address).
    static inline const QString remoteExplanation
        = QStringLiteral("Review spelling, grammar, and punctuation corrections. The text is sent to %1.");
    static inline const QString checkingText = QStringLiteral("Checking selected text…");
    static inline const QString noChangesTitle = QStringLiteral("No changes needed");
    static inline const QString correctedTitle = QStringLiteral("Corrected text");
    static inline const QString replacementUnavailableNote = QStringLiteral(
        "Direct replacement is unavailable in this selection. Copy the result to use it. Replacement requires "
        "Accessibility access and a compatible editable field.");
    static inline const QString copyFailedMessage = QStringLiteral("Could not copy the corrected text. Try again.");

    // `platform` gives the clock (the running mark), the pasteboard (Copy) and the appearance.
    SpellingPreviewView(QString original, bool intelligenceEnabled, bool canReplace, CheckSpelling checkSpelling,
                        OnReplace onReplace, std::function<void()> onClose, const Platform &platform,
                        std::function<Palette()> palette, QWidget *parent = nullptr);
    ~SpellingPreviewView() override;

    const QString &original() const { return m_original; }
    bool canReplace() const { return m_canReplace; }
    // Local intelligence is on. A change restarts the check; switching it off closes the panel.
    bool isIntelligenceEnabled() const { return m_intelligenceEnabled; }
    void setIntelligenceEnabled(bool enabled);

    QString corrected() const { return m_corrected; }
    // As the person edits it.
    void setCorrected(const QString &text);
    bool isLoading() const { return m_isLoading; }
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    bool didCopy() const { return m_didCopy; }
    // Intelligence on, the check done, and a correction that is not blank.
    bool canUseResult() const;

    void copyCorrectedText();
    void applyReplacement();
    // What the person learns when a replacement did not happen; none when it did.
    static std::optional<QString> replacementMessage(SpellingSelectionTarget::Replacement outcome);

    // For tests and snapshots.
    QString resultTitle() const;
    bool isNoteShown() const;
    QPlainTextEdit *editor() const { return m_editor; }
    PushButton *cancelButton() const { return m_cancelButton; }
    PushButton *copyButton() const { return m_copyButton; }
    PushButton *replaceButton() const { return m_replaceButton; }
    void applyPalette();

Q_SIGNALS:
    // The check has ended with a result or an error.
    void checkFinished();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
#ifndef Q_MOC_RUN
    Task<> runCheck();
#endif
    void close();
    void setErrorMessage(std::optional<QString> message);
    void showState();

    QString m_original;
    bool m_intelligenceEnabled;
    bool m_canReplace;
    CheckSpelling m_checkSpelling;
    OnReplace m_onReplace;
    std::function<void()> m_onClose;
    Platform m_platform;
    std::function<Palette()> m_palette;
    SymbolTable m_symbols;

    QString m_corrected;
    bool m_isLoading = true;
    std::optional<QString> m_errorMessage;
    bool m_didCopy = false;

    QLabel *m_titleSymbol = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_explanation = nullptr;
    GroupBox *m_originalBox = nullptr;
    QPlainTextEdit *m_originalView = nullptr;
    QStackedWidget *m_result = nullptr;
    ActivityIndicator *m_progress = nullptr;
    GroupBox *m_correctedBox = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    QWidget *m_emptyResult = nullptr;
    QLabel *m_error = nullptr;
    QLabel *m_note = nullptr;
    PushButton *m_cancelButton = nullptr;
    PushButton *m_copyButton = nullptr;
    PushButton *m_replaceButton = nullptr;
    bool m_showingCorrection = false;

    // Last: cancelled first when the panel goes.
    TaskSlot m_checkTask;
};
