#include "preview/ClipboardPreviewWindow.h"

#include "ui/CornerPath.h"
#include "ui/CustomWindow.h"
#include "platform/EventMonitors.h"
#include "platform/PanelFactory.h"
#include "preview/ClipboardPreviewWindowView.h"

#include <QtMath>

#include <algorithm>

ClipboardPreviewWindow::ClipboardPreviewWindow(const Platform &platform, AppState *appState,
                                               std::unique_ptr<ClipboardPreviewModel> model, QObject *parent)
    : BaseWindow(std::make_unique<CustomWindow>(*platform.panels, PanelKind::Launcher), parent)
    , m_platform(platform)
    , m_model(std::move(model))
{
    Panel &panel = window()->panel();
    // Placed like the launcher, outside the window manager's stacking: a managed window stays under the launcher
    // it was opened from.
    panel.setLevel(PanelLevel::Launcher);
    panel.setHasShadow(true);
    installHostingContent([this, appState] {
        return new ClipboardPreviewWindowView(*m_model, m_platform, appState, [this] { close(); },
                                              [this] { pasteSelection(); }, cornerRadius);
    });
}

ClipboardPreviewWindow::~ClipboardPreviewWindow()
{
    // Destroyed without a close (its owner went away): no callbacks, just take the window off screen.
    if (ClipboardPreviewWindowView *content = view())
        content->removeKeyMonitor();
    // The content refers to the model, which goes before the panel does.
    window()->panel().setContentWidget(nullptr);
    if (!window()->panel().isClosed())
        window()->panel().close();
}

ClipboardPreviewWindowView *ClipboardPreviewWindow::view() const
{
    return qobject_cast<ClipboardPreviewWindowView *>(host());
}

void ClipboardPreviewWindow::close()
{
    if (m_isClosing)
        return;
    m_isClosing = true;
    if (ClipboardPreviewWindowView *content = view())
        content->removeKeyMonitor();
    Panel &panel = window()->panel();
    panel.hide();
    // A copy: the owner usually forgets this window inside its callback.
    if (const auto closed = onClose)
        closed();
    panel.close();
    deleteLater();
}

void ClipboardPreviewWindow::pasteSelection()
{
    if (m_isClosing)
        return;
    const std::optional<ClipboardItem> item = m_model->selectedItem();
    const auto paste = onPaste;
    close();
    if (item && paste)
        paste(*item);
}

std::optional<ScreenInfo> ClipboardPreviewWindow::screenToShowOn(const std::optional<ScreenInfo> &given,
                                                                 const Screens &screens)
{
    if (given)
        return given;
    if (std::optional<ScreenInfo> underPointer = screens.screenUnderMouse())
        return underPointer;
    return screens.primaryScreen();
}

QRectF ClipboardPreviewWindow::frameOn(const ScreenInfo &screen)
{
    const QRectF visible = screen.availableGeometry.isEmpty() ? screen.frame : screen.availableGeometry;
    const double width = std::floor(std::min(defaultSize.width(), std::max(visible.width() - 2 * screenMargin, 1.0)));
    const double height
        = std::floor(std::min(defaultSize.height(), std::max(visible.height() - 2 * screenMargin, 1.0)));
    const double x = std::round(visible.center().x() - width / 2);
    const double y = std::round(visible.center().y() - height / 2);
    return QRectF(x, y, width, height);
}

void ClipboardPreviewWindow::show(const std::optional<ScreenInfo> &screen)
{
    if (m_isClosing)
        return;
    Panel &panel = window()->panel();
    if (const std::optional<ScreenInfo> target = screenToShowOn(screen, *m_platform.screens))
        panel.setFrame(frameOn(*target));
    else
        panel.setFrame(QRectF(QPointF(0, 0), defaultSize));
    // Rounded also where the desktop draws no transparency.
    panel.setShape(CornerPath::continuousRoundedRect(QRectF(QPointF(0, 0), panel.frame().size()), cornerRadius));
    panel.setLevel(PanelLevel::Launcher);
    panel.showWithoutActivating();
    window()->takeKeyboard();
    if (ClipboardPreviewWindowView *content = view())
        content->installKeyMonitor();
}
