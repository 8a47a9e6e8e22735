#pragma once
// The windows the panel opens over itself: the item preview (built by the window's presenter) and the
// details of a remembered field value. At most one of each is open; the panel closes them when it leaves
// the screen or a desktop switch suspends it.

#include "fields/FocusedFieldSuggestion.h"
#include "model/ClipboardItem.h"
#include "platform/Platform.h"
#include "platform/Screens.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class FocusedFieldSuggestionPreviewWindow;
class NotchLauncherViewModel;

class NotchLauncherPreviews : public QObject {
    Q_OBJECT
public:
    // The item preview, built elsewhere: opens over the displayed items with one selected and calls back
    // on a selection change, a paste and its close; closing goes through close().
    struct PreviewRequest {
        QList<ClipboardItem> items;
        ClipboardItem selected;
        std::function<void(const ClipboardItem &)> onSelectionChanged;
        std::function<void(const ClipboardItem &)> onPaste;
        std::function<void()> onClose;
    };
    struct PreviewPresenter {
        // Answers the open window (a QObject whose destruction also counts as closed), or null.
        std::function<QObject *(const PreviewRequest &)> open;
        std::function<void(QObject *)> close;
    };

    NotchLauncherPreviews(const Platform &platform, const NotchLauncherViewModel &model, QObject *parent = nullptr);

    void setPreviewPresenter(PreviewPresenter presenter) { m_previewPresenter = std::move(presenter); }
    bool isPreviewOpen() const { return m_previewWindow != nullptr; }
    FocusedFieldSuggestionPreviewWindow *suggestionPreviewWindow() const;

    // Opens the preview of `item` among `items`, closing the one open.
    void showPreview(const QList<ClipboardItem> &items, const ClipboardItem &item);
    void closePreviewWindow();
    // Opens the details of the selected remembered value, when it is among the values the pane lists.
    void showSuggestionPreview(const std::optional<ScreenInfo> &screen);
    void closeSuggestionPreviewWindow();
    void closeAll();

Q_SIGNALS:
    // A preview is about to open on `item`.
    void clipboardPreviewOpening(const ClipboardItem &item);
    // The preview moved its selection.
    void selectionChanged(const ClipboardItem &item);
    // The preview pastes `item`.
    void pasteRequested(const ClipboardItem &item);

private:
    Platform m_platform;
    const NotchLauncherViewModel &m_model;
    PreviewPresenter m_previewPresenter;
    QPointer<QObject> m_previewWindow;
    QPointer<FocusedFieldSuggestionPreviewWindow> m_suggestionPreviewWindow;
};
