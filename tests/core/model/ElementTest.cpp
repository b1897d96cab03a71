// Places, transitions and arcs: markings, setters, sizes, moving, bounds and
// hit tests.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/TSchriftObjekt.h"

namespace qz::test {
namespace {

using ElementTest = ModelTest;

TEST_F(ElementTest, SetMarkingRoundsDiscreteHalfToEvenAndSnapsBothKinds) {
    struct Case {
        bool continuous;
        double in, out;
    } cases[] = {
        {false, 2.5, 2},           {false, 3.5, 4},          {false, -2.5, -2},
        {false, 0.5, 0},           {false, 2.4999, 2},       {true, 1.0000000001, 1},
        {true, 0.9999999999, 0.9999999999}, {true, -1.0000000001, -1},
        {true, 2.5, 2.5},          {true, 3.0000000005, 3},  {true, 3.000000002, 3.000000002},
    };
    for (const Case& c : cases) {
        TPlatz p;
        p.continuous = c.continuous;
        p.SetMarking(c.in);
        EXPECT_EQ(p.Marking(), c.out) << c.in << (c.continuous ? " continuous" : " discrete");
        EXPECT_EQ(p.NextMarking(), c.out) << c.in;
    }
}

// Each row starts from reservation 1 and timed 0. A discrete number is the
// firing time: not above 0 drops the reservation, -1 means stepwise (not
// timed). A continuous transition never reserves and is always timed.
TEST_F(ElementTest, FunctionTextDecidesNumberOrExpressionAndTheFiringRules) {
    struct Case {
        bool continuous;
        const char* text;
        const char* stored;
        bool expression;
        long double value; // numbers, and 0 for continuous expressions
        int reservation, timed;
    } cases[] = {
        {false, "2,5", "2,5", false, 2.5L, 1, 1},   {false, "2.5", "2.5", true, 0, 1, 0},
        {true, "2.5", "2.5", false, 2.5L, 0, 1},    {true, "2,5", "2,5", false, 2.5L, 0, 1},
        {false, "2*A,5", "2*A.5", true, 0, 1, 0},   {true, "m1*2,5", "m1*2.5", true, 0, 0, 1},
        {true, "1.5.2", "1.5.2", true, 0, 0, 1},    {false, " 7 ", " 7 ", false, 7, 1, 1},
        {false, "-1", "-1", false, -1, 0, 0},       {false, "-2", "-2", false, -2, 0, 1},
        {false, "0,0", "0,0", false, 0, 0, 1},      {false, "5", "5", false, 5, 1, 1},
        {true, "-3", "-3", false, -3, 0, 1},
    };
    for (const Case& c : cases) {
        TTransition t(nullptr);
        t.continuous = c.continuous;
        t.reservation = 1;
        t.timed = 0;
        t.SetFunctionText(c.text);
        EXPECT_EQ(t.functionText, c.stored) << c.text;
        EXPECT_EQ(t.valueLabel->Text(), c.stored) << c.text;
        EXPECT_EQ(t.isExpression, c.expression ? 1 : 0) << c.text;
        EXPECT_EQ(std::tie(t.reservation, t.timed), std::tie(c.reservation, c.timed)) << c.text;
        if (!c.expression || c.continuous) {
            EXPECT_EQ(t.value, c.value) << c.text;
        }
        if (!c.expression && !c.continuous) {
            EXPECT_EQ(t.firingTime, c.value) << c.text;
            EXPECT_EQ(t.remainingTime, c.value) << c.text;
        }
    }
    // Only -2: negative waiting times other than -1 are warned about.
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{
                  "The Waiting Time of Diskrete Transitions must be positive or -1 for stepwise activity!"});
}

// One arc, row after row: a changed text shows the weight label; a dot is
// read as the decimal comma; an expression stores commas as dots, weight 0.
TEST_F(ElementTest, WeightTextShowsTheLabelOnlyWhenItChanges) {
    struct Row {
        const char* text;
        bool hideBefore;
        const char* stored;
        long double weight;
        int expression, visible;
    } rows[] = {
        {"1", false, "1", 1, 0, 0},           {"2.5", false, "2.5", 2.5L, 0, 1},
        {"2.5", true, "2.5", 2.5L, 0, 0},     {"m1*0,5", false, "m1*0.5", 0, 1, 1},
        {"0,0", false, "0,0", 0, 0, 1},
    };
    TEdge a(nullptr);
    EXPECT_FALSE(a.valueLabel->visible);
    for (const Row& r : rows) {
        if (r.hideBefore) a.valueLabel->visible = 0;
        a.SetWeightText(r.text);
        EXPECT_EQ(std::make_tuple(a.weightText, a.valueLabel->Text(), a.weight, int(a.isExpression)),
                  std::make_tuple(std::string(r.stored), std::string(r.stored), r.weight, r.expression))
            << r.text;
        EXPECT_EQ(a.valueLabel->visible, r.visible) << r.text;
    }
}

TEST_F(ElementTest, PlaceSizeClassesKeepTheCentre) {
    TPlatz p;
    p.SetBounds({85, 85, 115, 115});
    p.SetSizeClass(1);
    EXPECT_EQ(p.diameter, 25);
    EXPECT_EQ(p.bounds, (TRect{88, 88, 112, 112}));
    EXPECT_EQ(p.hit, p.bounds);
    p.SetSizeClass(4);
    EXPECT_EQ(p.bounds, (TRect{70, 70, 130, 130}));

    // The centre is found by division towards zero.
    p.SetBounds({-31, -31, 0, 0});
    p.SetSizeClass(2);
    EXPECT_EQ(p.bounds, (TRect{-30, -30, 0, 0}));
}

TEST_F(ElementTest, TransitionBarsFollowSizeClassAndOrientation) {
    TTransition t(nullptr);
    t.SetBounds({34, 44, 66, 56}); // centre (50, 50)
    t.SetSizeClass(0);
    EXPECT_EQ(t.longSide, 16);
    EXPECT_EQ(t.shortSide, 6);
    EXPECT_EQ(t.bounds, (TRect{42, 47, 58, 53}));
    t.SetOrientation(0);
    EXPECT_EQ(t.bounds, (TRect{47, 42, 53, 58}));
    EXPECT_EQ(t.hit, t.bounds);
    t.SetSizeClass(4);
    EXPECT_EQ(t.shortSide, 24);
    EXPECT_EQ(t.bounds, (TRect{38, 20, 62, 80}));
    t.SetSizeClass(1);
    EXPECT_EQ(t.shortSide, 8);
    t.SetOrientation(1);
    EXPECT_EQ(t.bounds, (TRect{40, 46, 60, 54}));
}

TEST_F(ElementTest, MovingWithoutGridFollowsTheMouseAndSelectedLabelsMoveAlone) {
    Settings().alignToGrid = false;
    TPlatz p;
    EXPECT_TRUE(p.MoveBy(7, 3, nullptr));
    EXPECT_EQ(p.hit, (TRect{7, 3, 37, 33}));
    const TRect autoLabel = p.nameLabel->bounds;
    EXPECT_TRUE(p.MoveBy(10, 0, nullptr));
    EXPECT_EQ(p.nameLabel->bounds, autoLabel.Offset(10, 0)) << "automatic label follows";

    p.nameLabel->selected = 1;
    EXPECT_FALSE(p.MoveBy(4, 6, nullptr));
    EXPECT_EQ(p.bounds, (TRect{17, 3, 47, 33}));
    EXPECT_EQ(p.nameLabel->bounds, autoLabel.Offset(14, 6));
    EXPECT_TRUE(p.nameLabel->userPositioned);

    TTransition t(nullptr);
    t.valueLabel->selected = 1;
    const TRect v = t.valueLabel->bounds;
    EXPECT_FALSE(t.MoveBy(3, 3, nullptr));
    EXPECT_EQ(t.bounds, (TRect{0, 0, 30, 12}));
    EXPECT_EQ(t.valueLabel->bounds, v.Offset(3, 3));
    EXPECT_FALSE(t.nameLabel->userPositioned);
}

TEST_F(ElementTest, MovingWithGridSnapsTheCentreTowardsZero) {
    Settings().alignToGrid = true;
    Settings().gridSize = 20;
    TPlatz p;
    p.nameLabel->userPositioned = 1;
    p.nameLabel->SetBounds({200, 200, 210, 213});

    // Less than g in both directions: nothing visible happens.
    EXPECT_FALSE(p.MoveBy(5, 5, nullptr));
    EXPECT_FALSE(p.MoveBy(10, 0, nullptr));
    EXPECT_EQ(p.bounds, (TRect{15, 5, 45, 35}));
    EXPECT_EQ(p.hit, (TRect{0, 0, 30, 30}));
    EXPECT_EQ(p.nameLabel->bounds, (TRect{200, 200, 210, 213}));

    // One edge g or more away: the centre snaps, the label keeps its offset.
    EXPECT_TRUE(p.MoveBy(10, 0, nullptr));
    EXPECT_EQ(p.bounds, (TRect{25, 5, 55, 35}));
    EXPECT_EQ(p.hit, (TRect{25, 5, 55, 35})); // centre (40, 20)
    EXPECT_EQ(p.nameLabel->bounds, (TRect{225, 205, 235, 218}));

    TPlatz q;
    EXPECT_TRUE(q.MoveBy(-40, -40, nullptr));
    EXPECT_EQ(q.hit, (TRect{-35, -35, -5, -5})); // centre -25 snaps to -20, not -40

    TPlatz small;
    small.SetSizeClass(1); // diameter 25 around (15, 15): (3, 3, 27, 27)
    EXPECT_TRUE(small.MoveBy(40, 0, nullptr));
    EXPECT_EQ(small.hit, (TRect{28, -12, 53, 13})); // centre (55.5, 15.5) -> (40, 0)

    TTransition t(nullptr);
    EXPECT_TRUE(t.MoveBy(30, 30, nullptr));
    EXPECT_EQ(t.bounds, (TRect{30, 30, 60, 42}));
    EXPECT_EQ(t.hit, (TRect{25, 14, 55, 26})); // centre (45, 36) -> (40, 20)
}

TEST_F(ElementTest, ArcBoundsWidenDegenerateRectanglesAndTheHitBandDependsOnKindAndZoom) {
    TEdge a(nullptr);
    a.startPoint = {10, 10};
    a.endPoint = {10, 50};
    a.geometryValid = 1;
    EXPECT_EQ(a.GetBounds(), (TRect{8, 10, 12, 50}));
    EXPECT_EQ(a.hit, (TRect{8, 10, 12, 50}));
    a.endPoint = {60, 10};
    EXPECT_EQ(a.GetBounds(), (TRect{10, 8, 60, 12}));
    a.bendPoints = {{30, 70}, {-5, 20}};
    EXPECT_EQ(a.GetBounds(), (TRect{-5, 10, 60, 70}));

    a.bendPoints.clear();
    a.startPoint = {0, 0};
    a.endPoint = {100, 0};
    EXPECT_TRUE(a.HitTest({50, 3}));
    EXPECT_FALSE(a.HitTest({50, 4}));
    EXPECT_FALSE(a.HitTest({104, 0}));
    a.arcKind = akInhibitor;
    EXPECT_TRUE(a.HitTest({50, 6}));
    EXPECT_FALSE(a.HitTest({50, 7}));
    a.arcKind = akNormal;
    Settings().viewScale = 2.0; // zoom 50 %: the band is wider in world units
    EXPECT_TRUE(a.HitTest({50, 6}));
    EXPECT_FALSE(a.HitTest({50, 7}));

    // Through a bend point: the second segment counts as well.
    Settings().viewScale = 1.0;
    a.bendPoints = {{50, 0}};
    a.endPoint = {50, 100};
    EXPECT_TRUE(a.HitTest({52, 80}));
    EXPECT_FALSE(a.HitTest({80, 50}));
}

TEST_F(ElementTest, HitTestSelectsTheLabelUnderThePoint) {
    TPlatz p;
    p.nameLabel->SetBounds({100, 100, 120, 113});
    EXPECT_TRUE(p.HitTest({105, 105}));
    EXPECT_TRUE(p.nameLabel->selected);
    EXPECT_TRUE(p.HitTest({15, 15}));
    EXPECT_FALSE(p.nameLabel->selected);
    // The value label of a place is hidden: it neither hits nor selects.
    p.valueLabel->SetBounds({200, 200, 220, 213});
    EXPECT_FALSE(p.HitTest({205, 205}));
    EXPECT_FALSE(p.valueLabel->selected);

    TEdge a(nullptr);
    a.startPoint = {0, 0};
    a.endPoint = {100, 0};
    a.geometryValid = 1;
    a.valueLabel->visible = 1;
    a.valueLabel->SetBounds({40, 20, 60, 33});
    EXPECT_TRUE(a.HitTest({45, 25}));
    EXPECT_TRUE(a.valueLabel->selected);
    EXPECT_TRUE(a.HitTest({45, 0}));
    EXPECT_FALSE(a.valueLabel->selected);
}

TEST_F(ElementTest, ErrorMarkSelectsAndInvalidatingHiddenElementsIsReported) {
    TPlatz p;
    p.SetErrorMark(true);
    EXPECT_TRUE(p.selected);
    p.Invalidate(nullptr);
    TTransition t(nullptr);
    t.Invalidate(nullptr);
    EXPECT_EQ(platform.messages.Texts(),
              (std::vector<std::string>{"Ungültiger Aufruf von TPlatz.Invalidate",
                                        "Ungültiger Aufruf von TTransition.Invalidate"}));
}

} // namespace
} // namespace qz::test
