#pragma once
// The X11 PRIMARY selection, read on a worker thread over a connection of its own (an owner that does not
// answer costs a timeout there, never a frozen main thread), and written through Qt's selection, which
// answers readers from our event loop.

#include "platform/PrimarySelection.h"

#include <QMimeData>
#include <QPointer>
#include <QThreadPool>

#include <memory>

class X11SelectionReader;

class LinuxPrimarySelection : public PrimarySelection {
    Q_OBJECT
public:
    explicit LinuxPrimarySelection(QObject *parent = nullptr);
    ~LinuxPrimarySelection() override;

    bool isAvailable() const override;
    Task<PasteboardRead> readText(qint64 maxBytes) override;
    bool writeText(const QString &text) override;
    bool holdsWrittenText() const override;
    bool writtenTextWasRead() const override;
    void release() override;

private:
    // Owned by Qt's clipboard, which deletes it once the selection moves on.
    QPointer<QMimeData> m_written;
    std::shared_ptr<X11SelectionReader> m_reader;
    QThreadPool m_thread;
};
