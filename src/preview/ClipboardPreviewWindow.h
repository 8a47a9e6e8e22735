#pragma once
// The item preview: a floating window over everything, centred on a screen, showing one history item at a
// time (ClipboardPreviewWindowView). Closing and pasting are each done once: `isClosing` guards both, so
// onClose never runs twice and nothing is pasted from a preview that is already going away. A closed
// window frees itself on the main loop; owners keep a QPointer to it.

#include "ui/BaseWindow.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "preview/ClipboardPreviewModel.h"

#include <QPointer>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>

class AppState;
class ClipboardPreviewWindowView;

class ClipboardPreviewWindow : public BaseWindow {
    Q_OBJECT
public:
    static constexpr QSizeF defaultSize{1100, 760};
    // The window keeps at least this margin to the edges of a screen too small for its default size.
    static constexpr double screenMargin = 24;
    static constexpr double cornerRadius = 20;

    // Builds the panel and its content view over `model`.
    ClipboardPreviewWindow(const Platform &platform, AppState *appState, std::unique_ptr<ClipboardPreviewModel> model,
                           QObject *parent = nullptr);
    ~ClipboardPreviewWindow() override;

    ClipboardPreviewModel &model() const { return *m_model; }
    ClipboardPreviewWindowView *view() const;

    std::function<void()> onClose;
    std::function<void(const ClipboardItem &)> onPaste;

    bool isClosing() const { return m_isClosing; }

    // Once: orders the window out, calls onClose, closes the panel. Nothing while already closing.
    void close();
    // Closes as above, then hands the selected item to onPaste. Nothing while already closing.
    void pasteSelection();
    // Sizes and centres the window on `screen`, else on the pointer's screen, else on the primary screen,
    // raises it over other windows and gives it the keyboard.
    void show(const std::optional<ScreenInfo> &screen);

    // The screen to show on: the given one, else the one under the pointer, else the primary screen.
    static std::optional<ScreenInfo> screenToShowOn(const std::optional<ScreenInfo> &given, const Screens &screens);
    // The default size, shrunk to fit the available geometry less the margins, centred on it (whole points).
    static QRectF frameOn(const ScreenInfo &screen);

private:
    Platform m_platform;
    std::unique_ptr<ClipboardPreviewModel> m_model;
    bool m_isClosing = false;
};
