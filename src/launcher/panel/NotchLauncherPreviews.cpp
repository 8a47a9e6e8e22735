#include "launcher/panel/NotchLauncherPreviews.h"

#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "fields/views/NotchAIContext.h"
#include "launcher/panel/NotchLauncherViewModel.h"

#include <algorithm>

NotchLauncherPreviews::NotchLauncherPreviews(const Platform &platform, const NotchLauncherViewModel &model,
                                             QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_model(model)
{
}

void NotchLauncherPreviews::showPreview(const QList<ClipboardItem> &items, const ClipboardItem &item)
{
    Q_EMIT clipboardPreviewOpening(item);
    closePreviewWindow();
    if (!m_previewPresenter.open)
        return;
    QPointer<NotchLauncherPreviews> self = this;
    PreviewRequest request;
    request.items = items;
    request.selected = item;
    request.onSelectionChanged = [self](const ClipboardItem &selected) {
        if (self)
            Q_EMIT self->selectionChanged(selected);
    };
    request.onPaste = [self](const ClipboardItem &pasted) {
        if (self)
            Q_EMIT self->pasteRequested(pasted);
    };
    request.onClose = [self] {
        if (self)
            self->m_previewWindow = nullptr;
    };
    m_previewWindow = m_previewPresenter.open(request);
}

void NotchLauncherPreviews::closePreviewWindow()
{
    QObject *window = m_previewWindow;
    if (!window)
        return;
    m_previewWindow = nullptr;
    if (m_previewPresenter.close)
        m_previewPresenter.close(window);
}

FocusedFieldSuggestionPreviewWindow *NotchLauncherPreviews::suggestionPreviewWindow() const
{
    return m_suggestionPreviewWindow;
}

void NotchLauncherPreviews::showSuggestionPreview(const std::optional<ScreenInfo> &screen)
{
    const std::optional<NotchAIContext> &context = m_model.aiContext();
    const std::optional<QUuid> &selected = m_model.selectedAISuggestionID();
    if (!context || !selected)
        return;
    // Exactly the values the pane lists; random samples are never among them.
    const QList<FocusedFieldSuggestion> listed = filterFocusedFieldSuggestions(*context, m_model.aiSearchQuery());
    const auto found = std::find_if(listed.cbegin(), listed.cend(),
                                    [&](const FocusedFieldSuggestion &s) { return s.id == *selected; });
    if (found == listed.cend())
        return;
    QPointer<NotchLauncherPreviews> self = this;
    auto *window = new FocusedFieldSuggestionPreviewWindow(m_platform, *found, [self] {
        if (self)
            self->m_suggestionPreviewWindow = nullptr;
    });
    m_suggestionPreviewWindow = window;
    window->show(screen);
}

void NotchLauncherPreviews::closeSuggestionPreviewWindow()
{
    if (FocusedFieldSuggestionPreviewWindow *window = m_suggestionPreviewWindow)
        window->close();
    m_suggestionPreviewWindow = nullptr;
}

void NotchLauncherPreviews::closeAll()
{
    closePreviewWindow();
    closeSuggestionPreviewWindow();
}
