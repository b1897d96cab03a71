// The QPainter canvas: mapping through window and viewport, raster-op pen
// modes on images, and the fonts that stand in for Arial.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include "FontSupport.h"
#include "QtCanvas.h"
#include "platform/TextMetrics.h"

namespace qz::test {
namespace {

using render::QtCanvas;

class QtCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        render::EnsureGuiApplication();
        image.fill(Qt::white);
    }
    QImage image{100, 100, QImage::Format_RGB32};
};

TEST_F(QtCanvasTest, MapsWorldThroughWindowAndViewport) {
    // Fills `world` on a white image through a window onto the 100 x 100 viewport.
    const auto fill = [&](MapMode mode, int orgX, int orgY, int extX, int extY, TRect world) {
        image.fill(Qt::white);
        QPainter painter(&image);
        QtCanvas c(painter);
        c.SetMapMode(mode);
        c.SetWindowOrg(orgX, orgY);
        c.SetWindowExt(extX, extY);
        c.SetViewportExt(100, 100);
        c.brush = TBrush{colors::Blue, BrushStyle::Solid};
        c.FillRect(world);
    };
    fill(MapMode::Anisotropic, 90, 90, 50, 50, {100, 100, 110, 110});
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(39, 39), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(40, 40), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(19, 19), QColor(Qt::white));
    // Isotropic: x would scale by 10, y by 5; both axes take 5.
    fill(MapMode::Isotropic, 0, 0, 10, 20, {0, 0, 10, 10});
    EXPECT_EQ(image.pixelColor(49, 49), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(60, 20), QColor(Qt::white));
}

TEST_F(QtCanvasTest, MaskAndXorPenModesCombineWithTheImage) {
    {
        QPainter painter(&image);
        QtCanvas c(painter);
        c.brush = TBrush{colors::Black, BrushStyle::Solid};
        c.FillRect({40, 0, 60, 100});
        // A yellow fill in mask mode leaves black black and turns white yellow.
        c.pen = TPen{colors::Red, 1, PenStyle::Clear, PenMode::Mask};
        c.brush = TBrush{colors::Yellow, BrushStyle::Solid};
        c.Rectangle(0, 0, 100, 50);
        // Xor with white inverts: drawn twice, it is gone.
        c.pen = TPen{colors::White, 1, PenStyle::Clear, PenMode::Xor};
        c.brush = TBrush{colors::White, BrushStyle::Solid};
        c.Rectangle(0, 60, 100, 80);
        c.Rectangle(0, 70, 100, 80);
    }
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(50, 10), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(10, 65), QColor(Qt::black)) << "white inverted once";
    EXPECT_EQ(image.pixelColor(50, 65), QColor(Qt::white)) << "black inverted once";
    EXPECT_EQ(image.pixelColor(10, 75), QColor(Qt::white)) << "inverted twice";
}

TEST(QtFonts, ArialIsDrawnWithLiberationSansAndMeasuresLabels) {
    render::EnsureGuiApplication();
    if (!QFontDatabase::families().contains("Liberation Sans")) {
        GTEST_SKIP() << "fonts-liberation is not installed";
    }
    EXPECT_EQ(render::FontFamilyFor("Arial"), "Liberation Sans");
    EXPECT_EQ(render::FontFamilyFor("Courier New"), "Courier New");
    EXPECT_EQ(render::FontPixelSize(8), 11);
    const TFont arial;
    Canvas* before = &MeasuringSurface();
    {
        render::ScopedQtMeasuring outer;
        {
            render::ScopedQtMeasuring inner;
        }
        EXPECT_NE(&MeasuringSurface(), before) << "the inner scope restores the outer one";
        Canvas& m = MeasuringSurface();
        m.font = arial;
        // Liberation Sans at 11 pixels: "H" is 8 wide, lines 13 high.
        EXPECT_EQ(m.TextWidth("H"), render::MeasureTextWidth(arial, "H"));
        EXPECT_GT(m.TextWidth("Every kind of element"), m.TextWidth("Every"));
        EXPECT_GE(m.TextHeight("H"), 12);
        EXPECT_LE(m.TextHeight("H"), 14);
    }
    EXPECT_EQ(&MeasuringSurface(), before);
}

} // namespace
} // namespace qz::test
