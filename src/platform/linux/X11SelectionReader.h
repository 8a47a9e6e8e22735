#pragma once
// Reads an X11 selection (CLIPBOARD unless told otherwise) on a private X connection and window, one
// conversion at a time, each bounded by a timeout, with INCR transfers for large data. Blocking: call it
// from a worker thread, and from one thread at a time.

#include "platform/Pasteboard.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <xcb/xcb.h>

#include <chrono>

class X11SelectionReader {
public:
    // How long an owner replaced by the next copy still has to answer a request it got before.
    static constexpr std::chrono::milliseconds replacedOwnerGrace{100};

    struct Targets {
        bool answered = false; // false: the owner did not say in time
        QList<QByteArray> names;
    };

    explicit X11SelectionReader(std::chrono::milliseconds timeout = std::chrono::milliseconds(500),
                                QByteArray selection = QByteArrayLiteral("CLIPBOARD"));
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader &) = delete;
    X11SelectionReader &operator=(const X11SelectionReader &) = delete;

    // The owner's TARGETS; answered and empty when the clipboard has no owner.
    Targets targets();
    // The owner's data for one target, when the owner is still the one whose targets() were read last.
    // `timeout` bounds the wait for the owner's answer and, in an INCR
    // transfer, the wait for each further chunk.
    PasteboardRead read(const QByteArray &target, qint64 maxBytes);
    // The first of `candidates` that answers with data (text targets turned into UTF-8 when `text`); an
    // owner that does not answer at all is not asked again for the others.
    PasteboardRead readFirst(const QList<QByteArray> &candidates, qint64 maxBytes, bool text);

private:
    enum class Answer { ready, refused, timedOut, ownerGone, failed };

    bool connect();
    void createWindow();
    // Ends an INCR transfer we no longer want.
    void abandonTransfer();
    xcb_atom_t atom(const QByteArray &name);
    QByteArray atomName(xcb_atom_t atom);
    // Learns the names of `offered` atoms that can be formats.
    void learnNames(const QList<xcb_atom_t> &offered);
    xcb_window_t owner();
    void discardEvents();
    Answer convert(xcb_atom_t target, xcb_window_t owner);
    // Reads the answer to `target`; data of a type or format that cannot be that target is unreadable.
    PasteboardRead fetch(const QByteArray &target, xcb_window_t owner, qint64 maxBytes);
    PasteboardRead fetchIncremental(const QByteArray &target, xcb_window_t owner, qint64 announcedBytes,
                                    qint64 maxBytes);
    // Waits until `accept` takes an event; the owner vanishing ends the wait early.
    template<typename Accept>
    Answer waitFor(Accept accept, xcb_window_t owner);

    std::chrono::milliseconds m_timeout;
    QByteArray m_selectionName;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
    xcb_window_t m_listedOwner = 0; // the owner of the last targets()
    xcb_atom_t m_selection = 0;
    xcb_atom_t m_targets = 0;
    xcb_atom_t m_incr = 0;
    xcb_atom_t m_property = 0;
    quint8 m_xfixesEventBase = 0;
    bool m_failed = false;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    QHash<xcb_atom_t, QByteArray> m_names;
};
