// The overlay window: where it lies for a field frame, that it never takes the keyboard or the pointer,
// and how it shows and hides with and without a compositor.
#include "fields/views/FocusedFieldTypingEffect.h"
#include "fields/views/FocusedFieldTypingEffectWindow.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace {

struct TypingEffectWindowTest : ::testing::Test {
    SimPlatform sim;
    TypingEffectWindowTest()
    {
        // The primary screen is 1000 points tall; a second one stands to its right, lower.
        sim.screens.setScreens({SimScreens::makeScreen(1, QRectF(0, 0, 1600, 1000)),
                                SimScreens::makeScreen(2, QRectF(1600, -200, 1200, 800))});
    }
    SimPanel *panelOf(FocusedFieldTypingEffectWindow &window) { return static_cast<SimPanel *>(window.panel()); }
};

TEST_F(TypingEffectWindowTest, OverlayFrameFromAnAccessibilityFrame)
{
    FocusedFieldTypingEffectWindow window(sim.platform());
    struct Row {
        const char *name;
        QRectF field;
        std::optional<QRectF> overlay;
    };
    const Row rows[] = {
        {"on the primary screen", {40, 100, 300, 20}, QRectF(40, 880, 300, 20)},
        {"at the primary's top edge", {0, 0, 10, 10}, QRectF(0, 990, 10, 10)},
        {"only on the secondary screen", {1700, 1100, 200, 30}, QRectF(1700, -130, 200, 30)},
        {"straddling both", {1500, 500, 200, 20}, QRectF(1500, 480, 200, 20)},
        {"above every screen", {100, -500, 200, 20}, std::nullopt},
        {"right of every screen", {3000, 100, 200, 20}, std::nullopt},
        {"below the primary, beside the secondary's bottom", {100, 1100, 200, 20}, std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(window.overlayFrame(row.field), row.overlay);
    }
    sim.screens.setScreens({});
    EXPECT_EQ(window.overlayFrame(QRectF(40, 100, 300, 20)), std::nullopt);
}

TEST_F(TypingEffectWindowTest, OverlayNeverTakesTheKeyboardOrThePointer)
{
    FocusedFieldTypingEffectWindow window(sim.platform());
    SimPanel *panel = panelOf(window);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->kind(), PanelKind::Overlay);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(panel->ignoresMouseEvents());
    EXPECT_FALSE(panel->acceptsKeyboardFocus());
    EXPECT_FALSE(panel->hasShadow());
    EXPECT_EQ(panel->level(), PanelLevel::Overlay);
    EXPECT_EQ(panel->desktopFlags(), PanelDesktop::OnAllDesktops | PanelDesktop::SkipTaskbar);
    EXPECT_EQ(window.fallbackCursorX(), 9.0);

    ASSERT_TRUE(window.update(QRectF(40, 100, 300, 20)));
    panel->takeKeyboard();
    EXPECT_FALSE(panel->hasKeyboard());
    EXPECT_EQ(sim.panels.panelWithKeyboard(), nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->frame(), QRectF(40, 880, 300, 20));
    EXPECT_EQ(panel->contentWidget()->size(), QSize(300, 20));
    EXPECT_EQ(window.accessibilityFieldFrame(), QRectF(40, 100, 300, 20));
}

TEST_F(TypingEffectWindowTest, ShowingHidingAndClosing)
{
    FocusedFieldTypingEffectWindow window(sim.platform());
    SimPanel *panel = panelOf(window);
    ASSERT_TRUE(window.update(QRectF(40, 100, 300, 20)));
    window.model().showPasteHighlight();

    // A new field: the old highlight is gone before the panel moves there.
    bool highlightWhenMoved = true;
    QObject::connect(panel, &Panel::frameChanged, [&] { highlightWhenMoved = window.model().pasteHighlight().has_value(); });
    ASSERT_TRUE(window.update(QRectF(60, 300, 200, 24)));
    EXPECT_FALSE(highlightWhenMoved);
    EXPECT_EQ(panel->frame(), QRectF(60, 676, 200, 24));

    // Off every screen: hidden, with nothing remembered; the field's insertion is not the overlay's concern.
    window.model().showPasteHighlight();
    EXPECT_FALSE(window.update(QRectF(-900, -900, 100, 20)));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(window.accessibilityFieldFrame());
    EXPECT_FALSE(window.model().pasteHighlight());

    ASSERT_TRUE(window.update(QRectF(40, 100, 300, 20)));
    window.model().showPasteHighlight();
    window.hide();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(window.accessibilityFieldFrame());
    EXPECT_FALSE(window.model().pasteHighlight());
    EXPECT_EQ(window.fallbackCursorX(), 9.0);

    window.close();
    EXPECT_EQ(window.panel(), nullptr);
    EXPECT_FALSE(window.update(QRectF(40, 100, 300, 20)));
    window.hide(); // harmless once closed
}

TEST_F(TypingEffectWindowTest, WithACompositorTheWholeOverlayIsTranslucent)
{
    sim.appearance.setSupportsTranslucency(true);
    FocusedFieldTypingEffectWindow window(sim.platform());
    SimPanel *panel = panelOf(window);
    ASSERT_TRUE(window.update(QRectF(40, 100, 300, 20)));
    EXPECT_TRUE(window.view()->drawsTranslucency());
    EXPECT_EQ(panel->opacity(), 1.0);
    EXPECT_TRUE(panel->shape().isEmpty());
    window.model().showPasteHighlight();
    sim.clock.advance(0.3);
    EXPECT_TRUE(panel->shape().isEmpty());
    EXPECT_EQ(panel->opacity(), 1.0);
}

TEST_F(TypingEffectWindowTest, WithoutACompositorThePanelShowsOnlyTheLitOutlineAndThenNothing)
{
    sim.appearance.setSupportsTranslucency(false);
    FocusedFieldTypingEffectWindow window(sim.platform());
    SimPanel *panel = panelOf(window);
    ASSERT_TRUE(window.update(QRectF(40, 100, 300, 20)));
    EXPECT_FALSE(window.view()->drawsTranslucency());
    // Typing under way, nothing to draw: an opaque panel would cover the field, so it stays unseen.
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->opacity(), 0.0);

    window.model().showPasteHighlight();
    sim.clock.advance(0.1);
    EXPECT_EQ(panel->opacity(), 1.0);
    EXPECT_FALSE(panel->shape().isEmpty());
    for (double y = 4.5; y < 16; y += 1)
        for (double x = 4.5; x < 296; x += 1)
            ASSERT_FALSE(panel->shape().contains(QPointF(x, y))) << x << "," << y;
    sim.clock.advance(0.5);
    EXPECT_EQ(panel->opacity(), 0.0);

    // A compositor that started since: the next showing is translucent again.
    sim.appearance.setSupportsTranslucency(true);
    ASSERT_TRUE(window.update(QRectF(40, 100, 300, 20)));
    EXPECT_TRUE(window.view()->drawsTranslucency());
    EXPECT_EQ(panel->opacity(), 1.0);
    EXPECT_TRUE(panel->shape().isEmpty());
}

} // namespace
