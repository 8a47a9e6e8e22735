#include "platform/sim/SimScreens.h"

SimScreens::SimScreens(QObject *parent)
    : Screens(parent)
{
    m_screens = {makeScreen(1, QRectF(0, 0, 1512, 982), 24, 2)};
}

std::optional<ScreenInfo> SimScreens::primaryScreen() const
{
    if (m_primaryIndex < 0 || m_primaryIndex >= m_screens.size())
        return std::nullopt;
    return m_screens.at(m_primaryIndex);
}

void SimScreens::setScreens(const QList<ScreenInfo> &screens)
{
    m_screens = screens;
    Q_EMIT screensChanged();
}

void SimScreens::setPrimaryScreenIndex(int index)
{
    m_primaryIndex = index;
    Q_EMIT screensChanged();
}

ScreenInfo SimScreens::makeScreen(quint32 number, const QRectF &frame, double topBand, double scale)
{
    ScreenInfo s;
    s.number = number;
    s.name = QStringLiteral("SIM-%1").arg(number);
    s.frame = frame;
    s.availableGeometry = QRectF(frame.x(), frame.y(), frame.width(), frame.height() - topBand);
    s.devicePixelRatio = scale;
    return s;
}

ScreenInfo SimScreens::withNotch(ScreenInfo screen, double width, double height)
{
    const QRectF &f = screen.frame;
    const double top = f.y() + f.height();
    const double left = f.x() + (f.width() - width) / 2;
    screen.safeAreaTopInset = height;
    screen.auxiliaryTopLeftArea = QRectF(f.x(), top - height, left - f.x(), height);
    screen.auxiliaryTopRightArea = QRectF(left + width, top - height, f.x() + f.width() - (left + width), height);
    return screen;
}
