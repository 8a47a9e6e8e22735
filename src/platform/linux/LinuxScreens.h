#pragma once
// The desktop's monitors through Qt's screens, converted to the global y-up space. A monitor's number is
// a hash of its RandR monitor name, so it survives every rebuild of the screen list.

#include "platform/Screens.h"

class QScreen;

class LinuxScreens : public Screens {
    Q_OBJECT
public:
    // A conventional top panel's height, not measured: the band a notch shape gets where a screen reserves none.
    static constexpr double conventionalTopPanelHeight = 24;

    explicit LinuxScreens(QObject *parent = nullptr);

    QList<ScreenInfo> screens() const override;
    std::optional<ScreenInfo> primaryScreen() const override;
    QPointF pointerLocation() const override;
    double topPanelHeight() const override { return conventionalTopPanelHeight; }

    // The primary screen's geometry in Qt's y-down space: what every conversion of Qt and X11 positions
    // to the global y-up space (ScreenSpace) flips about.
    static QRectF primaryTopDown();
    // The stable number of a monitor name (FNV-1a, never 0).
    static quint32 numberForName(const QString &name);

private:
    void watch(QScreen *screen);
};
