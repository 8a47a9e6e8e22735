#include "LoginFormApp.h"

#include "fields/FocusedFieldSuggestionService.h"

#include <QGuiApplication>
#include <QScreen>

LoginFormApp::LoginFormApp(const QString &helper, const QString &email, QPoint at)
    : m_process(DesktopTest::helperPath(helper),
                {QStringLiteral("--email"), email, QStringLiteral("--at"),
                 QStringLiteral("%1,%2").arg(at.x()).arg(at.y())})
{
}

bool LoginFormApp::waitUntilReady()
{
    return m_process.waitForLine("ready").has_value() && readFieldLines();
}

bool LoginFormApp::refreshGeometry()
{
    m_process.writeLine("geometry");
    return readFieldLines();
}

bool LoginFormApp::readFieldLines()
{
    const std::optional<QByteArray> line = m_process.waitForLine("field email");
    if (!line || !m_process.waitForLine("field password"))
        return false;
    const QList<QByteArray> parts = line->split(' ');
    if (parts.size() < 6)
        return false;
    m_emailRect = QRect(parts[2].toInt(), parts[3].toInt(), parts[4].toInt(), parts[5].toInt());
    return m_emailRect.width() > 0;
}

QPointF LoginFormApp::emailCentre() const
{
    return QPointF(m_emailRect.center()) - QPointF(QGuiApplication::primaryScreen()->geometry().topLeft());
}

std::optional<ClipboardPasteTarget> LoginFormApp::emailTarget(FocusedFieldSuggestionService &fields) const
{
    std::optional<ClipboardPasteTarget> found = fields.pasteTarget(emailCentre());
    if (found && (!found->field || found->application.pid != pid()))
        found.reset();
    return found;
}

QString LoginFormApp::emailText()
{
    m_process.writeLine("select");
    const std::optional<QByteArray> line = m_process.waitForLine("selected", 5000);
    return line ? QString::fromUtf8(line->mid(9)) : QStringLiteral("<no answer>");
}
