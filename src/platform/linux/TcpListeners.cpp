#include "platform/linux/TcpListeners.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <optional>

namespace {

constexpr QByteArrayView listenState = "0A";

// An IPv4-mapped IPv6 address (::ffff:a.b.c.d) as the IPv4 address it stands for.
QHostAddress plain(const QHostAddress &address)
{
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address;
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < 10; ++i) {
        if (bytes[i] != 0)
            return address;
    }
    if (bytes[10] != 0xff || bytes[11] != 0xff)
        return address;
    return QHostAddress(qFromBigEndian<quint32>(bytes.c + 12));
}

// The kernel writes each 32-bit word of an address as the number it is in memory.
std::optional<QHostAddress> parseAddress(QByteArrayView hex)
{
    if (hex.size() != 8 && hex.size() != 32)
        return std::nullopt;
    quint8 bytes[16] = {};
    for (qsizetype word = 0; word < hex.size() / 8; ++word) {
        bool ok = false;
        const quint32 value = hex.sliced(word * 8, 8).toByteArray().toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        std::memcpy(bytes + word * 4, &value, sizeof value);
    }
    if (hex.size() == 8)
        return QHostAddress(qFromBigEndian<quint32>(bytes));
    return plain(QHostAddress(bytes));
}

} // namespace

QList<TcpListeners::Listener> TcpListeners::parse(QByteArrayView table)
{
    QList<Listener> listeners;
    for (const QByteArray &line : table.toByteArray().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 8 || !fields[0].endsWith(':') || fields[3] != listenState)
            continue;
        const qsizetype colon = fields[1].indexOf(':');
        const std::optional<QHostAddress> address = parseAddress(QByteArrayView(fields[1]).first(std::max<qsizetype>(colon, 0)));
        bool portOk = false;
        bool uidOk = false;
        const uint port = fields[1].mid(colon + 1).toUInt(&portOk, 16);
        const uint uid = fields[7].toUInt(&uidOk);
        if (!address || colon < 0 || !portOk || port > 0xffff || !uidOk)
            continue;
        listeners.append({*address, quint16(port), uid});
    }
    return listeners;
}

QList<TcpListeners::Listener> TcpListeners::read()
{
    QList<Listener> listeners;
    for (const char *path : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly))
            listeners += parse(file.readAll());
    }
    return listeners;
}

QList<uint> TcpListeners::ownersFor(const QList<Listener> &listeners, const QHostAddress &address, quint16 port)
{
    const QHostAddress peer = plain(address);
    const QHostAddress familyWildcard(peer.protocol() == QAbstractSocket::IPv4Protocol ? QHostAddress::AnyIPv4
                                                                                        : QHostAddress::AnyIPv6);
    const QHostAddress ipv6Wildcard(QHostAddress::AnyIPv6);
    QList<uint> owners;
    for (const Listener &listener : listeners) {
        if (listener.port != port)
            continue;
        if (listener.address == peer || listener.address == familyWildcard || listener.address == ipv6Wildcard)
            owners.append(listener.uid);
    }
    return owners;
}
