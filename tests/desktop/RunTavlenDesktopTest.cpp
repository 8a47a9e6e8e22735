// scripts/run-tavlen without a display of its own brings up a private one, with a light desktop so the black
// launcher panels can be seen. The program it runs here takes a picture of that desktop.
#include "DesktopTest.h"

#include <QImage>
#include <QProcessEnvironment>
#include <QTemporaryDir>

TEST(RunTavlen, APrivateDisplayHasALightDesktop)
{
    TAVLEN_REQUIRE_DESKTOP();
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("desktop.png"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    DesktopTest::ChildProcess script(QStringLiteral(TAVLEN_SOURCE_DIR "/scripts/run-tavlen"),
                                     {QStringLiteral("/usr/bin/import"), QStringLiteral("-window"),
                                      QStringLiteral("root"), picture},
                                     environment);
    ASSERT_EQ(script.waitForExit(60000), 0) << script.output().constData();
    QImage desktop;
    ASSERT_TRUE(desktop.load(picture)) << script.output().constData();
    for (const QPoint point : {QPoint(100, 500), QPoint(2500, 900)}) {
        const QColor colour = desktop.pixelColor(point);
        EXPECT_GT(colour.lightness(), 180) << "at " << point.x() << "," << point.y() << ": " << colour.name().toStdString();
    }
}
