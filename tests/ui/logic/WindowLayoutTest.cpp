#include <gtest/gtest.h>

#include "workspace/WindowLayout.h"

namespace qz::ui {
namespace {

const TRect kArea{10, 20, 1010, 620}; // 1000 x 600

TEST(WindowLayoutTest, FitInto) {
    const struct {
        TRect window, expected;
    } cases[] = {
        {{100, 100, 500, 400}, {100, 100, 500, 400}},   // inside: unchanged
        {{900, 500, 1300, 800}, {610, 320, 1010, 620}}, // past the corner: moved back
        {{-50, 0, 1950, 300}, {10, 20, 1010, 320}},     // wider than the area: shrunk
        {{0, 0, 0, 0}, {10, 20, 10, 20}},
    };
    for (const auto& c : cases) EXPECT_EQ(FitInto(c.window, kArea), c.expected) << c.window.left;
}

TEST(WindowLayoutTest, TileFillsTheAreaWithoutOverlap) {
    const struct {
        int n;
        std::vector<TRect> expected;
    } cases[] = {
        {1, {kArea}},
        {2, {{10, 20, 510, 620}, {510, 20, 1010, 620}}},
        {3, {{10, 20, 510, 320}, {510, 20, 1010, 320}, {10, 320, 1010, 620}}},
        {0, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TileRects(c.n, kArea), c.expected) << c.n;
}

TEST(WindowLayoutTest, CascadeKeepsHalfTheAreaAndStaysInside) {
    const struct {
        int n, step;
        TRect first, last;
    } cases[] = {
        {1, 30, kArea, kArea},
        {3, 30, {10, 20, 950, 560}, {70, 80, 1010, 620}},
        // Many windows: half the area each, the stack starts again at the
        // corner after 11 (300 / 30 + 1) windows.
        {40, 30, {10, 20, 510, 320}, {190, 200, 690, 500}},
    };
    for (const auto& c : cases) {
        const std::vector<TRect> r = CascadeRects(c.n, kArea, c.step);
        ASSERT_EQ(r.size(), static_cast<std::size_t>(c.n));
        EXPECT_EQ(r.front(), c.first) << c.n;
        EXPECT_EQ(r.back(), c.last) << c.n;
        for (const TRect& w : r) EXPECT_EQ(FitInto(w, kArea), w) << c.n;
    }
}

} // namespace
} // namespace qz::ui
