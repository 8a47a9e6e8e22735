// A Qt application that copies an image with a caption and HTML, as Qt programs do: its owner then offers
// every image format Qt can write. Prints "ready" once the copy is made; runs until killed.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    auto *mime = new QMimeData;
    mime->setImageData(image);
    mime->setText(QStringLiteral("caption"));
    mime->setHtml(QStringLiteral("<b>caption</b>"));
    QApplication::clipboard()->setMimeData(mime);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
