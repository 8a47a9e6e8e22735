#include "platform/sim/SimPanel.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimPanelFactory.h"

#include <QWidget>

namespace {

QString rectText(const QRectF &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString timingText(AnimationTiming timing)
{
    switch (timing) {
    case AnimationTiming::Linear:
        return QStringLiteral("linear");
    case AnimationTiming::EaseIn:
        return QStringLiteral("easeIn");
    case AnimationTiming::EaseOut:
        return QStringLiteral("easeOut");
    case AnimationTiming::EaseInEaseOut:
        return QStringLiteral("easeInEaseOut");
    case AnimationTiming::Default:
        return QStringLiteral("default");
    }
    return {};
}

QRectF interpolate(const QRectF &a, const QRectF &b, double p)
{
    return QRectF(a.x() + (b.x() - a.x()) * p, a.y() + (b.y() - a.y()) * p,
                  a.width() + (b.width() - a.width()) * p, a.height() + (b.height() - a.height()) * p);
}

enum FocusState { NothingFocused = 0, PanelFocused = 1, WidgetFocused = 2 };

} // namespace

SimPanel::SimPanel(PanelKind kind, SimClock &clock, SimPanelFactory *factory)
    : StatefulPanel(kind)
    , m_clock(clock)
    , m_factory(factory)
{
}

SimPanel::~SimPanel()
{
    giveKeyboardBack();
    if (m_animationTimer)
        m_clock.cancelTimer(m_animationTimer);
    if (m_factory)
        m_factory->panelDestroyed(this);
    delete m_state.content.data();
}

void SimPanel::log(const QString &operation)
{
    m_operations.append(operation);
}

QRectF SimPanel::frame() const
{
    if (!m_animation)
        return m_frame;
    const Animation &a = *m_animation;
    const double fraction = a.duration > 0 ? (m_clock.uptime() - a.startedAt) / a.duration : 1.0;
    return interpolate(a.from, a.to, animationProgress(a.timing, fraction));
}

QRectF SimPanel::targetFrame() const
{
    return m_animation ? m_animation->to : m_frame;
}

void SimPanel::finishAnimation(bool superseded)
{
    if (!m_animation)
        return;
    if (m_animationTimer) {
        m_clock.cancelTimer(m_animationTimer);
        m_animationTimer = 0;
    }
    // A superseded animation stops where it got to; a finished one lands on its target.
    m_frame = superseded ? frame() : m_animation->to;
    m_animation.reset();
    if (auto completion = std::exchange(m_completion, {})) {
        // Completions never run inside the call that ended the animation.
        if (superseded)
            m_clock.callAfter(0, std::move(completion));
        else
            completion();
    }
}

void SimPanel::setFrame(const QRectF &frame)
{
    log(QStringLiteral("setFrame ") + rectText(frame));
    finishAnimation(true);
    const bool changed = m_frame != frame;
    m_frame = frame;
    layoutContent();
    if (changed)
        Q_EMIT frameChanged(m_frame);
}

void SimPanel::animateFrame(const QRectF &frame, double duration, AnimationTiming timing,
                            std::function<void()> completion)
{
    log(QStringLiteral("animateFrame %1 %2 %3").arg(rectText(frame)).arg(duration).arg(timingText(timing)));
    finishAnimation(true);
    Animation animation{m_frame, frame, std::max(0.0, duration), timing, m_clock.uptime()};
    m_lastAnimation = animation;
    m_animation = animation;
    m_completion = std::move(completion);
    m_animationTimer = m_clock.callAfter(animation.duration, [this] {
        m_animationTimer = 0;
        const bool changed = m_frame != m_animation->to;
        finishAnimation(false);
        layoutContent();
        if (changed)
            Q_EMIT frameChanged(m_frame);
    });
}

void SimPanel::showWithoutActivating()
{
    log(QStringLiteral("show"));
    if (m_state.closed)
        return;
    const bool was = m_state.visible;
    m_state.visible = true;
    if (m_factory)
        m_factory->panelShown(this);
    if (!was)
        Q_EMIT visibleChanged(true);
}

void SimPanel::hide()
{
    log(QStringLiteral("hide"));
    if (!m_state.visible)
        return;
    m_state.visible = false;
    if (m_factory)
        m_factory->panelHidden(this);
    if (m_mouseInside)
        simulateMouseExited();
    giveKeyboardBack();
    Q_EMIT visibleChanged(false);
}

void SimPanel::setOpacity(double opacity)
{
    log(QStringLiteral("opacity %1").arg(opacity));
    m_state.opacity = std::clamp(opacity, 0.0, 1.0);
    // A transparent panel is taken off the desktop (as on X11) and cannot keep the keyboard.
    if (m_state.opacity <= 0)
        giveKeyboardBack();
}

void SimPanel::setIgnoresMouseEvents(bool ignores)
{
    log(QStringLiteral("ignoresMouseEvents %1").arg(ignores ? "true" : "false"));
    m_state.ignoresMouseEvents = ignores;
}

void SimPanel::setLevel(int level)
{
    log(QStringLiteral("level %1").arg(level));
    m_state.level = level;
}

void SimPanel::setDesktopFlags(unsigned flags)
{
    log(QStringLiteral("desktopFlags %1").arg(flags));
    m_state.desktopFlags = flags;
}

void SimPanel::setHasShadow(bool shadow)
{
    log(QStringLiteral("hasShadow %1").arg(shadow ? "true" : "false"));
    m_state.hasShadow = shadow;
}

void SimPanel::setShape(const QPainterPath &shape)
{
    m_state.shape = shape;
}

void SimPanel::setAcceptsKeyboardFocus(bool accepts)
{
    log(QStringLiteral("acceptsKeyboardFocus %1").arg(accepts ? "true" : "false"));
    m_state.acceptsKeyboardFocus = accepts;
    if (!accepts)
        giveKeyboardBack();
}

void SimPanel::takeKeyboard()
{
    log(QStringLiteral("takeKeyboard"));
    if (m_state.closed || !m_state.acceptsKeyboardFocus || m_hasKeyboard)
        return;
    m_keyboardFrom = m_factory ? m_factory->panelWithKeyboard() : nullptr;
    if (m_factory)
        m_factory->panelTookKeyboard(this);
    m_hasKeyboard = true;
    Q_EMIT tookKeyboard();
}

void SimPanel::giveKeyboardBack()
{
    if (!m_hasKeyboard)
        return;
    log(QStringLiteral("returnKeyboard"));
    loseKeyboard();
    if (m_factory)
        m_factory->keyboardReturned(m_keyboardFrom);
}

void SimPanel::regainKeyboard()
{
    if (m_hasKeyboard)
        return;
    m_hasKeyboard = true;
    Q_EMIT tookKeyboard();
}

void SimPanel::loseKeyboard()
{
    if (!m_hasKeyboard)
        return;
    m_hasKeyboard = false;
    Q_EMIT lostKeyboard();
}

void SimPanel::setFocusState(int state, QWidget *widget)
{
    m_focusState = state;
    m_focusedWidget = widget;
}

bool SimPanel::hasFocusTarget() const
{
    if (m_focusState == WidgetFocused)
        return !m_focusedWidget.isNull();
    return m_focusState == PanelFocused;
}

QWidget *SimPanel::focusedWidget() const
{
    return m_focusState == WidgetFocused ? m_focusedWidget.data() : nullptr;
}

bool SimPanel::setFocusedWidget(QWidget *widget)
{
    log(QStringLiteral("focus %1").arg(widget ? widget->objectName() : QStringLiteral("panel")));
    if (!widget) {
        setFocusState(PanelFocused, nullptr);
        return true;
    }
    if (!m_state.content || (widget != m_state.content && !m_state.content->isAncestorOf(widget)))
        return false;
    setFocusState(WidgetFocused, widget);
    return true;
}

void SimPanel::setContentWidget(QWidget *widget)
{
    log(QStringLiteral("setContentWidget"));
    if (m_state.content == widget)
        return;
    if (m_focusState == WidgetFocused)
        setFocusState(NothingFocused, nullptr);
    delete m_state.content.data();
    m_state.content = widget;
    layoutContent();
}

void SimPanel::layoutContent()
{
    if (m_state.content)
        m_state.content->resize(m_frame.size().toSize());
}

void SimPanel::simulateMouseEntered()
{
    if (m_mouseInside || !m_state.visible || m_state.ignoresMouseEvents)
        return;
    m_mouseInside = true;
    Q_EMIT mouseEntered();
}

void SimPanel::simulateMouseExited()
{
    if (!m_mouseInside)
        return;
    m_mouseInside = false;
    Q_EMIT mouseExited();
}

void SimPanel::close()
{
    if (m_state.closed)
        return;
    log(QStringLiteral("close"));
    Q_EMIT willClose();
    hide();
    m_state.closed = true;
}
