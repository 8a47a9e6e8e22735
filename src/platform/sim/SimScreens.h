#pragma once
// Scripted screens for tests: any layout, any screen with a notch, a pointer placed by the test.

#include "platform/Screens.h"

class SimScreens : public Screens {
    Q_OBJECT
public:
    explicit SimScreens(QObject *parent = nullptr);

    QList<ScreenInfo> screens() const override { return m_screens; }
    std::optional<ScreenInfo> primaryScreen() const override;
    QPointF pointerLocation() const override { return m_pointer; }
    double topPanelHeight() const override { return m_topPanelHeight; }

    // Replaces the screen list and announces the change.
    void setScreens(const QList<ScreenInfo> &screens);
    // Index into screens() of the primary screen (0 unless set).
    void setPrimaryScreenIndex(int index);
    void setPointerLocation(QPointF point) { m_pointer = point; }
    void setTopPanelHeight(double height) { m_topPanelHeight = height; }

    // A plain screen: number, frame, available geometry = frame less `topBand` at the top.
    static ScreenInfo makeScreen(quint32 number, const QRectF &frame, double topBand = 0, double scale = 1);
    // Gives a screen a notch of `width` x `height`, centred, with auxiliary areas left and right of it.
    static ScreenInfo withNotch(ScreenInfo screen, double width, double height);

private:
    QList<ScreenInfo> m_screens;
    int m_primaryIndex = 0;
    QPointF m_pointer;
    double m_topPanelHeight = 24;
};
