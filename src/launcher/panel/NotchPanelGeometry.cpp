#include "launcher/panel/NotchPanelGeometry.h"

#include <algorithm>

NotchChromeShape NotchPanelGeometry::chromeFor(const Input &in)
{
    NotchChromeShape shape;
    shape.isFloatingWindow = in.isFloatingWindow;
    shape.bottomCornerRadius = in.isFloatingWindow || in.isExpanded ? expandedBottomRadius
        : in.hasRealNotch                                          ? in.realNotchBottomCornerRadius
                                                                   : std::max(in.realNotchBarHeight * 0.34, 1.0);
    shape.shoulderDepth = in.isFloatingWindow ? 0.0
        : in.isExpanded                       ? expandedShoulderDepth
        : in.hasRealNotch                     ? 0.0
                                              : std::max(in.realNotchBarHeight * 0.23, 1.0);
    shape.shoulderCurveFactor = in.isExpanded ? 0.06 : 0.1;
    return shape;
}

NotchPanelGeometry NotchPanelGeometry::compute(const Input &in)
{
    NotchPanelGeometry g;
    g.width = in.width;
    g.height = in.height;
    g.chrome = chromeFor(in);
    const bool E = in.isExpanded, N = in.hasRealNotch, F = in.isFloatingWindow;
    const double H = in.height;
    g.headerBarHeight = N ? std::max(in.realNotchBarHeight, 30.0) : 30;
    const double B = g.headerBarHeight;
    if (N)
        g.topBand = E ? std::max(in.realNotchBarHeight, 30.0) : in.realNotchBarHeight;
    else
        g.topBand = std::clamp(H - 4, 20.0, 30.0);
    if (E) {
        g.topGap = N ? 0 : 8;
        g.headerReveal = F ? 1 : std::clamp((H - (B + (N ? 0 : 8))) / revealDistance, 0.0, 1.0);
        g.topBand = B;
    } else {
        g.topGap = N ? 0 : 2;
        g.headerReveal = 0;
    }
    g.topInset = F ? 0 : g.topBand + g.topGap;
    g.contentHeight = std::max(H - g.topInset, 0.0);
    if (!E)
        g.listReveal = 0;
    else if (F)
        g.listReveal = 1;
    else
        g.listReveal = in.isListSettled ? 1 : std::clamp(g.contentHeight / revealDistance, 0.0, 1.0);
    g.innerWidth = std::max(in.width - 2 * g.chrome.shoulderDepth, 1.0);

    const double L = in.shownListReveal.value_or(g.listReveal);
    const bool shown = E && in.isListContentVisible;
    g.listOpacity = shown ? std::clamp(L, 0.0, 1.0) : 0;
    g.listOffsetY = F ? 0 : shown ? -10 * (1 - L) : -18;
    g.listScaleY = F ? 1 : 0.97 + 0.03 * L;
    g.listTakesInput = E && g.listReveal > 0.98 && in.isListContentVisible;
    return g;
}

NotchPanelGeometry::BandFade NotchPanelGeometry::bandFade(bool darkGlass) const
{
    if (darkGlass)
        return {topInset + listTopPadding, topInset + listTopPadding + std::min(contentHeight, revealDistance)};
    return {topInset, topInset + std::min(contentHeight, listTopPadding)};
}

QRectF NotchPanelGeometry::listArea() const
{
    const double padding = chrome.isFloatingWindow ? 0 : listTopPadding;
    const double left = (width - innerWidth) / 2;
    return QRectF(left, topInset + padding, innerWidth, std::max(contentHeight - padding, 0.0));
}

QRectF NotchPanelGeometry::headerRow(double expandedHeaderWidth) const
{
    const double rowWidth = std::max(std::min(expandedHeaderWidth, innerWidth) - 2 * headerMargin, 0.0);
    return QRectF((width - rowWidth) / 2, topGap, rowWidth, topBand);
}

double NotchPanelGeometry::expandedLogoOffset(double expandedHeaderWidth) const
{
    return -std::max(std::min(expandedHeaderWidth, innerWidth) / 2 - (headerMargin + logoInset), 0.0);
}
