// The kernel's tables of TCP sockets read into listeners, and which of them could take a connection: rows
// as this (little-endian) machine writes them.

#include "platform/linux/TcpListeners.h"

#include <QSysInfo>

#include <gtest/gtest.h>

namespace {

using Listener = TcpListeners::Listener;

const char *const ipv4Table
    = "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
      "   0: 0100007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000        0 7173 1 0 100 0 0 10 0\n"
      "   1: 00000000:0016 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 7174 1 0 100 0 0 10 0\n"
      "   2: 0100007F:D97E 0100007F:1F90 01 00000000:00000000 00:00000000 00000000  1000        0 7175 1 0 20 4 30 10 -1\n"
      "   3: 0200007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000 65534        0 7176 1 0 100 0 0 10 0\n";
const char *const ipv6Table
    = "  sl  local_address                         remote_address                        st tx_queue rx_queue tr "
      "tm->when retrnsmt   uid  timeout inode\n"
      "   0: 00000000000000000000000001000000:1F90 00000000000000000000000000000000:0000 0A 00000000:00000000 "
      "00:00000000 00000000 65534        0 8001 1 0 100 0 0 10 0\n"
      "   1: 00000000000000000000000000000000:0277 00000000000000000000000000000000:0000 0A 00000000:00000000 "
      "00:00000000 00000000     0        0 8002 1 0 100 0 0 10 0\n"
      "   2: 0000000000000000FFFF00000100007F:2B67 00000000000000000000000000000000:0000 0A 00000000:00000000 "
      "00:00000000 00000000  1001        0 8003 1 0 100 0 0 10 0\n";

Listener at(const char *address, quint16 port, uint uid)
{
    return {QHostAddress(QString::fromLatin1(address)), port, uid};
}

TEST(TcpListeners, TablesAreReadIntoListeners)
{
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        GTEST_SKIP() << "the rows are written as a little-endian kernel writes them";
    struct Row {
        const char *name;
        const char *table;
        QList<Listener> listeners;
    };
    const QList<Row> rows{
        {"IPv4: listeners only, addresses in host byte order", ipv4Table,
         {at("127.0.0.1", 8080, 1000), at("0.0.0.0", 22, 0), at("127.0.0.2", 8080, 65534)}},
        {"IPv6, with an IPv4-mapped address as IPv4", ipv6Table,
         {at("::1", 8080, 65534), at("::", 631, 0), at("127.0.0.1", 11111, 1001)}},
        {"no listener", "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n", {}},
        {"lines cut or garbled are left out",
         "   0: 0100007F:1F90 00000000:0000 0A\n   1: 0100007G:1F90 00000000:0000 0A 0:0 0:0 0 1000 0 1\n"
         "   2: 0100007F 00000000:0000 0A 0:0 0:0 0 1000 0 1\n",
         {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TcpListeners::parse(row.table), row.listeners);
    }
}

TEST(TcpListeners, EverySocketThatCouldTakeTheConnectionCounts)
{
    struct Row {
        const char *name;
        QList<Listener> listeners;
        const char *peer;
        QList<uint> owners;
    };
    const QList<Row> rows{
        {"the address itself", {at("127.0.0.1", 8080, 1000), at("127.0.0.1", 8081, 7)}, "127.0.0.1", {1000}},
        {"another loopback address is another socket", {at("127.0.0.2", 8080, 7)}, "127.0.0.1", {}},
        {"the IPv4 wildcard", {at("0.0.0.0", 8080, 65534)}, "127.0.0.1", {65534}},
        {"the IPv6 wildcard takes IPv4 too", {at("::", 8080, 65534)}, "127.0.0.1", {65534}},
        {"the IPv4 wildcard takes no IPv6", {at("0.0.0.0", 8080, 65534), at("::1", 8080, 1000)}, "::1", {1000}},
        {"a peer seen as IPv4-mapped", {at("127.0.0.1", 8080, 65534)}, "::ffff:127.0.0.1", {65534}},
        {"one's own and a stranger's both", {at("127.0.0.1", 8080, 1000), at("::", 8080, 65534)}, "127.0.0.1",
         {1000, 65534}},
        {"nothing listens on the port", {at("127.0.0.1", 8081, 1000)}, "127.0.0.1", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TcpListeners::ownersFor(row.listeners, QHostAddress(QString::fromLatin1(row.peer)), 8080), row.owners);
    }
}

} // namespace
