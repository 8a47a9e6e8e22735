#include "launcher/NotchLauncherGeometry.h"

#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"

#include <algorithm>
#include <cmath>

namespace {
double maxX(const QRectF &r) { return r.x() + r.width(); }
double maxY(const QRectF &r) { return r.y() + r.height(); }
double midX(const QRectF &r) { return r.x() + r.width() / 2; }
} // namespace

NotchLauncherGeometry::NotchLauncherGeometry(Input input)
    : m_in(std::move(input))
{
}

double NotchLauncherGeometry::snap(double value, double scale)
{
    if (!(scale > 0))
        return value;
    return std::round(value * scale) / scale;
}

std::optional<QRectF> NotchLauncherGeometry::realNotchRect(const ScreenInfo &screen, double topPanelHeight)
{
    const double t = screen.safeAreaTopInset;
    if (t <= 0)
        return std::nullopt;
    const auto &left = screen.auxiliaryTopLeftArea;
    const auto &right = screen.auxiliaryTopRightArea;
    if (!left || !right || left->isEmpty() || right->isEmpty())
        return std::nullopt;
    if (maxX(*left) >= right->x())
        return std::nullopt;
    const double width = std::max(right->x() - maxX(*left), 1.0);
    const double insetTop = std::max(t, 1.0);
    double bar = maxY(screen.frame) - maxY(screen.availableGeometry);
    if (bar <= 0)
        bar = topPanelHeight;
    const double height = (bar > 0 && bar < insetTop) ? bar : insetTop;
    return QRectF(maxX(*left), maxY(screen.frame) - height, width, height);
}

double NotchLauncherGeometry::expandedPanelWidth(bool hasRealNotch, double notchWidth, double screenWidth)
{
    const double limit = std::max(screenWidth - 16, 1.0);
    double body;
    if (hasRealNotch)
        body = std::max(std::max(notchWidth + 18, 120.0) + 280 + 32 + 42.688, 441.688);
    else
        body = std::min(std::max(screenWidth * 0.27, 441.688), 560.0);
    return std::min(limit, body);
}

bool NotchLauncherGeometry::screenHasRealNotch() const
{
    return realNotchRect(m_in.screen, m_in.topPanelHeight).has_value();
}

double NotchLauncherGeometry::topPanelBand(const ScreenInfo &screen) const
{
    const double bar = maxY(screen.frame) - maxY(screen.availableGeometry);
    return bar <= 0 ? m_in.topPanelHeight : bar;
}

QSizeF NotchLauncherGeometry::notchMetrics() const
{
    if (const auto notch = realNotchRect(m_in.screen, m_in.topPanelHeight))
        return notch->size();
    double reference = referenceNotchHeight;
    for (const ScreenInfo &s : m_in.screens) {
        if (const auto notch = realNotchRect(s, m_in.topPanelHeight)) {
            reference = notch->height();
            break;
        }
    }
    const double bar = topPanelBand(m_in.screen);
    const double height = (bar > 0 && bar < reference) ? bar : reference;
    return QSizeF(noNotchWidth, height);
}

QRectF NotchLauncherGeometry::hardwareNotchRect() const
{
    const QRectF &frame = m_in.screen.frame;
    const auto notch = m_in.notchMode ? realNotchRect(m_in.screen, m_in.topPanelHeight) : std::nullopt;
    double x, width, height;
    if (notch) {
        x = notch->x();
        width = notch->width();
        height = notch->height();
    } else {
        const QSizeF metrics = notchMetrics();
        width = metrics.width();
        height = metrics.height();
        x = midX(frame) - width / 2;
    }
    const double top = maxY(frame) + 1;
    const double scale = m_in.screen.devicePixelRatio;
    if (scale > 0) {
        const double snappedTop = snap(top, scale);
        const double snappedHeight = snap(height, scale);
        return QRectF(snap(x, scale), snappedTop - snappedHeight, snap(width, scale), snappedHeight);
    }
    // Unsnapped: the real notch keeps its own y (flush with the screen top).
    return QRectF(x, notch ? notch->y() : top - height, width, height);
}

double NotchLauncherGeometry::expandedWidth(double notchWidth) const
{
    if (!m_in.notchMode)
        return std::min(m_in.screen.availableGeometry.width() - expandedWidthInset, windowModeWidthCap);
    return expandedPanelWidth(screenHasRealNotch(), notchWidth, m_in.screen.frame.width());
}

double NotchLauncherGeometry::panelContentHeight(double minimumHeight) const
{
    const double top = m_in.hasRealNotch ? std::max(m_in.realNotchBarHeight, 30.0) : 30.0;
    const double gap = m_in.hasRealNotch ? 0 : 8;
    const double base = top + gap + 10;
    double h;
    if (m_in.displayedList == NotchLauncherListKind::clipboard) {
        const int n = m_in.visibleClipboardItemCount;
        const double list = n > 0 ? std::min(n, mostRowsCounted) * rowHeight : emptyListHeight;
        h = base + (m_in.areClipboardFiltersVisible ? 48 : 0) + list;
    } else if (!m_in.aiContext) {
        h = base + emptyListHeight;
    } else if (isSuggestionSearch(m_in.aiSearchQuery)) {
        const auto k = int(filterFocusedFieldSuggestions(*m_in.aiContext, m_in.aiSearchQuery).size());
        h = k == 0 ? base + rowHeight : base + std::min(k, mostRowsCounted) * rowHeight + sectionHeaderHeight;
    } else {
        const int historyCount = int(m_in.aiContext->historySuggestions.size());
        const int randomCount = int(m_in.aiContext->randomSuggestions.size());
        const int shownHistory = std::min(historyCount, mostRowsCounted);
        const int historyRows = shownHistory + (historyCount == 0 ? 1 : 0);
        const int randomRows = std::min((historyCount > 0 ? 8 : 7) - shownHistory, randomCount);
        const int headers = (historyCount == 0 ? 0 : historyCount == 1 ? 1 : 2) + (randomRows > 0 ? 1 : 0);
        h = base + (historyRows + randomRows) * rowHeight + headers * sectionHeaderHeight;
    }
    return std::max(h, minimumHeight);
}

double NotchLauncherGeometry::expandedHeight(double notchHeight) const
{
    const QRectF &visible = m_in.screen.availableGeometry;
    if (!m_in.notchMode && m_in.aiContext) {
        const int rows = int(std::min<qsizetype>(m_in.aiContext->historySuggestions.size(), 2))
            + (m_in.aiContext->randomSuggestions.isEmpty() ? 0 : 1);
        const double h = rows == 0 ? 64 : rows * 88;
        return std::min(h, visible.height() - expandedWidthInset);
    }
    const double m = notchHeight;
    const double content = std::max(panelContentHeight(m), m);
    if (!m_in.notchMode) {
        const double cap = (m_in.displayedList == NotchLauncherListKind::clipboard && m_in.areClipboardFiltersVisible) ? 180 : 132;
        const double capped = std::max(0.5 * content, std::min(content, cap));
        return std::min(std::max(visible.height() - expandedWidthInset, m), capped);
    }
    return std::min(std::max(maxY(m_in.screen.frame) - visible.y() - screenMargin, m), content);
}

QRectF NotchLauncherGeometry::placedFrame(QSizeF size, const QRectF &anchor) const
{
    const double w = size.width(), h = size.height();
    if (!m_in.notchMode) {
        const QRectF fieldAnchor = m_in.fieldWindowAnchor.value_or(QRectF(m_in.pointerLocation, QSizeF(0, 0)));
        return FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(size, fieldAnchor, m_in.screen.availableGeometry);
    }
    const QRectF &frame = m_in.screen.frame;
    const double lo = frame.x() + screenMargin;
    const double hi = std::max(lo, maxX(frame) - w - screenMargin);
    const double x = std::min(hi, std::max(midX(anchor) - w / 2, lo));
    const double scale = m_in.screen.devicePixelRatio;
    if (scale > 0) {
        const double top = snap(maxY(anchor), scale);
        const double snappedHeight = snap(h, scale);
        return QRectF(snap(x, scale), top - snappedHeight, snap(w, scale), snappedHeight);
    }
    return QRectF(x, maxY(anchor) - h, w, h);
}

QSizeF NotchLauncherGeometry::targetSize() const
{
    if (m_in.isExpanded || !m_in.notchMode) {
        const QSizeF metrics = notchMetrics();
        return QSizeF(expandedWidth(metrics.width()), expandedHeight(metrics.height()));
    }
    if (m_in.collapsedFrame == QRectF())
        return hardwareNotchRect().size();
    return m_in.collapsedFrame.size();
}

QRectF NotchLauncherGeometry::expandedFrame() const
{
    const QSizeF metrics = notchMetrics();
    return placedFrame(QSizeF(expandedWidth(metrics.width()), expandedHeight(metrics.height())), hardwareNotchRect());
}

NotchLauncherGeometry::FrameLayout NotchLauncherGeometry::frameLayout() const
{
    FrameLayout out;
    out.isFloatingWindow = !m_in.notchMode;
    out.hasShadow = !m_in.notchMode;
    out.collapsedFrame = hardwareNotchRect();
    out.hasRealNotch = m_in.notchMode && screenHasRealNotch();
    const QSizeF metrics = notchMetrics();
    out.realNotchBarHeight = metrics.height();
    out.realNotchBarWidth = metrics.width();
    out.realNotchBottomCornerRadius = std::max(cornerRadiusFactor * metrics.height(), 1.0);

    // The rest reads the values just written, as the window's own fields would be by then.
    Input updated = m_in;
    updated.collapsedFrame = out.collapsedFrame;
    updated.hasRealNotch = out.hasRealNotch;
    updated.realNotchBarHeight = out.realNotchBarHeight;
    const NotchLauncherGeometry next(updated);

    out.size = next.targetSize();
    const double inset = m_in.notchMode ? notchHeaderSideInset : 0;
    const double inner = std::max(next.expandedWidth(metrics.width()) - inset - headerMargin, 0.0);
    out.expandedHeaderWidth = inner + headerMargin;
    out.realNotchSideRailWidth = std::max((inner - std::max(out.realNotchBarWidth + 18, 120.0)) * 0.5, 0.0);
    out.frame = next.placedFrame(out.size, out.collapsedFrame);
    const QSizeF interim = screenHasRealNotch() ? out.size : out.size * collapseInterimScale;
    out.collapseInterimFrame = next.placedFrame(interim, out.collapsedFrame);
    out.animates = m_in.notchMode;
    return out;
}
