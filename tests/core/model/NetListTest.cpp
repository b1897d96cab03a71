// The net list: copying, deleting, selection, ordering, naming and the
// simulation lists of one net.
#include <gtest/gtest.h>

#include <algorithm>

#include "ModelTestSupport.h"
#include "diagrams/TraceRecorder.h"
#include "model/ConflictGroups.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TSchriftObjekt.h"
#include "model/storage/NetFile.h"

namespace qz::test {
namespace {

class NetListTest : public ModelTest {
protected:
    TPNObjekt root;
    NetBuilder b{root};
    TNetList& net = root.Net();

    bool Contains(const TGraphItem* e) const { return net.IndexOf(e) < net.Count(); }
};

TEST_F(NetListTest, CopyKeepsOnlyArcsWithBothEndsCopiedAndOffsetsByTwoGrids) {
    Settings().gridSize = 20;
    TSchriftObjekt* label = static_cast<TSchriftObjekt*>(net.Add(std::make_unique<TSchriftObjekt>()));
    label->SetBounds({300, 300, 300, 300});
    label->SetText("note|two");
    TPlatz* p = b.Place("m4");
    p->SetBounds({0, 0, 30, 30});
    p->SetInitialMarking(3);
    p->SetMarking(2);
    p->capacity = 9;
    TTransition* t = b.Trans("T1", "2,5");
    t->SetBounds({100, 0, 130, 12});
    t->priority = 4;
    t->reservation = 1;
    TTransition* u = b.Trans("T2", "0");
    TEdge* kept = b.Arc(p, t);
    kept->SetWeightText("2");
    kept->bendPoints = {{50, 50}};
    TEdge* dropped = b.Arc(p, u);
    auto* shape = static_cast<TObjekt*>(net.Add(std::make_unique<TObjekt>()));
    shape->lineWidth = 2;
    shape->SetShapeKind(skVerticalLine);
    for (TGraphItem* e : std::initializer_list<TGraphItem*>{label, p, t, kept, dropped, shape}) net.SetSelected(e, true);

    std::vector<std::unique_ptr<TGraphItem>> copies;
    net.CopySelected(copies);

    // Nodes from the last to the first, then arcs, then labels and shapes in
    // list order.
    std::vector<char> kinds;
    for (const auto& c : copies) kinds.push_back(c->Kind());
    EXPECT_EQ(kinds, (std::vector<char>{kind::Transition, kind::Place, kind::Arc, kind::Label, kind::Shape}));

    auto* tc = static_cast<TTransition*>(copies[0].get());
    auto* pc = static_cast<TPlatz*>(copies[1].get());
    auto* ac = static_cast<TEdge*>(copies[2].get());
    EXPECT_EQ(pc->hit, p->hit.Offset(40, 40));
    EXPECT_EQ(std::make_pair(pc->InitialMarking(), pc->Marking()), std::make_pair(3.0L, 2.0));
    EXPECT_EQ(std::tie(tc->bounds, tc->valueLabel->bounds),
              std::make_tuple(t->bounds.Offset(40, 40), t->valueLabel->bounds.Offset(40, 40)));
    EXPECT_EQ(std::make_tuple(tc->functionText, tc->firingTime, tc->reservation),
              std::make_tuple(std::string("2,5"), 2.5, std::uint8_t{1}));
    EXPECT_EQ(std::tie(ac->source, ac->target), std::make_tuple(pc, tc));
    EXPECT_EQ(pc->OutEdgeList, std::vector<TEdge*>{ac});
    EXPECT_EQ(tc->InEdgeList, std::vector<TEdge*>{ac});
    EXPECT_EQ(std::make_tuple(ac->weightText, ac->groupMark), std::make_tuple(std::string("2"), std::uint8_t{1}));
    EXPECT_EQ(ac->bendPoints, std::vector<TPunkt>({{90, 90}}));
    auto* lc = static_cast<TSchriftObjekt*>(copies[3].get());
    EXPECT_EQ(std::make_pair(lc->Text(), lc->bounds), std::make_pair(std::string("note|two"), label->bounds.Offset(40, 40)));
    auto* sc = static_cast<TObjekt*>(copies[4].get());
    EXPECT_EQ(std::make_pair(sc->bounds, sc->shapeKind), std::make_pair(shape->bounds.Offset(40, 40), std::uint8_t{skVerticalLine}));
    // The originals are untouched.
    EXPECT_EQ(p->OutEdgeList.size(), 2u);
}

// The query names what would go and the text to ask with, and changes
// nothing: a place takes its arcs in both directions; nodes outrank arcs,
// arcs outrank labels and shapes.
TEST_F(NetListTest, DeletionQueryNamesTheElementsAndTheConfirmation) {
    TTransition* t1 = b.Trans("T1");
    TPlatz* p = b.Place();
    TTransition* t2 = b.Trans("T2");
    TEdge* in = b.Arc(t1, p);
    TEdge* out = b.Arc(p, t2);
    TEdge* other = b.Arc(b.Place("m2"), t2);
    TGraphItem* shape = net.Add(std::make_unique<TObjekt>());
    TGraphItem* label = net.Add(std::make_unique<TSchriftObjekt>());
    const struct {
        std::vector<TGraphItem*> selected, deleted;
        const char* text;
    } cases[] = {
        {{}, {}, nullptr},
        {{shape, label}, {shape, label}, kDeleteOthersText},
        {{other, shape}, {other, shape}, kDeleteArcsText},
        {{p, other}, {p, in, out, other}, kDeleteNodesText},
    };
    const std::size_t count = net.Count();
    for (const auto& c : cases) {
        net.DeselectAll();
        for (TGraphItem* e : c.selected) net.SetSelected(e, true);
        const DeletionQuery q = net.QueryDeleteSelected();
        std::vector<TGraphItem*> deleted = q.elements, expected = c.deleted;
        std::sort(deleted.begin(), deleted.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(deleted, expected);
        EXPECT_EQ(q.confirmation, c.text);
        EXPECT_EQ(net.Count(), count);
    }
}

// What a window does: ask through the query, keep the net file image,
// delete, and undo by reading the image back.
TEST_F(NetListTest, DeleteAnsweredThroughTheQueryIsUndoneFromTheFileImage) {
    TTransition* t1 = b.Trans("T1");
    TPlatz* p = b.Place();
    b.Arc(t1, p);
    b.Arc(p, b.Trans("T2"));
    net.SetSelected(p, true);
    const DeletionQuery q = net.QueryDeleteSelected();
    ASSERT_EQ(q.confirmation, kDeleteNodesText);
    const std::vector<std::uint8_t> image = SaveNet(root);
    net.DeleteSelection();
    EXPECT_EQ(net.Count(), 2u);
    EXPECT_TRUE(t1->OutEdgeList.empty());
    root.Clear();
    ASSERT_TRUE(LoadNet(root, image));
    EXPECT_EQ(SaveNet(root), image);
    EXPECT_TRUE(platform.messages.Shown().empty());
}

TEST_F(NetListTest, SelectionInRectangleNeedsWholeBounds) {
    TPlatz* inside = b.Place();
    inside->SetBounds({10, 10, 40, 40});
    TPlatz* cut = b.Place("m2");
    cut->SetBounds({90, 10, 120, 40});
    TEdge* a = b.Arc(inside, cut);
    a->startPoint = {40, 25};
    a->endPoint = {60, 25};
    a->geometryValid = 1;
    EXPECT_TRUE(net.SelectInRect({0, 0, 100, 100}));
    EXPECT_EQ(std::make_tuple(inside->selected, cut->selected, a->selected, a->groupMark, net.SelectedCount()),
              std::make_tuple(1, 0, 1, 1, 2u));
    net.DeselectAll();
    EXPECT_EQ(a->groupMark, 0);
    EXPECT_FALSE(net.SelectInRect({200, 200, 300, 300}));
}

TEST_F(NetListTest, ElementAtPointPrefersArcsThenTheTopmost) {
    TPlatz* under = b.Place();
    TPlatz* over = b.Place("m2");
    TEdge* a = b.Arc(under, over);
    net.BringToFront(under); // under now lies on top of the arc and of `over`
    net.SetSelected(a, true);
    EXPECT_EQ(net.At(net.Count() - 1), a) << "selecting an arc moves it to the end";
    net.DeselectAll();
    net.BringToFront(under); // on top of the arc again: the arc still wins
    a->startPoint = {0, 15};
    a->endPoint = {100, 15};
    a->geometryValid = 1;
    EXPECT_EQ(std::make_tuple(net.ElementAt({15, 15}), net.ElementAt({15, 25})), std::make_tuple(a, under));
    net.BringToFront(over);
    EXPECT_EQ(net.ElementAt({15, 25}), over);
    net.SendToBack(over);
    EXPECT_EQ(std::make_tuple(net.At(0), net.ElementAt({15, 25}), net.ElementAt({500, 500})),
              std::make_tuple(over, under, nullptr));
}

TEST_F(NetListTest, AlignmentsUseTheReferenceEdges) {
    TPlatz* ref = b.Place();
    ref->SetBounds({100, 100, 140, 140});
    TPlatz* p = b.Place("m2");
    TTransition* t = b.Trans();
    t->SetBounds({0, 200, 30, 212});
    net.SetSelected(p, true);
    net.SetSelected(t, true);

    // One after the other; each row gives where the place and the
    // transition end up.
    const struct {
        Alignment a;
        TRect place, transition;
    } rows[] = {
        {Alignment::Left, {100, 0, 130, 30}, {100, 200, 130, 212}},
        {Alignment::Right, {110, 0, 140, 30}, {110, 200, 140, 212}},
        {Alignment::HorizontalCentre, {105, 0, 135, 30}, {105, 200, 135, 212}},
        {Alignment::Top, {105, 100, 135, 130}, {105, 100, 135, 112}},
        {Alignment::VerticalCentre, {105, 105, 135, 135}, {105, 114, 135, 126}},
        {Alignment::Bottom, {105, 110, 135, 140}, {105, 128, 135, 140}},
    };
    for (const auto& r : rows) {
        net.AlignSelected(ref, r.a);
        EXPECT_EQ(std::make_tuple(p->hit, t->hit), std::make_tuple(r.place, r.transition)) << int(r.a);
    }
    EXPECT_EQ(ref->hit, (TRect{100, 100, 140, 140}));
}

TEST_F(NetListTest, BoundsCoverHitRectanglesAndVisibleLabels) {
    EXPECT_EQ(net.BoundsOfAll(), (TRect{}));
    TPlatz* p = b.Place();
    p->SetBounds({10, 10, 40, 40});
    p->nameLabel->SetBounds({0, 0, 20, 13});
    p->valueLabel->SetBounds({0, 0, 500, 500}); // hidden: ignored
    TPlatz* q = b.Place("m2");
    q->SetBounds({100, 100, 130, 130});
    q->nameLabel->SetBounds({110, 90, 120, 103});
    EXPECT_EQ(net.BoundsOfSelection(), (TRect{}));
    net.SetSelected(p, true);
    EXPECT_EQ(net.BoundsOfSelection(), (TRect{0, 0, 40, 40}));
    EXPECT_EQ(net.BoundsOfAll(), (TRect{0, 0, 130, 130}));
}

TEST_F(NetListTest, AutomaticNamesFollowListOrder) {
    TPlatz* a = b.Place("a");
    TTransition* t = b.Trans("x");
    TPlatz* c = b.Place("c");
    a->SetBounds({500, 500, 530, 530});
    net.NamePlacesAutomatically();
    net.NameTransitionsAutomatically();
    EXPECT_EQ(std::tie(a->name, c->name, t->name), std::make_tuple("P1", "P2", "T1"));
    EXPECT_EQ(a->nameLabel->Text(), "P1");
}

TEST_F(NetListTest, UniqueVariableNamesCountFromOneOrFromTheNameNumber) {
    b.Place("m1");
    b.Place("m2");
    b.Place("tank10");
    auto fresh = [&](const std::string& v) {
        TPlatz* p = b.Place(v);
        net.MakeUniqueVariableName(p);
        return p->variableName;
    };
    EXPECT_EQ(std::make_tuple(fresh("m1"), fresh("tank10"), fresh("free")), std::make_tuple("m3", "tank1", "free"));
    EXPECT_TRUE(net.VariableNameIsFree("M1")) << "exact comparison";
    EXPECT_FALSE(net.VariableNameIsFree("m3"));
    const struct {
        const char* name;
        std::vector<std::string> taken;
        const char* unique;
    } rows[] = {{"m7", {"m1"}, "m7"}, {"m7", {"m7", "m8"}, "m9"}, {"m", {"m1", "m"}, "m2"}};
    for (const auto& r : rows) EXPECT_EQ(TNetList::UniqueVariableNameAmong(r.name, r.taken), r.unique);
}

TEST_F(NetListTest, SimulationListsPutReservationTransitionsLast) {
    TTransition* res = b.Trans("Res", "5");
    res->reservation = 1;
    TTransition* imm = b.Trans("Imm", "0");
    TTransition* step = b.Trans("Step", "-1");
    TTransition* timed = b.Trans("Timed", "5");
    TTransition* expr = b.Trans("Expr", "m1*2");
    TTransition* cont = b.Trans("Cont", "1", true);
    cont->reservation = 1; // e.g. read from an old file: listed once
    TTransition* immRes = b.Trans("ImmRes", "0");
    immRes->reservation = 1;
    TPlatz* p = b.Place();
    TEdge* formula = b.Arc(p, imm);
    formula->SetWeightText("m1+1");
    b.Arc(p, step);

    SimulationLists lists;
    root.CollectSimulationLists(lists);
    using V = std::vector<TTransition*>;
    EXPECT_EQ(lists.discrete, (V{imm, step, immRes, res}));
    EXPECT_EQ(lists.timed, (V{timed, expr, res}));
    EXPECT_EQ(lists.continuous, (V{cont}));
    EXPECT_EQ(lists.formulaArcs, std::vector<TEdge*>{formula});
}

TEST_F(NetListTest, ConflictGroupsOrderArcsByFallingPriority) {
    TPlatz* shared = b.Place("s");
    TPlatz* single = b.Place("x");
    TPlatz* cont = b.Place("c", 0, true);
    TTransition* low = b.Trans("Low", "0", false, 1);
    TTransition* high = b.Trans("High", "0", false, 5);
    TTransition* mid = b.Trans("Mid", "0", false, 3);
    TEdge* aLow = b.Arc(shared, low);
    TEdge* aHigh = b.Arc(shared, high);
    b.Arc(shared, mid, "1", akInhibitor); // reads only: no competitor
    TEdge* aMid = b.Arc(shared, mid);
    b.Arc(single, low);
    b.Arc(cont, low);
    b.Arc(cont, high);
    b.Arc(high, shared); // an input arc does not compete

    std::vector<ConflictGroup> groups;
    root.ResolveFusion();
    BuildConflictGroups(root, groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].place, shared);
    EXPECT_EQ(groups[0].arcs, (std::vector<TEdge*>{aHigh, aMid, aLow}));
    EXPECT_EQ(shared->conflictArcs, groups[0].arcs);
    EXPECT_TRUE(single->conflictArcs.empty());

    // Rebuilding first forgets the old groups.
    aHigh->arcKind = akTest;
    aMid->arcKind = akTest;
    std::vector<ConflictGroup> again;
    BuildConflictGroups(root, again);
    EXPECT_TRUE(again.empty());
    EXPECT_TRUE(shared->conflictArcs.empty());
}

TEST_F(NetListTest, InvalidArcsAreMarkedAndCounted) {
    TPlatz* disc = b.Place("d");
    TPlatz* cont = b.Place("c", 0, true);
    TTransition* ct = b.Trans("CT", "1", true);
    TTransition* dt = b.Trans("DT", "0");
    TEdge* discToCont = b.Arc(disc, ct);
    TEdge* contToDisc = b.Arc(ct, disc);
    TEdge* inhibitCont = b.Arc(cont, ct, "1", akInhibitor);
    TEdge* testFromTransition = b.Arc(dt, disc, "1", akTest);
    TEdge* inhibitFromTransition = b.Arc(dt, cont, "1", akInhibitor);
    TEdge* fine1 = b.Arc(cont, ct);
    TEdge* fine2 = b.Arc(disc, dt, "1", akTest);
    TEdge* fine3 = b.Arc(cont, dt, "1", akInhibitor);

    int counter = 0;
    root.MarkInvalidArcs(counter, false);
    EXPECT_EQ(counter, 5);
    for (TEdge* a : {discToCont, contToDisc, inhibitCont, testFromTransition, inhibitFromTransition}) {
        EXPECT_TRUE(a->selected);
    }
    for (TEdge* a : {fine1, fine2, fine3}) EXPECT_FALSE(a->selected);

    counter = 0;
    root.MarkInvalidArcs(counter, true);
    EXPECT_EQ(counter, 4) << "the enhanced rule allows inhibitor arcs between continuous ends";
}

TEST_F(NetListTest, AnchoringBeforeADragPreventsAJump) {
    Settings().alignToGrid = true;
    Settings().gridSize = 20;
    TPlatz* p = b.Place();
    net.SetSelected(p, true);
    net.MoveSelected(15, 5); // less than g: drawn where it was
    EXPECT_EQ(p->hit, (TRect{0, 0, 30, 30}));
    net.AnchorSelectedDragPositions(); // the next drag starts here
    EXPECT_EQ(p->bounds, p->hit);
    net.MoveSelected(5, 0);
    EXPECT_EQ(p->hit, (TRect{0, 0, 30, 30})) << "a small move after a pause does not snap";
}

TEST_F(NetListTest, DiagramHooksOfAPlace) {
    TPlatz* p = b.Place("m1", 0, true);
    p->SetName("Tank");
    auto* scope = new diagrams::TTraceRecorder;
    scope->curveType = -1;
    p->SetDiagram(std::unique_ptr<Oscilloscope>(scope));
    p->UpdateOscilloscopeCaption();
    EXPECT_EQ(std::tie(scope->headLine, scope->yAxisName, scope->curveType),
              std::make_tuple(std::string("Place: Tank"), std::string("m1"), 0));
    p->SetMarking(2.5);
    root.RecordSamples(0.5);
    ASSERT_EQ(scope->trace.Count(), 1);
    EXPECT_EQ(std::make_pair(scope->trace.First()->x, scope->trace.First()->y), std::make_pair(0.5L, 2.5L));
    EXPECT_TRUE(scope->curveOn);
    root.ClearOscilloscopeData();
    EXPECT_EQ(scope->trace.Count(), 0);
    p->DetachOscilloscope(scope);
    EXPECT_EQ(p->Diagram(), nullptr);
    delete scope;
}

} // namespace
} // namespace qz::test
