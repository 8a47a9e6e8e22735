// The Qt test application with one focused line edit (tests/desktop/helpers/line_edit_app), as desktop tests
// drive it: started at once, its field's text read back from the file it writes on every change.
#pragma once

#include "DesktopTest.h"

#include <QString>
#include <QTemporaryDir>

class LineEditApp {
public:
    explicit LineEditApp(const QString &name);
    bool waitUntilReady();
    qint64 pid() const { return m_process.pid(); }
    // The text as last written to the file.
    QString text() const;
    // The text as the application itself reports it on request.
    QString dumpedText();

private:
    QTemporaryDir m_folder;
    QString m_output;
    DesktopTest::ChildProcess m_process;
};
