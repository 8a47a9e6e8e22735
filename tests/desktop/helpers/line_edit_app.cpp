// A window with one focused line edit, for desktop tests that type or paste into another application.
//   line_edit_app [--output FILE] [--title TITLE] [--name APPNAME] [--multi-line TEXT]
// With --multi-line the field is a plain-text document holding TEXT (\n for a line break), the caret at its end.
// Prints "ready <pid>" once the window is shown, writes the field's text to FILE on every change, and
// answers a line "dump" on stdin with "text <the field's text>" (newlines escaped as \n); in a document,
// "where N" answers "at X Y", the screen point in the middle of its character N.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <optional>
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
    std::optional<QString> document;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--output"))
            output = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--title"))
            title = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--multi-line"))
            document = QString(args.at(i + 1)).replace(QLatin1String("\\n"), QLatin1String("\n"));
    }

    QWidget window;
    window.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&window);
    QWidget *edit = nullptr;
    std::function<QString()> text;
    if (document) {
        auto *area = new QPlainTextEdit(&window);
        area->setPlainText(*document);
        area->moveCursor(QTextCursor::End);
        text = [area] { return area->toPlainText(); };
        edit = area;
        window.resize(420, 240);
    } else {
        auto *line = new QLineEdit(&window);
        text = [line] { return line->text(); };
        edit = line;
        window.resize(420, 80);
    }
    edit->setObjectName(QStringLiteral("field"));
    layout->addWidget(edit);

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
    if (auto *area = qobject_cast<QPlainTextEdit *>(edit))
        QObject::connect(area, &QPlainTextEdit::textChanged, [&] { writeOutput(text()); });
    else
        QObject::connect(static_cast<QLineEdit *>(edit), &QLineEdit::textChanged, writeOutput);
    writeOutput(text());

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        const QByteArray line(buffer, int(n));
        auto *area = qobject_cast<QPlainTextEdit *>(edit);
        if (area && line.startsWith("where ")) {
            QTextCursor cursor(area->document());
            cursor.setPosition(line.mid(6).trimmed().toInt());
            const QRect before = area->cursorRect(cursor);
            cursor.movePosition(QTextCursor::NextCharacter);
            const QRect after = area->cursorRect(cursor);
            const QPoint at = area->viewport()->mapToGlobal(QPoint((before.left() + after.left()) / 2, before.center().y()));
            std::printf("at %d %d\n", at.x(), at.y());
            std::fflush(stdout);
        }
        if (line.contains("dump")) {
            QString dump = text();
            dump.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
            std::printf("text %s\n", dump.toUtf8().constData());
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
