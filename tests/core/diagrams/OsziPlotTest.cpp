// The plot of an oscilloscope window: scaling, grid, labels, curves, the
// mouse modes and the window-format clipboard text.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "diagrams/OsziPlot.h"
#include "diagrams/TPunktListe.h"

namespace qz::diagrams {
namespace {

using test::CanvasCall;
using test::RecordingCanvas;
using Samples = std::vector<std::pair<long double, long double>>;
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInf = std::numeric_limits<long double>::infinity();

void Fill(TPunktListe& list, const Samples& samples) {
    for (auto [x, y] : samples) list.Append(x, y);
}

// Axes in red, so that the black lines are the curve's.
PlotSettings Plain(TKurveTyp curve = TKurveTyp::Glatt, bool autoScale = false) {
    PlotSettings s;
    s.axesColor = colors::Red;
    s.curve = curve;
    s.autoScale = autoScale;
    return s;
}

std::vector<std::vector<int>> CurveLines(const RecordingCanvas& c) {
    std::vector<std::vector<int>> out;
    for (const CanvasCall& call : c.CallsOf("Line")) {
        if (call.pen.color == colors::Black && call.pen.style == PenStyle::Solid) out.push_back(call.args);
    }
    return out;
}

TEST(OsziPlot, AutoScaleWidensByATenthAndKeepsBordersOfAFlatSpan) {
    const struct { Samples samples; PlotBorders expected; } cases[] = {
        {{{5, 5}}, {-1, 1, -1, 1}},           {{{0, 0}, {10, 5}, {20, -5}}, {-2, 22, -6, 6}},
        {{{0, 2}, {10, 2}}, {-1, 11, -7, 7}}, {{{3, 0}, {3, 10}}, {-5, 5, -1, 11}},
        {{{0, 0}, {10, 0.00005L}}, {-1, 11, -7, 7}}};
    for (const auto& c : cases) {
        TPunktListe list;
        Fill(list, c.samples);
        PlotBorders b{-5, 5, -7, 7};
        AutoScale(list, b);
        EXPECT_EQ(b, c.expected) << c.samples.size() << " samples from x " << double(c.samples[0].first);
    }
}

TEST(OsziPlot, GridStepsLabelDecimalsAndStrides) {
    const struct { long double span; int intervals; double step; } steps[] = {
        {2, 10, 0.2}, {2, 4, 0.5},   {2, 5, 0.5}, {2, 1, 1},     {100, 10, 10}, {2, 30, 0.1},
        {1, 7, 0.2},  {5e6, 8, 5e5}, {0, 5, 0},   {kNaN, 5, 0}, {kInf, 5, 0},   {2, 0, 0}};
    for (const auto& s : steps) {
        EXPECT_DOUBLE_EQ(double(GridStep(s.span, s.intervals)), s.step) << double(s.span) << " / " << s.intervals;
    }
    const struct { long double span; bool x; int decimals; } labels[] = {
        {20, true, 1}, {16, true, 2}, {20, false, 2}, {0.5L, true, 3}, {0.01L, false, 4}, {0, true, 15}};
    for (const auto& l : labels) EXPECT_EQ(LabelDecimals(l.span, l.x), l.decimals) << double(l.span);
    // Samples, stride, lines of the curve from sample 0.
    for (auto [count, stride, lines] : {std::tuple{749, 1, 748}, {750, 2, 374}, {1500, 3, 499}}) {
        EXPECT_EQ(SampleStride(count), stride) << count;
        TPunktListe list;
        for (int i = 0; i < count; ++i) list.Append(i, i % 7);
        RecordingCanvas canvas;
        PlotBorders b;
        PaintPlot(canvas, 400, 200, list, Plain(TKurveTyp::Glatt, true), b);
        EXPECT_EQ(CurveLines(canvas).size(), std::size_t(lines)) << count;
    }
}

TEST(OsziPlot, MouseModesAndPastedFormatsMoveTheBorders) {
    using Act = std::function<void(PlotBorders&)>;
    const struct { const char* what; PlotBorders start; Act act; PlotBorders expected; } cases[] = {
        {"zoom out twice", {}, [](PlotBorders& b) { ZoomOut(b, 0, 0), ZoomOut(b, 0, 0); }, {-4, 4, -4, 4}},
        {"zoom in", {-4, 4, -2, 2}, [](PlotBorders& b) { ZoomIn(b, 1, 2); }, {-1, 3, 1, 3}},
        {"zoom rect", {}, [](PlotBorders& b) { ZoomRect(b, 3, 1, 1, 5); }, {1, 3, 1, 5}},
        {"flat zoom rect", {}, [](PlotBorders& b) { ZoomRect(b, 1, 1, 1, 5); }, {}},
        {"move", {}, [](PlotBorders& b) { Move(b, 50, 25, 100, 100); }, {-2, 0, -0.5L, 1.5L}},
        {"center", {0, 10, 2, 6}, [](PlotBorders& b) { CenterAxis(b); }, {-5, 5, -2, 2}},
        // xmax -2 lies below xmin 0: refused, then xmin -8 is taken.
        {"paste", {0, 10, -1, 1}, [](PlotBorders& b) { PasteFormat(b, {-2, 3, -8, 0, 20, 20}); }, {-8, 10, 0, 3}},
    };
    for (const auto& c : cases) {
        PlotBorders b = c.start;
        c.act(b);
        EXPECT_EQ(b, c.expected) << c.what;
    }
}

TEST(OsziPlot, FormatTextReadsBackAndRefusesOtherTexts) {
    const std::string text = FormatText({12.5L, 3, -0.5L, -3, 400, 300});
    EXPECT_EQ(text, "Quenzor window format;12,5;3;-0,5;-3;400;300");
    const auto back = ParseFormatText(text + "\r\n");
    ASSERT_TRUE(back);
    EXPECT_EQ(FormatText(*back), text);
    for (const std::string bad : {"", "s;1;1;-1;-1;400;300", ";1;1;-1;-1;400", ";1.5;1;-1;-1;400;300",
                                  ";NAN;1;-1;-1;400;300", ";1;1;1;-1;400;300", ";1;1;-1;-1;19;300",
                                  ";1;1;-1;-1;400;10001", ";1;1;-1;-1;400;300;7"}) {
        EXPECT_FALSE(ParseFormatText("Quenzor window format" + bad)) << bad;
    }
}

TEST(OsziPlot, CurvesOfBothKindsAndTheLastSegment) {
    const Samples two{{-0.5L, -0.5L}, {0.5L, 0.5L}};
    const Samples outside{{-0.5L, 0}, {5, 0}, {0.5L, 0}, {0.5L, 0.5L}};
    // 100 x 100 pixels on +-1: x -> 50 + 50x, y -> 50 - 50y.
    using Lines = std::vector<std::vector<int>>;
    const struct { TKurveTyp curve; Samples samples; bool lastOnly; Lines lines; } cases[] = {
        {TKurveTyp::Glatt, two, false, {{25, 75, 75, 25}}},
        {TKurveTyp::Balken, two, false, {{25, 75, 75, 75}, {75, 75, 75, 25}}},
        {TKurveTyp::Glatt, outside, false, {{300, 50, 75, 50}, {75, 50, 75, 25}}},
        {TKurveTyp::Glatt, outside, true, {{75, 50, 75, 25}}},
        {TKurveTyp::Balken, outside, true, {{75, 50, 75, 50}, {75, 50, 75, 25}}},
        {TKurveTyp::Glatt, {{0.5L, 0.5L}}, false, {}},
    };
    for (const auto& c : cases) {
        TPunktListe list;
        Fill(list, c.samples);
        RecordingCanvas canvas;
        PlotBorders b;
        if (c.lastOnly) PaintLastSegment(canvas, 100, 100, list, Plain(c.curve), b);
        if (!c.lastOnly) PaintPlot(canvas, 100, 100, list, Plain(c.curve), b);
        EXPECT_EQ(CurveLines(canvas), c.lines) << int(c.curve) << " with " << c.samples.size() << " samples";
    }
}

TEST(OsziPlot, AxesWhereZeroIsShownLabelsWithTheDecimalCommaElseAtTheEdges) {
    using Lines = std::vector<std::vector<int>>;
    // Borders, axes on, the full-length lines, the first x label and where it is, the last y label's left.
    const struct { PlotBorders b; bool axes; Lines full; const char* x0; std::vector<int> at; int yLeft; } cases[] = {
        // x -0,75 at trunc(-0,75 * 400 / 1,9 + 189), the first multiple of 0,25 inside.
        {{-0.9L, 1, -1, 1}, true, {{189, 0, 189, 200}, {0, 100, 400, 100}}, "-0,75", {31 - 7, 102}, 193},
        {{0.5L, 2.5L, -1, 1}, true, {{0, 100, 400, 100}}, "0,5", {-7, 102}, 2},
        {{-1, 1, 0.5L, 2}, true, {{200, 0, 200, 200}}, "-1", {-7, 200 - 13 - 2}, 204},
        {{-1, 1, -2, -0.5L}, true, {{200, 0, 200, 200}}, "-1", {-7, 2}, 204},
        {{-1, 1, -1, 1}, false, {}, "-1", {-7, 2}, 400 - 6 - 2},
    };
    for (const auto& c : cases) {
        TPunktListe list;
        RecordingCanvas canvas;
        PlotBorders b = c.b;
        PlotSettings s = Plain();
        s.axesVisible = c.axes;
        PaintPlot(canvas, 400, 200, list, s, b);
        EXPECT_EQ(canvas.Calls().front().op, "FillRect");
        Lines full;
        for (const CanvasCall& l : canvas.CallsOf("Line")) {
            const auto& a = l.args;
            if ((a[0] == a[2] && a[1] == 0 && a[3] == 200) || (a[1] == a[3] && a[0] == 0 && a[2] == 400)) {
                full.push_back(a);
            }
        }
        EXPECT_EQ(full, c.full) << c.x0;
        const std::vector<CanvasCall> texts = canvas.CallsOf("TextOut");
        ASSERT_GE(texts.size(), 3u);
        EXPECT_EQ(texts.front().text, c.x0);
        EXPECT_EQ(texts.front().args, c.at) << c.x0;
        EXPECT_EQ(texts.back().text, "t");
        EXPECT_EQ(texts[texts.size() - 2].args[0], c.yLeft) << c.x0 << " " << texts[texts.size() - 2].text;
    }
}

TEST(OsziPlot, BordersThatCannotBeDrawnAreReportedOrReset) {
    const struct { PlotBorders start; std::vector<std::string> messages; PlotBorders after; } cases[] = {
        {{kNaN, 1, -3, 3}, {kXBordersInvalid}, {-1, 1, -3, 3}},
        {{-3, 3, 2, kNaN}, {kYBordersInvalid}, {-3, 3, -1, 1}},
        {{kNaN, kNaN, kNaN, kNaN}, {kXBordersInvalid, kYBordersInvalid}, {}},
        {{2, 2, -3, 3}, {}, {}},
        {{-1e300L, 1e300L, -kInf, kInf}, {}, {-1e300L, 1e300L, -kInf, kInf}},
        {{1e18L, 1e18L + 1, 0, 1e-300L}, {}, {1e18L, 1e18L + 1, 0, 1e-300L}},
        {{-5, 5, -1e-4000L, 1e4000L}, {}, {-5, 5, -1e-4000L, 1e4000L}},
    };
    for (const auto& c : cases) {
        test::ScopedPlatform platform;
        TPunktListe list;
        Fill(list, {{0, 0}, {1e200L, -1e200L}, {kNaN, 1}});
        RecordingCanvas canvas;
        PlotBorders b = c.start;
        PlotSettings s = Plain();
        s.gridVisible = true;
        PaintPlot(canvas, 400, 200, list, s, b);
        EXPECT_EQ(platform.messages.Texts(), c.messages) << double(c.start.xmin);
        EXPECT_EQ(b, c.after) << double(c.start.xmin);
        EXPECT_LT(canvas.Calls().size(), 5000u) << double(c.start.xmin);
    }
}

} // namespace
} // namespace qz::diagrams
