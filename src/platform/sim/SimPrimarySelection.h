#pragma once
// A scripted selection for tests: the text the person selected last (none: nothing selected), answered at
// once or never.

#include "platform/PrimarySelection.h"

#include <optional>

class SimPrimarySelection : public PrimarySelection {
    Q_OBJECT
public:
    using PrimarySelection::PrimarySelection;

    bool isAvailable() const override { return available; }
    Task<PasteboardRead> readText(qint64 maxBytes) override;

    bool available = true;
    std::optional<QString> text;
    // The owner does not answer in time.
    bool answers = true;
    int reads = 0;
};
