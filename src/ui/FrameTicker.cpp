#include "ui/FrameTicker.h"

#include "platform/Clock.h"

#include <QPointer>

#include <cmath>

FrameTicker::FrameTicker(Clock &clock, std::function<void()> onFrame, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_onFrame(std::move(onFrame))
{
}

FrameTicker::~FrameTicker()
{
    if (m_timer)
        m_clock.cancelTimer(m_timer);
}

void FrameTicker::requestFrame()
{
    requestFrameAt(m_clock.uptime() + frameInterval);
}

void FrameTicker::requestSlowFrame()
{
    // The beat after the next half interval: a frame asked for from the previous one comes a whole
    // interval later, even when the clock ran that one a little early.
    const double now = m_clock.uptime();
    requestFrameAt(std::ceil((now + slowFrameInterval / 2) / slowFrameInterval) * slowFrameInterval);
}

void FrameTicker::requestFrameAt(double due)
{
    if (m_timer) {
        if (m_due <= due)
            return;
        m_clock.cancelTimer(m_timer);
    }
    m_due = due;
    QPointer<FrameTicker> self = this;
    m_timer = m_clock.callAfter(due - m_clock.uptime(), [self] {
        if (!self)
            return;
        self->m_timer = 0;
        if (self->m_onFrame)
            self->m_onFrame();
    });
}
