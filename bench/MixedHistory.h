#pragma once
// The history people keep, as the memory, start-up and disk figures are measured with it: 5,000 items of
// which 4,000 are texts of 20 to 20,000 characters (Polish, emoji and other scripts among them, capitals
// included), 500 links and 500 JSON lines; about 11.9 MB of UTF-8 in all. The same items every run.
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "model/MainStoreContainer.h"
#include "platform/Pasteboard.h"
#include "platform/sim/SimClock.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringList>

#include <cmath>
#include <functional>

namespace MixedHistory {

struct Entry {
    ClipboardItemType type = ClipboardItemType::text;
    QString text;
};

inline QString prose(QRandomGenerator &random, int length)
{
    static const QString words[] = {
        "Zażółć", "gęślą", "jaźń", "Łódź", "źdźbło", "Śląsk", "żółw", "Ćma", "report", "Meeting", "invoice",
        "the", "and", "release", "notes", "budget", "Straße", "naïve", "café", "日本語", "🎉", "👍🏽", "über",
        "Ünïcödé", "smörgåsbord", "deadline", "customer", "przelew", "faktura", "spotkanie", "jutro", "dzięki"};
    QString out;
    out.reserve(length + 16);
    while (out.size() < length) {
        out += words[random.bounded(int(std::size(words)))];
        const int gap = random.bounded(16);
        out += gap == 0 ? QStringLiteral(".\n") : gap == 1 ? QStringLiteral(", ") : QStringLiteral(" ");
    }
    out.truncate(length);
    return out;
}

// One long copy: 60 MB of that prose in UTF-8, cut at a character's end.
inline QByteArray longProse()
{
    QRandomGenerator random(60);
    QByteArray utf8 = prose(random, 56'000'000).toUtf8();
    qsizetype cut = 60'000'000;
    while (cut < utf8.size() && (uchar(utf8.at(cut)) & 0xc0) == 0x80)
        --cut;
    utf8.truncate(cut);
    return utf8;
}

// Oldest first, as they were copied.
inline QList<Entry> entries()
{
    QRandomGenerator random(20);
    QList<Entry> out;
    for (int i = 0; i < 5000; ++i) {
        Entry entry;
        if (i % 10 == 3) {
            entry.type = ClipboardItemType::url;
            entry.text = QStringLiteral("https://example.org/%1/%2?ref=%3")
                             .arg(prose(random, 24).simplified().replace(QLatin1Char(' '), QLatin1Char('-')))
                             .arg(i)
                             .arg(random.bounded(100000));
        } else if (i % 10 == 7) {
            entry.text = QStringLiteral("{\"id\":%1,\"user\":\"%2\",\"note\":\"%3\",\"ok\":true}")
                             .arg(i)
                             .arg(prose(random, 12).simplified())
                             .arg(prose(random, 40 + random.bounded(200)).simplified());
        } else {
            // Many short copies and a long tail up to 20,000 characters.
            const int length = 20 + int(std::pow(random.generateDouble(), 7.25) * 19980);
            entry.text = prose(random, length) + QString::number(i);
        }
        out.append(entry);
    }
    return out;
}

inline qint64 utf8Bytes(const QList<Entry> &list)
{
    qint64 bytes = 0;
    for (const Entry &entry : list)
        bytes += entry.text.toUtf8().size();
    return bytes;
}

// Texts alone, as the history's own benchmarks keep them: `count` of them, made by `textOf(i)`.
inline QList<Entry> texts(int count, const std::function<QString(int)> &textOf)
{
    QList<Entry> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list.append({ClipboardItemType::text, textOf(i)});
    return list;
}

enum class Payloads { plainText, none };

// The history items of captures made a second apart, the last one newest (first in the list), each with
// the plain-text payload a copy brings unless told otherwise.
inline QList<ClipboardItem> items(const QList<Entry> &list, Payloads payloads = Payloads::plainText)
{
    SimClock clock;
    clock.setWallClock(QDateTime::currentDateTimeUtc().addSecs(-list.size()));
    ClipboardHistoryManager manager(clock, nullptr);
    QList<ClipboardItem> out;
    int round = 0;
    for (const Entry &entry : list) {
        ClipboardCapture capture;
        capture.type = entry.type;
        capture.text = entry.text;
        capture.changeCount = ++round;
        if (payloads == Payloads::plainText) {
            const QByteArray bytes = entry.text.toUtf8();
            capture.payload.items.append(
                PasteboardPayloadItem{{{PasteboardType::plainText, bytes, bytes.size(), std::nullopt}}});
        }
        out.prepend(manager.makeItem(capture));
        clock.advance(1);
    }
    return out;
}

// Those items written into a store in `folder` (made when missing); false when the store refused them.
inline bool write(const QString &folder, const QList<Entry> &list, Payloads payloads = Payloads::plainText)
{
    if (!QDir().mkpath(folder))
        return false;
    MainStoreContainer container(folder);
    ClipboardItemStore store(container);
    return store.save(items(list, payloads), {});
}

} // namespace MixedHistory
