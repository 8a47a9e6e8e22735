#pragma once
// The text the person selected last in any application (on X11 the PRIMARY selection), for commands
// that work on "the current selection" where the selecting application cannot be asked directly, and
// for pastes into terminals that paste it. Reads never block the main thread and are bounded in time
// and size.

#include "platform/Pasteboard.h"
#include "platform/Task.h"

#include <QObject>

class PrimarySelection : public QObject {
    Q_OBJECT
public:
    // False when there is no selection to ask for (no display).
    virtual bool isAvailable() const = 0;
#ifndef Q_MOC_RUN
    // The selected text as UTF-8: data, unavailable (nothing selected, no text, a concealed selection such
    // as a password manager's, no answer in time) or overLimit beyond `maxBytes`. Awaiting gives none when the awaiting task was cancelled.
    virtual Task<PasteboardRead> readText(qint64 maxBytes) = 0;
#endif
    // Makes `text` the selection, served from this program (what Shift+Insert or a middle click pastes
    // in a terminal). False when it could not be taken.
    virtual bool writeText(const QString &text) = 0;
    // True while the text written last is still the selection (nobody selected anything since).
    virtual bool holdsWrittenText() const = 0;
    // Gives up the selection while it holds the text written last: nothing is selected then.
    virtual void release() = 0;

Q_SIGNALS:
    // Another program, process `readerPid` (0 when it cannot be told), was handed the text written last.
    // Emitted once the answer is on its way, so the selection may change at once.
    void writtenTextRead(qint64 readerPid);

protected:
    using QObject::QObject;
};
