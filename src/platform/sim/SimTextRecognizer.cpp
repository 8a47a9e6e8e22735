#include "platform/sim/SimTextRecognizer.h"

#include "platform/Clock.h"

#include <QImage>

#include <algorithm>

SimTextRecognizer::SimTextRecognizer(Clock &clock, QObject *parent)
    : TextRecognizer(parent)
    , m_clock(clock)
{
}

Task<std::optional<ImageObservations>> SimTextRecognizer::recognize(QByteArray imageData)
{
    ++m_calls;
    ++m_running;
    m_mostAtOnce = std::max(m_mostAtOnce, m_running);
    if (delay > 0) {
        const bool awake = co_await m_clock.sleep(delay);
        if (!awake) {
            --m_running;
            co_return std::nullopt;
        }
    }
    --m_running;
    if (recognizer)
        co_return recognizer(imageData);
    if (QImage::fromData(imageData).isNull())
        co_return std::nullopt;
    co_return ImageObservations();
}
