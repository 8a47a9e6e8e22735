#include "ui/FrameTicker.h"

#include "platform/Clock.h"

#include <QPointer>

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
    if (m_timer)
        return;
    QPointer<FrameTicker> self = this;
    m_timer = m_clock.callAfter(frameInterval, [self] {
        if (!self)
            return;
        self->m_timer = 0;
        if (self->m_onFrame)
            self->m_onFrame();
    });
}
