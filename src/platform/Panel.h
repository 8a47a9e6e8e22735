#pragma once
// A borderless floating window that hosts one widget: the panel under every launcher, preview and details
// window. Frames are in points of the global screen space (origin bottom-left of the primary screen, y up).
// Panels come from PanelFactory; the owner decides when one may take the keyboard.

#include "platform/AnimationTiming.h"

#include <QObject>
#include <QPainterPath>
#include <QRectF>

#include <functional>

class QWidget;

enum class PanelKind {
    // Hangs at a screen edge and is placed exactly, outside the window manager's control.
    Launcher,
    // An ordinary floating window (previews, details), placed by us but managed by the window manager.
    Floating,
    // Lies exactly over part of another application's window, outside the window manager's control; its
    // owner makes it ignore the pointer and the keyboard, so the window below keeps both.
    Overlay,
};

// Stacking levels, lowest first; a panel at KeepAbove or above stays over ordinary windows.
namespace PanelLevel {
constexpr int Normal = 0;
constexpr int KeepAbove = 3;
// The launcher and the windows that must come over it or beside it.
constexpr int Launcher = 25;
// Over the launcher too.
constexpr int Overlay = 101;
}

// How a panel relates to the desktops (workspaces) and the taskbar.
namespace PanelDesktop {
// Sticky: shown on every desktop, not only the one it was shown on.
constexpr unsigned OnAllDesktops = 1u << 0;
// Kept out of the taskbar and pager (panels other than Floating always are).
constexpr unsigned SkipTaskbar = 1u << 1;
}

class Panel : public QObject {
    Q_OBJECT
public:
    PanelKind kind() const { return m_kind; }

    // --- Frame (global points, y up) ---
    // The frame on screen now; during an animation, the frame it has reached.
    virtual QRectF frame() const = 0;
    // Moves at once; a running frame animation stops where it is and its completion still runs (later,
    // on the main loop, never inside this call).
    virtual void setFrame(const QRectF &frame) = 0;
    // Animates to `frame` over `duration` seconds; `completion` runs on the main loop when the animation
    // ends or is superseded by another setFrame/animateFrame. A duration <= 0 moves at once and still
    // completes on the main loop.
    virtual void animateFrame(const QRectF &frame, double duration, AnimationTiming timing,
                              std::function<void()> completion = {}) = 0;
    virtual bool isAnimatingFrame() const = 0;

    // --- Showing ---
    // Shows the panel above others without activating the application or taking the keyboard.
    virtual void showWithoutActivating() = 0;
    virtual void hide() = 0;
    // Shown (mapped), even at opacity 0.
    virtual bool isVisible() const = 0;

    // --- Appearance and input ---
    virtual double opacity() const = 0;
    virtual void setOpacity(double opacity) = 0;
    virtual bool ignoresMouseEvents() const = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    virtual int level() const = 0;
    virtual void setLevel(int level) = 0;
    // PanelDesktop flags.
    virtual unsigned desktopFlags() const = 0;
    virtual void setDesktopFlags(unsigned flags) = 0;
    virtual bool hasShadow() const = 0;
    virtual void setHasShadow(bool shadow) = 0;
    // The visible outline of the content in content coordinates (y down, points); pixels outside it are
    // not drawn and do not take clicks where the desktop cannot draw transparency. Subpaths that lie
    // inside another cut holes (a ring is an outer and an inner outline). Empty: the whole frame.
    virtual void setShape(const QPainterPath &shape) = 0;
    virtual QPainterPath shape() const = 0;

    // --- Keyboard ---
    // Whether the desktop may give this panel the keyboard focus at all (clicks never do for launcher
    // panels; takeKeyboard() does when this is true).
    virtual bool acceptsKeyboardFocus() const = 0;
    // A panel with the keyboard that stops accepting focus gives the keyboard back (see takeKeyboard).
    virtual void setAcceptsKeyboardFocus(bool accepts) = 0;
    // Takes the keyboard (the application becomes active); nothing when focus is not accepted. The panel
    // remembers the window that had the keyboard; whenever it stops taking the keyboard while it still
    // has it (no longer accepting focus, hidden, made transparent, closed or destroyed), the keyboard
    // goes back to that window if it still exists (to the window before it when that one was another of
    // our panels that can no longer take it).
    virtual void takeKeyboard() = 0;
    virtual bool hasKeyboard() const = 0;
    // Whether the panel's keys go somewhere: a widget of the content or the panel itself.
    virtual bool hasFocusTarget() const = 0;
    // The focused content widget; nullptr when the panel itself (or nothing) has the focus.
    virtual QWidget *focusedWidget() const = 0;
    // Focuses `widget` (a descendant of the content); nullptr focuses the panel itself, which takes
    // keyboard focus away from every content widget. Answers whether it took.
    virtual bool setFocusedWidget(QWidget *widget) = 0;

    // --- Content ---
    // The panel owns the widget and sizes it to its frame; a previous content widget is deleted.
    // nullptr removes the content.
    virtual void setContentWidget(QWidget *widget) = 0;
    virtual QWidget *contentWidget() const = 0;

    // Hides and closes for good; emits willClose first. Later calls do nothing.
    virtual void close() = 0;
    virtual bool isClosed() const = 0;

Q_SIGNALS:
    void frameChanged(const QRectF &frame);
    void visibleChanged(bool visible);
    void tookKeyboard();
    void lostKeyboard();
    void willClose();
    void mouseEntered();
    void mouseExited();

protected:
    explicit Panel(PanelKind kind, QObject *parent = nullptr)
        : QObject(parent)
        , m_kind(kind)
    {
    }

private:
    PanelKind m_kind;
};
