#pragma once
// The X11 CLIPBOARD selection: XFixes selection events on a private connection count the changes and
// report each one at once (without XFixes the caller polls and the count follows the owner window), a
// worker thread reads the owner's data on another connection with a timeout per representation, and
// writes go through QClipboard (whose owner window answers other readers from our event loop).
// As the session's clipboard manager it makes the content outlive the application that copied it: an
// application that quits hands its content over (SAVE_TARGETS), and when one vanishes without doing so
// the kept content of the newest capture is offered again. Neither moves the change count: for the
// caller the content stays what it was.

#include "platform/Lifetime.h"
#include "platform/Pasteboard.h"
#include "platform/linux/X11ClipboardManager.h"

#include <QThreadPool>

#include <memory>
#include <optional>

class X11SelectionOwner;
class X11SelectionReader;
class XcbSession;

class LinuxPasteboard : public Pasteboard {
    Q_OBJECT
public:
    enum class ChangeSource {
        selectionEvents, // XFixes when the server has it, else the owner window
        ownerWindow,     // always the owner window (what a server without XFixes leaves us)
    };

    explicit LinuxPasteboard(QObject *parent = nullptr, ChangeSource source = ChangeSource::selectionEvents);
    ~LinuxPasteboard() override;

    bool isAvailable() const override { return m_available; }
    qint64 changeCount() override;
    bool notifiesChanges() const override { return m_xfixesEventBase != 0; }
    Task<PasteboardItemTypes> itemTypes() override;
    Task<PasteboardRead> read(int item, QString type, qint64 maxBytes) override;
    qint64 writeItems(const QList<PasteboardItemData> &items) override;
    qint64 writePlainText(const QString &text) override;
    void keepContent(qint64 changeCount, PasteboardContentLoader load) override;

    // Whether this process is the session's clipboard manager (no other one ran when it started).
    bool isClipboardManager() const;

private:
    struct KeptContent {
        qint64 changeCount = -1;
        PasteboardContentLoader load;
    };

    void handleSelectionEvent(quint8 subtype, quint32 owner, quint32 time);
    // Offers the kept content again when it is the newest; false when there is none to offer.
    bool offerKeptContent(quint32 time);
    // Takes CLIPBOARD with these items; the change count stays.
    bool takeSelection(const QList<PasteboardItemData> &items, quint32 time);
#ifndef Q_MOC_RUN
    Task<> takeOver(X11ClipboardManager::SaveRequest request);
#endif
    // Without selection events: a new owner window is a change (a re-copy by the same window is not seen).
    void followOwnerWindow();
    quint32 currentOwner();
    qint64 finishWrite();

    XcbSession *m_session = nullptr;
    bool m_available = false;
    quint32 m_clipboard = 0;
    quint8 m_xfixesEventBase = 0;
    qint64 m_changeCount = 0;
    // Our own writes are counted when made; the owner change they cause is then not counted again.
    quint32 m_ownOwnerWindow = 0;
    int m_pendingOwnChanges = 0;
    // The owner window last seen, when the count follows it.
    quint32 m_polledOwner = 0;
    // The targets of the last listing, to find which target serves a type.
    QList<QByteArray> m_targets;
    std::shared_ptr<X11SelectionReader> m_reader;
    QThreadPool m_readers;

    KeptContent m_kept;
    // The count before the owner vanished, while that is the latest change: a capture that finishes
    // after its owner is gone can still be offered again.
    std::optional<qint64> m_vanishedAfter;
    quint32 m_lastEventTime = 0;
    std::unique_ptr<X11SelectionOwner> m_owner;
    std::unique_ptr<X11ClipboardManager> m_manager;
    TaskSlot m_takeOverTask;
    Lifetime m_lifetime;
};
