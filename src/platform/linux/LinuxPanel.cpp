#include "platform/linux/LinuxPanel.h"

#include "platform/linux/LinuxScreens.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cmath>
#include <cstdlib>

namespace {

const char *const panelProperty = "tavlenPanel";

xcb_connection_t *qtConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t rootOf(xcb_connection_t *c)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : 0;
}

// A compositing manager owns the _NET_WM_CM_S0 selection while it runs.
bool compositorRunning(xcb_connection_t *c)
{
    const xcb_atom_t selection = internAtom(c, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

void sendClientMessage(xcb_connection_t *c, xcb_window_t window, const char *type, std::array<quint32, 5> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(c, type);
    for (int i = 0; i < 5; ++i)
        event.data.data32[i] = data[std::size_t(i)];
    xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&event));
}

xcb_window_t inputFocus(xcb_connection_t *c)
{
    xcb_get_input_focus_reply_t *reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_NONE);
    std::free(reply);
    return focus;
}

// A window the focus can go to: mapped with all its ancestors. None and PointerRoot always can.
bool canTakeFocus(xcb_connection_t *c, xcb_window_t window)
{
    if (window == XCB_NONE || window == XCB_INPUT_FOCUS_POINTER_ROOT)
        return true;
    xcb_get_window_attributes_reply_t *reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

QRectF interpolate(const QRectF &a, const QRectF &b, double p)
{
    return QRectF(a.x() + (b.x() - a.x()) * p, a.y() + (b.y() - a.y()) * p,
                  a.width() + (b.width() - a.width()) * p, a.height() + (b.height() - a.height()) * p);
}

} // namespace

// The top-level widget: reports pointer, activation and desktop close requests to its panel.
class LinuxPanelRoot : public QWidget {
public:
    explicit LinuxPanelRoot(LinuxPanel *panel)
        : m_panel(panel)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }

protected:
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            Q_EMIT m_panel->mouseEntered();
            break;
        case QEvent::Leave:
            Q_EMIT m_panel->mouseExited();
            break;
        case QEvent::WindowActivate:
            Q_EMIT m_panel->tookKeyboard();
            break;
        case QEvent::WindowDeactivate:
            Q_EMIT m_panel->lostKeyboard();
            break;
        default:
            break;
        }
        return QWidget::event(event);
    }
    // The owner decides when a panel closes; a close request from the desktop is declined.
    void closeEvent(QCloseEvent *event) override { event->ignore(); }

private:
    LinuxPanel *m_panel;
};

LinuxPanel::LinuxPanel(PanelKind kind, QObject *parent)
    : StatefulPanel(kind, parent)
    , m_root(new LinuxPanelRoot(this))
{
    m_root->setProperty(panelProperty, QVariant::fromValue<QObject *>(this));
    m_root->setAttribute(Qt::WA_ShowWithoutActivating);
    m_root->setAttribute(Qt::WA_TranslucentBackground);
    m_root->setAttribute(Qt::WA_X11DoNotAcceptFocus, !m_state.acceptsKeyboardFocus);
    m_root->setWindowFlags(windowFlags());
    m_root->setWindowTitle(QStringLiteral("Tavlen"));
}

LinuxPanel::~LinuxPanel()
{
    stopAnimation(false);
    giveKeyboardBack();
    delete m_root;
}

QWidget *LinuxPanel::window() const
{
    return m_root;
}

Panel *LinuxPanel::panelOf(const QWidget *window)
{
    if (!window)
        return nullptr;
    return qobject_cast<Panel *>(window->property(panelProperty).value<QObject *>());
}

namespace {

// Our panel whose top-level window has this X id, if any (without creating native windows).
LinuxPanel *panelWithWindow(quint32 window)
{
    if (window == XCB_NONE)
        return nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows) {
        if (widget->internalWinId() == WId(window))
            return qobject_cast<LinuxPanel *>(LinuxPanel::panelOf(widget));
    }
    return nullptr;
}

} // namespace

Qt::WindowFlags LinuxPanel::windowFlags() const
{
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
    if (kind() == PanelKind::Launcher || kind() == PanelKind::Overlay)
        flags |= Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint;
    else if (m_state.level >= PanelLevel::KeepAbove)
        flags |= Qt::WindowStaysOnTopHint;
    if (!m_state.acceptsKeyboardFocus)
        flags |= Qt::WindowDoesNotAcceptFocus;
    if (m_state.ignoresMouseEvents)
        flags |= Qt::WindowTransparentForInput;
    return flags;
}

void LinuxPanel::applyWindowFlags()
{
    const Qt::WindowFlags flags = windowFlags();
    m_root->setAttribute(Qt::WA_X11DoNotAcceptFocus, !m_state.acceptsKeyboardFocus);
    if (QWindow *handle = m_root->windowHandle()) {
        // Changing the flags through the widget would hide the window; the native window takes them live.
        m_root->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        m_root->setWindowFlags(flags);
    }
}

QRectF LinuxPanel::frame() const
{
    return m_frame;
}

void LinuxPanel::applyGeometry(const QRectF &frame)
{
    const QRectF topDown = ScreenSpace::rectToTopDown(frame, LinuxScreens::primaryTopDown());
    // Qt places top-level widgets on whole device-independent pixels; the frames we get are already
    // snapped to the pixel grid, so rounding only removes floating-point noise.
    const QRect rect(int(std::lround(topDown.x())), int(std::lround(topDown.y())),
                     std::max(1, int(std::lround(topDown.width()))), std::max(1, int(std::lround(topDown.height()))));
    if (m_root->geometry() != rect)
        m_root->setGeometry(rect);
}

void LinuxPanel::stopAnimation(bool superseded)
{
    if (!m_animation)
        return;
    QVariantAnimation *animation = std::exchange(m_animation, nullptr);
    animation->disconnect(this);
    animation->stop();
    animation->deleteLater();
    if (auto completion = std::exchange(m_completion, {})) {
        // Never inside the call that ended the animation.
        if (superseded)
            QTimer::singleShot(0, this, std::move(completion));
    }
}

void LinuxPanel::setFrame(const QRectF &frame)
{
    stopAnimation(true);
    const bool changed = m_frame != frame;
    m_frame = frame;
    applyGeometry(frame);
    if (changed)
        Q_EMIT frameChanged(m_frame);
}

void LinuxPanel::animateFrame(const QRectF &frame, double duration, AnimationTiming timing,
                              std::function<void()> completion)
{
    stopAnimation(true);
    if (duration <= 0) {
        setFrame(frame);
        if (completion)
            QTimer::singleShot(0, this, std::move(completion));
        return;
    }
    const QRectF from = m_frame;
    m_completion = std::move(completion);
    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(int(std::lround(duration * 1000)));
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this, from, frame, timing](const QVariant &value) {
        m_frame = interpolate(from, frame, animationProgress(timing, value.toDouble()));
        applyGeometry(m_frame);
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this, frame] {
        QVariantAnimation *finished = std::exchange(m_animation, nullptr);
        finished->deleteLater();
        const bool changed = m_frame != frame;
        m_frame = frame;
        applyGeometry(frame);
        if (changed)
            Q_EMIT frameChanged(m_frame);
        if (auto done = std::exchange(m_completion, {}))
            done();
    });
    m_animation->start();
}

bool LinuxPanel::isAnimatingFrame() const
{
    return m_animation != nullptr;
}

void LinuxPanel::updateMapping()
{
    // Without a compositor a window at alpha 0 would still be drawn, so a transparent panel is unmapped
    // while it stays shown.
    const bool shouldShow = m_state.visible && !m_state.closed && m_state.opacity > 0;
    if (shouldShow && !m_root->isVisible()) {
        applyDesktopProperties();
        m_root->show();
    } else if (!shouldShow && m_root->isVisible()) {
        m_root->hide();
    }
}

void LinuxPanel::showWithoutActivating()
{
    if (m_state.closed)
        return;
    const bool was = m_state.visible;
    m_state.visible = true;
    updateMapping();
    if (m_root->isVisible())
        m_root->raise();
    if (!was)
        Q_EMIT visibleChanged(true);
}

void LinuxPanel::hide()
{
    if (!m_state.visible)
        return;
    // Before the unmap, which would drop the focus on the root window.
    giveKeyboardBack();
    m_state.visible = false;
    updateMapping();
    Q_EMIT visibleChanged(false);
}

void LinuxPanel::setOpacity(double opacity)
{
    m_state.opacity = std::clamp(opacity, 0.0, 1.0);
    if (m_state.opacity <= 0)
        giveKeyboardBack();
    m_root->setWindowOpacity(m_state.opacity);
    updateMapping();
}

void LinuxPanel::setIgnoresMouseEvents(bool ignores)
{
    if (m_state.ignoresMouseEvents == ignores)
        return;
    m_state.ignoresMouseEvents = ignores;
    applyWindowFlags();
}

void LinuxPanel::setLevel(int level)
{
    if (m_state.level == level)
        return;
    m_state.level = level;
    applyWindowFlags();
}

void LinuxPanel::setDesktopFlags(unsigned flags)
{
    m_state.desktopFlags = flags;
    if (m_root->windowHandle())
        applyDesktopProperties();
}

// Sticky on every desktop and kept out of the taskbar and pager, as the desktop flags ask.
void LinuxPanel::applyDesktopProperties()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return;
    const bool allDesktops = m_state.desktopFlags & PanelDesktop::OnAllDesktops;
    const bool skipTaskbar = (m_state.desktopFlags & PanelDesktop::SkipTaskbar) || kind() != PanelKind::Floating;
    const xcb_window_t window = xcb_window_t(m_root->winId());
    const xcb_atom_t desktop = internAtom(c, "_NET_WM_DESKTOP");
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbarAtom = internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPagerAtom = internAtom(c, "_NET_WM_STATE_SKIP_PAGER");
    if (m_root->isVisible()) {
        // A mapped window belongs to the window manager: ask it.
        if (allDesktops)
            sendClientMessage(c, window, "_NET_WM_DESKTOP", {0xFFFFFFFFu, 2, 0, 0, 0});
        sendClientMessage(c, window, "_NET_WM_STATE", {skipTaskbar ? 1u : 0u, skipTaskbarAtom, skipPagerAtom, 2, 0});
    } else {
        if (allDesktops) {
            const quint32 all = 0xFFFFFFFFu;
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1, &all);
        } else {
            xcb_delete_property(c, window, desktop);
        }
        // Qt keeps the state atoms it finds when it maps the window.
        if (skipTaskbar) {
            const xcb_atom_t atoms[] = {skipTaskbarAtom, skipPagerAtom};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, 2, atoms);
        }
    }
    xcb_flush(c);
}

void LinuxPanel::setShape(const QPainterPath &shape)
{
    m_state.shape = shape;
    applyShape();
}

void LinuxPanel::applyShape()
{
    // With a compositor the transparent pixels already show what is behind.
    xcb_connection_t *c = qtConnection();
    if (m_state.shape.isEmpty() || (c && compositorRunning(c))) {
        if (!m_root->mask().isEmpty())
            m_root->clearMask();
        return;
    }
    // The pixels a fill of the shape without antialiasing covers, as the views draw it where nothing composites:
    // a polygon rounded to whole points kept pixels along the curves that the drawing left clear, shown black.
    // Each outline adds its area, and one that lies inside another cuts a hole.
    const QRect bounds = m_state.shape.boundingRect().toAlignedRect();
    QRegion region;
    if (!bounds.isEmpty()) {
        QBitmap covered(bounds.size());
        covered.fill(Qt::color0);
        QPainter painter(&covered);
        painter.translate(-bounds.topLeft());
        QPainterPath shape = m_state.shape;
        shape.setFillRule(Qt::OddEvenFill);
        painter.fillPath(shape, Qt::color1);
        painter.end();
        region = QRegion(covered).translated(bounds.topLeft());
    }
    // An empty mask would show the whole window: an outline too thin to cover a pixel shows nothing, so
    // give it a pixel outside the window.
    m_root->setMask(region.isEmpty() ? QRegion(-1, -1, 1, 1) : region);
}


void LinuxPanel::setAcceptsKeyboardFocus(bool accepts)
{
    if (m_state.acceptsKeyboardFocus == accepts)
        return;
    if (!accepts)
        giveKeyboardBack();
    m_state.acceptsKeyboardFocus = accepts;
    applyWindowFlags();
}

void LinuxPanel::takeKeyboard()
{
    if (m_state.closed || !m_state.acceptsKeyboardFocus || !m_root->isVisible())
        return;
    rememberFocusOrigin();
    m_root->activateWindow();
}

void LinuxPanel::rememberFocusOrigin()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return;
    const xcb_window_t focus = inputFocus(c);
    // Already ours: the origin recorded when it came to us stays.
    if (focus == xcb_window_t(m_root->internalWinId()))
        return;
    m_hasFocusOrigin = true;
    m_focusFrom = focus;
    const LinuxPanel *other = panelWithWindow(focus);
    m_foreignFocus = !other ? focus : other->m_hasFocusOrigin ? other->m_foreignFocus : quint32(XCB_NONE);
}

void LinuxPanel::giveKeyboardBack()
{
    if (!std::exchange(m_hasFocusOrigin, false))
        return;
    xcb_connection_t *c = qtConnection();
    // Only while the focus is still ours: a window the person chose meanwhile keeps it.
    if (!c || !m_root->internalWinId() || inputFocus(c) != xcb_window_t(m_root->internalWinId()))
        return;
    xcb_window_t target = m_foreignFocus;
    if (const LinuxPanel *from = panelWithWindow(m_focusFrom);
        from && from != this && from->m_root->isVisible() && from->m_state.acceptsKeyboardFocus)
        target = m_focusFrom;
    if (target == XCB_NONE || !canTakeFocus(c, target))
        return;
    const uint8_t revertTo = target == XCB_INPUT_FOCUS_POINTER_ROOT ? XCB_INPUT_FOCUS_POINTER_ROOT : XCB_INPUT_FOCUS_PARENT;
    xcb_set_input_focus(c, revertTo, target, XCB_CURRENT_TIME);
    xcb_flush(c);
}

bool LinuxPanel::hasKeyboard() const
{
    return m_root->windowHandle() && QGuiApplication::focusWindow() == m_root->windowHandle();
}

bool LinuxPanel::hasFocusTarget() const
{
    return m_root->focusWidget() != nullptr;
}

QWidget *LinuxPanel::focusedWidget() const
{
    QWidget *focus = m_root->focusWidget();
    return focus == m_root ? nullptr : focus;
}

bool LinuxPanel::setFocusedWidget(QWidget *widget)
{
    if (!widget) {
        // The panel itself: no content widget keeps the keyboard.
        m_root->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (!m_root->isAncestorOf(widget))
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    return true;
}

void LinuxPanel::setContentWidget(QWidget *widget)
{
    if (m_state.content == widget)
        return;
    delete m_state.content.data();
    m_state.content = widget;
    if (widget)
        m_root->layout()->addWidget(widget);
}

void LinuxPanel::close()
{
    if (m_state.closed)
        return;
    Q_EMIT willClose();
    stopAnimation(false);
    hide();
    m_state.closed = true;
    updateMapping();
}
