#include "ui/WindowCenteringView.h"

#include "platform/Clock.h"
#include "platform/Panel.h"
#include "platform/Screens.h"

namespace {

// The screen that shows most of the frame.
std::optional<ScreenInfo> screenOfFrame(const Screens &screens, const QRectF &frame)
{
    std::optional<ScreenInfo> best;
    double bestArea = 0;
    for (const ScreenInfo &screen : screens.screens()) {
        const QRectF overlap = screen.frame.intersected(frame);
        const double area = overlap.width() * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    return best;
}

} // namespace

WindowCenteringView::WindowCenteringView(Screens &screens, Clock &clock, QObject *parent)
    : QObject(parent)
    , m_screens(screens)
    , m_clock(clock)
{
}

WindowCenteringView::~WindowCenteringView()
{
    if (m_yieldTimer)
        m_clock.cancelTimer(m_yieldTimer);
}

void WindowCenteringView::setWindow(Panel *window)
{
    if (window == m_observedWindow.data())
        return;
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    if (m_yieldTimer) {
        m_clock.cancelTimer(m_yieldTimer);
        m_yieldTimer = 0;
    }
    m_observedWindow = window;
    m_needsCentering = true;
    if (!window)
        return;
    m_connections.append(connect(window, &Panel::tookKeyboard, this, [this, window] { centerWindow(window); }));
    m_connections.append(connect(window, &Panel::willClose, this, [this] { m_needsCentering = true; }));
    // One turn of the main loop later, when the window has settled.
    QPointer<Panel> weakWindow(window);
    m_yieldTimer = m_clock.callAfter(0, [this, weakWindow] {
        m_yieldTimer = 0;
        if (weakWindow)
            centerWindow(weakWindow);
    });
}

void WindowCenteringView::centerWindow(Panel *window)
{
    if (!m_needsCentering || !window)
        return;
    m_needsCentering = false;
    const QRectF frame = window->frame();
    std::optional<ScreenInfo> screen = m_screens.screen(m_screens.pointerLocation());
    if (!screen)
        screen = screenOfFrame(m_screens, frame);
    if (!screen)
        screen = m_screens.primaryScreen();
    if (!screen)
        return; // no screen at all: nowhere to centre on
    const QRectF visible = screen->availableGeometry;
    window->setFrame(QRectF(visible.center().x() - frame.width() * 0.5, visible.center().y() - frame.height() * 0.5,
                            frame.width(), frame.height()));
}
