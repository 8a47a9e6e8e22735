#pragma once
// A scripted selection for tests: the text the person selected last (none: nothing selected), answered at
// once or never, or the text we wrote until another program selects something; a program that reads it
// is told to the owner by its process id.

#include "platform/PrimarySelection.h"

#include <optional>

class SimPrimarySelection : public PrimarySelection {
    Q_OBJECT
public:
    using PrimarySelection::PrimarySelection;

    bool isAvailable() const override { return available; }
    Task<PasteboardRead> readText(qint64 maxBytes) override;
    // Our own write becomes the selected text.
    bool writeText(const QString &written) override
    {
        if (!available)
            return false;
        text = written;
        m_holdsWritten = true;
        return true;
    }
    bool holdsWrittenText() const override { return m_holdsWritten; }
    void release() override
    {
        if (m_holdsWritten)
            text.reset();
        m_holdsWritten = false;
    }

    // Another program selects `selected` (none: its selection goes away).
    void select(std::optional<QString> selected)
    {
        text = std::move(selected);
        m_holdsWritten = false;
    }
    // Another program, process `readerPid` (a terminal pasting), reads the selection as it is now.
    std::optional<QString> readByOther(qint64 readerPid)
    {
        const std::optional<QString> read = text;
        if (m_holdsWritten)
            Q_EMIT writtenTextRead(readerPid);
        return read;
    }

    bool available = true;
    std::optional<QString> text;
    // The owner does not answer in time.
    bool answers = true;
    int reads = 0;

private:
    bool m_holdsWritten = false;
};
