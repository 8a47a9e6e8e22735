#pragma once
// The content of the preview window: the selected item's title, kind, date and source, the item itself
// (text to scroll and select, the image scaled to fit, the files with their folders, the link) and every
// format it was captured with, with its size. Its own key monitor pages through the items with Up and
// Down, pastes with Return and closes with Escape. Large items are prepared off the main thread.

#include "intelligence/ClipboardAIActionResult.h"
#include "platform/EventMonitors.h"
#include "platform/Platform.h"
#include "platform/Task.h"
#include "preview/ClipboardPreviewContent.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AppState;
class ClipboardPreviewActionMenu;
class ClipboardPreviewImageView;
class ClipboardPreviewModel;
class ClipboardPreviewRowList;
class ClipboardPreviewSheet;
class ElidedLabel;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QStackedWidget;

class ClipboardPreviewWindowView : public QWidget {
    Q_OBJECT
public:
    enum class KeyAction { pass, close, paste, previous, next };

    // The content is decoded to fit this many pixels on its longer side (twice the largest area it can
    // fill, for sharp pictures on dense screens).
    static constexpr int maximumImageSide = 2048;
    // Items larger than this (text characters, payload or image bytes, files) are prepared off the main
    // thread; smaller ones at once, so paging through ordinary items never flickers.
    static constexpr qint64 immediateByteLimit = 256 * 1024;
    static constexpr qsizetype immediateFileLimit = 50;

    // `platform` gives the key monitor and the appearance; `appState` the accent colour (both may be absent).
    ClipboardPreviewWindowView(ClipboardPreviewModel &model, const Platform &platform, AppState *appState,
                               std::function<void()> onClose, std::function<void()> onPaste, double cornerRadius,
                               QWidget *parent = nullptr);
    ~ClipboardPreviewWindowView() override;

    // While shown, the view handles the keys of its own window.
    void installKeyMonitor();
    void removeKeyMonitor();
    bool hasKeyMonitor() const { return m_keyMonitor.has_value(); }

    // What a key does in the preview: Escape closes, Return and keypad Enter paste, Up and Down page; keys
    // with Shift, Control, Alt or Super and every other key are left to the focused widget.
    static KeyAction keyAction(const KeyDownEvent &event);
    EventDisposition handleKeyDown(const KeyDownEvent &event);

    // Whether the selected item's content is still being prepared.
    bool isContentPending() const { return m_pending.has_value(); }
    const std::optional<ClipboardPreviewContent> &content() const { return m_content; }
    // For tests and snapshots.
    QString titleText() const;
    QString subtitleText() const;
    QString positionText() const;
    // The text of the placeholder in view, or empty when the item itself is shown.
    QString placeholderText() const;
    QString noteText() const;
    QPlainTextEdit *textView() const { return m_textView; }
    ClipboardPreviewImageView *imageView() const { return m_imageView; }
    ClipboardPreviewRowList *fileList() const { return m_fileList; }
    ClipboardPreviewRowList *formatList() const { return m_formatList; }

    // The header title of an item: its first line, cut before any layout.
    static QString titleOf(const ClipboardItem &item);
    static QString sizeText(qint64 bytes);
    Palette palette() const;

    // Text actions on the item's text (offered while local intelligence is on and the item has text). One
    // runs at a time, marked on the action menu; its result opens the result sheet, its failure the alert
    // "AI Action Failed". Dismissing either clears what it showed.
    static inline const QString aiActionFailedTitle = QStringLiteral("AI Action Failed");
    void runAIAction(ClipboardAIAction action);
    std::optional<ClipboardAIAction> runningAIAction() const { return m_runningAIAction; }
    const std::optional<ClipboardAIActionResult> &aiActionResult() const { return m_aiActionResult; }
    const std::optional<QString> &aiActionError() const { return m_aiActionError; }
    void setAIActionResult(std::optional<ClipboardAIActionResult> result);
    void setAIActionError(std::optional<QString> message);
    ClipboardPreviewActionMenu *actionMenu() const { return m_actionMenu; }
    ClipboardPreviewSheet *sheet() const { return m_sheet; }

Q_SIGNALS:
    // The selected item's content is on screen (after any preparation off the main thread).
    void contentShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    // The well under the item follows the item's area as the note below it comes and goes.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showSelectedItem();
    void showContent(const ClipboardPreviewContent &content);
    void showPlaceholder(const QString &text);
    void applyPalette();
    static bool isCheapToPrepare(const ClipboardItem &item);
    void updateActionMenu();
#ifndef Q_MOC_RUN
    Task<> performAIAction(ClipboardAIAction action, QString text);
#endif

    ClipboardPreviewModel &m_model;
    QPointer<AppState> m_appState;
    Platform m_platform;
    SymbolTable m_symbols;
    std::function<void()> m_onClose;
    std::function<void()> m_onPaste;
    double m_cornerRadius;
    std::optional<MonitorToken> m_keyMonitor;

    ElidedLabel *m_title = nullptr;
    ElidedLabel *m_subtitle = nullptr;
    QLabel *m_position = nullptr;
    QStackedWidget *m_stack = nullptr;
    QLabel *m_placeholder = nullptr;
    QPlainTextEdit *m_textView = nullptr;
    QPlainTextEdit *m_linkView = nullptr;
    ClipboardPreviewImageView *m_imageView = nullptr;
    QScrollArea *m_fileScroll = nullptr;
    ClipboardPreviewRowList *m_fileList = nullptr;
    QScrollArea *m_formatScroll = nullptr;
    ClipboardPreviewRowList *m_formatList = nullptr;
    QLabel *m_formatsEmpty = nullptr;
    QLabel *m_note = nullptr;
    QLabel *m_formatsTitle = nullptr;
    QLabel *m_hints = nullptr;

    std::optional<ClipboardPreviewContent> m_content;
    // The item whose content is being prepared, and the preparation.
    std::optional<QUuid> m_pending;
    quint64 m_generation = 0;
    QFutureWatcher<ClipboardPreviewContent> *m_watcher = nullptr;

    ClipboardPreviewActionMenu *m_actionMenu = nullptr;
    ClipboardPreviewSheet *m_sheet = nullptr;
    std::optional<ClipboardAIAction> m_runningAIAction;
    std::optional<ClipboardAIActionResult> m_aiActionResult;
    std::optional<QString> m_aiActionError;
    // Last: cancelled first when the view goes.
    TaskSlot m_aiActionTask;
};
