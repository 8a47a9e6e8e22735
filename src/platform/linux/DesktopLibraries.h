#pragma once
// The accessibility (AT-SPI), keyring (libsecret) and GIO libraries are loaded when Tavlen first calls into
// them, not at every start: the program is not linked with them, and each of their functions it uses is
// defined in DesktopLibraries.cpp, handing the call on to the library opened on first use. A library that
// cannot be loaded ends the program with its name and the loader's reason.

class DesktopLibraries {
public:
    enum class Library { atspi, secret, gio, gobject };
    // The function's address in the library, loading the library first; never null.
    static void *function(Library library, const char *name);
};
