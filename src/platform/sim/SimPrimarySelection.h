#pragma once
// A scripted selection for tests: the text the person selected last (none: nothing selected), answered at
// once or never, or the text we wrote until another program selects something or the paste target reads it.

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
        m_writtenWasRead = false;
        return true;
    }
    bool holdsWrittenText() const override { return m_holdsWritten; }
    bool writtenTextWasRead() const override { return m_holdsWritten && m_writtenWasRead; }
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
    // Another program (a terminal pasting) reads the selection as it is now.
    std::optional<QString> readByOther()
    {
        m_writtenWasRead = m_holdsWritten;
        return text;
    }

    bool available = true;
    std::optional<QString> text;
    // The owner does not answer in time.
    bool answers = true;
    int reads = 0;

private:
    bool m_holdsWritten = false;
    bool m_writtenWasRead = false;
};
