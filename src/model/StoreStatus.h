#pragma once
// What became of a store at start-up, and the sentence that tells the user: where its contents are kept,
// or why they cannot be kept there and what was done instead. Only what really happened is
// said; a raw database message follows as detail, never in place of the cause.

#include <QString>

struct StoreStatus {
    enum class Outcome {
        opened,            // the store at storePath is in use
        movedAside,        // the store could not be read; it was renamed to movedTo and a new one started
        readOnly,          // the store can be read but not written: its contents are shown, new ones live in memory
        inMemory,          // the store cannot be used (cause); copies live in memory until Tavlen quits
        inMemoryByRequest, // no store was asked for
    };

    Outcome outcome = Outcome::inMemoryByRequest;
    QString description = QStringLiteral("history store"); // what the store is
    QString contents = QStringLiteral("Copies");            // what it keeps, as the sentence starts
    QString storePath;
    QString movedTo;
    QString cause;  // in plain words: "permission denied on /x", "the disk is full"
    QString detail; // the database's own words, when there are any

    bool keepsCopiesOnDisk() const { return outcome == Outcome::opened || outcome == Outcome::movedAside; }
    QString message() const;
};
