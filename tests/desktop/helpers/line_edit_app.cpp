// A window with one focused line edit, for desktop tests that type or paste into another application.
//   line_edit_app [--output FILE] [--title TITLE] [--name APPNAME]
// Prints "ready <pid>" once the window is shown, writes the field's text to FILE on every change, and
// answers a line "dump" on stdin with "text <the field's text>" (newlines escaped as \n).
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QString name = QStringLiteral("line_edit_app");
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--name") == 0)
            name = QString::fromLocal8Bit(argv[i + 1]);
    }
    QApplication::setApplicationName(name);
    QApplication app(argc, argv);

    QString output;
    QString title = QStringLiteral("Line edit");
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--output"))
            output = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--title"))
            title = args.at(i + 1);
    }

    QWidget window;
    window.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new QLineEdit(&window);
    edit->setObjectName(QStringLiteral("field"));
    layout->addWidget(edit);
    window.resize(420, 80);

    auto writeOutput = [&](const QString &text) {
        if (output.isEmpty())
            return;
        QFile file(output + QStringLiteral(".tmp"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(text.toUtf8());
            file.close();
            QFile::remove(output);
            file.rename(output);
        }
    };
    QObject::connect(edit, &QLineEdit::textChanged, writeOutput);
    writeOutput(QString());

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        if (QByteArray(buffer, int(n)).contains("dump")) {
            QString text = edit->text();
            text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
            std::printf("text %s\n", text.toUtf8().constData());
            std::fflush(stdout);
        }
    });

    window.show();
    window.activateWindow();
    edit->setFocus();
    QTimer::singleShot(0, [] {
        std::printf("ready %lld\n", static_cast<long long>(QCoreApplication::applicationPid()));
        std::fflush(stdout);
    });
    return app.exec();
}
