#include "launcher/panel/NotchLogoPulse.h"

#include "launcher/panel/NotchLauncherViewModel.h"
#include "platform/Clock.h"

NotchLogoPulse::NotchLogoPulse(const Platform &platform, const NotchLauncherViewModel &model, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_model(model)
    , m_lastExpanded(model.isExpanded())
{
    m_logoExpansion.setValue(m_lastExpanded ? 1 : 0);
}

NotchLogoPulse::~NotchLogoPulse()
{
    m_lifetime.end();
}

double NotchLogoPulse::now() const
{
    return m_platform.clock->uptime();
}

bool NotchLogoPulse::isLit() const
{
    return m_isClipboardPulseActive || (m_model.isExpanded() && !m_model.isListSettled());
}

TavlenLogo NotchLogoPulse::logo(double t, const Palette &colors, double expandedOffset) const
{
    TavlenLogo logo;
    const double lit = m_logoLit.value(t);
    logo.saturation = lit;
    logo.brightness = 0.35 * (1 - lit);
    const double expansion = m_logoExpansion.value(t);
    logo.rotationDegrees = m_clipboardLogoRotation.value(t) + (colors.reduceMotion ? 0 : -360 * expansion);
    logo.scale = m_logoPulseScale.value(t);
    logo.shadowColor = Palette::withOpacity(colors.accent, m_isClipboardPulseActive ? 0.46 : 0);
    logo.shadowRadius = 10;
    logo.offset = QPointF(expandedOffset * expansion, 0);
    return logo;
}

bool NotchLogoPulse::isAnimating(double t) const
{
    return m_logoLit.isAnimating(t) || m_logoExpansion.isAnimating(t) || m_logoPulseScale.isAnimating(t)
        || m_clipboardLogoRotation.isAnimating(t);
}

void NotchLogoPulse::pulse(bool reduceMotion)
{
    const double t = now();
    m_clipboardPulseTask.cancel();
    m_isClipboardPulseActive = true;
    if (!reduceMotion)
        m_clipboardLogoRotation.animateTo(m_clipboardLogoRotation.target() + 360, Animation::easeInOut(0.65), t);
    m_logoPulseScale.animateTo(reduceMotion ? 1 : 1.14, Animation::springWith(0.24, 0.58), t);
    m_logoLit.animateTo(1, Animation::easeInOut(0.18), t);
    m_clipboardPulseTask.start(runPulseEnd());
    Q_EMIT changed();
}

Task<> NotchLogoPulse::runPulseEnd()
{
    const Lifetime::Pointer<NotchLogoPulse> self(this, m_lifetime);
    const bool awake = co_await m_platform.clock->sleep(pulseDuration);
    if (!awake || !self)
        co_return;
    self->m_isClipboardPulseActive = false;
    const double t = self->now();
    self->m_logoPulseScale.animateTo(1, Animation::springWith(0.24, 0.58), t);
    self->m_logoLit.animateTo(self->isLit() ? 1 : 0, Animation::easeInOut(0.18), t);
    Q_EMIT self->changed();
}

void NotchLogoPulse::modelChanged(bool reduceMotion)
{
    const double t = now();
    const bool expanded = m_model.isExpanded();
    if (expanded != m_lastExpanded) {
        m_lastExpanded = expanded;
        m_logoExpansion.animateTo(expanded ? 1 : 0, reduceMotion ? Animation::none() : Animation::springWith(0.55, 1.0), t);
    }
    m_logoLit.animateTo(isLit() ? 1 : 0, Animation::easeInOut(0.18), t);
}

void NotchLogoPulse::stop()
{
    m_clipboardPulseTask.cancel();
    m_isClipboardPulseActive = false;
}
