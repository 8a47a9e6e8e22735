#pragma once
// Which controls the launcher header shows and where: the tabs, the filters toggle, the search area and
// the settings button, laid out around the hardware notch or in a plain row. Pure: the header paints it.

#include "model/NotchLauncherListKind.h"

#include <QList>
#include <QRectF>
#include <QString>

struct NotchHeaderLayout {
    enum class Search {
        none,
        clipboard,
        fieldHistory,
    };

    struct Input {
        bool isExpanded = false;
        bool hasRealNotch = false;
        double realNotchBarWidth = 180;
        double realNotchSideRailWidth = 140;
        NotchLauncherListKind selectedList = NotchLauncherListKind::clipboard;
        bool showsAIControls = false;
        bool hasSelectedHistoryTab = false;
        bool hasAIContext = false;
        bool hasDemoItems = false;
        // The row the header fills (its own coordinates start at 0, 0).
        double width = 0;
        double height = 30;
    };

    static constexpr double tabSide = 28;
    static constexpr double toggleSide = 18;
    static constexpr double settingsSide = 28;
    static constexpr double plainSearchWidth = 182;
    static constexpr double notchSearchWidthCap = 124;

    bool isNotchLayout = false;
    bool showsRecentTab = false;
    bool showsFiltersToggle = false;
    Search search = Search::none;
    double searchWidth = 0;
    QRectF clipboardTab;
    QRectF recentTab; // empty when not shown
    QRectF filtersToggle; // empty when not shown
    QRectF searchArea; // empty when not shown
    QRectF settingsButton;

    // A button of the header as a person meets it: where it is drawn, where a click takes it, and its
    // title (tooltip and accessible name alike).
    struct Control {
        enum class Kind {
            clipboardTab,
            recentTab,
            filtersToggle,
            settingsButton,
        };
        Kind kind = Kind::clipboardTab;
        QRectF rect;
        QRectF hitArea;
        QString title;
    };
    static inline const QString clipboardTabTitle = QStringLiteral("Clipboard");
    static inline const QString recentTabTitle = QStringLiteral("Recently used");
    static inline const QString hideFiltersTitle = QStringLiteral("Hide Filters");
    static inline const QString showFiltersTitle = QStringLiteral("Show Filters");
    static inline const QString settingsTitle = QStringLiteral("Tavlen settings");
    // The field history's empty state, shown below the header while no field is selected.
    static inline const QString noFieldTitle = QStringLiteral("No field selected");
    static inline const QString noFieldDescription = QStringLiteral("Select a text field to view its history.");

    static NotchHeaderLayout compute(const Input &in);
    // The buttons shown, in the order the header draws them.
    QList<Control> controls(bool areFiltersVisible) const;
};
