#pragma once
// A scripted selection for tests: the text the person selected last (none: nothing selected), answered at
// once or never, or the text we wrote.

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
        return true;
    }

    bool available = true;
    std::optional<QString> text;
    // The owner does not answer in time.
    bool answers = true;
    int reads = 0;
};
