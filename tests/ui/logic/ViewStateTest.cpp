#include <gtest/gtest.h>

#include <functional>

#include "editor/ViewState.h"
#include "settings/ProgramSettings.h"

namespace qz::ui {
namespace {

// A 400 x 300 client onto a net reaching to (2000, 1000): ranges 2050 x 1100
// at 1:1, so positions run to 1650 and 800.
class ViewStateTest : public ::testing::Test {
protected:
    ViewStateTest() {
        Settings() = ProgramSettings{};
        view.SetClientSize(400, 300);
        view.UpdateRanges({0, 0, 2000, 1000}, true);
    }
    ~ViewStateTest() override { Settings() = ProgramSettings{}; }
    TViewState view;
};

struct ViewCase {
    const char* what;
    std::function<void(TViewState&)> act;
    double scale;
    int h, v;
    const char* text;
    bool previous;
};

TEST_F(ViewStateTest, ZoomStepsToolsAndPrevious) {
    const auto times = [](int n, auto f) {
        return [n, f](TViewState& v) {
            for (int i = 0; i < n; ++i) f(v);
        };
    };
    const ViewCase cases[] = {
        {"three zoom-ins", times(3, [](TViewState& v) { v.ZoomIn(); }), 0.729, 0, 0, "Scale: 0,73", true},
        {"previous goes back one zoom only and then rests",
         [](TViewState& v) {
             for (int i = 0; i < 3; ++i) v.ZoomIn();
             EXPECT_TRUE(v.Previous());
             EXPECT_FALSE(v.Previous());
         },
         0.81, 0, 0, "Scale: 0,81", false},
        {"1:1 after zooming out", [](TViewState& v) { v.ZoomOut(), v.OneToOne(); }, 1.0, 0, 0, "Scale: 1,00", true},
        {"zoom tool centres the clicked point", [](TViewState& v) { v.ZoomAt(true, 300, 200); }, 0.9, 133, 72,
         "Scale: 0,90", true},
        {"zoom tool near the corner stops at the start",
         [](TViewState& v) { v.SetPositions(5, 5), v.ZoomAt(false, 10, 10); }, 1 / 0.9, 0, 0, "Scale: 1,11", true},
        {"zoom area scales by the width", [](TViewState& v) { EXPECT_TRUE(v.ZoomArea({100, 50, 300, 100})); },
         0.5, 200, 100, "Scale: 0,50", true},
        {"tall narrow zoom area scales by its height",
         [](TViewState& v) { EXPECT_TRUE(v.ZoomArea({100, 50, 110, 200})); }, 0.5, 200, 100, "Scale: 0,50", true},
        {"zoom area of zero width is ignored",
         [](TViewState& v) { EXPECT_FALSE(v.ZoomArea({100, 50, 100, 250})); }, 1.0, 0, 0, "Scale: 1,00", false},
        {"hand drags the drawing along", [](TViewState& v) { v.Hand(100, 100, 40, 70); }, 1.0, 60, 30,
         "Scale: 1,00", false},
        {"hand stops at the ends of the ranges", [](TViewState& v) { v.Hand(0, 0, -5000, -5000); }, 1.0, 1650, 800,
         "Scale: 1,00", false},
        {"zooming in without end stops at 1 %", times(100, [](TViewState& v) { v.ZoomIn(); }), 0.01, 0, 0,
         "Scale: 0,01", true},
        {"zooming out without end stops at 100", times(100, [](TViewState& v) { v.ZoomOut(); }), 100, 0, 0,
         "Scale: 100,00", true},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.what);
        TViewState::SetScale(1.0);
        view.SetPositions(0, 0);
        view.ScaleChanged();
        TViewState fresh = view;
        c.act(fresh);
        EXPECT_NEAR(TViewState::Scale(), c.scale, 1e-12);
        EXPECT_EQ(fresh.HorzPosition(), c.h);
        EXPECT_EQ(fresh.VertPosition(), c.v);
        EXPECT_EQ(TViewState::ScaleText(), c.text);
        EXPECT_EQ(fresh.PreviousAvailable(), c.previous);
    }
}

TEST_F(ViewStateTest, WheelZoomKeepsThePointUnderThePointer) {
    view.SetPositions(100, 100);
    for (bool in : {true, true, false, true}) {
        const TPoint before = view.ScreenToWorld(250, 120);
        view.ZoomAbout(in, 250, 120);
        const TPoint after = view.ScreenToWorld(250, 120);
        EXPECT_NEAR(after.x, before.x, 1);
        EXPECT_NEAR(after.y, before.y, 1);
    }
}

TEST_F(ViewStateTest, RangesFollowTheScaleAndAnEmptyNetKeepsThem) {
    view.ZoomIn();
    EXPECT_EQ(view.HorzRange(), 2272); // round(2000 / 0,9 + 50)
    EXPECT_EQ(view.VertRange(), 1211); // round(1000 / 0,9 + 100)
    view.SetPositions(5000, 5000);
    EXPECT_EQ(view.HorzPosition(), 2272 - 400);
    view.UpdateRanges({}, false);
    view.ZoomIn();
    EXPECT_EQ(view.HorzRange(), 2272);
    EXPECT_EQ(view.VertRange(), 1211);
}

TEST_F(ViewStateTest, TheMappingMeetsScreenToWorldAtTheFarEdge) {
    for (double s : {0.01, 0.37, 1.0, 13.7}) {
        TViewState::SetScale(s);
        const TMapping m = view.Mapping(1601, 900);
        EXPECT_NEAR(double(m.windowExt.x) / m.viewportExt.x * 1601, 1601 * s, 0.05) << s;
        EXPECT_NEAR(double(m.windowExt.y) / m.viewportExt.y * 900, 900 * s, 0.05) << s;
    }
}

TEST_F(ViewStateTest, ScreenToWorldRoundsHalvesToEven) {
    view.ZoomArea({0, 0, 200, 10}); // 0,5
    view.SetPositions(3, 0);         // origin x round(1,5) = 2
    EXPECT_EQ(view.Origin().x, 2);
    EXPECT_EQ(view.ScreenToWorld(1, 5), (TPoint{2, 2})); // 2,5 -> 2 and 2,5 -> 2
    EXPECT_EQ(view.ScreenToWorld(3, 7), (TPoint{4, 4})); // 3,5 -> 4 and 3,5 -> 4
}

TEST_F(ViewStateTest, GridDotsLieOnTheSnapPointsOfTheView) {
    struct GridCase {
        const char* what;
        double scale;
        int h, v, g;
        GridDots dots;
    };
    const GridCase cases[] = {
        // Client 400 x 300 from the origin: x 0 .. 400, y 0 .. 300.
        {"at the origin", 1.0, 0, 0, 20, {0, 20, 0, 15}},
        {"origin between grid points", 1.0, 7, 13, 20, {1, 20, 1, 15}},
        {"origin on a grid point", 1.0, 40, 60, 20, {2, 22, 3, 18}},
        {"zoomed in by half", 0.5, 30, 10, 20, {1, 10, 1, 7}},
        {"the finest grid", 1.0, 0, 0, 4, {0, 100, 0, 75}},
        {"dots closer than two pixels are left out", 15.0, 0, 0, 20, {0, -1, 0, -1}},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.what);
        TViewState::SetScale(c.scale);
        view.ScaleChanged();
        view.SetPositions(c.h, c.v);
        const GridDots d = GridDotsOf(view, c.g);
        EXPECT_EQ(d.firstColumn, c.dots.firstColumn);
        EXPECT_EQ(d.lastColumn, c.dots.lastColumn);
        EXPECT_EQ(d.firstRow, c.dots.firstRow);
        EXPECT_EQ(d.lastRow, c.dots.lastRow);
    }
}

} // namespace
} // namespace qz::ui
