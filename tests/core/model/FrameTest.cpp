// Object frames and interface places: interface building and layout, frame
// commands, and the fusion rules of arcs to interface places.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/ConflictGroups.h"
#include "model/FusionRules.h"

namespace qz::test {
namespace {

class FrameTest : public LibraryTest {
protected:
    FrameTest() {
        DefineClass("Tank", [](TPNObjekt& o) {
            TPlatz* level = Published(o, "level", 5);
            Published(o, "flow", 0, true);
            NetBuilder nb{o};
            nb.Arc(level, nb.Trans("drain", "0", false, 2));
        });
        root.name = "Plant";
    }

    TPNObjekt* Instance() { return root.AddChildObject(root.UniqueChildName("Tank"), "Tank", 0, 0); }
    // Selects `items`, confirms the question and deletes the selection.
    bool Delete(std::initializer_list<TGraphItem*> items) {
        for (TGraphItem* e : items) root.Net().SetSelected(e, true);
        platform.messages.Answer(MsgAnswer::Ok);
        return root.Net().DeleteSelected();
    }

    TPNObjekt root;
    NetBuilder b{root};
};

TEST_F(FrameTest, RebuildListsOwnPlacesThenTheBaseFramesPlaces) {
    ASSERT_TRUE(root.SetInherited("Tank"));
    TPlatz* own = Published(root, "extra");
    b.Place("private");
    TObjectFrame& f = root.Frame();
    f.RebuildInterface();
    ASSERT_EQ(f.interfacePlaces.size(), 3u);
    EXPECT_EQ(f.interfacePlaces[0]->innerPlace, own);
    EXPECT_FALSE(f.interfacePlaces[0]->inherited);
    EXPECT_EQ(f.interfacePlaces[1]->innerPlace->variableName, "level");
    EXPECT_TRUE(f.interfacePlaces[1]->inherited);
    EXPECT_EQ(f.interfacePlaces[2]->innerPlace->variableName, "flow");

    // The interface flag adds and removes single interface places.
    own->SetInterfaceFlag(0);
    EXPECT_EQ(f.interfacePlaces.size(), 2u);
    own->SetInterfaceFlag(1);
    EXPECT_EQ(f.interfacePlaces.back()->innerPlace, own);
    root.Net().Remove(own);
    EXPECT_EQ(f.interfacePlaces.size(), 2u) << "a destroyed place leaves the interface";
}

// Changing sides and the strip geometry are pinned by the frame drawing tests.
TEST_F(FrameTest, SelectedPlacesMoveWithinTheirOrder) {
    TPNObjekt* t = Instance();
    TObjectFrame& f = t->Frame();
    TInterfacePlace* flow = Ip(*t, "flow");
    flow->selected = 1;
    f.MoveSelectedUp();
    EXPECT_EQ(f.interfacePlaces[0].get(), flow);
    f.MoveSelectedUp(); // already first: no change
    EXPECT_EQ(f.interfacePlaces[0].get(), flow);
    f.MoveSelectedDown();
    EXPECT_EQ(f.interfacePlaces[1].get(), flow);
    f.MoveSelectedDown(); // already last
    EXPECT_EQ(f.interfacePlaces[1].get(), flow);
}

TEST_F(FrameTest, OnlyUsedHidesPlacesWithoutArcs) {
    TPNObjekt* t = Instance();
    TObjectFrame& f = t->Frame();
    TTransition* tr = b.Trans();
    ASSERT_NE(ConnectArc(root.Net(), tr, Ip(*t, "flow")), nullptr);
    f.SetShowOnlyUsed(1);
    EXPECT_FALSE(Ip(*t, "level")->visible);
    EXPECT_TRUE(Ip(*t, "flow")->visible);
    EXPECT_EQ(Ip(*t, "flow")->hit.top, 34) << "the hidden place takes no slot";
    EXPECT_FALSE(Ip(*t, "level")->HitTest({Ip(*t, "level")->hit.left + 1, Ip(*t, "level")->hit.top + 1}));
    f.SetShowOnlyUsed(0);
    EXPECT_TRUE(Ip(*t, "level")->visible);
}

TEST_F(FrameTest, LargestSizeClassGrowsASmallFrameToFitItsPlaces) {
    DefineClass("Many", [](TPNObjekt& o) {
        for (const char* v : {"a", "b", "c"}) Published(o, v);
    });
    TPNObjekt* m = root.AddChildObject("M", "Many", 0, 0);
    TObjectFrame& f = m->Frame();
    f.SetBounds({0, 0, 120, 60});
    f.SetInterfaceSizeClass(4);
    // Side 27, strip 32: with margin 7 the places need 20 + 14 + 3 * 30 =
    // 124, so the bottom goes to 128; the margin then grows to 16 and the
    // bottom to 142 + 4 = 146, where a margin of 18 fits exactly.
    EXPECT_EQ(f.bounds.bottom, 146);
    EXPECT_EQ(f.stripWidth, 32);
    EXPECT_EQ(f.cornerRadius, 25);
    EXPECT_EQ(f.interfacePlaces[0]->sideLength, 27);
    EXPECT_GE(f.bounds.bottom, f.minimumBottom);
    for (auto& ip : f.interfacePlaces) {
        EXPECT_LE(ip->hit.bottom, f.leftStrip.bottom) << "every place lies on its strip";
    }
    const int grown = f.bounds.bottom;
    f.SetInterfaceSizeClass(0);
    EXPECT_EQ(f.bounds.bottom, grown) << "a smaller class never shrinks the frame";
    f.InitSize();
    EXPECT_EQ(f.bounds, (TRect{0, 0, 100, 100}));
}

TEST_F(FrameTest, GripResizesWithinLimitsElseTheFrameMoves) {
    TPNObjekt* t = Instance();
    TObjectFrame& f = t->Frame();
    // Grip: (120 - 9 - 15, 75) to (120 - 9 - 3, 87).
    EXPECT_TRUE(f.HitTest({100, 80}));
    EXPECT_TRUE(f.gripHit);
    f.MoveBy(-60, 0, nullptr); // width 60 is not above 4 * 18
    EXPECT_EQ(f.bounds.right, 120);
    f.MoveBy(-40, 0, nullptr);
    EXPECT_EQ(f.bounds.right, 80);
    f.MoveBy(0, -40, nullptr); // bottom 50 is not above the minimum bottom 76
    EXPECT_EQ(f.bounds.bottom, 90);
    f.MoveBy(0, -13, nullptr);
    EXPECT_EQ(f.bounds.bottom, 77);
    f.MoveBy(0, 100, nullptr);
    EXPECT_EQ(f.bounds.bottom, 177);
    EXPECT_EQ(f.bounds.left, 0);

    EXPECT_TRUE(f.HitTest({40, 10}));
    EXPECT_FALSE(f.gripHit);
    const TRect ip = Ip(*t, "level")->hit;
    f.MoveBy(30, 5, nullptr);
    EXPECT_EQ(f.bounds, (TRect{30, 5, 110, 182}));
    EXPECT_EQ(Ip(*t, "level")->hit.left, ip.left + 30) << "interface places move along";
}

TEST_F(FrameTest, HitTestSelectsAnInterfacePlaceWhoseInitialValueCanBeEdited) {
    TPNObjekt* t = Instance();
    TObjectFrame& f = t->Frame();
    EXPECT_EQ(f.SelectedValueText(), "");
    EXPECT_FALSE(f.SetSelectedValueFromText("3"));
    TInterfacePlace* level = Ip(*t, "level");
    TInterfacePlace* flow = Ip(*t, "flow");
    level->selected = 1;
    flow->selected = 1;
    EXPECT_EQ(f.SelectedValueText(), "5");
    EXPECT_FALSE(f.SetSelectedValueFromText("")) << "an unchanged dialog answers empty";
    EXPECT_TRUE(f.SetSelectedValueFromText("2,5"));
    EXPECT_EQ(level->Value(), 2.5L);
    EXPECT_EQ(level->innerPlace->Marking(), 2) << "the discrete marking is rounded";
    EXPECT_EQ(flow->Value(), 0);
    EXPECT_EQ(f.SelectedValueText(), "2,5");

    level->selected = 0;
    flow->selected = 0;
    EXPECT_TRUE(f.HitTest({flow->hit.left + 2, flow->hit.top + 2}));
    EXPECT_EQ(f.hovered, flow);
    EXPECT_TRUE(flow->selected);
    EXPECT_EQ(f.FirstSelectedInterfacePlace(), flow);
    EXPECT_FALSE(f.HitTest({500, 500}));
    f.SetSelected(true);
    f.SetSelected(false);
    EXPECT_EQ(f.hovered, nullptr);
}

TEST_F(FrameTest, FusionConnectsOnlyEqualKindsOnce) {
    TPNObjekt* t1 = Instance();
    TPNObjekt* t2 = Instance();
    TPlatz* pd = b.Place("pd");
    TPlatz* pd2 = b.Place("pd2");
    TPlatz* pc = b.Place("pc", 0, true);
    TInterfacePlace* level1 = Ip(*t1, "level");
    TInterfacePlace* flow1 = Ip(*t1, "flow");
    TInterfacePlace* flow2 = Ip(*t2, "flow");
    TNetList& net = root.Net();

    EXPECT_EQ(ConnectArc(net, pc, level1), nullptr); // continuous to discrete
    TEdge* k1 = ConnectArc(net, pd, level1);
    ASSERT_NE(k1, nullptr);
    EXPECT_EQ(k1->connectionKind, ConnectionKind::PlaceToInterface);
    EXPECT_EQ(pd->OutEdgeList, std::vector<TEdge*>{k1});
    EXPECT_EQ(level1->InEdgeList, std::vector<TEdge*>{k1});
    EXPECT_EQ(ConnectArc(net, pd2, level1), nullptr) << "one incoming fusion per interface place";
    EXPECT_EQ(ConnectArc(net, level1, pd), nullptr) << "would fuse the owner to its follower";
    EXPECT_EQ(ConnectArc(net, flow1, Ip(*t1, "level")), nullptr) << "same frame";
    TEdge* k5 = ConnectArc(net, flow1, flow2);
    ASSERT_NE(k5, nullptr);
    EXPECT_EQ(k5->connectionKind, ConnectionKind::InterfaceToInterface);
    EXPECT_EQ(ConnectArc(net, flow2, flow1), nullptr) << "the reverse would close a ring";
    EXPECT_EQ(ConnectArc(net, pd, pd2), nullptr);
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>(5, "Fusion not valid..."));

    root.ResolveFusion();
    EXPECT_EQ(level1->innerPlace->markingOwner, pd);
    EXPECT_EQ(level1->innerPlace->rootFlag, 0);
    pd->SetMarking(3);
    EXPECT_EQ(level1->innerPlace->Marking(), 3);
    EXPECT_EQ(flow2->innerPlace->markingOwner, flow1->innerPlace);
    EXPECT_EQ(Ip(*t2, "level")->innerPlace->markingOwner, Ip(*t2, "level")->innerPlace);

    // Reversing the interface fusion swaps the owner.
    ASSERT_TRUE(ReverseArc(*k5));
    EXPECT_EQ(k5->source, flow2);
    EXPECT_EQ(k5->target, flow1);
    EXPECT_EQ(flow2->OutEdgeList, std::vector<TEdge*>{k5});
    EXPECT_EQ(flow1->InEdgeList, std::vector<TEdge*>{k5});
    root.ResolveFusion();
    EXPECT_EQ(flow1->innerPlace->markingOwner, flow2->innerPlace);
    EXPECT_EQ(flow2->innerPlace->markingOwner, flow2->innerPlace);
}

TEST_F(FrameTest, ASecondFusionOntoAFollowerIsRefusedAndLeavesItsOwner) {
    // Rows: the connection kinds of the first and the second fusion arc
    // that end at one follower (an outer place for kind 2, else an interface place).
    for (const auto& [first, second] : {std::pair{2, 2}, {5, 5}, {5, 1}, {1, 5}}) {
        SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
        TInterfacePlace* from1 = Ip(*Instance(), "level");
        TInterfacePlace* from2 = Ip(*Instance(), "level");
        TPlatz* outer1 = b.Place("outer1");
        TPlatz* outer2 = b.Place("outer2");
        TInterfacePlace* ip = first == 2 ? nullptr : Ip(*Instance(), "level");
        TGraphItem* follower = ip ? static_cast<TGraphItem*>(ip) : outer1;
        TPlatz* followerPlace = ip ? ip->innerPlace : outer1;
        ASSERT_NE(ConnectArc(root.Net(), first == 1 ? static_cast<TGraphItem*>(outer2) : from1, follower), nullptr);
        const TPlatz* owner = followerPlace->markingOwner;
        ASSERT_NE(owner, followerPlace);
        platform.messages.Clear();
        EXPECT_EQ(ConnectArc(root.Net(), second == 1 ? static_cast<TGraphItem*>(outer2) : from2, follower), nullptr);
        EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{"Fusion not valid..."});
        root.ResolveFusion();
        EXPECT_EQ(followerPlace->markingOwner, owner);
    }
}

TEST_F(FrameTest, TransitionArcsActOnTheInnerPlace) {
    TPNObjekt* t1 = Instance();
    TInterfacePlace* level = Ip(*t1, "level");
    TTransition* tr = b.Trans();
    TEdge* k3 = ConnectArc(root.Net(), tr, level);
    ASSERT_NE(k3, nullptr);
    EXPECT_EQ(k3->connectionKind, ConnectionKind::TransitionToInterface);
    EXPECT_EQ(k3->target, level->innerPlace);
    EXPECT_EQ(k3->interfaceTarget, level);
    EXPECT_EQ(k3->DrawnTarget(), level);
    EXPECT_EQ(tr->OutEdgeList, std::vector<TEdge*>{k3});
    EXPECT_EQ(level->InEdgeList, std::vector<TEdge*>{k3});
    EXPECT_TRUE(level->innerPlace->InEdgeList.empty() ||
                level->innerPlace->InEdgeList.back() != k3);

    ASSERT_TRUE(ReverseArc(*k3));
    EXPECT_EQ(k3->connectionKind, ConnectionKind::InterfaceToTransition);
    EXPECT_EQ(k3->source, level->innerPlace);
    EXPECT_EQ(k3->interfaceSource, level);
    EXPECT_EQ(k3->target, tr);
    EXPECT_EQ(level->OutEdgeList, std::vector<TEdge*>{k3});
    EXPECT_TRUE(level->InEdgeList.empty());
    EXPECT_EQ(tr->InEdgeList, std::vector<TEdge*>{k3});
    EXPECT_TRUE(tr->OutEdgeList.empty());
    ASSERT_TRUE(ReverseArc(*k3));
    EXPECT_EQ(k3->connectionKind, ConnectionKind::TransitionToInterface);
    EXPECT_EQ(k3->interfaceTarget, level);

    TPlatz* p = b.Place();
    TEdge* plain = ConnectArc(root.Net(), p, tr);
    ASSERT_TRUE(ReverseArc(*plain));
    EXPECT_EQ(plain->source, tr);
    EXPECT_EQ(tr->OutEdgeList.back(), plain);
    EXPECT_EQ(p->InEdgeList, std::vector<TEdge*>{plain});
    EXPECT_TRUE(p->OutEdgeList.empty());
}

TEST_F(FrameTest, ReversalMovesOwnershipOrIsRefusedOnConflict) {
    TPNObjekt* t1 = Instance();
    TPNObjekt* t2 = Instance();
    TPlatz* outer = b.Place("outer");
    TInterfacePlace* level1 = Ip(*t1, "level");
    TInterfacePlace* level2 = Ip(*t2, "level");
    TPlatz* inner1 = level1->innerPlace;
    TPlatz* inner2 = level2->innerPlace;

    TEdge* fusion = ConnectArc(root.Net(), outer, level1);
    ASSERT_NE(fusion, nullptr);
    ASSERT_TRUE(ReverseArc(*fusion));
    EXPECT_EQ(fusion->connectionKind, ConnectionKind::InterfaceToPlace);
    EXPECT_EQ(fusion->source, level1);
    EXPECT_EQ(fusion->target, outer);
    EXPECT_EQ(outer->IncomingFusionArcs(), 1);
    root.ResolveFusion();
    EXPECT_EQ(outer->markingOwner, inner1);
    EXPECT_EQ(inner1->markingOwner, inner1);
    EXPECT_EQ(inner1->rootFlag, 1);
    inner1->SetMarking(6);
    EXPECT_EQ(outer->Marking(), 6);

    // A chain: inner2 follows outer, which follows inner1.
    TEdge* second = ConnectArc(root.Net(), outer, level2);
    ASSERT_NE(second, nullptr);
    root.ResolveFusion();
    EXPECT_EQ(inner2->markingOwner, inner1);
    EXPECT_EQ(inner2->rootFlag, 0);
    EXPECT_EQ(inner2->Marking(), 6);

    // Reversing `second` would give outer a second owner.
    EXPECT_FALSE(ReverseArc(*second));
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{"This operation is not valid.\rThere would be a fusion conflict."});
    EXPECT_EQ(second->connectionKind, ConnectionKind::PlaceToInterface);
    EXPECT_EQ(second->source, outer);

    // Back to kind 1: inner1 follows outer again, and so does inner2.
    ASSERT_TRUE(ReverseArc(*fusion));
    root.ResolveFusion();
    EXPECT_EQ(inner1->markingOwner, outer);
    EXPECT_EQ(inner2->markingOwner, outer);
    EXPECT_EQ(outer->rootFlag, 1);
}

TEST_F(FrameTest, ValuesReachTheChainsRootAndDeletingFusionArcsUnfusesTheirFollowers) {
    TPNObjekt* t1 = Instance();
    TPNObjekt* t2 = Instance();
    TPlatz* outer = b.Place("outer");
    TEdge* k2 = ConnectArc(root.Net(), Ip(*t1, "level"), outer); // outer follows inner1
    ASSERT_NE(ConnectArc(root.Net(), outer, Ip(*t2, "level")), nullptr); // inner2 follows outer
    TEdge* k5 = ConnectArc(root.Net(), Ip(*t1, "flow"), Ip(*t2, "flow"));
    ASSERT_TRUE(k2 && k5);
    Ip(*t2, "level")->SetValue(9);
    EXPECT_EQ(Ip(*t1, "level")->Value(), 9);
    EXPECT_EQ(outer->InitialMarking(), 9);

    // Deleting the first fusion makes outer the root for inner2 at once.
    ASSERT_TRUE(Delete({k2, k5}));
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{"This deletes all selected arcs.."});
    EXPECT_EQ(outer->link, outer);
    EXPECT_TRUE(outer->InEdgeList.empty());
    outer->SetInitialMarking(4);
    EXPECT_EQ(Ip(*t2, "level")->Value(), 4);
    EXPECT_EQ(Ip(*t1, "level")->Value(), 9);
    TPlatz* follower = Ip(*t2, "flow")->innerPlace;
    EXPECT_EQ(follower->link, follower);
    EXPECT_TRUE(Ip(*t1, "flow")->OutEdgeList.empty());
    EXPECT_TRUE(Ip(*t2, "flow")->InEdgeList.empty());
}

TEST_F(FrameTest, ConflictGroupsGatherFusedPlacesAndInterfaceReaders) {
    TPNObjekt* t1 = Instance();
    TInterfacePlace* level1 = Ip(*t1, "level");
    TPlatz* owner = b.Place("owner");
    TTransition* ta = b.Trans("Ta", "0", false, 1);
    TTransition* tb = b.Trans("Tb", "0", false, 7);
    TEdge* own = b.Arc(owner, ta);
    ConnectArc(root.Net(), owner, level1);
    TEdge* reader = ConnectArc(root.Net(), level1, tb); // kind 4 on the inner place
    ASSERT_EQ(reader->connectionKind, ConnectionKind::InterfaceToTransition);
    TEdge* drain = level1->innerPlace->OutEdgeList.at(0);

    root.ResolveFusion();
    std::vector<ConflictGroup> groups;
    BuildConflictGroups(root, groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].place, owner);
    EXPECT_EQ(groups[0].arcs, (std::vector<TEdge*>{reader, drain, own}));
    EXPECT_EQ(owner->conflictArcs, groups[0].arcs);

    // Deleting the fusion arc gives the inner place its own group back.
    ASSERT_TRUE(Delete({owner->OutEdgeList.back()}));
    root.ResolveFusion();
    groups.clear();
    BuildConflictGroups(root, groups);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].place, level1->innerPlace);
    EXPECT_EQ(groups[0].arcs, (std::vector<TEdge*>{reader, drain}));
}

TEST_F(FrameTest, DeletingElementsResetsOnlyTheFusionsTheyCarried) {
    TPNObjekt* t1 = Instance();
    TPNObjekt* t2 = Instance();
    TPlatz* outer = b.Place("outer", 0, true);
    TPlatz* feeder = b.Place("feeder", 0, true);
    TTransition* tr = b.Trans("T", "1", true);
    TInterfacePlace* flow1 = Ip(*t1, "flow");
    TInterfacePlace* flow2 = Ip(*t2, "flow");
    ConnectArc(root.Net(), outer, flow1);   // flow1's inner follows outer
    ConnectArc(root.Net(), flow1, flow2);   // flow2's inner follows flow1's inner
    ConnectArc(root.Net(), tr, flow1);      // kind 3: no fusion
    TEdge* feed = ConnectArc(root.Net(), feeder, tr);
    TPlatz* inner1 = flow1->innerPlace;

    // The transition goes with its arcs; the inner place keeps its fusion.
    ASSERT_TRUE(Delete({tr}));
    EXPECT_EQ(root.Net().IndexOf(feed), root.Net().Count());
    EXPECT_TRUE(feeder->OutEdgeList.empty());
    EXPECT_EQ(inner1->link, outer);

    // Deleting the second frame drops the kind-5 arc; the source's fusion stays.
    const std::size_t before = root.Net().Count();
    ASSERT_TRUE(Delete({&t2->Frame()}));
    EXPECT_EQ(platform.messages.Shown().back().text, "This deletes all selected graphical objects...");
    EXPECT_EQ(root.Net().Count(), before - 2); // the frame and the kind-5 arc
    EXPECT_EQ(inner1->link, outer);
    EXPECT_EQ(flow1->OutEdgeList.size(), 0u);
    EXPECT_EQ(root.Net().Children().size(), 1u);

    // Deleting the owner resets its follower.
    ASSERT_TRUE(Delete({outer}));
    EXPECT_EQ(inner1->link, inner1);
    EXPECT_TRUE(flow1->InEdgeList.empty());
}

TEST_F(FrameTest, InheritedFramesAreNeitherDeletedNorCounted) {
    ASSERT_TRUE(root.SetInherited("Tank"));
    TObjectFrame& baseFrame = root.Base()->Frame();
    EXPECT_TRUE(baseFrame.inherited);
    root.Net().SetSelected(&baseFrame, true);
    EXPECT_FALSE(root.Net().DeleteSelected());
    EXPECT_TRUE(platform.messages.Shown().empty());
    EXPECT_FALSE(baseFrame.selected);

    ASSERT_TRUE(Delete({&baseFrame, b.Place()}));
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{"This deletes all selected objects and the assigned arcs.."});
    EXPECT_EQ(platform.messages.Shown()[0].kind, MsgKind::Warning);
    EXPECT_EQ(platform.messages.Shown()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(root.Net().Count(), 1u);
    EXPECT_EQ(root.Net().At(0), &baseFrame);
}

using InterfaceLifetimeTest = FrameTest;

TEST_F(InterfaceLifetimeTest, UnpublishingAPlaceRemovesTheParentsArcsAtIt) {
    TPNObjekt* t1 = Instance();
    TPlatz* own = Published(*t1, "own"); // added while the instance is open
    TInterfacePlace* ip = Ip(*t1, "own");
    ASSERT_NE(ip, nullptr);
    TPlatz* outer = b.Place("outer");
    TTransition* tr = b.Trans();
    ASSERT_NE(ConnectArc(root.Net(), outer, ip), nullptr);
    ASSERT_NE(ConnectArc(root.Net(), ip, tr), nullptr);
    const std::size_t before = root.Net().Count();

    own->SetInterfaceFlag(0);
    EXPECT_EQ(Ip(*t1, "own"), nullptr);
    EXPECT_EQ(root.Net().Count(), before - 2);
    EXPECT_TRUE(outer->OutEdgeList.empty());
    EXPECT_TRUE(tr->InEdgeList.empty());
    EXPECT_EQ(own->link, own) << "the place no longer follows the outer place";

    // Deleting a published place does the same.
    own->SetInterfaceFlag(1);
    ASSERT_NE(ConnectArc(root.Net(), outer, Ip(*t1, "own")), nullptr);
    t1->Net().Remove(own);
    EXPECT_TRUE(outer->OutEdgeList.empty());
    EXPECT_EQ(root.Net().Count(), before - 2);
}

TEST_F(InterfaceLifetimeTest, RebuildingKeepsArcsOfPlacesThatStayPublished) {
    TPNObjekt* t1 = Instance();
    TPlatz* outer = b.Place("outer");
    TTransition* tr = b.Trans();
    TEdge* fusion = ConnectArc(root.Net(), outer, Ip(*t1, "level"));
    TEdge* reader = ConnectArc(root.Net(), Ip(*t1, "flow"), tr);
    t1->Frame().RebuildInterface();
    TInterfacePlace* level = Ip(*t1, "level");
    EXPECT_EQ(fusion->target, level);
    EXPECT_EQ(level->InEdgeList, std::vector<TEdge*>{fusion});
    EXPECT_EQ(reader->interfaceSource, Ip(*t1, "flow"));
    EXPECT_EQ(Ip(*t1, "flow")->OutEdgeList, std::vector<TEdge*>{reader});

    // A new base takes the inherited interface places and their arcs along.
    DefineClass("Other", [](TPNObjekt& o) { Published(o, "x"); });
    ASSERT_TRUE(t1->SetInherited("Other"));
    EXPECT_TRUE(outer->OutEdgeList.empty());
    EXPECT_TRUE(tr->InEdgeList.empty());
    EXPECT_EQ(root.Net().IndexOf(fusion), root.Net().Count());
    ASSERT_EQ(t1->Frame().interfacePlaces.size(), 1u);
    EXPECT_EQ(t1->Frame().interfacePlaces[0]->innerPlace->variableName, "x");
}

TEST_F(InterfaceLifetimeTest, DestroyingAConnectedHierarchyIsClean) {
    const InstanceCounts before = LiveInstances();
    {
        TPNObjekt doc;
        NetBuilder nb{doc};
        DefineClass("Pair", [](TPNObjekt& o) {
            Published(o, "a");
            Published(o, "c", 0, true);
        });
        TPNObjekt* x = doc.AddChildObject("X", "Pair", 0, 0);
        TPNObjekt* y = doc.AddChildObject("Y", "Pair", 200, 0);
        TPlatz* p = nb.Place("p");
        TTransition* t = nb.Trans();
        ConnectArc(doc.Net(), p, Ip(*x, "a"));
        ConnectArc(doc.Net(), Ip(*y, "a"), t);
        ConnectArc(doc.Net(), Ip(*x, "c"), Ip(*y, "c"));
        ConnectArc(doc.Net(), t, Ip(*x, "a"));
    }
    const InstanceCounts after = LiveInstances();
    EXPECT_EQ(std::tie(after.arcs, after.places, after.interfacePlaces, after.frames),
              std::tie(before.arcs, before.places, before.interfacePlaces, before.frames));
}

} // namespace
} // namespace qz::test
