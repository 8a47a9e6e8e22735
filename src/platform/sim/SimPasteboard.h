#pragma once
// A scripted pasteboard for tests: copies by "other applications", owners that answer late or never,
// and a record of every read and write.

#include "platform/Clock.h"
#include "platform/Pasteboard.h"

#include <functional>


class SimPasteboard : public Pasteboard {
    Q_OBJECT
public:
    struct Representation {
        enum class Owner {
            answers,      // hands over the data (after `delay` seconds)
            neverAnswers, // the read times out
            refuses,      // answers at once without data
        };
        QString type;
        QByteArray data;
        Owner owner = Owner::answers;
        double delay = 0;
    };
    using Item = QList<Representation>;

    struct ReadRecord {
        double at;
        int item;
        QString type;
    };

    explicit SimPasteboard(Clock &clock, QObject *parent = nullptr);

    // A copy made by another application: new content, and the change count moves.
    void copy(const QList<Item> &items);
    void copyText(const QString &text);
    // New content without a change (data an owner provides late).
    void setContent(const QList<Item> &items);
    // The owner cleared the pasteboard, or quit without anything kept: the content is gone and the count
    // moves.
    void clear();
    // The owner quit. Kept content of the newest change is offered again (the count stays), as on X11.
    void ownerQuits();
    // Whether the owner answers the question of what it holds.
    void setTypesAnswered(bool answered) { m_typesAnswered = answered; }
    void setAvailable(bool available) { m_available = available; }
    // Whether copies are reported through changed() (like X11 with XFixes); off, the caller polls.
    void setNotifiesChanges(bool notifies) { m_notifiesChanges = notifies; }
    const QList<Item> &content() const { return m_items; }

    bool isAvailable() const override { return m_available; }
    qint64 changeCount() override;
    bool notifiesChanges() const override { return m_notifiesChanges; }
    Task<PasteboardItemTypes> itemTypes() override;
    Task<PasteboardRead> read(int item, QString type, qint64 maxBytes) override;
    qint64 writeItems(const QList<PasteboardItemData> &items) override;
    qint64 writePlainText(const QString &text) override;
    void keepContent(qint64 changeCount, PasteboardContentLoader load) override;

    // How long an owner that never answers is waited for.
    double timeout = 0.5;
    int changeCountQueries = 0;
    int typeQueries = 0;
    QList<ReadRecord> reads;
    QList<QList<PasteboardItemData>> writes;
    // The change the kept content belongs to (-1: none), and how often it was offered again.
    qint64 keptChangeCount = -1;
    int restores = 0;

private:
#ifndef Q_MOC_RUN
    class ContentWait;
    // Waits `seconds`, or less when the content changes meanwhile (its owner is gone then); answers
    // false when the waiting task was cancelled.
    ContentWait waitWhileUnchanged(double seconds);
#endif
    void contentChanged();
    static QList<Item> contentOf(const QList<PasteboardItemData> &items);

    Clock &m_clock;
    QList<std::function<void()>> m_contentWaits;
    PasteboardContentLoader m_kept;
    QList<Item> m_items;
    qint64 m_changeCount = 0;
    bool m_typesAnswered = true;
    bool m_available = true;
    bool m_notifiesChanges = false;
};
