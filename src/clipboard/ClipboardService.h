#pragma once
// Pastes a history item into another application: brings the target application back to the front
// (and its field, where there is one and the accessibility bus is there), writes the item to the
// clipboard, presses the paste keys there (Control+V, or a terminal's own: ClipboardPasteKeys) and moves
// the item to the top of the history. An item whose stored data cannot be read is not pasted, and the
// person is told. Posting the keys is the one permission a paste needs; without the accessibility bus the
// field is simply not refocused. Permission checks read cached state and never block. The earlier
// clipboard content is not restored.

#include "clipboard/ClipboardPasteTarget.h"
#include "model/ClipboardItem.h"
#include "model/PasteboardPayload.h"
#include "platform/Lifetime.h"
#include "platform/Platform.h"
#include "platform/Task.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class ClipboardHistoryManager;
class PasteboardManager;

// What a paste writes to the clipboard for one item.
struct ClipboardPasteContent {
    // Plain text only (written as such); otherwise `payload`.
    std::optional<QString> plainText;
    PasteboardPayload payload;
    // The text a terminal that pastes the selection is given.
    QString text;

    bool isEmpty() const { return !plainText && payload.isEmpty(); }
    friend bool operator==(const ClipboardPasteContent &, const ClipboardPasteContent &) = default;
};

class ClipboardService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPasting READ isPasting NOTIFY isPastingChanged)
public:
    // The target is polled this often, this long, until it is active again.
    static constexpr double activationPollInterval = 0.02;
    static constexpr int activationPollCount = 100; // 2 s
    // Time the target gets to read the clipboard before the history is touched.
    static constexpr double pasteSettleDelay = 0.15;
    // A paste through the PRIMARY selection lends it to the item until the target has read it from there;
    // the person's own selection is given back then. A larger one is not read beforehand nor given back.
    static constexpr qint64 maximumRestoredSelectionBytes = 4'000'000;
    // Refocusing a field: the whole of it takes at most this long, and each attempt waits this long for
    // the focus to arrive.
    static constexpr double refocusTimeout = 2.0;
    static constexpr double fieldFocusSettleDelay = 0.06;

    ClipboardService(const Platform &platform, PasteboardManager &pasteboard, QObject *parent = nullptr);
    ~ClipboardService() override;

    // The history whose items move to the top once pasted; held weakly.
    void setHistory(ClipboardHistoryManager *history);

    // Hooks the composition root sets (the root state's permission request and plain-text setting);
    // each is read when needed.
    // The requester is asked only when keys cannot be posted; without one, the platform is asked directly.
    void setPermissionRequester(std::function<bool()> requester) { m_requestPermissions = std::move(requester); }
    void setPasteAsPlainTextProvider(std::function<bool()> provider) { m_pasteAsPlainText = std::move(provider); }
    // Reads an application's focused field for focusedFieldTarget(); without one, targets carry no field.
    void setFocusedFieldReader(std::function<std::optional<FocusedFieldTarget>(const RunningApplication &)> reader)
    {
        m_readFocusedField = std::move(reader);
    }

    bool isPasting() const { return m_isPasting; }

    // The application a paste without a target goes to; the launcher writes it.
    std::optional<RunningApplication> previousActiveApp() const { return m_previousActiveApp; }
    void setPreviousActiveApp(const std::optional<RunningApplication> &app) { m_previousActiveApp = app; }

    // The frontmost regular, running application other than this one, else the remembered previous one
    // while it runs; remembered as previousActiveApp. None when there is no such application.
    std::optional<ClipboardPasteTarget> focusedFieldTarget();

#ifndef Q_MOC_RUN
    // Pastes the item into the target (previousActiveApp without one). Answers true when the paste keys
    // reached the target; false at once while another paste runs or when keys cannot be posted, and false
    // without writing anything when the item cannot be read. isPasting is set
    // while it runs and cleared however it ends (done, cancelled, or an exception).
    Task<bool> paste(ClipboardItem item, std::optional<ClipboardPasteTarget> target = std::nullopt);

    // Activates the application and waits (every 0.02 s) until it is active, then focuses the field (or
    // presses it when it refuses) and checks 0.06 s later, until the field has the focus. True once it
    // has; false when 2 s have passed, the task is cancelled or the application has ended.
    Task<bool> refocus(RunningApplication app, FocusedFieldTarget field);
#endif

    // What a paste writes for an item: every captured representation as captured, or only the plain text
    // when asked (except for images and files, which keep their formats). Empty for an image whose bytes
    // cannot be read. Into a terminal, the text of a file list is its paths as quoted shell words.
    static ClipboardPasteContent pasteContent(const ClipboardItem &item, bool asPlainText, bool intoTerminal = false);

Q_SIGNALS:
    void isPastingChanged(bool pasting);
    // The paste keys reached the target.
    void itemPasted();
    // A text item was pasted into a field; the text may be a secret, so it is never logged.
    void textPastedIntoField(const QString &text, const FocusedFieldTarget &field);

private:
#ifndef Q_MOC_RUN
    Task<bool> waitUntilActive(RunningApplication app);
#endif
    // Offers the person's earlier selection again (none: releases it) once the paste target, process
    // `readerPid`, has read the item, unless something else was selected meanwhile.
    void giveSelectionBack(qint64 readerPid);
    // Keys can be posted (asking when they cannot); the paste's one requirement.
    bool canPostKeys();
    // The accessibility bus is there to refocus a field; asks for it (without waiting) when it is not.
    bool canRefocusFields();
    bool isFieldFocused(const RunningApplication &app, const FocusedFieldTarget &field) const;
    void setIsPasting(bool pasting);

    Platform m_platform;
    PasteboardManager &m_pasteboard;
    QPointer<ClipboardHistoryManager> m_history;
    std::optional<RunningApplication> m_previousActiveApp;
    bool m_isPasting = false;
    // The selection while it holds an item that its paste target has not read yet.
    struct LentSelection {
        qint64 targetPid = 0;
        std::optional<QString> personsSelection;
    };
    std::optional<LentSelection> m_lentSelection;

    std::function<bool()> m_requestPermissions;
    std::function<bool()> m_pasteAsPlainText;
    std::function<std::optional<FocusedFieldTarget>(const RunningApplication &)> m_readFocusedField;
    Lifetime m_lifetime;
};
