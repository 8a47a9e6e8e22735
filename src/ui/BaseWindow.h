#pragma once
// The window controller that preview and details windows derive from: it owns its CustomWindow and
// carries the hosting widget of their content. It is the window's delegate: override the took-keyboard,
// lost-keyboard and will-close hooks to react.

#include "ui/CustomWindow.h"
#include "ui/WindowAnimationStyle.h"
#include "ui/WindowAnimator.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class BaseWindow : public QObject {
    Q_OBJECT
public:
    // `window` may be null (a controller without a window yet).
    explicit BaseWindow(std::unique_ptr<CustomWindow> window, QObject *parent = nullptr);
    ~BaseWindow() override;

    CustomWindow *window() const { return m_window.get(); }

    // The content's hosting widget, or nullptr before installHostingContent().
    QWidget *host() const { return m_host; }
    WindowAnimator &animator() { return m_animator; }
    WindowAnimationStyle animationStyle() const { return m_animationStyle; }
    void setAnimationStyle(WindowAnimationStyle style) { m_animationStyle = style; }

    // Builds the hosting widget, keeps it as `host` (the previous one is released), makes it the window's
    // content and then makes this controller the window's delegate.
    void installHostingContent(const std::function<QWidget *()> &makeHost);

protected:
    virtual void windowTookKeyboard() {}
    virtual void windowLostKeyboard() {}
    virtual void windowWillClose() {}

private:
    void becomeDelegate();

    std::unique_ptr<CustomWindow> m_window;
    QPointer<QWidget> m_host;
    WindowAnimator m_animator;
    WindowAnimationStyle m_animationStyle = WindowAnimationStyle::spotlight;
    bool m_isDelegate = false;
};
