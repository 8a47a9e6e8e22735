#include "LineEditApp.h"

#include <QFile>

LineEditApp::LineEditApp(const QString &name)
    : m_output(m_folder.filePath(QStringLiteral("field.txt")))
    , m_process(DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                {QStringLiteral("--name"), name, QStringLiteral("--output"), m_output})
{
}

bool LineEditApp::waitUntilReady()
{
    return m_process.waitForLine("ready").has_value();
}

QString LineEditApp::text() const
{
    QFile file(m_output);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString LineEditApp::dumpedText()
{
    m_process.writeLine("dump");
    const auto line = m_process.waitForLine("text ");
    return line ? QString::fromUtf8(line->mid(5)) : QStringLiteral("<no answer>");
}
