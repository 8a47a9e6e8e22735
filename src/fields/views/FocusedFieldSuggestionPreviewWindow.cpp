#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"

#include "fields/views/FocusedFieldSuggestionPreviewView.h"
#include "platform/PanelFactory.h"
#include "ui/CornerPath.h"
#include "ui/CustomWindow.h"

#include <QPointer>

#include <algorithm>

FocusedFieldSuggestionPreviewWindow::FocusedFieldSuggestionPreviewWindow(const Platform &platform,
                                                                         FocusedFieldSuggestion suggestion,
                                                                         std::function<void()> onClose,
                                                                         QObject *parent)
    // Outside the window manager's stacking like the launcher that opens it, so that it comes over the
    // launcher instead of under it.
    : BaseWindow(std::make_unique<CustomWindow>(*platform.panels, PanelKind::Launcher), parent)
    , m_platform(platform)
    , m_suggestion(std::move(suggestion))
    , m_onClose(std::move(onClose))
{
    Panel &panel = window()->panel();
    panel.setLevel(PanelLevel::Launcher);
    panel.setHasShadow(true);
    QPointer<FocusedFieldSuggestionPreviewWindow> self = this;
    installHostingContent([this, self, &panel] {
        return new FocusedFieldSuggestionPreviewView(
            m_platform, m_suggestion,
            [self] {
                if (self)
                    self->close();
            },
            &panel);
    });
}

FocusedFieldSuggestionPreviewWindow::~FocusedFieldSuggestionPreviewWindow()
{
    // Destroyed without a close (its owner went away): no callback, just take the window off screen.
    if (FocusedFieldSuggestionPreviewView *content = view())
        content->removeKeyMonitor();
    if (!window()->panel().isClosed())
        window()->panel().close();
}

FocusedFieldSuggestionPreviewView *FocusedFieldSuggestionPreviewWindow::view() const
{
    return qobject_cast<FocusedFieldSuggestionPreviewView *>(host());
}

QSizeF FocusedFieldSuggestionPreviewWindow::sizeFor(const QRectF &availableGeometry)
{
    const double width = std::min(std::max(availableGeometry.width() - screenInset, minimumWidth), maximumWidth);
    const double height = std::min(std::max(availableGeometry.height() - screenInset, minimumHeight), maximumHeight);
    return {width, height};
}

QRectF FocusedFieldSuggestionPreviewWindow::frameOn(const QRectF &availableGeometry)
{
    const QSizeF size = sizeFor(availableGeometry);
    const QPointF centre = availableGeometry.center();
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
}

void FocusedFieldSuggestionPreviewWindow::show(const std::optional<ScreenInfo> &screen)
{
    if (m_isClosing)
        return;
    // The given screen, else the one under the mouse, else the main one; no screen at all: the minimum
    // size around the origin. (Frames only: a copied optional screen trips GCC's uninitialised warning.)
    QRectF visible;
    if (screen) {
        visible = screen->availableGeometry;
    } else if (Screens *screens = m_platform.screens) {
        if (const std::optional<ScreenInfo> under = screens->screenUnderMouse())
            visible = under->availableGeometry;
        else if (const std::optional<ScreenInfo> main = screens->primaryScreen())
            visible = main->availableGeometry;
    }
    Panel &panel = window()->panel();
    const QRectF frame = frameOn(visible);
    panel.setFrame(frame);
    // The card's rounded corners, also where the desktop draws no transparency.
    panel.setShape(CornerPath::continuousRoundedRect(QRectF(QPointF(0, 0), frame.size()),
                                                     FocusedFieldSuggestionPreviewView::cornerRadius));
    panel.setLevel(PanelLevel::Launcher);
    panel.showWithoutActivating();
    window()->takeKeyboard();
    if (FocusedFieldSuggestionPreviewView *content = view())
        content->installKeyMonitor();
}

void FocusedFieldSuggestionPreviewWindow::close()
{
    if (m_isClosing)
        return;
    m_isClosing = true;
    if (FocusedFieldSuggestionPreviewView *content = view())
        content->removeKeyMonitor();
    Panel &panel = window()->panel();
    panel.hide();
    // A copy: the owner usually forgets this window inside its callback.
    if (const auto closed = m_onClose)
        closed();
    panel.close();
    deleteLater();
}

QRectF FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(QSizeF size, const QRectF &anchor, const QRectF &bounds)
{
    constexpr double margin = 8;
    constexpr double gap = 10;
    const QRectF inset = bounds.adjusted(margin, margin, -margin, -margin);
    const double iMinX = inset.x(), iMaxX = inset.x() + inset.width();
    const double iMinY = inset.y(), iMaxY = inset.y() + inset.height();
    const double aMinX = anchor.x(), aMaxX = anchor.x() + anchor.width();
    const double aMinY = anchor.y(), aMaxY = anchor.y() + anchor.height();

    // Bounds narrower than the margins leave no room at all, never a negative size.
    const double w = std::max(0.0, std::min(size.width(), inset.width()));
    const double h = std::max(0.0, std::min(size.height(), inset.height()));
    double x = aMinX - gap - w;
    double y = aMaxY - h;
    if (iMinX <= x) {
        // Left of the anchor.
    } else if (aMaxX + gap + w <= iMaxX) {
        x = aMaxX + gap;
    } else {
        x = aMinX;
        y = iMinY <= aMinY - gap - h ? aMinY - gap - h : aMaxY + gap;
    }
    x = std::min(std::max(x, iMinX), iMaxX - w);
    y = std::min(std::max(y, iMinY), iMaxY - h);
    return QRectF(x, y, w, h);
}
