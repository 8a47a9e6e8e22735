#pragma once
// The TCP sockets listening in this process's network namespace, as /proc/net/tcp and /proc/net/tcp6 list
// them, with the user each belongs to: whether a program on this computer that answers at an address is
// one of this user's own.

#include <QByteArrayView>
#include <QHostAddress>
#include <QList>

class TcpListeners {
public:
    struct Listener {
        QHostAddress address; // an IPv4-mapped IPv6 address as IPv4
        quint16 port = 0;
        uint uid = 0;

        friend bool operator==(const Listener &, const Listener &) = default;
    };

    // The listening sockets of one table in the kernel's format (addresses in hex, in host byte order);
    // other sockets and lines that are not a socket's are left out.
    static QList<Listener> parse(QByteArrayView table);
    // Both tables as they are now; empty when neither can be read.
    static QList<Listener> read();
    // The users of every socket that could take a connection to `address`:`port`: one listening at that
    // address or at the wildcard address of either family (an IPv6 wildcard may take IPv4 too). Empty
    // when none listens there.
    static QList<uint> ownersFor(const QList<Listener> &listeners, const QHostAddress &address, quint16 port);
};
