#pragma once
// A panel for tests: keeps every state the real one has and logs each operation, so a test can assert
// what a window did. Animations run on the SimClock: the frame moves along the timing curve as the clock
// advances and the animation completes when it has advanced by the duration.

#include "platform/StatefulPanel.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <optional>

class SimClock;
class SimPanelFactory;

class SimPanel : public StatefulPanel {
    Q_OBJECT
public:
    struct Animation {
        QRectF from;
        QRectF to;
        double duration = 0;
        AnimationTiming timing = AnimationTiming::Linear;
        double startedAt = 0;
    };

    SimPanel(PanelKind kind, SimClock &clock, SimPanelFactory *factory);
    ~SimPanel() override;

    QRectF frame() const override;
    void setFrame(const QRectF &frame) override;
    void animateFrame(const QRectF &frame, double duration, AnimationTiming timing,
                      std::function<void()> completion = {}) override;
    bool isAnimatingFrame() const override { return m_animation.has_value(); }

    void showWithoutActivating() override;
    void hide() override;

    void setOpacity(double opacity) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setLevel(int level) override;
    void setDesktopFlags(unsigned flags) override;
    void setHasShadow(bool shadow) override;
    void setShape(const QPainterPath &shape) override;

    void setAcceptsKeyboardFocus(bool accepts) override;
    void takeKeyboard() override;
    bool hasKeyboard() const override { return m_hasKeyboard; }
    bool hasFocusTarget() const override;
    QWidget *focusedWidget() const override;
    bool setFocusedWidget(QWidget *widget) override;

    void setContentWidget(QWidget *widget) override;

    void close() override;

    // --- For tests ---
    // Every operation in order, e.g. "show", "animateFrame 0,0 100x30 0.24 easeInEaseOut".
    const QStringList &operations() const { return m_operations; }
    void clearOperations() { m_operations.clear(); }
    // The running frame animation, if any; the last one started, also after it ended.
    const std::optional<Animation> &runningAnimation() const { return m_animation; }
    const std::optional<Animation> &lastAnimation() const { return m_lastAnimation; }
    // Where the frame is heading (the frame itself when nothing runs).
    QRectF targetFrame() const;
    // The pointer enters or leaves the panel; mouse events reach it only while it takes them.
    void simulateMouseEntered();
    void simulateMouseExited();
    // The desktop takes the keyboard away (another application became active).
    void loseKeyboard();
    // The panel that had the keyboard when this one took it; nullptr: another application had it.
    SimPanel *keyboardTakenFrom() const { return m_keyboardFrom; }
    // Widget focus inside a panel is kept here: the sim never shows its widgets.
    void simulateFocus(QWidget *widget) { setFocusedWidget(widget); }

private:
    friend class SimPanelFactory;
    void log(const QString &operation);
    void finishAnimation(bool superseded);
    void layoutContent();
    void setFocusState(int state, QWidget *widget);
    // This panel stops taking the keyboard while it has it: the keyboard goes back where it came from.
    void giveKeyboardBack();
    void regainKeyboard();

    SimClock &m_clock;
    QPointer<SimPanelFactory> m_factory;
    QRectF m_frame;
    std::optional<Animation> m_animation;
    std::optional<Animation> m_lastAnimation;
    std::function<void()> m_completion;
    std::uint64_t m_animationTimer = 0;
    bool m_hasKeyboard = false;
    QPointer<SimPanel> m_keyboardFrom;
    // 0: none, 1: the panel itself, 2: m_focusedWidget
    int m_focusState = 0;
    QPointer<QWidget> m_focusedWidget;
    bool m_mouseInside = false;
    QStringList m_operations;
};
