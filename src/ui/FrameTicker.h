#pragma once
// Calls its owner back about sixty times a second on the platform clock while something animates, so a
// view repaints exactly as long as it moves; on the simulated clock, advancing time steps the frames.
// A small, slow motion (the logo's pulse) asks for slow frames instead: thirty a second, on a beat that
// every ticker shares, so the slow frames of all windows come in one wake-up.

#include <QObject>

#include <functional>

class Clock;

class FrameTicker : public QObject {
    Q_OBJECT
public:
    static constexpr double frameInterval = 1.0 / 60;
    static constexpr double slowFrameInterval = 1.0 / 30;

    FrameTicker(Clock &clock, std::function<void()> onFrame, QObject *parent = nullptr);
    ~FrameTicker() override;

    // Asks for the next frame; several requests before it comes give one frame, the earliest asked for.
    void requestFrame();
    void requestSlowFrame();
    bool isFramePending() const { return m_timer != 0; }

private:
    void requestFrameAt(double due);

    Clock &m_clock;
    std::function<void()> m_onFrame;
    quint64 m_timer = 0;
    double m_due = 0;
};
