#include "model/ClipboardFilter.h"
#include "platform/sim/SimPlatform.h"
#include "ui/AnimatedValue.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"
#include "ui/FrameTicker.h"
#include "ui/Palette.h"
#include "ui/SpringCurve.h"
#include "ui/SymbolTable.h"
#include "ui/TavlenLogo.h"
#include "ui/TavlenLogoCache.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SpringCurve, SettlesOnItsTargetAndOvershootsOnlyWhenUnderdamped)
{
    struct Row {
        double response;
        double damping;
        bool overshoots;
    };
    const Row rows[] = {
        {0.55, 1.0, false}, // the header entrance: critically damped
        {0.24, 0.86, true}, // the expansion spring
        {0.24, 0.58, true}, // the logo pulse: lively
        {0.30, 1.4, false}, // overdamped
    };
    for (const Row &row : rows) {
        const SpringCurve spring{row.response, row.damping};
        double lowest = 1;
        for (double t = 0; t < 3; t += 0.005)
            lowest = std::min(lowest, spring.sample(1, 0, t).displacement);
        EXPECT_EQ(lowest < -1e-3, row.overshoots) << row.response << "/" << row.damping;
        EXPECT_NEAR(spring.sample(1, 0, 5).displacement, 0, 1e-4);
        const double settle = spring.settlingTime(1, 0, 1e-3);
        EXPECT_GT(settle, 0);
        EXPECT_LT(settle, 3);
        EXPECT_LT(std::abs(spring.sample(1, 0, settle + 0.01).displacement), 1.1e-3);
    }
}

TEST(SpringCurve, VelocityIsTheDerivativeOfTheDisplacement)
{
    for (const SpringCurve spring : {SpringCurve{0.24, 0.86}, SpringCurve{0.55, 1.0}, SpringCurve{0.3, 1.5}}) {
        for (double t : {0.01, 0.05, 0.12, 0.3}) {
            const double h = 1e-5;
            const double numeric = (spring.sample(-10, 3, t + h).displacement - spring.sample(-10, 3, t - h).displacement) / (2 * h);
            EXPECT_NEAR(spring.sample(-10, 3, t).velocity, numeric, 1e-3) << t;
        }
    }
}

TEST(AnimatedValue, RetargetingKeepsTheValueAndVelocityOfTheMoment)
{
    AnimatedValue value(0);
    value.animateTo(100, Animation::springWith(0.24, 0.86), 0);
    const double at = value.value(0.1);
    const double speed = value.velocity(0.1);
    EXPECT_GT(at, 0);
    EXPECT_LT(at, 100);
    value.animateTo(0, Animation::springWith(0.24, 0.86), 0.1);
    EXPECT_NEAR(value.value(0.1), at, 1e-9);
    EXPECT_NEAR(value.velocity(0.1), speed, 1e-6);
    EXPECT_TRUE(value.isAnimating(0.2));
    EXPECT_FALSE(value.isAnimating(5));
    EXPECT_DOUBLE_EQ(value.value(5), 0);
}

TEST(AnimatedValue, TimedCurvesNoAnimationAndRepeatedTargets)
{
    AnimatedValue value(0);
    value.animateTo(1, Animation::easeInOut(0.2), 10);
    EXPECT_NEAR(value.value(10.1), 0.5, 1e-3); // symmetric curve: half way at half time
    EXPECT_DOUBLE_EQ(value.value(10.2), 1);
    EXPECT_FALSE(value.isAnimating(10.2));
    value.animateTo(1, Animation::easeInOut(0.2), 11); // same target: nothing restarts
    EXPECT_FALSE(value.isAnimating(11.05));
    value.animateTo(0, Animation::none(), 12);
    EXPECT_DOUBLE_EQ(value.value(12), 0);
    EXPECT_FALSE(value.isAnimating(12));
    value.animateTo(1, Animation::easeOut(0.16), 13);
    EXPECT_GT(value.value(13.08), 0.5); // ease-out runs ahead
}

TEST(FrameTicker, OneFramePerIntervalOnThePlatformClock)
{
    SimPlatform sim;
    int frames = 0;
    FrameTicker ticker(sim.clock, [&] { ++frames; });
    ticker.requestFrame();
    ticker.requestFrame();
    EXPECT_TRUE(ticker.isFramePending());
    sim.clock.advance(FrameTicker::frameInterval / 2);
    EXPECT_EQ(frames, 0);
    sim.clock.advance(FrameTicker::frameInterval);
    EXPECT_EQ(frames, 1);
    EXPECT_FALSE(ticker.isFramePending());
    sim.clock.advance(1);
    EXPECT_EQ(frames, 1); // nobody asked again
    // A frame at the slow pace asked for first does not hold back one asked for at the full pace.
    ticker.requestSlowFrame();
    ticker.requestFrame();
    sim.clock.advance(FrameTicker::frameInterval * 1.01);
    EXPECT_EQ(frames, 2);
    EXPECT_FALSE(ticker.isFramePending());
}

TEST(CornerPath, ContinuousCornersStayInsideTheRectAndCutTheCorners)
{
    struct Row {
        QRectF rect;
        CornerPath::Radii radii;
        QPointF inside;
        QPointF cutAway; // inside the rect, outside the rounded shape
        QPointF kept;    // a corner left square
    };
    const Row rows[] = {
        {{0, 0, 100, 40}, CornerPath::Radii::uniform(14), {50, 20}, {1, 1}, {-1, -1}},
        {{10, 10, 200, 64}, {0, 0, 20, 20}, {100, 40}, {11, 73}, {10.5, 10.5}},
        // Radii larger than the shape shrink to half its height: a capsule.
        {{0, 0, 120, 28}, CornerPath::Radii::uniform(100), {60, 14}, {2, 2}, {-1, -1}},
    };
    for (const Row &row : rows) {
        const QPainterPath path = CornerPath::continuousRoundedRect(row.rect, row.radii);
        EXPECT_TRUE(path.contains(row.inside));
        EXPECT_FALSE(path.contains(row.cutAway)) << row.cutAway.x() << "," << row.cutAway.y();
        if (row.kept.x() >= 0) {
            EXPECT_TRUE(path.contains(row.kept));
        }
        EXPECT_TRUE(row.rect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(path.boundingRect()));
    }
    // A capsule's ends are round, not pointed: the point half-way up an end lies on the curve's far side.
    const QPainterPath capsule = CornerPath::continuousRoundedRect(QRectF(0, 0, 120, 28), 14);
    EXPECT_TRUE(capsule.contains(QPointF(1, 14)));
    EXPECT_TRUE(capsule.contains(QPointF(5, 6)));
    EXPECT_TRUE(CornerPath::continuousRoundedRect(QRectF(), 10).isEmpty());
    EXPECT_DOUBLE_EQ(CornerPath::concentricRadius(20, 8, 7), 12);
    EXPECT_DOUBLE_EQ(CornerPath::concentricRadius(20, 16, 7), 7);
}

TEST(SymbolTable, EverySymbolTheViewsAndFiltersUseHasAnInstalledIcon)
{
    SymbolTable symbols;
    const QStringList used{"magnifyingglass", "xmark.circle.fill", "trash.fill", "gearshape.fill", "chevron.down",
                           "chevron.up", "clock.arrow.circlepath", "bookmark.fill", "text.cursor", "link", "photo",
                           "text.alignleft", "doc", "curlybraces", "envelope"};
    for (const QString &symbol : used) {
        const QPixmap pixmap = symbols.pixmap(symbol, 16, Qt::white, 2);
        ASSERT_FALSE(pixmap.isNull()) << symbol.toStdString();
        EXPECT_EQ(pixmap.width(), 32) << symbol.toStdString();
    }
    for (const SymbolTable::Entry &entry : SymbolTable::entries())
        EXPECT_FALSE(symbols.filePath(QString::fromLatin1(entry.symbol)).isEmpty()) << entry.symbol;
    // Each built-in filter's pill can be told from the others by its icon alone.
    QSet<QString> filterIcons;
    for (const ClipboardFilter &filter : ClipboardFilter::builtIns()) {
        const QString icon = SymbolTable::iconName(filter.options.iconName);
        EXPECT_FALSE(filterIcons.contains(icon)) << filter.name.toStdString() << " shares " << icon.toStdString();
        filterIcons.insert(icon);
    }
}

TEST(SymbolTable, TintsTheIconAndDrawsNothingForUnknownNamesOrMissingThemes)
{
    SymbolTable symbols;
    const QImage tinted = symbols.pixmap(QStringLiteral("trash.fill"), 24, QColor(255, 0, 0), 1).toImage();
    int red = 0;
    for (int y = 0; y < tinted.height(); ++y) {
        for (int x = 0; x < tinted.width(); ++x) {
            const QColor c = tinted.pixelColor(x, y);
            if (c.alpha() == 255) {
                EXPECT_EQ(c.rgb(), QColor(255, 0, 0).rgb());
                ++red;
            }
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_TRUE(symbols.pixmap(QStringLiteral("no.such.symbol"), 16, Qt::white, 1).isNull());
    QTemporaryDir empty;
    SymbolTable nowhere({empty.path()});
    EXPECT_TRUE(nowhere.filePath(QStringLiteral("trash.fill")).isEmpty());
    QImage canvas(20, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    nowhere.draw(painter, QStringLiteral("trash.fill"), QRectF(0, 0, 20, 20), Qt::white);
    painter.end();
    EXPECT_EQ(canvas.pixelColor(10, 10).alpha(), 0);
}

TEST(FontTable, UsesTheInstalledUiFontAndLinesDigitsUp)
{
    EXPECT_TRUE(FontTable::isUiFontAvailable());
    const QFont font = FontTable::textStyle(TextStyle::caption2);
    EXPECT_EQ(QFontInfo(font).family(), FontTable::uiFamily);
    EXPECT_EQ(font.pixelSize(), 10);
    EXPECT_EQ(FontTable::systemFont(12, QFont::Medium).weight(), QFont::Medium);
    EXPECT_DOUBLE_EQ(FontTable::monospacedDigitsWidth(font, QStringLiteral("11:11")),
                     FontTable::monospacedDigitsWidth(font, QStringLiteral("08:00")));
    EXPECT_TRUE(QFontDatabase::hasFamily(FontTable::emojiFamily));
}

TEST(Palette, FollowsTheAppearanceItIsTakenFrom)
{
    SimPlatform sim;
    sim.appearance.setColorScheme(ColorScheme::light);
    sim.appearance.setReduceMotion(true);
    const Palette light = Palette::from(&sim.appearance, Qt::red);
    EXPECT_FALSE(light.isDark());
    EXPECT_TRUE(light.reduceMotion);
    EXPECT_EQ(light.accent, QColor(Qt::red));
    EXPECT_LT(light.primary().lightness(), 50);
    sim.appearance.setColorScheme(ColorScheme::dark);
    const Palette dark = Palette::from(&sim.appearance, Qt::red);
    EXPECT_GT(dark.primary().lightness(), 200);
    EXPECT_NE(dark.system(SystemColor::blue), light.system(SystemColor::blue));
    EXPECT_NEAR(Palette::white(0.5).alphaF(), 0.5, 0.005);
    EXPECT_NEAR(Palette::withOpacity(QColor(0, 0, 0, 128), 0.5).alphaF(), 0.25, 0.01);
}

TEST(TavlenLogo, EachStateIsRenderedOnceAndDrawsAsWithoutTheCache)
{
    // A panel at rest repaints the same logo every frame: only a new size or colour state renders again.
    struct Step {
        const char *name;
        double saturation, brightness, scale;
        int renders; // in the cache after this step
    };
    const Step steps[] = {
        {"grey at rest", 0, 0.35, 1, 1},
        {"again", 0, 0.35, 1, 1},
        {"lit by a copy", 1, 0, 1, 2},
        {"scaled by the pulse", 1, 0, 1.14, 3},
        {"another frame of the swell", 1, 0, 1.07, 3},
        {"grey again", 0, 0.35, 1, 3},
        {"a step of the colour animation", 0.5, 0.175, 1, 4},
    };
    TavlenLogoCache cache;
    for (const Step &step : steps) {
        TavlenLogo logo;
        logo.saturation = step.saturation;
        logo.brightness = step.brightness;
        logo.scale = step.scale;
        logo.rotationDegrees = 30;
        QImage cached(40, 40, QImage::Format_ARGB32_Premultiplied);
        QImage direct(40, 40, QImage::Format_ARGB32_Premultiplied);
        cached.fill(Qt::transparent);
        direct.fill(Qt::transparent);
        {
            QPainter painter(&cached);
            logo.paint(painter, QPointF(20, 20), &cache);
        }
        {
            QPainter painter(&direct);
            logo.paint(painter, QPointF(20, 20));
        }
        EXPECT_EQ(cache.renderCount(), step.renders) << step.name;
        int differing = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const QColor a = cached.pixelColor(x, y), b = direct.pixelColor(x, y);
                differing += std::abs(a.red() - b.red()) + std::abs(a.alpha() - b.alpha()) > 6 ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << step.name;
    }
}

TEST(TavlenLogo, TheGlowIsRoundLikeTheLogo)
{
    TavlenLogo logo;
    logo.shadowColor = QColor(10, 132, 255, 117);
    logo.shadowRadius = 10;
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    for (const double rotation : {0.0, 45.0}) {
        logo.rotationDegrees = rotation;
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            logo.paint(painter, QPointF(30, 30));
        }
        // Beside the logo, inside the glow: lit; at the glow box's corner, as far out diagonally: dark.
        EXPECT_GT(image.pixelColor(30 + 15, 30).alpha(), 25) << rotation;
        EXPECT_GT(image.pixelColor(30, 30 - 15).alpha(), 25) << rotation;
        EXPECT_LT(image.pixelColor(30 + 16, 30 + 16).alpha(), 8) << rotation;
        EXPECT_LT(image.pixelColor(30 - 16, 30 - 16).alpha(), 8) << rotation;
    }
}

} // namespace
