#include "fields/views/FocusedFieldTypingEffectWindow.h"

#include "fields/views/FocusedFieldTypingEffect.h"
#include "platform/Appearance.h"
#include "platform/Panel.h"
#include "platform/PanelFactory.h"
#include "platform/AccessibilitySpace.h"
#include "platform/Screens.h"

FocusedFieldTypingEffectWindow::FocusedFieldTypingEffectWindow(const Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_model(*platform.clock)
{
    m_panel = m_platform.panels->createPanel(PanelKind::Overlay);
    m_panel->setAcceptsKeyboardFocus(false);
    m_panel->setHasShadow(false);
    m_panel->setIgnoresMouseEvents(true);
    m_panel->setLevel(PanelLevel::Overlay);
    m_panel->setDesktopFlags(PanelDesktop::OnAllDesktops | PanelDesktop::SkipTaskbar);
    auto *view = new FocusedFieldTypingEffect(m_model, *m_platform.clock, m_platform.appearance);
    m_view = view;
    connect(view, &FocusedFieldTypingEffect::outlineChanged, this, &FocusedFieldTypingEffectWindow::applyOutline);
    // The panel sizes its content to its frame, so the drawing always fills the overlay exactly.
    m_panel->setContentWidget(view);
}

FocusedFieldTypingEffectWindow::~FocusedFieldTypingEffectWindow()
{
    close();
}

FocusedFieldTypingEffect *FocusedFieldTypingEffectWindow::view() const
{
    return m_view;
}

std::optional<QRectF> FocusedFieldTypingEffectWindow::overlayFrame(const QRectF &accessibilityFrame) const
{
    const QList<ScreenInfo> screens = m_platform.screens->screens();
    if (screens.isEmpty())
        return std::nullopt;
    const QRectF converted = AccessibilitySpace::toScreenRect(accessibilityFrame, screens);
    for (const ScreenInfo &screen : screens) {
        if (screen.frame.intersects(converted))
            return converted;
    }
    return std::nullopt;
}

bool FocusedFieldTypingEffectWindow::update(const QRectF &fieldFrame)
{
    const std::optional<QRectF> frame = m_panel ? overlayFrame(fieldFrame) : std::nullopt;
    if (!frame) {
        hidePath();
        return false;
    }
    m_accessibilityFieldFrame = fieldFrame;
    m_fallbackCursorX = initialFallbackCursorX;
    m_model.reset();
    // Asked at every showing: a compositor may have started or stopped since the last one.
    const bool translucent = m_platform.appearance && m_platform.appearance->supportsTranslucency();
    if (m_view)
        m_view->setDrawsTranslucency(translucent);
    if (translucent) {
        m_panel->setShape(QPainterPath());
        m_panel->setOpacity(1);
    } else {
        // Nothing to draw yet: the outline shows the panel once the highlight starts.
        applyOutline(QPainterPath());
    }
    m_panel->setFrame(*frame);
    m_panel->showWithoutActivating();
    return true;
}

void FocusedFieldTypingEffectWindow::applyOutline(const QPainterPath &outline)
{
    if (!m_panel || (m_view && m_view->drawsTranslucency()))
        return;
    // An opaque panel with nothing to show stays out of sight altogether.
    if (outline.isEmpty()) {
        m_panel->setOpacity(0);
        return;
    }
    m_panel->setShape(outline);
    m_panel->setOpacity(1);
}

void FocusedFieldTypingEffectWindow::hidePath()
{
    m_accessibilityFieldFrame.reset();
    m_fallbackCursorX = initialFallbackCursorX;
    m_model.reset();
    if (m_panel)
        m_panel->hide();
}

void FocusedFieldTypingEffectWindow::hide()
{
    hidePath();
}

void FocusedFieldTypingEffectWindow::close()
{
    if (!m_panel)
        return;
    hidePath();
    m_panel->close();
    m_panel.reset();
}
