#pragma once
// The input events that event monitors hand out: mouse-down, key-down and scroll, each with its location in
// global points (y up), its modifiers and its time. Keys are Qt keys of the unshifted symbol: Shift+1
// is Qt::Key_1 with Shift, Shift+Tab is Qt::Key_Tab with Shift.

#include <QPointF>
#include <QString>
#include <Qt>

#include <cstdint>

class Panel;

// The modifiers that make a key a shortcut rather than plain typing (Super is Qt::MetaModifier).
inline constexpr Qt::KeyboardModifiers shortcutModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

enum class MouseButton {
    Left,
    Right,
    Other,
};

// Which buttons a mouse-down monitor wants.
namespace MouseButtonMask {
constexpr unsigned Left = 1u << 0;
constexpr unsigned Right = 1u << 1;
constexpr unsigned Other = 1u << 2;
constexpr unsigned Any = Left | Right | Other;
}

struct MouseDownEvent {
    MouseButton button = MouseButton::Left;
    QPointF location; // global points, y up
    int clickCount = 1;
    Qt::KeyboardModifiers modifiers;
    double timestamp = 0; // seconds, one clock for local and global events
    // The panel the click landed in (local events in our panels), else nullptr.
    Panel *window = nullptr;
};

struct KeyDownEvent {
    Qt::Key key = Qt::Key_unknown;
    QString text;
    QString unmodifiedText;
    Qt::KeyboardModifiers modifiers;
    bool isAutoRepeat = false;
    double timestamp = 0;
    // The panel that has the keyboard (local events in our panels), else nullptr.
    Panel *window = nullptr;
};

// Scroll phases (flags), as trackpads report them; a wheel without phases reports None.
namespace ScrollPhase {
constexpr unsigned None = 0;
constexpr unsigned Began = 1u << 0;
constexpr unsigned Stationary = 1u << 1;
constexpr unsigned Changed = 1u << 2;
constexpr unsigned Ended = 1u << 3;
constexpr unsigned Cancelled = 1u << 4;
constexpr unsigned MayBegin = 1u << 5;
}

struct ScrollEvent {
    QPointF location; // global points, y up
    // Qt's signs: positive y when the wheel turns away from the user (or two fingers move up), positive x
    // when the scroll goes towards the left. Points for precise deltas, lines otherwise.
    double scrollingDeltaX = 0;
    double scrollingDeltaY = 0;
    // True for pixel deltas (trackpads), false for wheel notches (converted to lines).
    bool hasPreciseScrollingDeltas = false;
    // Natural scrolling: the deltas are reversed relative to the fingers.
    bool isDirectionInvertedFromDevice = false;
    unsigned phase = ScrollPhase::None;
    unsigned momentumPhase = ScrollPhase::None;
    Qt::KeyboardModifiers modifiers;
    double timestamp = 0;
    Panel *window = nullptr;
};
