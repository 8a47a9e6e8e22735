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

// Stacking levels, lowest first; a panel at Floating or above stays over ordinary windows.
namespace PanelLevel {
constexpr int Normal = 0;
constexpr int Floating = 3;
constexpr int ModalPanel = 8;
constexpr int Status = 25;
constexpr int PopUpMenu = 101;
}

// Collection behaviour flags (how a panel relates to desktops and window cycling). Only CanJoinAllSpaces
// (shown on every desktop) and IgnoresCycle (kept out of the taskbar and pager) change anything on Linux;
// the rest are stored as given.
namespace PanelCollection {
constexpr unsigned CanJoinAllSpaces = 1u << 0;
constexpr unsigned MoveToActiveSpace = 1u << 1;
constexpr unsigned Managed = 1u << 2;
constexpr unsigned Transient = 1u << 3;
constexpr unsigned Stationary = 1u << 4;
constexpr unsigned ParticipatesInCycle = 1u << 5;
constexpr unsigned IgnoresCycle = 1u << 6;
constexpr unsigned FullScreenPrimary = 1u << 7;
constexpr unsigned FullScreenAuxiliary = 1u << 8;
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

    // --- Ordering ---
    // Shows the panel above others without activating the application or taking the keyboard.
    virtual void orderFrontRegardless() = 0;
    virtual void orderOut() = 0;
    // Ordered in (on screen), even at alpha 0.
    virtual bool isVisible() const = 0;

    // --- Appearance and input ---
    virtual double alphaValue() const = 0;
    virtual void setAlphaValue(double alpha) = 0;
    virtual bool ignoresMouseEvents() const = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    virtual int level() const = 0;
    virtual void setLevel(int level) = 0;
    virtual unsigned collectionBehavior() const = 0;
    virtual void setCollectionBehavior(unsigned behavior) = 0;
    virtual bool hasShadow() const = 0;
    virtual void setHasShadow(bool shadow) = 0;
    // The visible outline of the content in content coordinates (y down, points); pixels outside it are
    // not drawn and do not take clicks where the desktop cannot draw transparency. Subpaths that lie
    // inside another cut holes (a ring is an outer and an inner outline). Empty: the whole frame.
    virtual void setShape(const QPainterPath &shape) = 0;
    virtual QPainterPath shape() const = 0;

    // --- Keyboard ---
    // Whether the desktop may give this panel the keyboard focus at all (clicks never do for launcher
    // panels; makeKey() does when this is true).
    virtual bool acceptsKeyboardFocus() const = 0;
    // A key panel that stops accepting focus gives the keyboard back (see makeKey).
    virtual void setAcceptsKeyboardFocus(bool accepts) = 0;
    // Takes the keyboard (the application becomes active); nothing when focus is not accepted. The panel
    // remembers the window that had the keyboard; whenever it stops taking the keyboard while it still
    // has it (no longer accepting focus, ordered out, made transparent, closed or destroyed), the keyboard
    // goes back to that window if it still exists (to the window before it when that one was another of
    // our panels that can no longer take it).
    virtual void makeKey() = 0;
    virtual bool isKey() const = 0;
    // The responder chain's head: a widget of the content, the panel itself, or none.
    virtual bool hasFirstResponder() const = 0;
    // The focused content widget; nullptr when the panel itself (or nothing) is first responder.
    virtual QWidget *firstResponderWidget() const = 0;
    // Makes `widget` (a descendant of the content) first responder; nullptr makes the panel itself first
    // responder, which takes keyboard focus away from every content widget. Answers whether it took.
    virtual bool makeFirstResponder(QWidget *widget) = 0;

    // --- Content ---
    // The panel owns the widget and sizes it to its frame; a previous content widget is deleted.
    // nullptr removes the content.
    virtual void setContentWidget(QWidget *widget) = 0;
    virtual QWidget *contentWidget() const = 0;

    // Orders out and closes for good; emits willClose first. Later calls do nothing.
    virtual void close() = 0;
    virtual bool isClosed() const = 0;

Q_SIGNALS:
    void frameChanged(const QRectF &frame);
    void visibleChanged(bool visible);
    void becameKey();
    void resignedKey();
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
