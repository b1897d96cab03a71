#include <gtest/gtest.h>

#include <cstdlib>

#include "FakePlatform.h"
#include "RecordingCanvas.h"
#include "model/ExampleNets.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "simulation/ArcAnimation.h"

using namespace qz;
using namespace qz::test;
using examples::AddPlace;
using examples::AddTransition;
using examples::Connect;

namespace {

class Sprites final : public TokenSprites {
public:
    void ShowFrame(std::span<const TPoint> tokens) override { frames.emplace_back(tokens.begin(), tokens.end()); }
    void Clear() override { clears.push_back(frames.size()); }
    std::vector<std::vector<TPoint>> frames;
    std::vector<std::size_t> clears; // frames shown before each clear
};

class ArcAnimationTest : public ::testing::Test {
protected:
    ScopedPlatform platform;
    RecordingCanvas canvas;
    TPNObjekt root;
    TNetList& net = root.Net();

    // An arc from a place centred at (100, 100) to a transition centred at
    // (cx, 100): it starts at (115, 100) and ends on the bar's left edge.
    TEdge* ArcTo(int cx) {
        TEdge* e = Connect(net, AddPlace(net, 100, 100, "P", "p"), AddTransition(net, cx, 100, "T"));
        e->SetCanvas(&canvas);
        e->SetShown(true);
        return e;
    }
};

} // namespace

TEST_F(ArcAnimationTest, PathRunsInUnitStepsThroughTheBendPoints) {
    TEdge* e = ArcTo(200);
    e->bendPoints = {{150, 160}};
    e->geometryValid = 0;
    const std::vector<TPoint> path = ArcPathPoints(*e);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), e->StartPoint());
    EXPECT_EQ(std::count(path.begin(), path.end(), TPoint{150, 160}), 1);
    for (std::size_t i = 1; i < path.size(); ++i) {
        EXPECT_LE(std::abs(path[i].x - path[i - 1].x), 1) << i;
        EXPECT_EQ(std::abs(path[i].y - path[i - 1].y), 1) << i; // both segments are steeper than 45 degrees
    }
    const TPoint end = e->EndPoint();
    EXPECT_EQ(std::abs(path.back().y - end.y), 1);

    // A bend point far away in a damaged file: a bounded path.
    e->bendPoints = {{2'000'000'000, -2'000'000'000}};
    e->geometryValid = 0;
    const std::vector<TPoint> far = ArcPathPoints(*e);
    EXPECT_LE(far.size(), kMaxPathPoints);
    EXPECT_GT(far.size(), kMaxPathPoints / 2);
    EXPECT_EQ(far.front(), e->StartPoint());
}

TEST_F(ArcAnimationTest, FramesDelaysAndRemovalFollowTheSpeedBar) {
    struct Row {
        int speed;
        int frames; // shown per group: N - 5
        std::uint32_t clock; // readings of a clock that moves 1 ms per reading: D + 2 per frame
    };
    for (const Row row : {Row{500, 160, 2 * 160 * 5}, Row{1, 10, 2 * 10 * 2}, Row{1000, 310, 2 * 310 * 5}}) {
        SCOPED_TRACE(row.speed);
        // The output arc is one unit long: late frames would point past it.
        std::vector<TEdge*> inputs{ArcTo(300)}, outputs{ArcTo(131)};
        const std::vector<TPoint> in = ArcPathPoints(*inputs[0]);
        ASSERT_EQ(ArcPathPoints(*outputs[0]).size(), 1u);
        const TokenAnimation plan{&inputs, &outputs, TokenAnimationFrames(row.speed), TokenAnimationDelay(row.speed)};
        Sprites sprites;
        platform.clock.Set(0);
        platform.clock.SetAutoAdvance(1);
        PlayTokenAnimation(plan, sprites, platform.clock);
        EXPECT_EQ(platform.clock.Now(), row.clock);
        ASSERT_EQ(sprites.frames.size(), std::size_t(2 * row.frames));
        EXPECT_EQ(sprites.clears, (std::vector<std::size_t>{std::size_t(row.frames), std::size_t(2 * row.frames)}));
        for (int f = 0; f < row.frames; ++f) {
            const int at = TokenPathIndex(f, static_cast<int>(in.size()), plan.frames);
            EXPECT_EQ(sprites.frames[f], std::vector<TPoint>{in[at]}) << f;
            EXPECT_EQ(sprites.frames[row.frames + f], (std::vector<TPoint>{TPoint{115, 100}})) << f;
        }
    }
}

TEST_F(ArcAnimationTest, FlowingArcIsDottedFirstAndThenInverted) {
    TEdge* e = ArcTo(200);
    canvas.pen = TPen{colors::Blue, 3, PenStyle::Dash, PenMode::Copy};
    canvas.Clear();
    DrawFlowingArc(*e, true);
    const std::vector<CanvasCall>& first = canvas.Calls();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].pen, (TPen{colors::White, 1, PenStyle::Solid, PenMode::Copy}));
    EXPECT_EQ(first[1].pen, (TPen{colors::Red, 1, PenStyle::Dot, PenMode::Copy}));
    EXPECT_EQ(first[1].points, first[0].points);
    EXPECT_EQ(first[2].op, "Polygon");
    EXPECT_EQ(first[2].brush.color, colors::Red);
    canvas.Clear();
    DrawFlowingArc(*e, false);
    ASSERT_EQ(canvas.Calls().size(), 1u);
    EXPECT_EQ(canvas.Calls()[0].pen, (TPen{colors::Red, 1, PenStyle::Solid, PenMode::Not}));
    // The canvas keeps the pen it had.
    EXPECT_EQ(canvas.pen, (TPen{colors::Blue, 3, PenStyle::Dash, PenMode::Copy}));
}
