#pragma once
// A panel on the X11 desktop: a frameless top-level widget. Launcher panels bypass the window manager and
// sit exactly where they are put; floating panels are managed tool windows. Neither takes the keyboard
// unless asked to (makeKey), and then only while keyboard focus is accepted. Without a compositor the
// content's shape becomes the window's shape, so the corners outside it show what lies behind.

#include "platform/Panel.h"

#include <QPointer>
#include <QWidget>

class QVariantAnimation;
class LinuxPanelRoot;

class LinuxPanel : public Panel {
    Q_OBJECT
public:
    explicit LinuxPanel(PanelKind kind, QObject *parent = nullptr);
    ~LinuxPanel() override;

    QRectF frame() const override;
    void setFrame(const QRectF &frame) override;
    void animateFrame(const QRectF &frame, double duration, AnimationTiming timing,
                      std::function<void()> completion = {}) override;
    bool isAnimatingFrame() const override;

    void orderFrontRegardless() override;
    void orderOut() override;
    bool isVisible() const override { return m_ordered; }

    double alphaValue() const override { return m_alpha; }
    void setAlphaValue(double alpha) override;
    bool ignoresMouseEvents() const override { return m_ignoresMouse; }
    void setIgnoresMouseEvents(bool ignores) override;
    int level() const override { return m_level; }
    void setLevel(int level) override;
    unsigned collectionBehavior() const override { return m_collectionBehavior; }
    void setCollectionBehavior(unsigned behavior) override;
    bool hasShadow() const override { return m_hasShadow; }
    void setHasShadow(bool shadow) override { m_hasShadow = shadow; }
    void setShape(const QPainterPath &shape) override;
    QPainterPath shape() const override { return m_shape; }

    bool acceptsKeyboardFocus() const override { return m_acceptsFocus; }
    void setAcceptsKeyboardFocus(bool accepts) override;
    void makeKey() override;
    bool isKey() const override;
    bool hasFirstResponder() const override;
    QWidget *firstResponderWidget() const override;
    bool makeFirstResponder(QWidget *widget) override;

    void setContentWidget(QWidget *widget) override;
    QWidget *contentWidget() const override { return m_content; }

    void close() override;
    bool isClosed() const override { return m_closed; }

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

    LinuxPanelRoot *m_root = nullptr;
    QPointer<QWidget> m_content;
    QRectF m_frame;
    QVariantAnimation *m_animation = nullptr;
    std::function<void()> m_completion;
    bool m_ordered = false;
    double m_alpha = 1;
    bool m_ignoresMouse = false;
    int m_level = PanelLevel::Normal;
    unsigned m_collectionBehavior = 0;
    bool m_hasShadow = true;
    QPainterPath m_shape;
    bool m_acceptsFocus = true;
    bool m_closed = false;
};
