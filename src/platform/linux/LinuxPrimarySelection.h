#pragma once
// The X11 PRIMARY selection, read on a worker thread over a connection of its own (an owner that does not
// answer costs a timeout there, never a frozen main thread), and written through an owner on the shared
// connection, which answers readers from our event loop and names the process of each one it hands the
// text to.

#include "platform/PrimarySelection.h"

#include <QThreadPool>

#include <memory>

class X11SelectionOwner;
class X11SelectionReader;
class XcbSession;

class LinuxPrimarySelection : public PrimarySelection {
    Q_OBJECT
public:
    explicit LinuxPrimarySelection(XcbSession &session, QObject *parent = nullptr);
    ~LinuxPrimarySelection() override;

    bool isAvailable() const override;
    Task<PasteboardRead> readText(qint64 maxBytes) override;
    bool writeText(const QString &text) override;
    bool holdsWrittenText() const override;
    void release() override;

private:
    void handleServed(quint32 requestor);

    XcbSession &m_session;
    // Made at the first write: a program that only reads the selection never needs it.
    std::unique_ptr<X11SelectionOwner> m_owner;
    std::shared_ptr<X11SelectionReader> m_reader;
    QThreadPool m_thread;
};
