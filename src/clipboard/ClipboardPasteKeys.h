#pragma once
// The keys that paste into an application, chosen by its window class. Terminals take Control+V for a
// control character: the xterm family pastes PRIMARY on Shift+Insert (the selection must then hold the
// text too), the other known terminals (VTE, Konsole and the like) paste the clipboard on
// Control+Shift+V. Everything else gets Control+V.

#include "platform/KeyboardOutput.h"

#include <QString>

struct ClipboardPasteKeys {
    KeyChord chord = KeyChord::paste();
    bool readsPrimarySelection = false;

    // What a terminal pastes goes to a shell.
    bool isTerminal() const { return chord != KeyChord::paste(); }

    static ClipboardPasteKeys forWindowClass(const QString &windowClass);
    friend bool operator==(const ClipboardPasteKeys &, const ClipboardPasteKeys &) = default;
};
