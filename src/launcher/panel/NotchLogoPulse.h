#pragma once
// The logo in the header band and its motion: lit while a capture pulses or the expanding list settles,
// a turn and a swell with a glow on every capture, a turn back and a slide to the band's leading edge
// on expansion. Owns the animated values, the pulse's end and the logo's rendered frames.

#include "platform/Lifetime.h"
#include "platform/Platform.h"
#include "platform/Task.h"
#include "ui/AnimatedValue.h"
#include "ui/Palette.h"
#include "ui/TavlenLogo.h"
#include "ui/TavlenLogoCache.h"

#include <QObject>

class NotchLauncherViewModel;

class NotchLogoPulse : public QObject {
    Q_OBJECT
public:
    static constexpr double pulseDuration = 0.85;

    NotchLogoPulse(const Platform &platform, const NotchLauncherViewModel &model, QObject *parent = nullptr);
    ~NotchLogoPulse() override;

    bool isClipboardPulseActive() const { return m_isClipboardPulseActive; }
    // Degrees; only ever grows, by a turn per pulse.
    double clipboardLogoRotation() const { return m_clipboardLogoRotation.target(); }
    // The logo as it is drawn at `now`, with the slide it makes at full expansion.
    TavlenLogo logo(double now, const Palette &colors, double expandedOffset) const;
    bool isAnimating(double now) const;
    const TavlenLogoCache &logoCache() const { return m_logoCache; }
    void paint(QPainter &painter, QPointF centre, const TavlenLogo &logo) { logo.paint(painter, centre, &m_logoCache); }

    // A capture: light, swell and (without reduce motion) turn once more.
    void pulse(bool reduceMotion);
    // The model changed: follows the expansion and what lights the logo.
    void modelChanged(bool reduceMotion);
    // Off screen: the pulse ends at once.
    void stop();

Q_SIGNALS:
    // The logo looks different: it wants a frame.
    void changed();

private:
    double now() const;
    bool isLit() const;
#ifndef Q_MOC_RUN
    Task<> runPulseEnd();
#endif

    Platform m_platform;
    const NotchLauncherViewModel &m_model;
    TavlenLogoCache m_logoCache;
    bool m_isClipboardPulseActive = false;
    bool m_lastExpanded = false;
    AnimatedValue m_clipboardLogoRotation{0};
    AnimatedValue m_logoLit{0};
    AnimatedValue m_logoPulseScale{1};
    AnimatedValue m_logoExpansion{0};
#ifndef Q_MOC_RUN
    TaskSlot m_clipboardPulseTask;
#endif
    Lifetime m_lifetime;
};
