// The editor's operations on the model: creating, connecting,
// bend points, pasting and moving what was pasted.
#include <gtest/gtest.h>

#include <set>

#include "ModelTestSupport.h"
#include "model/BendPoints.h"
#include "model/Connecting.h"
#include "model/ElementCreation.h"
#include "model/Pasting.h"
#include "model/TObjekt.h"
#include "model/TSchriftObjekt.h"

namespace qz::test {
namespace {

using K = NewElementKind;

class EditingTest : public LibraryTest {
protected:
    TPNObjekt root;
    NetBuilder b{root};
    TNetList& net = root.Net();
    std::vector<std::unique_ptr<TGraphItem>> clipboard;

    void Copy(std::initializer_list<TGraphItem*> items) {
        for (TGraphItem* e : items) net.SetSelected(e, true);
        net.CopySelected(clipboard);
    }
};

TEST_F(EditingTest, NewElementsTakeTheClickedCornerAndTheNextFreeNames) {
    const struct { K kind; TPoint click; bool grid; TPoint corner; } corners[] = {
        {K::DiscretePlace, {47, 33}, true, {40, 40}}, {K::ContinuousPlace, {47, 33}, false, {32, 18}},
        {K::Shape, {-30, 10}, true, {-40, 0}}, {K::DiscreteTransition, {47, 33}, true, {60, 40}},
        {K::ContinuousTransition, {47, 33}, false, {47, 33}}, {K::Label, {47, 33}, true, {47, 33}}};
    for (const auto& c : corners) EXPECT_EQ(NewElementCorner(c.kind, c.click, {62, 48}, c.grid, 20), c.corner);

    b.Place("m1")->SetName("P1");
    b.Place("m2")->SetName("P3");
    b.Trans("T2");
    const struct { K kind; TRect hit; std::string name, variableOrSpeed; } made[] = {
        {K::DiscretePlace, {40, 40, 70, 70}, "P2", "m3"}, {K::ContinuousPlace, {0, 0, 30, 30}, "P4", "m4"},
        {K::DiscreteTransition, {40, 40, 70, 52}, "T1", "0"},
        {K::ContinuousTransition, {0, 0, 30, 12}, "T3", "1"}};
    for (const auto& c : made) {
        TGraphItem* e = CreateElement(net, c.kind, {c.hit.left, c.hit.top}, true);
        const bool place = e->Kind() == kind::Place;
        auto* p = place ? static_cast<TPlatz*>(e) : nullptr;
        auto* t = place ? nullptr : static_cast<TTransition*>(e);
        const bool continuous = c.kind == K::ContinuousPlace || c.kind == K::ContinuousTransition;
        EXPECT_EQ(std::make_tuple(e->bounds, e->hit, e->continuous != 0, !place || p->showValues),
                  std::make_tuple(c.hit, c.hit, continuous, true));
        EXPECT_EQ(place ? std::tie(p->name, p->variableName) : std::tie(t->name, t->functionText),
                  std::tie(c.name, c.variableOrSpeed));
    }
    TGraphItem* shape = CreateElement(net, K::Shape, {5, 6}, false);
    EXPECT_EQ(std::make_pair(net.At(0), shape->hit), std::make_pair(shape, TRect{5, 6, 105, 106}));
}

// Each case runs on the arcs the cases before it made.
TEST_F(EditingTest, ArcsAreMadeOncePerDirectionAndFramesStandForTheirSelectedPlace) {
    DefineClass("Tank", [](TPNObjekt& o) {
        Published(o, "level", 5);
        Published(o, "flow", 0, true);
    });
    TPNObjekt* tank = root.AddChildObject("Tank_1", "Tank", 200, 0);
    TObjectFrame* frame = &tank->Frame();
    TInterfacePlace *level = Ip(*tank, "level"), *flow = Ip(*tank, "flow");
    TPlatz *p = b.Place("p"), *c = b.Place("c", 0, true);
    TTransition *t = b.Trans("T1"), *u = b.Trans("T2", "1", true);
    const struct { TGraphItem *from, *to; TInterfacePlace* selected; bool enhanced;
                   const char *message, *weight; /* null: nothing is made */ } cases[] = {
        {p, t, nullptr, false, nullptr, "1"}, {p, t, nullptr, false, kConnectionExists, nullptr},
        {t, p, nullptr, true, nullptr, "1"}, {c, u, nullptr, true, nullptr, "1E-6"},
        {c, t, nullptr, false, nullptr, "1"},
        {t, frame, level, false, nullptr, "1"}, {t, frame, level, false, kConnectionExists, nullptr},
        {frame, t, level, false, nullptr, "1"}, {frame, u, nullptr, false, nullptr, nullptr},
        {p, frame, flow, false, kFusionNotValid, nullptr}};
    for (const auto& x : cases) {
        SCOPED_TRACE(&x - cases);
        for (auto& ip : frame->interfacePlaces) ip->selected = ip.get() == x.selected;
        net.SetSelected(p, true);
        platform.messages.Clear();
        TEdge* arc = ConnectElements(net, x.from, x.to, x.enhanced);
        EXPECT_EQ(platform.messages.Texts(),
                  x.message ? std::vector<std::string>{x.message} : std::vector<std::string>{});
        ASSERT_EQ(arc != nullptr, x.weight != nullptr);
        if (!arc) continue;
        EXPECT_EQ(std::make_pair(arc->DrawnSource(), arc->DrawnTarget()),
                  std::make_pair(x.from == frame ? x.selected : x.from, x.to == frame ? x.selected : x.to));
        EXPECT_EQ(std::make_tuple(arc->weightText, arc->valueLabel->visible != 0, p->selected),
                  std::make_tuple(std::string(x.weight), x.from == c && x.enhanced, std::uint8_t{0}));
    }
}

TEST_F(EditingTest, PointsHitBendPointsFirstThenTheNearestSegmentBox) {
    b.Place()->SetBounds({0, 0, 30, 30});
    TTransition* t = b.Trans();
    t->SetBounds({100, 9, 130, 21});
    TEdge* arc = b.Arc(net.At(0), t); // (30, 15) -> (100, 15)
    using H = BendHit::Kind;
    const std::vector<TPunkt> none, two{{60, 60}, {80, 60}}, back{{60, 80}, {20, 80}};
    const struct { const std::vector<TPunkt>& bends; TPoint p; H kind; int index; } cases[] = {
        {none, {27, 12}, H::Segment, 1}, {none, {50, 19}, H::None, 0}, // widened by 3 around y = 15
        // (25, 25) -> (60, 60) -> (80, 60) -> (110, 21)
        {two, {62, 57}, H::Point, 0}, {two, {83, 63}, H::Point, 1}, {two, {70, 61}, H::Segment, 2},
        // (23, 27) -> (60, 80) -> (20, 80) -> (106, 21): in the boxes of 1 and 3, nearer to 3
        {back, {50, 55}, H::Segment, 3}};
    for (const auto& c : cases) {
        arc->bendPoints = c.bends;
        arc->geometryValid = 0;
        const BendHit h = HitBendPoint(*arc, c.p);
        EXPECT_EQ(std::make_pair(h.kind, h.kind == H::Point ? int(h.point) : h.segment),
                  std::make_pair(c.kind, c.index));
    }
}

TEST_F(EditingTest, EachPasteRenamesItsPlacesWordByWordAndLiesTwoGridsFurther) {
    EXPECT_EQ(ReplaceWholeWord("(a1)+A1^A1-A1/A1,A1;A1*XA1+A1X", "A1", "X"), "(X)+X^X-X/X,X;X*XA1+A1X");
    TPlatz *a1 = b.Place("A1"), *a10 = b.Place("A10");
    a10->SetBounds({100, 0, 130, 30});
    TTransition* t = b.Trans("T", "A1*A10");
    TEdge* arc = b.Arc(a10, t, "a10+1");
    arc->valueLabel->visible = 0;
    Copy({net.Add(std::make_unique<TObjekt>()), a1, a10, t, arc});
    std::set<std::string> variables{"A1", "A10"};
    for (int paste = 1, d = 40; paste <= 2; ++paste, d += 40) {
        const std::vector<TGraphItem*> pasted = PasteClipboard(net, clipboard);
        ASSERT_EQ(pasted.size(), 5u);
        auto *p1 = static_cast<TPlatz*>(pasted[0]), *p10 = static_cast<TPlatz*>(pasted[1]);
        if (p1->name != "A1") std::swap(p1, p10); // each copy turns the order of the nodes
        EXPECT_EQ(std::make_pair(p1->hit, p10->hit),
                  std::make_pair(a1->hit.Offset(d, d), a10->hit.Offset(d, d)));
        const std::string &v1 = p1->variableName, &v10 = p10->variableName;
        EXPECT_TRUE(variables.insert(v1).second && variables.insert(v10).second) << "new to the net";
        EXPECT_EQ(static_cast<TTransition*>(pasted[2])->functionText, v1 + "*" + v10);
        auto* pa = static_cast<TEdge*>(pasted[3]);
        EXPECT_EQ(std::make_pair(pa->weightText, pa->valueLabel->visible),
                  std::make_pair(v10 + "+1", std::uint8_t{0}));
        EXPECT_EQ(net.At(0), pasted[4]) << "the shape goes behind everything";
        EXPECT_EQ(net.SelectedCount(), 5u) << "the earlier selection is cleared";
    }
}

// Into another net A1 becomes A2 while A2 becomes A3: the new A2 is not renamed again.
TEST_F(EditingTest, RenamedVariablesAreNotRenamedAgain) {
    Copy({b.Place("A2"), b.Place("A1"), b.Trans("T", "A1+A2")});
    TPNObjekt other;
    NetBuilder{other}.Place("A1");
    PasteClipboard(other.Net(), clipboard);
    EXPECT_EQ(ElementsOf<TTransition>(other.Net(), kind::Transition).at(0)->functionText, "A2+A3");
}

TEST_F(EditingTest, MovingTakesTheExtentToTheCornerAndArcsAlong) {
    TPlatz* p = b.Place();
    p->SetBounds({100, 100, 130, 130});
    p->nameLabel->SetBounds({90, 80, 110, 93});
    p->nameLabel->userPositioned = 1;
    TTransition* t = b.Trans();
    t->SetBounds({200, 100, 230, 112});
    t->nameLabel->visible = t->valueLabel->visible = 0;
    TEdge* arc = b.Arc(p, t);
    arc->bendPoints = {{160, 150}};
    MoveElementsTo(net, {arc, p, t}, {10, 20});
    EXPECT_EQ(std::make_tuple(p->hit, p->nameLabel->hit, t->bounds),
              std::make_tuple(TRect{20, 40, 50, 70}, TRect{10, 20, 30, 33}, TRect{120, 40, 150, 52}));
    EXPECT_EQ(std::make_pair(arc->bendPoints.at(0), arc->StartPoint()),
              std::make_pair(TPunkt{80, 90}, TPoint{46, 64}));
}

} // namespace
} // namespace qz::test
