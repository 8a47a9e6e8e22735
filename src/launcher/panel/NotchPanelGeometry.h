#pragma once
// Everything the launcher view derives from the frame its window gives it and from the view model: the
// header band, the list area and their reveal factors, and the chrome's outline values. Pure arithmetic;
// the view only paints what this says.

#include "launcher/panel/NotchChromeShape.h"

#include <QRectF>

#include <optional>

struct NotchPanelGeometry {
    struct Input {
        double width = 0;
        double height = 0;
        bool isExpanded = false;
        bool hasRealNotch = false;
        bool isFloatingWindow = false;
        bool isListSettled = false;
        bool isListContentVisible = true;
        double realNotchBarHeight = 32;
        double realNotchBottomCornerRadius = 10.88;
        // The list reveal as shown now, trailing L while it animates; unset shows L itself.
        std::optional<double> shownListReveal;
    };

    static constexpr double expandedShoulderDepth = 21.344;
    static constexpr double expandedBottomRadius = 20;
    static constexpr double listTopPadding = 10;
    static constexpr double revealDistance = 64;
    static constexpr double headerMargin = 16;
    // The logo's centre from the header row's leading edge: the middle of the 28-point Clipboard tab.
    static constexpr double logoInset = 14;

    double width = 0;       // W
    double height = 0;      // H
    double headerBarHeight = 30; // B
    double topBand = 0;     // T
    double topGap = 0;      // G
    double headerReveal = 0; // R
    double topInset = 0;    // I
    double contentHeight = 0; // C
    double listReveal = 0;  // L
    double innerWidth = 1;  // Wi
    NotchChromeShape chrome;

    // The list area: how strongly it shows, where it sits and how it is squeezed while revealing (all with
    // the shown reveal); whether it takes clicks goes by L itself.
    double listOpacity = 0;
    double listOffsetY = 0;
    double listScaleY = 1;
    bool listTakesInput = false;

    // The black band that continues the notch over the list area's glass, from the top: solid down to
    // `solidUntil`, then fading out by `depth`. Over dark glass it fades across the list's first 64 points;
    // over light glass it fades within the list's top padding, so no row's dark text sits on a dark wash.
    struct BandFade {
        double solidUntil = 0;
        double depth = 0;
    };
    BandFade bandFade(bool darkGlass) const;

    static NotchPanelGeometry compute(const Input &in);
    static NotchChromeShape chromeFor(const Input &in);

    // The list area's rectangle in the view (after its top padding).
    QRectF listArea() const;
    // The header row's rectangle (inside the band, 16-point margins, the expanded header width but never
    // wider than the body it hangs in).
    QRectF headerRow(double expandedHeaderWidth) const;
    // Where the logo sits once expanded, as an offset from the band's centre: over the Clipboard tab, its
    // centre 30 points from the header's leading edge, so it stays inside the body whatever width the
    // window is at (the frame grows while the panel expands).
    double expandedLogoOffset(double expandedHeaderWidth) const;
};
