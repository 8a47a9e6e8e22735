#pragma once
// Scripted text recognition for tests: answers what `recognizer` says (by default: an image that Qt can
// decode has no text and no labels, anything else is unreadable), after a delay on the simulated clock.

#include "platform/TextRecognizer.h"

#include <functional>

class Clock;

class SimTextRecognizer : public TextRecognizer {
    Q_OBJECT
public:
    explicit SimTextRecognizer(Clock &clock, QObject *parent = nullptr);

    Task<std::optional<ImageObservations>> recognize(QByteArray imageData) override;

    std::function<std::optional<ImageObservations>(const QByteArray &)> recognizer;
    double delay = 0;

    int calls() const { return m_calls; }
    // The most images worked on at the same time.
    int mostAtOnce() const { return m_mostAtOnce; }

private:
    Clock &m_clock;
    int m_calls = 0;
    int m_running = 0;
    int m_mostAtOnce = 0;
};
