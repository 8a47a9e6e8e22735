#include "launcher/NotchDesktopSwitchMonitor.h"

#include "platform/Clock.h"
#include "platform/DesktopSwitchSignals.h"

namespace {
// A system gesture event is a desktop swipe when it is of this kind and moves horizontally.
constexpr qint64 dockSwipeGestureType = 23;
constexpr qint64 horizontalSwipeMotion = 1;
} // namespace

NotchDesktopSwitchMonitor::NotchDesktopSwitchMonitor(DesktopSwitchSignals &desktopSwitchSignals, Clock &clock,
                                                     QObject *parent)
    : QObject(parent)
    , m_signals(desktopSwitchSignals)
    , m_clock(clock)
{
}

NotchDesktopSwitchMonitor::~NotchDesktopSwitchMonitor()
{
    m_lifetime.end();
    stop();
}

void NotchDesktopSwitchMonitor::start()
{
    if (m_desktopObserver)
        return;
    m_desktopObserver = connect(&m_signals, &DesktopSwitchSignals::currentDesktopChanged, this,
                                [this] { handle(Signal::desktopChanged); });
    m_activationObserver = connect(&m_signals, &DesktopSwitchSignals::applicationActivated, this,
                                   [this] { installEventTap(); });
    m_sleepObserver
        = connect(&m_signals, &DesktopSwitchSignals::willSleep, this, [this] { handle(Signal::interruption); });
    installEventTap();
}

void NotchDesktopSwitchMonitor::installEventTap()
{
    if (m_tap)
        return;
    if (!m_signals.startListening())
        return;
    m_tap = true;
    m_inputConnection = connect(&m_signals, &DesktopSwitchSignals::inputEvent, this,
                                [this](const DesktopSwitchInputEvent &event) { process(event); });
}

void NotchDesktopSwitchMonitor::stop()
{
    m_restoreTask.cancel();
    if (m_tap) {
        disconnect(m_inputConnection);
        m_signals.stopListening();
        m_tap = false;
    }
    disconnect(m_desktopObserver);
    disconnect(m_activationObserver);
    disconnect(m_sleepObserver);
    m_desktopObserver = {};
    m_activationObserver = {};
    m_sleepObserver = {};
    m_state = {};
}

std::optional<NotchDesktopSwitchMonitor::Signal> NotchDesktopSwitchMonitor::classifySwipe(
    const DesktopSwitchInputEvent &event)
{
    if (event.type != DesktopSwitchInputEvent::Type::Gesture || event.gestureType != dockSwipeGestureType
        || event.gestureMotion != horizontalSwipeMotion)
        return std::nullopt;
    switch (event.gesturePhase) {
    case 1:
        return Signal::swipeBegan;
    case 2:
        return Signal::swipeChanged;
    case 4:
    case 8:
        return Signal::swipeEnded;
    default:
        return std::nullopt;
    }
}

void NotchDesktopSwitchMonitor::process(const DesktopSwitchInputEvent &event)
{
    using Type = DesktopSwitchInputEvent::Type;
    if (event.type == Type::ListenerDisabledByTimeout || event.type == Type::ListenerDisabledByUserInput) {
        if (m_tap)
            m_signals.reenableListening();
        handle(Signal::interruption);
        return;
    }
    if (const auto swipe = classifySwipe(event)) {
        handle(*swipe);
        return;
    }
    // Control alone: Control+Alt+Arrow and the like are other shortcuts.
    constexpr Qt::KeyboardModifiers relevant =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (event.type == Type::KeyDown && (event.modifiers & relevant) == Qt::ControlModifier
        && (event.key == Qt::Key_Left || event.key == Qt::Key_Right)) {
        handle(Signal::keyboardSwitch);
        return;
    }
    if (m_state.isGestureActive
        && (event.type == Type::LeftMouseDown || event.type == Type::RightMouseDown || event.type == Type::KeyDown))
        handle(Signal::interruption);
}

void NotchDesktopSwitchMonitor::handle(Signal signal)
{
    const bool wasSuspended = m_state.isSuspended;
    switch (signal) {
    case Signal::swipeBegan:
    case Signal::swipeChanged:
        m_state.isSuspended = true;
        m_state.isGestureActive = true;
        break;
    case Signal::swipeEnded:
    case Signal::keyboardSwitch:
        m_state.isSuspended = true;
        m_state.isGestureActive = false;
        break;
    case Signal::desktopChanged:
        m_state.isSuspended = true;
        m_state.didChangeDesktop = true;
        break;
    case Signal::interruption:
        m_state.isGestureActive = false;
        break;
    }
    m_restoreTask.cancel();

    if (!wasSuspended && m_state.isSuspended)
        Q_EMIT suspendRequested();
    // A receiver of the suspend may have stopped us.
    if (m_state.isSuspended && !m_state.isGestureActive)
        m_restoreTask.start(restoreAfterDelay(Lifetime::Pointer<NotchDesktopSwitchMonitor>(this, m_lifetime), &m_clock));
}

Task<> NotchDesktopSwitchMonitor::restoreAfterDelay(Lifetime::Pointer<NotchDesktopSwitchMonitor> self, Clock *clock)
{
    const bool awake = co_await clock->sleep(resumeDelay);
    if (!awake || !self)
        co_return;
    if (!self->m_state.isSuspended || self->m_state.isGestureActive)
        co_return;
    const bool didChangeDesktop = self->m_state.didChangeDesktop;
    self->m_state = {};
    Q_EMIT self->restoreRequested(didChangeDesktop);
}
