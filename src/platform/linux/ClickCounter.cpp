#include "platform/linux/ClickCounter.h"

#include <cmath>

int ClickCounter::press(int button, QPointF position, double time)
{
    const double gap = time - m_time;
    const bool continues = m_count > 0 && button == m_button && gap >= 0 && gap <= m_interval
        && std::abs(position.x() - m_position.x()) <= m_distance
        && std::abs(position.y() - m_position.y()) <= m_distance;
    m_count = continues ? m_count + 1 : 1;
    m_button = button;
    m_position = position;
    m_time = time;
    return m_count;
}
