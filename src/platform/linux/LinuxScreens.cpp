#include "platform/linux/LinuxScreens.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {

QList<QScreen *> orderedScreens()
{
    if (!qGuiApp)
        return {};
    QList<QScreen *> list = QGuiApplication::screens();
    QScreen *primary = QGuiApplication::primaryScreen();
    if (primary && list.removeOne(primary))
        list.prepend(primary);
    return list;
}

ScreenInfo infoOf(QScreen *screen, const QRectF &primary)
{
    ScreenInfo info;
    info.name = screen->name();
    // Without a name the geometry is the best identity there is.
    const QString identity = info.name.isEmpty()
        ? QStringLiteral("%1,%2 %3x%4").arg(screen->geometry().x()).arg(screen->geometry().y())
              .arg(screen->geometry().width()).arg(screen->geometry().height())
        : info.name;
    info.number = LinuxScreens::numberForName(identity);
    info.frame = ScreenSpace::rectFromTopDown(QRectF(screen->geometry()), primary);
    info.availableGeometry = ScreenSpace::rectFromTopDown(QRectF(screen->availableGeometry()), primary);
    info.devicePixelRatio = screen->devicePixelRatio();
    return info;
}

} // namespace

LinuxScreens::LinuxScreens(QObject *parent)
    : Screens(parent)
{
    if (!qGuiApp)
        return;
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watch(screen);
        Q_EMIT screensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &Screens::screensChanged);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &Screens::screensChanged);
}

void LinuxScreens::watch(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &Screens::screensChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &Screens::screensChanged);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &Screens::screensChanged);
}

QList<ScreenInfo> LinuxScreens::screens() const
{
    const QRectF primary = primaryTopDown();
    QList<ScreenInfo> result;
    for (QScreen *screen : orderedScreens())
        result.append(infoOf(screen, primary));
    return result;
}

std::optional<ScreenInfo> LinuxScreens::primaryScreen() const
{
    QScreen *primary = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!primary)
        return std::nullopt;
    return infoOf(primary, primaryTopDown());
}

QRectF LinuxScreens::primaryTopDown()
{
    QScreen *primary = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return primary ? QRectF(primary->geometry()) : QRectF();
}

QPointF LinuxScreens::pointerLocation() const
{
    if (!qGuiApp)
        return {};
    return ScreenSpace::pixelFromTopDown(QCursor::pos(), primaryTopDown());
}

quint32 LinuxScreens::numberForName(const QString &name)
{
    quint32 hash = 2166136261u;
    for (const char byte : name.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}
