// What places, transitions and arcs paint, checked on the recording canvas:
// token boxes, texts, bars, labels, selection marks, arc end points by the
// alpha rule, arrow heads and the inhibitor circle.
#include <gtest/gtest.h>

#include <cmath>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/drawing/DrawingGeometry.h"

namespace qz::test {
namespace {

using examples::AddPlace;
using examples::AddTransition;
using examples::Connect;
using Args = std::vector<std::vector<int>>;

std::vector<int> ArgsOf(const TRect& r) { return {r.left, r.top, r.right, r.bottom}; }
Args ArgsOf(const std::vector<CanvasCall>& calls) {
    Args out;
    for (const CanvasCall& c : calls) out.push_back(c.args);
    return out;
}

class Drawing : public ::testing::Test {
protected:
    ScopedPlatform platform;
    RecordingCanvas canvas; // outlives the elements drawing on it
    TPNObjekt root;
    TNetList& net = root.Net();

    void Paint(TGraphItem* e) {
        e->SetCanvas(&canvas);
        e->SetShown(true);
        canvas.Clear();
        e->Draw();
    }
    std::vector<CanvasCall> Ellipses() const { return canvas.CallsOf("Ellipse"); }
    // An arc from a place at (40, 100) to a transition at (`x`, 100).
    TEdge* ArcTo(int x, const char* weight = "1") {
        TPlatz* p = AddPlace(net, 40, 100, "P", "m");
        return Connect(net, p, AddTransition(net, x, 100, "T"), akNormal, weight);
    }
};

// ---- places ----------------------------------------------------------------

TEST_F(Drawing, TokenBoxesFollowTheTokenTableTruncatedTowardsZero) {
    using R = std::vector<TRect>;
    EXPECT_EQ(TokenBoxes(1, 100, 100, 40), (R{{94, 94, 106, 106}}));
    EXPECT_EQ(TokenBoxes(2, 100, 100, 40), (R{{86, 94, 98, 106}, {102, 94, 114, 106}}));
    EXPECT_EQ(TokenBoxes(3, 100, 100, 40), (R{{86, 99, 98, 111}, {102, 99, 114, 111}, {94, 88, 106, 100}}));
    EXPECT_EQ(TokenBoxes(4, 100, 100, 40),
              (R{{87, 101, 99, 113}, {101, 101, 113, 113}, {87, 87, 99, 99}, {101, 87, 113, 99}}));
    // Fractions: 0.15 * 30 = 4.5 and 0.35 * 25 = 8.75.
    EXPECT_EQ(TokenBoxes(1, 100, 100, 30), (R{{95, 95, 104, 104}}));
    EXPECT_EQ(TokenBoxes(1, -100, -100, 30), (R{{-104, -104, -95, -95}}));
    EXPECT_EQ(TokenBoxes(2, 50, 50, 25)[0], (TRect{41, 46, 48, 53}));
    EXPECT_TRUE(TokenBoxes(0, 0, 0, 30).empty());
    EXPECT_TRUE(TokenBoxes(5, 0, 0, 30).empty());
}

TEST_F(Drawing, DiscretePlaceShowsTokensNumbersOrNothing) {
    TPlatz* p = AddPlace(net, 100, 100, "P", "m1");
    p->SetSizeClass(3); // diameter 40
    p->showValues = 1;
    for (int m = 0; m <= 4; ++m) {
        p->SetMarking(m);
        Paint(p);
        const auto e = Ellipses();
        ASSERT_EQ(e.size(), 1u + m) << m;
        EXPECT_EQ(e[0].args, (std::vector<int>{81, 81, 119, 119}));
        EXPECT_EQ(e[0].brush.color, colors::White);
        for (int i = 1; i <= m; ++i) {
            EXPECT_EQ(e[i].args, ArgsOf(TokenBoxes(m, 100, 100, 40)[i - 1]));
            EXPECT_EQ(e[i].brush.color, colors::Black);
        }
        EXPECT_EQ(canvas.Texts(), std::vector<std::string>{"P"}) << "no number up to four tokens";
    }
    p->SetMarking(5);
    Paint(p);
    const CanvasCall five = canvas.CallsOf("TextOut")[0];
    EXPECT_EQ(five.text, "5");
    EXPECT_FALSE(five.transparentText) << "black on white";
    EXPECT_EQ(five.args, (std::vector<int>{97, 92})) << "centred: one character of width 6";
    p->SetMarking(123456);
    Paint(p);
    EXPECT_EQ(canvas.Texts()[0], "1,2346E5");
}

TEST_F(Drawing, ContinuousPlaceShowsMarkingOrVariableInASecondCircle) {
    TPlatz* p = AddPlace(net, 100, 100, "P", "level", 2.5, true);
    p->showValues = 1;
    Paint(p);
    auto e = Ellipses();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1].args, (std::vector<int>{90, 90, 110, 110}));
    EXPECT_EQ(e[1].brush.color, colors::White);
    EXPECT_EQ(canvas.Texts().front(), "2,5");
    p->SetMarking(1.0 / 3);
    Paint(p);
    EXPECT_EQ(canvas.Texts().front(), "0,33333");
    p->showValues = 0;
    Paint(p);
    EXPECT_EQ(canvas.Texts().front(), "level");
    // round(100 - 5 * 6 / 2) and cy - 8
    EXPECT_EQ(canvas.CallsOf("TextOut")[0].args, (std::vector<int>{85, 92}));
}

TEST_F(Drawing, VariableNamesAreCutAtTwentyCharactersAndCapacityShowsBelow) {
    TPlatz* p = AddPlace(net, 100, 100, "P", "abcdefghijklmnopqrstuvwxyz");
    Paint(p);
    EXPECT_EQ(canvas.Texts().front(), "abcdefghijklmnopqrst");
    p->SetVariableName("m");
    Paint(p);
    EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"m", "P"})) << "capacity -1 shows nothing";
    p->capacity = 10;
    Paint(p);
    const auto texts = canvas.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].text, "(10)");
    EXPECT_EQ(texts[1].font.size, 5);
    // 4 characters of width 3 (size 5) centred on 100, top at cy + 4.
    EXPECT_EQ(texts[1].args, (std::vector<int>{94, 104}));
}

TEST_F(Drawing, PlaceColoursSelectionSquaresAndNameLabel) {
    TPlatz* p = AddPlace(net, 100, 100, "Name", "m");
    p->interfaceFlag = 1;
    Paint(p);
    EXPECT_EQ(Ellipses()[0].brush.color, colors::Yellow);
    EXPECT_EQ(Ellipses()[0].pen.color, colors::Black);
    const TSchriftObjekt& l = *p->nameLabel;
    EXPECT_EQ(l.bounds, (TRect{85 - l.Width() + 2, 85 - l.Height() + 2, 87, 87}));
    EXPECT_EQ(canvas.Count("Rectangle"), 0u);

    p->selected = 1;
    Paint(p);
    EXPECT_EQ(Ellipses()[0].pen.color, colors::Blue);
    EXPECT_EQ(ArgsOf(canvas.CallsOf("Rectangle")),
              (Args{{85, 85, 91, 91}, {109, 85, 115, 91}, {85, 109, 91, 115}, {109, 109, 115, 115}}));
    EXPECT_EQ(canvas.CallsOf("Rectangle")[0].brush.color, colors::White);
    p->errorMark = 1;
    Paint(p);
    EXPECT_EQ(Ellipses()[0].pen.color, colors::Red);
    EXPECT_EQ(canvas.CallsOf("Rectangle")[0].brush.color, colors::Yellow);

    p->nameLabel->userPositioned = 1;
    p->nameLabel->bounds = p->nameLabel->hit = {300, 300, 320, 313};
    Paint(p);
    EXPECT_EQ(p->nameLabel->bounds.left, 300) << "a moved label keeps its place";
}

// ---- transitions -----------------------------------------------------------

TEST_F(Drawing, DiscreteBarWithPriorityAndReservation) {
    TTransition* t = AddTransition(net, 100, 100, "T", "2");
    Paint(t);
    ASSERT_EQ(canvas.Calls()[0].op, "FillRect");
    EXPECT_EQ(canvas.Calls()[0].brush.color, colors::Black);
    auto bars = canvas.CallsOf("Rectangle");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].args, (std::vector<int>{86, 95, 114, 105}));
    EXPECT_EQ(bars[0].brush.color, colors::Black);

    t->priority = 3;
    t->reservation = 1;
    Paint(t);
    const auto texts = canvas.CallsOf("TextOut");
    ASSERT_GE(texts.size(), 2u);
    // Priority: y = 94 + round((12 - 9) / 2); reservation: round(100 - 5 / 2)
    // and round(100 - 11 / 2), halves to even.
    const CanvasCall& prio = texts[0];
    const CanvasCall& r = texts.back();
    EXPECT_EQ(std::tie(prio.text, prio.font.size, prio.font.color, prio.args),
              std::make_tuple(std::string("3"), 6, colors::White, std::vector<int>{87, 96}));
    EXPECT_EQ(std::tie(r.text, r.font.size, r.font.color, r.args),
              std::make_tuple(std::string("R"), 7, colors::White, std::vector<int>{98, 94}));

    t->selected = 1;
    t->errorMark = 1;
    Paint(t);
    EXPECT_NE(canvas.Calls()[0].op, "FillRect") << "a selected bar is not filled first";
    EXPECT_EQ(canvas.CallsOf("Rectangle")[0].brush.color, colors::Red);
    EXPECT_EQ(canvas.Count("Rectangle"), 5u);
}

TEST_F(Drawing, ContinuousBarAndLabelsAndHighlightRing) {
    TTransition* t = AddTransition(net, 100, 100, "T", "0.5", true);
    Paint(t);
    auto bars = canvas.CallsOf("Rectangle");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].brush.color, colors::White);
    EXPECT_EQ(bars[0].pen.color, colors::Black);
    const TSchriftObjekt& n = *t->nameLabel;
    const TSchriftObjekt& v = *t->valueLabel;
    EXPECT_EQ(n.bounds, (TRect{85 - n.Width() + 5, 94 - n.Height() - 7, 90, 87}));
    const double w = v.Width();
    EXPECT_EQ(v.bounds, (TRect{int(std::trunc(100 - w / 2 - 15)), 111, int(std::trunc(100 + w / 2)) - 15, 131}));

    t->highlight = 1;
    Paint(t);
    auto ring = Ellipses();
    ASSERT_EQ(ring.size(), 1u);
    EXPECT_EQ(ring[0].args, (std::vector<int>{55, 84, 145, 116}));
    EXPECT_EQ(std::tie(ring[0].pen.width, ring[0].pen.mode, ring[0].pen.color, ring[0].brush.color),
              std::make_tuple(5, PenMode::Mask, colors::Red, colors::Yellow));
    t->SetOrientation(0);
    Paint(t);
    EXPECT_EQ(Ellipses()[0].args, (std::vector<int>{84, 55, 116, 145}));
}

// ---- arc geometry ----------------------------------------------------------

// Bar 30 x 12 (alpha = 21.8 degrees) or 12 x 30 (alpha = 68.2 degrees) at
// (100, 100): the arc from the place ends, and the arc back starts, at the
// same point on the bar's edge.
TEST_F(Drawing, ArcEndsMeetTheBarEdgeByTheAlphaRule) {
    struct Case {
        const char* what;
        TPoint place;
        bool horizontal;
        TPoint atBar;
    } cases[] = {
        {"from the left", {40, 100}, true, {85, 100}},
        {"from the right", {160, 100}, true, {115, 100}},
        {"from above", {100, 40}, true, {100, 94}},
        {"from below", {100, 160}, true, {100, 106}},
        {"left, slightly above", {40, 90}, true, {85, 97}},  // tan = -1/6: 100 - 2.5, truncated
        {"above, slightly left", {75, 40}, true, {97, 94}},  // tan = -2.4: 100 - 2.5, truncated
        {"below right", {125, 160}, true, {102, 106}},
        {"vertical bar, from the left", {40, 100}, false, {94, 100}},
        {"vertical bar, from above", {100, 40}, false, {100, 85}},
        {"vertical bar, steep from the left", {40, 40}, false, {94, 94}},
    };
    for (const Case& c : cases) {
        TPNObjekt o;
        TTransition* t = AddTransition(o.Net(), 100, 100, "T", "0", false, c.horizontal);
        TPlatz* p = AddPlace(o.Net(), c.place.x, c.place.y, "P", "m");
        EXPECT_EQ(Connect(o.Net(), p, t)->EndPoint(), c.atBar) << c.what;
        EXPECT_EQ(Connect(o.Net(), t, p)->StartPoint(), c.atBar) << c.what;
    }
}

TEST_F(Drawing, PlaceEndsLieOnTheCircleAndFollowBendPoints) {
    TTransition* t = AddTransition(net, 100, 100, "T");
    TPlatz* p = AddPlace(net, 200, 100, "P", "m");
    EXPECT_EQ(Connect(net, t, p)->EndPoint(), (TPoint{185, 100}));
    TEdge* b = Connect(net, p, t);
    EXPECT_EQ(b->StartPoint(), (TPoint{185, 100}));
    // Through a bend point straight above the place: the place end leaves
    // upwards; the last segment from (200, 40) to (100, 100) has tan = 0.6,
    // below -alpha, so it meets the bar's top edge.
    b->bendPoints = {{200, 40}};
    b->geometryValid = 0;
    EXPECT_EQ(b->StartPoint(), (TPoint{200, 85}));
    EXPECT_EQ(b->EndPoint(), (TPoint{110, 94}));
    p->SetSizeClass(4); // diameter 60
    b->geometryValid = 0;
    EXPECT_EQ(b->StartPoint(), (TPoint{200, 70}));
    EXPECT_NEAR(b->lastAngleDegrees, -149.04, 0.01);
}

// ---- arc drawing -----------------------------------------------------------

TEST_F(Drawing, ArrowHeadAndInhibitorCircle) {
    TEdge* a = ArcTo(100);
    Paint(a);
    auto lines = canvas.CallsOf("Polyline");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points, (std::vector<TPoint>{{55, 100}, {85, 100}}));
    auto heads = canvas.CallsOf("Polygon");
    ASSERT_EQ(heads.size(), 1u);
    // 8 cos 0.2 = 7.84, 8 sin 0.2 = 1.59
    EXPECT_EQ(heads[0].points, (std::vector<TPoint>{{85, 100}, {77, 98}, {77, 102}}));
    EXPECT_EQ(heads[0].brush.color, colors::Black);

    a->arcKind = akInhibitor;
    Paint(a);
    EXPECT_EQ(canvas.CallsOf("Polygon")[0].points, (std::vector<TPoint>{{77, 100}, {69, 98}, {69, 102}}));
    auto circle = Ellipses();
    ASSERT_EQ(circle.size(), 1u);
    EXPECT_EQ(circle[0].args, (std::vector<int>{77, 96, 85, 104})) << "radius 4, touching the bar";
    EXPECT_EQ(circle[0].brush.color, colors::White);
    EXPECT_EQ(circle[0].pen.color, colors::Black);

    a->arcKind = akTest;
    Paint(a);
    EXPECT_EQ(canvas.CallsOf("Polyline")[0].pen.style, PenStyle::Dot);
    EXPECT_EQ(canvas.CallsOf("Polygon")[0].pen.style, PenStyle::Solid);
}

TEST_F(Drawing, SelectedArcShowsBendSquaresAndBlueInsertionSquares) {
    TEdge* a = ArcTo(200);
    a->selected = 1;
    Paint(a);
    // One insertion square at the midpoint of (55, 100) and (185, 100).
    EXPECT_EQ(ArgsOf(canvas.CallsOf("Rectangle")), (Args{{117, 97, 123, 103}}));
    EXPECT_EQ(canvas.CallsOf("Polyline")[0].pen.color, colors::Blue);
    EXPECT_EQ(canvas.CallsOf("Polygon")[0].brush.color, colors::Blue);

    a->bendPoints = {{80, 40}, {160, 40}};
    a->geometryValid = 0;
    a->errorMark = 1;
    Paint(a);
    const auto squares = canvas.CallsOf("Rectangle");
    ASSERT_EQ(squares.size(), 5u);
    EXPECT_EQ(squares[0].args, (std::vector<int>{77, 37, 83, 43}));
    EXPECT_EQ(squares[0].brush.color, colors::Yellow);
    EXPECT_EQ(squares[1].args, (std::vector<int>{157, 37, 163, 43}));
    for (int i = 2; i < 5; ++i) EXPECT_EQ(squares[i].brush.color, colors::Blue);
    EXPECT_EQ(squares[3].args, (std::vector<int>{118, 38, 122, 42})) << "between the bend points";
    EXPECT_EQ(canvas.CallsOf("Polyline")[0].pen.color, colors::Red);
}

TEST_F(Drawing, WeightLabelPositions) {
    TEdge* a = ArcTo(200, "12");
    ASSERT_EQ(a->valueLabel->visible, 1);
    const int w = a->valueLabel->Width(), h = a->valueLabel->Height();
    auto paintWith = [&](std::vector<TPunkt> bends) {
        a->bendPoints = std::move(bends);
        a->geometryValid = 0;
        Paint(a);
        return a->valueLabel->bounds;
    };
    // Bounds (55, 98, 185, 102), centre (120, 100).
    EXPECT_EQ(paintWith({}), (TRect{RoundHalfEven(120 - w / 2.0 + 1), 103, RoundHalfEven(120 + w / 2.0 + 1), 115}));
    EXPECT_EQ(paintWith({{80, 40}, {120, 20}, {160, 40}}), (TRect{120 - w / 2, 20 - h - 5, 120 + w / 2, 15}));
    EXPECT_EQ(paintWith({{80, 40}, {160, 60}}),
              (TRect{int(std::trunc(120 - w / 2.0 + 1)), 51, int(std::trunc(120 + w / 2.0 + 1)), 65}));
    EXPECT_EQ(canvas.Texts().back(), "12");
}

} // namespace
} // namespace qz::test
