#pragma once
// Draws the launcher view: the chrome (black notch band over glass, or the compact window's glass) from an
// image kept while the frame and scheme stay, the header's tabs and buttons with their entrances, the logo,
// and the field history's placeholder when no field is selected.

#include "launcher/panel/NotchPanelGeometry.h"
#include "ui/AnimatedValue.h"
#include "ui/Palette.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <optional>

class NotchLauncherView;
class QPainter;
class QPainterPath;
class SymbolTable;

class NotchLauncherPainter {
public:
    explicit NotchLauncherPainter(const SymbolTable &symbols);

    // What is still moving after a paint: the view asks for another frame of it.
    struct Motion {
        bool header = false;
        bool logo = false;
    };
    // Draws what lies in `dirty` (the whole view when empty).
    Motion paint(QPainter &painter, NotchLauncherView &view, const QRect &dirty = {});
    // Where the field history's placeholder stands in the view (before the list area's unsqueeze), while
    // the view shows it.
    static std::optional<QRectF> recentPlaceholderBox(const NotchLauncherView &view);

private:
    void paintChrome(QPainter &painter, const NotchLauncherView &view, const NotchPanelGeometry &g, const Palette &palette);
    void paintGlass(QPainter &painter, const QPainterPath &shape, const Palette &palette);
    Motion paintHeader(QPainter &painter, NotchLauncherView &view, const NotchPanelGeometry &g, const Palette &palette);
    void paintRecentPlaceholder(QPainter &painter, const QRectF &box, const Palette &palette);

    const SymbolTable &m_symbols;
    // The chrome as last drawn, and what it was drawn for.
    struct BackgroundKey {
        QSize size;
        double dpr = 0;
        bool dark = false;
        bool translucency = false;
        bool floating = false;
        bool expanded = false;
        double topInset = 0;
        double contentHeight = 0;
        double innerWidth = 0;
        double bottomRadius = 0;
        double shoulderDepth = 0;
        double shoulderCurveFactor = 0;
        bool operator==(const BackgroundKey &) const = default;
    };
    QImage m_background;
    BackgroundKey m_backgroundKey;
    // The tutorial's outlines around the Clipboard tab, the Recently used tab and the settings button,
    // fading in and out.
    AnimatedValue m_clipboardOutline;
    AnimatedValue m_historyOutline;
    AnimatedValue m_settingsOutline;
};
