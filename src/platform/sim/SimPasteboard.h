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
    // The owner quit: the content is gone and the count moves.
    void clear();
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

    // How long an owner that never answers is waited for.
    double timeout = 0.5;
    int changeCountQueries = 0;
    int typeQueries = 0;
    QList<ReadRecord> reads;
    QList<QList<PasteboardItemData>> writes;

private:
#ifndef Q_MOC_RUN
    class ContentWait;
    // Waits `seconds`, or less when the content changes meanwhile (its owner is gone then); answers
    // false when the waiting task was cancelled.
    ContentWait waitWhileUnchanged(double seconds);
#endif
    void contentChanged();

    Clock &m_clock;
    QList<std::function<void()>> m_contentWaits;
    QList<Item> m_items;
    qint64 m_changeCount = 0;
    bool m_typesAnswered = true;
    bool m_available = true;
    bool m_notifiesChanges = false;
};
