#include "app/MessageLog.h"

#include <QMessageLogContext>

namespace {

QtMessageHandler previousHandler = nullptr;

void writeLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const std::optional<QString> line = MessageLog::line(type, context.category, message);
    if (!line)
        return;
    // The line names its category itself; the handler's pattern would put it in front of "tavlen: ".
    const QMessageLogContext named(context.file, context.line, context.function, "default");
    previousHandler(type, named, *line);
}

bool isControl(char16_t c)
{
    // Controls (a terminal's escapes among them) and the line and paragraph separators.
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

} // namespace

void MessageLog::install()
{
    previousHandler = qInstallMessageHandler(writeLine);
}

std::optional<QString> MessageLog::line(QtMsgType type, const char *category, const QString &message)
{
    // Qt warns about every font that lacks OpenType tables for some script, some seventy lines at start.
    if (type == QtWarningMsg && message.contains(QLatin1String("OpenType support missing for")))
        return std::nullopt;
    QString line = QStringLiteral("tavlen: ");
    if (category && qstrcmp(category, "default") != 0)
        line += QLatin1String(category) + QLatin1String(": ");
    line.reserve(line.size() + message.size());
    // A name with a line feed in it (a window's class, a file's) would otherwise start a line of its own,
    // one that passes for another program's.
    for (const QChar c : message) {
        if (!isControl(c.unicode())) {
            line += c;
        } else if (c == u'\n') {
            line += QLatin1String("\\n");
        } else if (c == u'\r') {
            line += QLatin1String("\\r");
        } else if (c == u'\t') {
            line += QLatin1String("\\t");
        } else {
            line += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return line;
}
