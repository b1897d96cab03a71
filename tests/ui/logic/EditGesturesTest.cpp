#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "model/Connecting.h"
#include "model/TEdge.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::ui::test {
namespace {

// Places A (45, 45; its centre on the grid), B (140, 40), C (240, 140) and
// transition T (100, 200), each 30 units wide; A and T joined by an arc.
struct Drawn : Editor {
    TPlatz* a;
    TPlatz* b;
    TPlatz* c;
    TTransition* t;
    TEdge* arc;
    Drawn() {
        a = At(build.Place("A"), 45, 45);
        b = At(build.Place("B"), 140, 40);
        c = At(build.Place("C"), 240, 140);
        t = At(build.Trans("T"), 100, 200);
        arc = build.Arc(a, t);
    }
    template <class E>
    static E* At(E* e, int x, int y) {
        e->SetBounds(e->bounds.Offset(x - e->bounds.left, y - e->bounds.top));
        return e;
    }
    std::string Selection() {
        std::string names;
        for (TPlatz* p : {a, b, c}) {
            if (p->selected) names += p->name;
        }
        return names;
    }
};

struct SelectCase {
    const char* what;
    std::function<void(Drawn&)> act;
    const char* selected;
    const char* current; // "" for none
};

TEST(EditGestures, SelectingByClickShiftClickAndRubberBand) {
    const SelectCase cases[] = {
        {"a click picks one", [](Drawn& d) { d.Click(150, 50); }, "B", "B"},
        {"shift adds",
         [](Drawn& d) {
             d.Click(50, 50);
             d.Click(150, 50, true);
         },
         "AB", "B"},
        {"shift on a selected one takes it out and leaves no current element",
         [](Drawn& d) {
             d.Click(50, 50);
             d.Click(150, 50, true);
             d.Click(150, 50, true);
         },
         "A", ""},
        {"a click on empty space drops the selection",
         [](Drawn& d) {
             d.Click(50, 50);
             d.Click(400, 400);
         },
         "", ""},
        {"a band takes what lies wholly inside", [](Drawn& d) { d.Drag(30, 30, 180, 80); }, "AB", ""},
        {"a band cutting through an element leaves it out", [](Drawn& d) { d.Drag(30, 30, 160, 80); }, "A", ""},
    };
    for (const SelectCase& c : cases) {
        SCOPED_TRACE(c.what);
        Drawn d;
        c.act(d);
        EXPECT_EQ(d.Selection(), c.selected);
        EXPECT_EQ(d.doc.current ? static_cast<TPlatz*>(d.doc.current)->name : "", c.current);
        EXPECT_FALSE(d.doc.History().CanUndo());
    }
}

struct MoveCase {
    const char* what;
    MovingDetail mode;
    bool grid;
    bool both;                // A and B selected, else A alone
    bool outlineWhileDragging; // the elements stay until the release
    int dx, dy;               // where A ends up, relative to where it was
};

TEST(EditGestures, MovingTheSelectionInEachDetailModeAndWithTheGrid) {
    const MoveCase cases[] = {
        {"detail follows the mouse", MovingDetail::Detail, false, true, false, 33, 17},
        {"quick moves an outline, the elements on release", MovingDetail::Quick, false, true, true, 33, 17},
        {"quick with the grid moves by whole grid steps", MovingDetail::Quick, true, true, true, 40, 20},
        {"automatic moves one element in detail", MovingDetail::Automatic, false, false, false, 33, 17},
        {"automatic moves two as an outline", MovingDetail::Automatic, false, true, true, 33, 17},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.what);
        Drawn d;
        Settings().movingDetail = c.mode;
        Settings().alignToGrid = c.grid;
        if (c.both) d.Drag(30, 30, 180, 80);
        const TRect before = d.a->hit;
        d.gestures.Press(MouseButton::Left, {50, 50});
        d.gestures.Move({60, 55});
        d.gestures.Move({83, 67});
        EXPECT_EQ(d.gestures.CurrentOverlay().kind != Overlay::Kind::None, c.outlineWhileDragging);
        EXPECT_EQ(d.a->hit == before, c.outlineWhileDragging);
        d.gestures.Release(MouseButton::Left, {83, 67});
        EXPECT_EQ(d.gestures.CurrentOverlay().kind, Overlay::Kind::None);
        EXPECT_EQ(d.a->hit.left - before.left, c.dx);
        EXPECT_EQ(d.a->hit.top - before.top, c.dy);
        EXPECT_EQ(d.b->selected != 0, c.both);
        // One drag, one step; undo puts the net back.
        EXPECT_EQ(d.doc.History().UndoName(), "Move");
        ASSERT_TRUE(d.doc.Undo());
        EXPECT_FALSE(d.doc.History().CanUndo());
    }
}

TEST(EditGestures, DraggingTheOnlySelectedArcInsertsOneBendPointThenMovesIt) {
    Drawn d;
    const TPoint mid{(d.arc->StartPoint().x + d.arc->EndPoint().x) / 2,
                     (d.arc->StartPoint().y + d.arc->EndPoint().y) / 2};
    d.Click(mid.x, mid.y);
    ASSERT_EQ(d.doc.current, d.arc);
    d.gestures.Press(MouseButton::Left, {mid.x, mid.y});
    d.gestures.Move({mid.x + 20, mid.y});
    ASSERT_EQ(d.arc->bendPoints.size(), 1u);
    d.gestures.Move({mid.x + 40, mid.y + 5});
    d.gestures.Release(MouseButton::Left, {mid.x + 40, mid.y + 5});
    ASSERT_EQ(d.arc->bendPoints.size(), 1u);
    EXPECT_EQ(d.arc->bendPoints[0], (TPoint{mid.x + 40, mid.y + 5}));
    EXPECT_EQ(d.doc.History().UndoName(), "Insert Point");
    // The point itself is dragged without a new one; the places stay.
    const TRect place = d.a->hit;
    d.Drag(mid.x + 40, mid.y + 5, mid.x + 10, mid.y + 30);
    EXPECT_EQ(d.arc->bendPoints, (std::vector<TPoint>{{mid.x + 10, mid.y + 30}}));
    EXPECT_EQ(d.a->hit, place);
}

struct ConnectCase {
    const char* what;
    int x0, y0, x1, y1;
    std::size_t arcs; // arcs of the net afterwards (one is drawn already)
    const char* message;
};

TEST(EditGestures, TheArcToolConnectsByTheRulesOrSaysWhyNot) {
    const ConnectCase cases[] = {
        {"transition to place", 110, 205, 250, 150, 2, ""},
        {"the same arc again", 50, 50, 110, 205, 1, kConnectionExists},
        {"onto empty space", 50, 50, 500, 500, 1, ""},
    };
    for (const ConnectCase& c : cases) {
        SCOPED_TRACE(c.what);
        Drawn d;
        d.gestures.SetTool(tool::Arcs);
        d.Drag(c.x0, c.y0, c.x1, c.y1);
        std::size_t arcs = 0;
        for (TGraphItem* e : d.Net().Elements()) arcs += e->Kind() == kind::Arc;
        EXPECT_EQ(arcs, c.arcs);
        EXPECT_EQ(d.Messages().Texts(), *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        // Only a made arc is a step of its own.
        EXPECT_EQ(d.doc.History().CanUndo(), c.arcs == 2);
    }
}

TEST(DocumentCommands, AlignmentToTheAnchorInEachDirection) {
    const struct {
        Alignment a;
        int left, top; // of B after aligning A and B to A
    } cases[] = {{Alignment::Left, 45, 40},  {Alignment::HorizontalCentre, 45, 40},
                 {Alignment::Right, 45, 40}, {Alignment::Top, 140, 45},
                 {Alignment::VerticalCentre, 140, 45}, {Alignment::Bottom, 140, 45}};
    for (const auto& c : cases) {
        Drawn d;
        d.Click(50, 50);
        // One element: nothing to arrange.
        d.commands.Align(c.a);
        EXPECT_EQ(d.Messages().Texts(), std::vector<std::string>{kNothingToArrange});
        d.Click(150, 50, true);
        d.Click(50, 50, true);
        d.Click(50, 50, true);
        ASSERT_EQ(d.doc.anchor, d.a);
        d.commands.Align(c.a);
        EXPECT_EQ(d.b->hit.left, c.left);
        EXPECT_EQ(d.b->hit.top, c.top);
        EXPECT_EQ(d.a->hit.left, 45);
        EXPECT_EQ(d.doc.History().UndoName(), "Align");
    }
}

} // namespace
} // namespace qz::ui::test
