// A Qt window with a login form (an e-mail field and a password field), for the field-reading desktop tests.
//   qt_login_app [--email TEXT] [--password TEXT] [--at X,Y]
// Prints "ready <pid>" once shown, then "field email|password x y w h" (root-window pixels) for each field.
// Answers lines on stdin:
//   select             focuses the e-mail field and selects all its text; prints "selected <text>"
//   focus email|password
//   hang SECONDS       stops the event loop for that long (a hung application); prints "awake" afterwards
//   geometry           prints the "field" lines again
//   text               prints "text <the e-mail field's text>"
//   append TEXT        types TEXT at the end of the e-mail field; prints "appended"
//   selectrange S N    selects N characters of the e-mail field from S; prints "selected range"
#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printField(const char *name, const QWidget *field)
{
    const QPoint origin = field->mapToGlobal(QPoint(0, 0));
    say(QByteArray("field ") + name + ' ' + QByteArray::number(origin.x()) + ' ' + QByteArray::number(origin.y()) + ' '
        + QByteArray::number(field->width()) + ' ' + QByteArray::number(field->height()));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication::setApplicationName(QStringLiteral("qt_login_app"));
    QApplication app(argc, argv);
    QString email = QStringLiteral("ada@example.com");
    QString password = QStringLiteral("hunter2-secret");
    std::optional<QPoint> at;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--at"))
            at = QPoint(args.at(i + 1).section(QLatin1Char(','), 0, 0).toInt(), args.at(i + 1).section(QLatin1Char(','), 1, 1).toInt());
        else if (args.at(i) == QLatin1String("--email"))
            email = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--password"))
            password = args.at(i + 1);
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Sign in"));
    auto *form = new QFormLayout(&window);
    auto *emailEdit = new QLineEdit(email, &window);
    auto *passwordEdit = new QLineEdit(password, &window);
    passwordEdit->setEchoMode(QLineEdit::Password);
    // The labels become the fields' accessible names (Qt exposes no placeholder over AT-SPI).
    form->addRow(QStringLiteral("E-mail"), emailEdit);
    form->addRow(QStringLiteral("Password"), passwordEdit);
    window.resize(460, 120);
    if (at)
        window.move(*at);

    auto printFields = [&] {
        printField("email", emailEdit);
        printField("password", passwordEdit);
    };

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, int(n));
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QList<QByteArray> words = pending.left(end).trimmed().split(' ');
            pending.remove(0, end + 1);
            const QByteArray command = words.value(0);
            if (command == "select") {
                window.activateWindow();
                emailEdit->setFocus();
                emailEdit->selectAll();
                say("selected " + emailEdit->selectedText().toUtf8());
            } else if (command == "focus") {
                window.activateWindow();
                (words.value(1) == "password" ? passwordEdit : emailEdit)->setFocus();
                say("focused " + words.value(1));
            } else if (command == "hang") {
                say("hanging");
                QThread::msleep(static_cast<unsigned long>(words.value(1).toDouble() * 1000));
                say("awake");
            } else if (command == "geometry") {
                printFields();
            } else if (command == "text") {
                say("text " + emailEdit->text().toUtf8());
            } else if (command == "append") {
                emailEdit->end(false);
                emailEdit->insert(QString::fromUtf8(words.mid(1).join(' ')));
                say("appended");
            } else if (command == "selectrange") {
                emailEdit->setSelection(words.value(1).toInt(), words.value(2).toInt());
                say("selected range");
            }
        }
    });

    window.show();
    window.activateWindow();
    emailEdit->setFocus();
    QTimer::singleShot(0, [&] {
        say("ready " + QByteArray::number(QCoreApplication::applicationPid()));
        printFields();
    });
    return app.exec();
}
