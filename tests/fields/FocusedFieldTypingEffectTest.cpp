// The typing effect over another application's field: its formulas at the worked points, the model's
// restarts, a drawing that ends (also with reduced motion) and the outline that stands in for
// translucency without a compositor.
#include "fields/views/FocusedFieldTypingEffect.h"
#include "fields/views/FocusedFieldTypingEffectMetrics.h"
#include "fields/views/FocusedFieldTypingEffectModel.h"
#include "platform/sim/SimPlatform.h"

#include "DesktopTest.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace Metrics = FocusedFieldTypingEffectMetrics;

namespace {

TEST(FocusedFieldTypingEffectMetrics, HighlightAtItsWorkedPoints)
{
    struct Row {
        const char *name;
        QSizeF size;
        double elapsed;
        bool reduceMotion;
        double progress, pulse, fade, radius, band, sweepX, sheen;
    };
    const Row rows[] = {
        {"start", {200, 20}, 0, false, 0, 0.55, 1, 5, 56, 16, 11},
        {"half-way", {200, 20}, 0.26, false, 0.5, 1.0, 0.6417, 5, 56, 100, 11},
        {"end", {200, 20}, 0.52, false, 1, 0.55, 0, 5, 56, 184, 11},
        {"long after the end", {200, 20}, 9, false, 1, 0.55, 0, 5, 56, 184, 11},
        {"started in the future", {200, 20}, -0.3, false, 0, 0.55, 1, 5, 56, 16, 11},
        {"tall field caps the radius", {300, 60}, 0, false, 0, 0.55, 1, 10, 168, 24, 27.6},
        {"reduced motion lasts 0.2 s", {200, 20}, 0.1, true, 0.5, 1.0, 0.6417, 5, 56, 100, 11},
        {"reduced motion ends at 0.2 s", {200, 20}, 0.2, true, 1, 0.55, 0, 5, 56, 184, 11},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Metrics::Highlight h = Metrics::highlight(row.size, row.elapsed, row.reduceMotion);
        EXPECT_NEAR(h.progress, row.progress, 1e-9);
        EXPECT_NEAR(h.pulse, row.pulse, 1e-9);
        EXPECT_NEAR(h.fade, row.fade, 1e-4);
        EXPECT_NEAR(h.cornerRadius, row.radius, 1e-9);
        EXPECT_NEAR(h.band, row.band, 1e-9);
        EXPECT_NEAR(h.sweepX, row.sweepX, 1e-9);
        EXPECT_NEAR(h.sheenHeight, row.sheen, 1e-9);
        EXPECT_NEAR(h.rimWidth, 1 + 1.3 * row.pulse, 1e-9);
    }
}

TEST(FocusedFieldTypingEffectMetrics, GlyphFadesAndKeepsItsSizesInBounds)
{
    struct Row {
        const char *name;
        QRectF frame;
        double elapsed;
        bool reduceMotion;
        double remaining, fontSize, frameWidth, caretHeight;
    };
    const Row rows[] = {
        {"just appeared", {0, 0, 10, 20}, 0, false, 1, 16.4, 10, 14.4},
        {"appears in the future", {0, 0, 10, 20}, -1, false, 1, 16.4, 10, 14.4},
        {"half its time", {0, 0, 10, 20}, 0.17, false, 0.5, 16.4, 10, 14.4},
        {"over", {0, 0, 10, 20}, 0.34, false, 0, 16.4, 10, 14.4},
        {"reduced motion is over sooner", {0, 0, 10, 20}, 0.16, true, 0, 16.4, 10, 14.4},
        {"narrow frame widens to 8", {0, 0, 3, 20}, 0, false, 1, 16.4, 8, 14.4},
        {"exactly 8 stays 8", {0, 0, 8, 20}, 0, false, 1, 16.4, 8, 14.4},
        {"short frame: smallest font and caret", {0, 0, 10, 5}, 0, false, 1, 12, 10, 11},
        {"tall frame: largest font and caret", {0, 0, 10, 80}, 0, false, 1, 22, 10, 20},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Metrics::Glyph g = Metrics::glyph(row.frame, row.elapsed, row.reduceMotion);
        EXPECT_NEAR(g.remaining, row.remaining, 1e-9);
        EXPECT_NEAR(g.glow, std::pow(row.remaining, 0.62), 1e-9);
        EXPECT_NEAR(g.fontSize, row.fontSize, 1e-9);
        EXPECT_NEAR(g.frameWidth, row.frameWidth, 1e-9);
        EXPECT_NEAR(g.caretHeight, row.caretHeight, 1e-9);
    }
}

TEST(FocusedFieldTypingEffectModel, EveryHighlightRestartsAndResetEmptiesEverything)
{
    SimClock clock;
    FocusedFieldTypingEffectModel model(clock);
    int changes = 0;
    QObject::connect(&model, &FocusedFieldTypingEffectModel::changed, [&] { ++changes; });

    model.appendGlyph(QStringLiteral("a"), QRectF(0, 0, 8, 20));
    model.appendGlyph(std::nullopt, QRectF(8, 0, 2, 20));
    ASSERT_EQ(model.glyphs().size(), 2);
    EXPECT_NE(model.glyphs().at(0).id, model.glyphs().at(1).id);

    model.showPasteHighlight();
    EXPECT_TRUE(model.glyphs().isEmpty());
    ASSERT_TRUE(model.pasteHighlight());
    const QUuid first = model.pasteHighlight()->id;
    EXPECT_EQ(model.pasteHighlight()->startedAt, clock.uptime());

    clock.advance(0.1);
    model.showPasteHighlight();
    EXPECT_NE(model.pasteHighlight()->id, first);
    EXPECT_EQ(model.pasteHighlight()->startedAt, clock.uptime());

    model.reset();
    EXPECT_FALSE(model.pasteHighlight());
    EXPECT_EQ(changes, 5);
    model.reset(); // nothing left to change
    EXPECT_EQ(changes, 5);
}

// Whether any pixel centre of `area` lies inside the path (as a window shape built from it would show).
bool coversAnyPixel(const QPainterPath &path, const QRectF &area)
{
    for (double y = std::floor(area.top()) + 0.5; y < area.bottom(); y += 1)
        for (double x = std::floor(area.left()) + 0.5; x < area.right(); x += 1)
            if (area.contains(QPointF(x, y)) && path.contains(QPointF(x, y)))
                return true;
    return false;
}

struct TypingEffectViewTest : ::testing::Test {
    SimPlatform sim;
    FocusedFieldTypingEffectModel model{sim.clock};
    FocusedFieldTypingEffect view{model, sim.clock, &sim.appearance};

    TypingEffectViewTest() { view.resize(240, 30); }

    QImage render(const QString &snapshot = {})
    {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        if (!snapshot.isEmpty())
            image.save(QDir(DesktopTest::snapshotDirectory()).filePath(snapshot + QStringLiteral(".png")));
        return image;
    }
    static int maxAlpha(const QImage &image)
    {
        int alpha = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                alpha = std::max(alpha, image.pixelColor(x, y).alpha());
        return alpha;
    }
    // The overlay over a field of the given colours, as a person sees it with a compositor.
    QImage over(const QImage &overlay, QColor field, QColor text, const QString &snapshot)
    {
        QImage scene(overlay.size(), QImage::Format_ARGB32_Premultiplied);
        scene.fill(field);
        QPainter painter(&scene);
        painter.setPen(text);
        QFont font = view.font();
        font.setPixelSize(14);
        painter.setFont(font);
        painter.drawText(QRectF(8, 0, 220, 30), Qt::AlignVCenter, QStringLiteral("someone@example.org"));
        painter.drawImage(0, 0, overlay);
        painter.end();
        scene.save(QDir(DesktopTest::snapshotDirectory()).filePath(snapshot + QStringLiteral(".png")));
        return scene;
    }
};

TEST_F(TypingEffectViewTest, HighlightSweepsWithinTheFieldAndLeavesItsTextReadable)
{
    EXPECT_EQ(maxAlpha(render()), 0);
    model.showPasteHighlight();
    sim.clock.advance(0.13); // a quarter of the way
    const QImage quarter = render(QStringLiteral("typing-effect-quarter"));
    sim.clock.advance(0.13);
    const QImage half = render(QStringLiteral("typing-effect-half"));
    over(quarter, Qt::white, Qt::black, QStringLiteral("typing-effect-over-light-field"));
    over(half, QColor(30, 30, 32), QColor(235, 235, 240), QStringLiteral("typing-effect-over-dark-field"));

    // Outside the rounded mask (the very corner, the outer edge) nothing is drawn.
    EXPECT_EQ(half.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(half.pixelColor(120, 0).alpha(), 0);
    // The glow stands where the sweep is and has moved on from where it was.
    const double quarterX = Metrics::highlight(view.size(), 0.13, false).sweepX;
    EXPECT_GT(quarter.pixelColor(int(quarterX), 15).alpha(), quarter.pixelColor(200, 15).alpha());
    EXPECT_GT(half.pixelColor(120, 15).alpha(), half.pixelColor(20, 15).alpha());
    // Translucent everywhere: the field's text stays readable beneath it.
    EXPECT_LT(maxAlpha(half), 200);
    EXPECT_GT(maxAlpha(half), 40);
}

TEST_F(TypingEffectViewTest, RedrawsStopOnceTheHighlightHasRunAndNothingIsLeftOnScreen)
{
    struct Row {
        const char *name;
        bool reduceMotion;
        double duration;
        int maxFrames;
    };
    const Row rows[] = {
        {"animated", false, 0.52, 33},
        // The fault mended: a paused timeline once kept the first frame for ever.
        {"reduced motion", true, 0.2, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        sim.appearance.setReduceMotion(row.reduceMotion);
        int paints = 0;
        model.showPasteHighlight();
        EXPECT_EQ(view.reducesMotion(), row.reduceMotion);
        EXPECT_TRUE(view.isAnimating());
        EXPECT_GT(maxAlpha(render()), 0);
        double elapsed = 0;
        while (view.isAnimating() && elapsed < 5) {
            const int before = sim.clock.pendingTimers();
            sim.clock.advance(0.001);
            elapsed += 0.001;
            if (sim.clock.pendingTimers() != before || !view.isAnimating())
                ++paints;
        }
        EXPECT_FALSE(view.isAnimating());
        // The last redraw comes at the end, or with the first frame after it.
        EXPECT_GE(elapsed, row.duration - 0.0025);
        EXPECT_LE(elapsed, row.duration + Metrics::frameInterval + 0.0025);
        EXPECT_LE(paints, row.maxFrames);
        EXPECT_EQ(maxAlpha(render()), 0);
        EXPECT_EQ(sim.clock.pendingTimers(), 0);
        model.reset();
    }
}

TEST_F(TypingEffectViewTest, GlyphsFadeAtTheirPlaces)
{
    model.appendGlyph(QStringLiteral("Ż"), QRectF(10, 5, 10, 20));
    model.appendGlyph(std::nullopt, QRectF(24, 5, 4, 20));
    const QImage fresh = render(QStringLiteral("typing-effect-glyphs"));
    auto alphaIn = [](const QImage &image, const QRect &area) {
        int alpha = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                alpha = std::max(alpha, image.pixelColor(x, y).alpha());
        return alpha;
    };
    EXPECT_GT(alphaIn(fresh, QRect(10, 5, 10, 20)), 150);
    EXPECT_GT(alphaIn(fresh, QRect(25, 8, 2, 14)), 150);
    EXPECT_EQ(alphaIn(fresh, QRect(60, 0, 100, 30)), 0);
    sim.clock.advance(0.34);
    EXPECT_EQ(maxAlpha(render()), 0);
    sim.clock.advance(Metrics::frameInterval);
    EXPECT_FALSE(view.isAnimating());
}

TEST_F(TypingEffectViewTest, WithoutTranslucencyOnlyALitStretchOfTheEdgeShows)
{
    view.setDrawsTranslucency(false);
    QList<QPainterPath> published;
    QObject::connect(&view, &FocusedFieldTypingEffect::outlineChanged,
                     [&](const QPainterPath &outline) { published.append(outline); });
    EXPECT_TRUE(view.outline().isEmpty());

    // Where the field's text lives the outline never reaches: it keeps within 3 points of the edge, and in
    // the rounded corners within their curve.
    const double radius = Metrics::highlight(view.size(), 0, false).cornerRadius;
    const QRectF inner = QRectF(0, 0, 240, 30).adjusted(3.5, 3.5, -3.5, -3.5);
    auto coversText = [&](const QPainterPath &path) {
        return coversAnyPixel(path, inner.adjusted(0, radius, 0, -radius))
            || coversAnyPixel(path, inner.adjusted(radius, 0, -radius, 0));
    };
    model.showPasteHighlight();
    for (const double step : {0.0, 0.1, 0.15, 0.15}) {
        sim.clock.advance(step);
        const QPainterPath outline = view.outline();
        ASSERT_FALSE(outline.isEmpty());
        EXPECT_FALSE(coversText(outline));
        const double sweepX = Metrics::highlight(view.size(), sim.clock.uptime() - model.pasteHighlight()->startedAt,
                                                 false).sweepX;
        EXPECT_TRUE(outline.contains(QPointF(sweepX, 2)));
        EXPECT_TRUE(outline.boundingRect().width() < 239);
    }
    const QImage lit = render(QStringLiteral("typing-effect-outline"));
    EXPECT_GT(lit.pixelColor(120, 2).alpha(), 200); // opaque where the shape lets it show
    sim.clock.advance(0.2);
    EXPECT_TRUE(view.outline().isEmpty());
    ASSERT_FALSE(published.isEmpty());
    EXPECT_TRUE(published.last().isEmpty());
    EXPECT_FALSE(view.isAnimating());

    // Reduced motion: the whole edge for 0.2 s, then nothing.
    sim.appearance.setReduceMotion(true);
    model.showPasteHighlight();
    const QPainterPath still = view.outline();
    EXPECT_TRUE(still.contains(QPointF(2, 15)));
    EXPECT_TRUE(still.contains(QPointF(238, 15)));
    EXPECT_FALSE(coversText(still));
    sim.clock.advance(0.2);
    EXPECT_TRUE(published.last().isEmpty());
}

} // namespace
