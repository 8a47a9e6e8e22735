#pragma once
// A panel on the X11 desktop: a frameless top-level widget. Launcher panels bypass the window manager and
// sit exactly where they are put; floating panels are managed tool windows. Neither takes the keyboard
// unless asked to (takeKeyboard), and then only while keyboard focus is accepted; the X input focus goes back
// to the window it came from as soon as the panel stops taking it (nothing else would move it back from
// a window the window manager does not manage). Without a compositor the content's shape becomes the
// window's shape, so the corners outside it show what lies behind.

#include "platform/StatefulPanel.h"

#include <QWidget>

class QVariantAnimation;
class LinuxPanelRoot;

class LinuxPanel : public StatefulPanel {
    Q_OBJECT
public:
    explicit LinuxPanel(PanelKind kind, QObject *parent = nullptr);
    ~LinuxPanel() override;

    QRectF frame() const override;
    void setFrame(const QRectF &frame) override;
    void animateFrame(const QRectF &frame, double duration, AnimationTiming timing,
                      std::function<void()> completion = {}) override;
    bool isAnimatingFrame() const override;

    void showWithoutActivating() override;
    void hide() override;

    void setOpacity(double opacity) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setLevel(int level) override;
    void setDesktopFlags(unsigned flags) override;
    void setHasShadow(bool shadow) override { m_state.hasShadow = shadow; }
    void setShape(const QPainterPath &shape) override;

    void setAcceptsKeyboardFocus(bool accepts) override;
    void takeKeyboard() override;
    bool hasKeyboard() const override;
    bool hasFocusTarget() const override;
    QWidget *focusedWidget() const override;
    bool setFocusedWidget(QWidget *widget) override;

    void setContentWidget(QWidget *widget) override;

    void close() override;

    // The top-level widget (for tests and the event monitors).
    QWidget *window() const;
    // The panel a top-level widget belongs to, if it is one of ours.
    static Panel *panelOf(const QWidget *window);

private:
    friend class LinuxPanelRoot;
    Qt::WindowFlags windowFlags() const;
    void applyWindowFlags();
    void applyGeometry(const QRectF &frame);
    void updateMapping();
    void applyShape();
    void applyDesktopProperties();
    void stopAnimation(bool superseded);
    void rememberFocusOrigin();
    void giveKeyboardBack();

    LinuxPanelRoot *m_root = nullptr;
    QRectF m_frame;
    QVariantAnimation *m_animation = nullptr;
    std::function<void()> m_completion;
    // Where the X input focus was when this panel took it (possibly another of our panels), and the
    // other application's window behind that; X window ids, valid while m_hasFocusOrigin.
    bool m_hasFocusOrigin = false;
    quint32 m_focusFrom = 0;
    quint32 m_foreignFocus = 0;
};
