#pragma once
// Every size and position of a launcher window: the hardware notch of a screen, the collapsed frame, the
// expanded width and height in both presentations and where the expanded frame is placed. Pure
// arithmetic in global y-up points over a snapshot of the window, its screen and its view model.

#include "fields/views/NotchAIContext.h"
#include "model/NotchLauncherListKind.h"
#include "platform/Screens.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

class NotchLauncherGeometry {
public:
    // What the window, its screen and its view model hold at the moment of the computation.
    struct Input {
        ScreenInfo screen;
        // Every screen in the system's order (for the reference notch height).
        QList<ScreenInfo> screens;
        double topPanelHeight = 24;
        // A demo configuration is set or the presentation is the notch one; otherwise window mode.
        bool notchMode = true;
        std::optional<QRectF> fieldWindowAnchor;
        QPointF pointerLocation;
        bool isExpanded = false;
        QRectF collapsedFrame;
        // From the view model.
        bool hasRealNotch = false;
        double realNotchBarHeight = 0;
        NotchLauncherListKind displayedList = NotchLauncherListKind::clipboard;
        bool areClipboardFiltersVisible = false;
        int visibleClipboardItemCount = 0;
        std::optional<NotchAIContext> aiContext;
        QString aiSearchQuery;
    };

    // What one frame layout writes: view-model geometry, the collapsed frame and the window frames.
    struct FrameLayout {
        bool isFloatingWindow = false;
        bool hasShadow = false;
        QRectF collapsedFrame;
        bool hasRealNotch = false;
        double realNotchBarHeight = 0;
        double realNotchBarWidth = 0;
        double realNotchBottomCornerRadius = 0;
        QSizeF size;
        double expandedHeaderWidth = 0;
        double realNotchSideRailWidth = 0;
        // Where the window ends up.
        QRectF frame;
        // Where an animated collapse goes first (96 % of the size on a screen without a real notch).
        QRectF collapseInterimFrame;
        // Window mode never animates.
        bool animates = false;
    };

    static constexpr double noNotchWidth = 180;
    static constexpr double referenceNotchHeight = 32;
    static constexpr double screenMargin = 8;
    static constexpr double expandedWidthInset = 16;
    static constexpr double windowModeWidthCap = 399;
    static constexpr double notchHeaderSideInset = 42.688;
    static constexpr double headerMargin = 32;
    static constexpr double cornerRadiusFactor = 0.34;
    static constexpr double collapseInterimScale = 0.96;
    static constexpr double rowHeight = 64;
    static constexpr double sectionHeaderHeight = 24;
    static constexpr double emptyListHeight = 84;
    static constexpr int mostRowsCounted = 8;

    explicit NotchLauncherGeometry(Input input);
    const Input &input() const { return m_in; }

    // round(v × scale) / scale, halves away from zero; v unchanged when the scale is not positive.
    static double snap(double value, double scale);
    // The hardware notch of a screen; none when the screen reports none.
    static std::optional<QRectF> realNotchRect(const ScreenInfo &screen, double topPanelHeight);
    // The notch-presentation width rule of the launcher panel.
    static double expandedPanelWidth(bool hasRealNotch, double notchWidth, double screenWidth);

    // The notch size used for the collapsed shape and the header.
    QSizeF notchMetrics() const;
    // The collapsed frame, also the pointer's notch rectangle.
    QRectF hardwareNotchRect() const;
    double expandedWidth(double notchWidth) const;
    double panelContentHeight(double minimumHeight) const;
    double expandedHeight(double notchHeight) const;
    QRectF placedFrame(QSizeF size, const QRectF &anchor) const;
    // The size the window should have now.
    QSizeF targetSize() const;
    // The expanded frame against which pointer positions are tested.
    QRectF expandedFrame() const;
    // The whole frame layout, in the order the window applies it.
    FrameLayout frameLayout() const;

private:
    bool screenHasRealNotch() const;
    double topPanelBand(const ScreenInfo &screen) const;

    Input m_in;
};
