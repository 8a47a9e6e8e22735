#include "launcher/panel/NotchHeaderLayout.h"

#include <algorithm>

NotchHeaderLayout NotchHeaderLayout::compute(const Input &in)
{
    NotchHeaderLayout out;
    out.isNotchLayout = in.hasRealNotch && in.isExpanded;
    out.showsRecentTab = in.showsAIControls || in.hasSelectedHistoryTab;
    out.showsFiltersToggle = in.isExpanded && in.selectedList == NotchLauncherListKind::clipboard && !in.hasDemoItems;
    if (in.isExpanded && (in.selectedList == NotchLauncherListKind::clipboard || in.hasAIContext))
        out.search = in.selectedList == NotchLauncherListKind::clipboard ? Search::clipboard : Search::fieldHistory;
    out.searchWidth = in.hasRealNotch ? std::min(std::max(in.realNotchSideRailWidth - 46, 0.0), notchSearchWidthCap)
                                      : plainSearchWidth;
    if (out.search == Search::none)
        out.searchWidth = 0;

    const double midY = in.height / 2;
    auto square = [midY](double x, double side) { return QRectF(x, midY - side / 2, side, side); };

    // The tab group: Clipboard, Recently used, the filters toggle.
    const double tabSpacing = out.isNotchLayout ? 10 : 6;
    double x = 0;
    out.clipboardTab = square(x, tabSide);
    x += tabSide + tabSpacing;
    if (out.showsRecentTab) {
        out.recentTab = square(x, tabSide);
        x += tabSide + tabSpacing;
    }
    if (out.showsFiltersToggle)
        out.filtersToggle = square(x, toggleSide);

    // The trailing controls: the search area and the settings button, ten points apart.
    const double trailingWidth = (out.search != Search::none ? out.searchWidth + 10 : 0) + settingsSide;
    double trailingX;
    if (out.isNotchLayout) {
        const double rail = std::max(in.realNotchSideRailWidth, 0.0);
        const double gap = std::max(in.realNotchBarWidth + 18, 120.0);
        trailingX = rail + gap;
    } else {
        trailingX = in.width - trailingWidth;
    }
    if (out.search != Search::none) {
        out.searchArea = QRectF(trailingX, midY - 14, out.searchWidth, 28);
        trailingX += out.searchWidth + 10;
    }
    out.settingsButton = square(trailingX, settingsSide);
    return out;
}

QList<NotchHeaderLayout::Control> NotchHeaderLayout::controls(bool areFiltersVisible) const
{
    using Kind = Control::Kind;
    QList<Control> out;
    out.append({Kind::clipboardTab, clipboardTab, clipboardTab, clipboardTabTitle});
    if (showsRecentTab)
        out.append({Kind::recentTab, recentTab, recentTab, recentTabTitle});
    // The small chevron takes clicks a little around it.
    if (showsFiltersToggle)
        out.append({Kind::filtersToggle, filtersToggle, filtersToggle.adjusted(-5, -5, 5, 5),
                    areFiltersVisible ? hideFiltersTitle : showFiltersTitle});
    out.append({Kind::settingsButton, settingsButton, settingsButton, settingsTitle});
    return out;
}
