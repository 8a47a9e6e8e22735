// A Qt application that copies an image with a caption and HTML, as Qt programs do: its owner then offers
// every image format Qt can write. Prints "ready" once the copy is made; quits normally (handing its content
// to a clipboard manager, as Qt does) on the line "quit", and runs until killed otherwise.
//   qt_clipboard_owner [--text TEXT] [--noise WIDTHxHEIGHT] [--secret]
// --noise copies an image of random pixels (large, uncompressible PNG); --secret marks the copy as a
// password manager does.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString text = QStringLiteral("caption");
    QSize noise;
    bool secret = false;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--text") && i + 1 < arguments.size())
            text = arguments[++i];
        else if (arguments[i] == QLatin1String("--noise") && i + 1 < arguments.size()) {
            const QStringList size = arguments[++i].split(QLatin1Char('x'));
            noise = QSize(size.value(0).toInt(), size.value(1).toInt());
        } else if (arguments[i] == QLatin1String("--secret"))
            secret = true;
    }

    QImage image(noise.isValid() ? noise : QSize(320, 200), QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    if (noise.isValid()) {
        QRandomGenerator random(11);
        for (int y = 0; y < image.height(); ++y)
            random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.width());
    }
    auto *mime = new QMimeData;
    mime->setImageData(image);
    mime->setText(text);
    mime->setHtml(QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped()));
    if (secret)
        mime->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
    QApplication::clipboard()->setMimeData(mime);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char line[64] = {};
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0)
            input.setEnabled(false); // stdin closed: run on until killed
        else if (QByteArray(line).startsWith("quit"))
            QApplication::quit();
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
