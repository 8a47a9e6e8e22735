#include "launcher/panel/NotchLauncherPainter.h"

#include "launcher/panel/NotchHeaderEntrances.h"
#include "launcher/panel/NotchHeaderLayout.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "launcher/panel/NotchLogoPulse.h"
#include "ui/FontTable.h"
#include "ui/SymbolTable.h"
#include "ui/TutorialOutline.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

NotchLauncherPainter::NotchLauncherPainter(const SymbolTable &symbols)
    : m_symbols(symbols)
{
}

void NotchLauncherPainter::paintGlass(QPainter &painter, const QPainterPath &shape, const Palette &palette)
{
    // Opaque also where a compositor would show what is behind: without the blur real glass has, the text of
    // the windows behind would stand sharp between the rows' own. A neutral fill that still reads as glass,
    // lit along its top.
    const bool dark = palette.isDark();
    painter.fillPath(shape, dark ? QColor(38, 38, 41) : QColor(238, 238, 241));
    QLinearGradient sheen(shape.boundingRect().topLeft(), shape.boundingRect().bottomLeft());
    sheen.setColorAt(0, Palette::white(dark ? 0.05 : 0.35));
    sheen.setColorAt(1, Palette::white(0));
    painter.fillPath(shape, sheen);
    painter.save();
    painter.setClipPath(shape);
    painter.setPen(QPen(Palette::white(dark ? 0.12 : 0.7), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.restore();
    painter.fillPath(shape, Palette::black(dark ? 0.1 : 0.05));
}

void NotchLauncherPainter::paintChrome(QPainter &painter, const NotchLauncherView &view, const NotchPanelGeometry &g,
                                       const Palette &palette)
{
    const NotchLauncherViewModel &model = view.model();
    const QPainterPath chrome = g.chrome.path(QRectF(view.rect()));
    if (model.isFloatingWindow()) {
        paintGlass(painter, chrome, palette);
        return;
    }
    if (!model.isExpanded() || g.contentHeight <= 0) {
        painter.fillPath(chrome, Qt::black);
        return;
    }
    // The list area's glass under a black band that continues the notch and fades into it.
    // From just under the band's top edge down to the chrome's own bottom edge and corners, which the window's
    // mask follows: a pixel left clear inside them shows black without a compositor.
    QPainterPath glassArea;
    glassArea.addRect(QRectF((view.width() - g.innerWidth) / 2, g.topInset - 1, g.innerWidth, g.contentHeight + 1));
    const QPainterPath glass = chrome.intersected(glassArea);
    painter.save();
    painter.setClipPath(chrome);
    paintGlass(painter, glass, palette);
    const NotchPanelGeometry::BandFade fade = g.bandFade(palette.isDark());
    const double depth = fade.depth;
    const double p = depth <= 1 ? std::min(fade.solidUntil, 1.0) : std::min(fade.solidUntil / depth, 1.0);
    QLinearGradient band(0, 0, 0, depth);
    band.setColorAt(0, Qt::black);
    band.setColorAt(p, Qt::black);
    band.setColorAt(p + (1 - p) * 0.22, Palette::black(0.82));
    band.setColorAt(p + (1 - p) * 0.58, Palette::black(0.42));
    band.setColorAt(1, Palette::black(0));
    QPainterPath masked = chrome.intersected([&] {
        QPainterPath top;
        top.addRect(QRectF(0, 0, view.width(), depth));
        return top;
    }());
    painter.fillPath(masked, band);
    painter.restore();
}

NotchLauncherPainter::Motion NotchLauncherPainter::paintHeader(QPainter &painter, NotchLauncherView &view,
                                                               const NotchPanelGeometry &g, const Palette &palette)
{
    const NotchLauncherViewModel &model = view.model();
    const double t = view.now();
    const NotchHeaderLayout header = view.headerLayout();
    Motion moving;
    const bool dark = palette.isDark();
    const double reveal = g.headerReveal;
    const NotchDemoHighlights highlights = model.demoHighlights();
    const std::pair<AnimatedValue *, NotchDemoHighlight> outlines[] = {{&m_clipboardOutline, NotchDemoHighlight::clipboard},
                                                                       {&m_historyOutline, NotchDemoHighlight::history},
                                                                       {&m_settingsOutline, NotchDemoHighlight::settings}};
    for (const auto &[outline, highlight] : outlines) {
        outline->animateTo(highlights.contains(highlight) ? 1 : 0, TutorialOutline::transition(), t);
        moving.header = moving.header || outline->isAnimating(t);
    }
    if (model.isExpanded() && reveal > 0 && !model.isFloatingWindow()) {
        painter.save();
        painter.setOpacity(reveal);
        using Element = NotchHeaderEntrances::Element;
        auto entering = [&](const QRectF &rect, Element element, const std::function<void()> &draw) {
            const NotchHeaderEntrance::Look look = view.headerEntrances().look(element, t, palette.reduceMotion);
            painter.save();
            painter.setOpacity(painter.opacity() * std::clamp(look.opacity, 0.0, 1.0));
            const QPointF centre = rect.center() + QPointF(look.offsetX, 0);
            painter.translate(centre);
            painter.rotate(look.rotationDegrees);
            painter.translate(-rect.center());
            draw();
            painter.restore();
        };
        const bool notchLayout = header.isNotchLayout;
        if (header.showsRecentTab) {
            const bool selected = model.selectedList() == NotchLauncherListKind::recent;
            entering(header.recentTab, Element::recentTab, [&] {
                painter.setRenderHint(QPainter::Antialiasing);
                double fill = 0;
                if (notchLayout)
                    fill = selected ? (dark ? 0.18 : 0.22) : (dark ? 0.08 : 0.12);
                else if (selected)
                    fill = dark ? 0.12 : 0.42;
                painter.setPen(Qt::NoPen);
                painter.setBrush(Palette::white(fill));
                painter.drawEllipse(header.recentTab);
                if (notchLayout) {
                    painter.setPen(QPen(Palette::white(dark ? 0.16 : 0.2), 0.8));
                    painter.setBrush(Qt::NoBrush);
                    painter.drawEllipse(header.recentTab.adjusted(0.4, 0.4, -0.4, -0.4));
                }
                const double opacity = selected ? 1.0 : (notchLayout ? 0.86 : 0.65);
                const QRectF icon(header.recentTab.center() - QPointF(7, 7), QSizeF(14, 14));
                m_symbols.draw(painter, QStringLiteral("clock.arrow.circlepath"), icon, Palette::white(opacity));
                TutorialOutline::tutorialOutline(painter, [&] {
                    QPainterPath circle;
                    circle.addEllipse(header.recentTab);
                    return circle;
                }(), 1.2, m_historyOutline.value(t));
            });
        }
        if (const double outline = m_clipboardOutline.value(t); outline > 0) {
            QPainterPath circle;
            circle.addEllipse(header.clipboardTab);
            TutorialOutline::tutorialOutline(painter, circle, 1.2, outline);
        }
        if (header.showsFiltersToggle) {
            entering(header.filtersToggle, Element::filtersToggle, [&] {
                const QString symbol = model.areClipboardFiltersVisible() ? QStringLiteral("chevron.down")
                                                                             : QStringLiteral("chevron.up");
                m_symbols.draw(painter, symbol, header.filtersToggle.adjusted(2, 2, -2, -2), Palette::white(0.86));
            });
        }
        entering(header.settingsButton, Element::settingsButton, [&] {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Palette::white(dark ? 0.1 : 0.18));
            painter.drawEllipse(header.settingsButton);
            const QRectF icon(header.settingsButton.center() - QPointF(7, 7), QSizeF(14, 14));
            m_symbols.draw(painter, QStringLiteral("gearshape.fill"), icon, Palette::white(0.92));
            QPainterPath circle;
            circle.addEllipse(header.settingsButton);
            TutorialOutline::tutorialOutline(painter, circle, 1.2, m_settingsOutline.value(t));
        });
        painter.restore();
        moving.header = moving.header || view.headerEntrances().isAnimating(t);
    }
    // The logo, always: centred while collapsed, at the band's leading edge while expanded.
    if (!model.isFloatingWindow()) {
        view.logoPulse().paint(painter, view.logoCentre(), view.logo());
        moving.logo = view.logoPulse().isAnimating(t);
    }
    return moving;
}

std::optional<QRectF> NotchLauncherPainter::recentPlaceholderBox(const NotchLauncherView &view)
{
    const NotchLauncherViewModel &model = view.model();
    const NotchPanelGeometry g = view.geometry();
    if (!model.isExpanded() || model.displayedList() != NotchLauncherListKind::recent || model.aiContext()
        || g.listOpacity <= 0)
        return std::nullopt;
    const QRectF area = g.listArea().translated(0, g.listOffsetY);
    return QRectF(area.left(), area.top(), area.width(), std::max(84.0, std::min(area.height(), 120.0)));
}

void NotchLauncherPainter::paintRecentPlaceholder(QPainter &painter, const QRectF &box, const Palette &palette)
{
    painter.save();
    const QRectF icon(box.center().x() - 9, box.top() + 16, 18, 18);
    m_symbols.draw(painter, QStringLiteral("text.cursor"), icon, palette.secondary());
    painter.setPen(palette.secondary());
    painter.setFont(FontTable::systemFont(12, QFont::Medium));
    painter.drawText(QRectF(box.left(), icon.bottom() + 6, box.width(), 16), Qt::AlignCenter,
                     NotchHeaderLayout::noFieldTitle);
    painter.setFont(FontTable::systemFont(11, QFont::Medium));
    painter.drawText(QRectF(box.left(), icon.bottom() + 24, box.width(), 16), Qt::AlignCenter,
                     NotchHeaderLayout::noFieldDescription);
    painter.restore();
}

NotchLauncherPainter::Motion NotchLauncherPainter::paint(QPainter &painter, NotchLauncherView &view,
                                                         const QRect &dirty)
{
    const NotchLauncherViewModel &model = view.model();
    const NotchPanelGeometry g = view.geometry();
    const bool floating = model.isFloatingWindow();
    // The collapsed floating window is not drawn at all.
    if (floating && !model.isExpanded())
        return {};
    const Palette colors = view.panelPalette();
    // The outline is worked out only when a frame needs it: a frame of the logo alone does not.
    std::optional<QPainterPath> outline;
    auto chrome = [&]() -> const QPainterPath & {
        if (!outline)
            outline = g.chrome.path(QRectF(view.rect()));
        return *outline;
    };
    // The chrome (glass, tint and black band) changes only with the frame and the scheme: it is drawn into
    // an image once and put back on every other frame.
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const BackgroundKey key{view.size(),
                            dpr,
                            colors.isDark(),
                            colors.translucency,
                            floating,
                            model.isExpanded(),
                            g.topInset,
                            g.contentHeight,
                            g.innerWidth,
                            g.chrome.bottomCornerRadius,
                            g.chrome.shoulderDepth,
                            g.chrome.shoulderCurveFactor};
    if (m_background.isNull() || !(key == m_backgroundKey)) {
        const QSize pixels(int(std::ceil(view.width() * dpr)), int(std::ceil(view.height() * dpr)));
        m_background = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_background.setDevicePixelRatio(dpr);
        m_background.fill(Qt::transparent);
        QPainter background(&m_background);
        // Without a compositor the window's mask cuts the outline to whole pixels and shows a partly drawn
        // edge pixel over black: the chrome is drawn to whole pixels as well.
        background.setRenderHint(QPainter::Antialiasing, colors.translucency);
        background.setClipPath(chrome());
        paintChrome(background, view, g, colors);
        m_backgroundKey = key;
    }
    painter.drawImage(QPointF(0, 0), m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    // A frame that repaints only inside the outline (the logo's) needs no clip to it: an antialiased clip
    // path cuts every line into many spans, which the raster engine then hands to worker threads.
    if (dirty.isEmpty() || !g.chrome.innerBand(QRectF(view.rect())).contains(QRectF(dirty)))
        painter.setClipPath(chrome());
    const Motion moving = paintHeader(painter, view, g, colors);
    if (const std::optional<QRectF> box = recentPlaceholderBox(view)) {
        painter.setOpacity(g.listOpacity);
        painter.translate(0, box->top());
        painter.scale(1, g.listScaleY);
        painter.translate(0, -box->top());
        paintRecentPlaceholder(painter, *box, colors);
    }
    return moving;
}
