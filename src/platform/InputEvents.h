#pragma once
// The input events that event monitors hand out: mouse-down, key-down and scroll, each with its location in
// global points (y up), its modifier flags and its time. Key codes are the positional virtual key codes the
// whole program uses (KeyCode), whatever the desktop's own codes are.

#include <QPointF>
#include <QString>

#include <cstdint>

class Panel;

// Modifier flags. The "Command" flag of global gestures is the Super key on Linux.
namespace ModifierFlag {
constexpr unsigned CapsLock = 1u << 16;
constexpr unsigned Shift = 1u << 17;
constexpr unsigned Control = 1u << 18;
constexpr unsigned Option = 1u << 19; // Alt
constexpr unsigned Command = 1u << 20; // Super
constexpr unsigned NumericPad = 1u << 21;
constexpr unsigned Function = 1u << 23;
// Shift, Control, Option and Command: the flags that make a key a shortcut rather than plain typing.
constexpr unsigned DeviceIndependentShortcutMask = Shift | Control | Option | Command;
}

// Positional virtual key codes (US layout positions).
namespace KeyCode {
constexpr int A = 0;
constexpr int V = 9;
constexpr int One = 18;
constexpr int Return = 36;
constexpr int Tab = 48;
constexpr int Space = 49;
constexpr int Delete = 51;
constexpr int Escape = 53;
constexpr int KeypadEnter = 76;
constexpr int LeftArrow = 123;
constexpr int RightArrow = 124;
constexpr int DownArrow = 125;
constexpr int UpArrow = 126;
// A key without a virtual code of its own.
constexpr int Unknown = 0xFFFF;
}

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
    unsigned modifierFlags = 0;
    double timestamp = 0; // seconds, one clock for local and global events
    // The panel the click landed in (local events in our panels), else nullptr.
    Panel *window = nullptr;
};

struct KeyDownEvent {
    int keyCode = KeyCode::Unknown;
    QString characters;
    QString charactersIgnoringModifiers;
    unsigned modifierFlags = 0;
    bool isARepeat = false;
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
    unsigned modifierFlags = 0;
    double timestamp = 0;
    Panel *window = nullptr;
};
