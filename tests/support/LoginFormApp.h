// The Qt or GTK 3 login form (tests/desktop/helpers/qt_login_app, gtk_login_app) as desktop tests drive it:
// started at once with a text in its e-mail field, where that field is on screen, which field Tavlen reads
// there, and the field's text as the application itself reports it.
#pragma once

#include "DesktopTest.h"
#include "clipboard/ClipboardPasteTarget.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class FocusedFieldSuggestionService;

class LoginFormApp {
public:
    // `helper`: "qt_login_app" or "gtk_login_app"; the window's top-left corner at `at` (root pixels).
    LoginFormApp(const QString &helper, const QString &email, QPoint at = QPoint(300, 300));

    // The form is shown and has said where its fields are.
    bool waitUntilReady();
    // Asks where the fields are now (the window manager may move a window after it first shows).
    bool refreshGeometry();

    DesktopTest::ChildProcess &process() { return m_process; }
    qint64 pid() const { return m_process.pid(); }
    // The e-mail field in root-window pixels, and its centre as a point of the screens' y-down space.
    QRect emailRect() const { return m_emailRect; }
    QPointF emailCentre() const;
    // The e-mail field as Tavlen reads it under that centre; none when what it finds is not this form's.
    std::optional<ClipboardPasteTarget> emailTarget(FocusedFieldSuggestionService &fields) const;
    // What the form says its e-mail field holds (it focuses the field and selects its text to say so).
    QString emailText();

private:
    bool readFieldLines();

    DesktopTest::ChildProcess m_process;
    QRect m_emailRect;
};
