// Object frames and interface places: interface building and layout, frame
// commands, and the fusion rules of arcs to interface places.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/ConflictGroups.h"
#include "model/FusionRules.h"

namespace qz::test {
namespace {

using Arcs = std::vector<TEdge*>;

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
    TEdge* Connect(TGraphItem* from, TGraphItem* to) { return ConnectArc(root.Net(), from, to); }
    // `a` is the only arc drawn out of `from` and the only one drawn into `to`.
    static void ExpectSole(TGraphItem* from, TEdge* a, TGraphItem* to) {
        EXPECT_EQ(from->OutEdgeList, Arcs{a});
        EXPECT_EQ(to->InEdgeList, Arcs{a});
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
    EXPECT_EQ(std::make_tuple(f.interfacePlaces[0]->innerPlace, f.interfacePlaces[0]->inherited), std::make_tuple(own, 0));
    EXPECT_EQ(std::make_tuple(f.interfacePlaces[1]->innerPlace->variableName, f.interfacePlaces[1]->inherited),
              std::make_tuple("level", 1));
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
    TInterfacePlace* flow = Ip(*t, "flow");
    flow->selected = 1;
    // The second move up starts at the top, the second move down at the bottom.
    for (const auto& [up, index] : {std::pair{true, 0}, {true, 0}, {false, 1}, {false, 1}}) {
        up ? t->Frame().MoveSelectedUp() : t->Frame().MoveSelectedDown();
        EXPECT_EQ(t->Frame().interfacePlaces[index].get(), flow);
    }
}

TEST_F(FrameTest, OnlyUsedHidesPlacesWithoutArcs) {
    TPNObjekt* t = Instance();
    TInterfacePlace* level = Ip(*t, "level");
    ASSERT_NE(Connect(b.Trans(), Ip(*t, "flow")), nullptr);
    t->Frame().SetShowOnlyUsed(1);
    EXPECT_EQ(std::make_tuple(level->visible, Ip(*t, "flow")->visible), std::make_tuple(0, 1));
    EXPECT_EQ(Ip(*t, "flow")->hit.top, 34) << "the hidden place takes no slot";
    EXPECT_FALSE(level->HitTest({level->hit.left + 1, level->hit.top + 1}));
    t->Frame().SetShowOnlyUsed(0);
    EXPECT_TRUE(level->visible);
}

TEST_F(FrameTest, LargestSizeClassGrowsASmallFrameToFitItsPlaces) {
    DefineClass("Many", [](TPNObjekt& o) {
        for (const char* v : {"a", "b", "c"}) Published(o, v);
    });
    TObjectFrame& f = root.AddChildObject("M", "Many", 0, 0)->Frame();
    f.SetBounds({0, 0, 120, 60});
    f.SetInterfaceSizeClass(4);
    // Side 27, strip 32: with margin 7 the places need 20 + 14 + 3 * 30 =
    // 124, so the bottom goes to 128; the margin then grows to 16 and the
    // bottom to 142 + 4 = 146, where a margin of 18 fits exactly.
    EXPECT_EQ(std::make_tuple(f.bounds.bottom, f.stripWidth, f.cornerRadius, f.interfacePlaces[0]->sideLength),
              std::make_tuple(146, 32, 25, 27));
    for (auto& ip : f.interfacePlaces) {
        EXPECT_LE(ip->hit.bottom, f.leftStrip.bottom) << "every place lies on its strip";
    }
    f.SetInterfaceSizeClass(0);
    EXPECT_EQ(f.bounds.bottom, 146) << "a smaller class never shrinks the frame";
    f.InitSize();
    EXPECT_EQ(f.bounds, (TRect{0, 0, 100, 100}));
}

TEST_F(FrameTest, GripResizesWithinLimitsElseTheFrameMoves) {
    TPNObjekt* t = Instance();
    TObjectFrame& f = t->Frame();
    // Grip: (120 - 9 - 15, 75) to (120 - 9 - 3, 87).
    EXPECT_TRUE(f.HitTest({100, 80}));
    EXPECT_TRUE(f.gripHit);
    // A width not above 4 * 18 and a bottom not above the minimum bottom 76
    // are refused.
    const struct {
        int dx, dy, right, bottom;
    } drags[] = {{-60, 0, 120, 90}, {-40, 0, 80, 90}, {0, -40, 80, 90}, {0, -13, 80, 77}, {0, 100, 80, 177}};
    for (const auto& d : drags) {
        f.MoveBy(d.dx, d.dy, nullptr);
        EXPECT_EQ(f.bounds, (TRect{0, 0, d.right, d.bottom})) << d.dx << ", " << d.dy;
    }

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
    EXPECT_EQ(std::make_tuple(level->Value(), flow->Value()), std::make_tuple(2.5L, 0.0L));
    EXPECT_EQ(level->innerPlace->Marking(), 2) << "the discrete marking is rounded";
    EXPECT_EQ(f.SelectedValueText(), "2,5");

    level->selected = 0;
    flow->selected = 0;
    EXPECT_TRUE(f.HitTest({flow->hit.left + 2, flow->hit.top + 2}));
    EXPECT_EQ(std::make_tuple(f.hovered, f.FirstSelectedInterfacePlace()), std::make_tuple(flow, flow));
    EXPECT_FALSE(f.HitTest({500, 500}));
    f.SetSelected(true);
    f.SetSelected(false);
    EXPECT_EQ(f.hovered, nullptr);
}

// Each connection kind: the ends it is drawn between and, for fusions, who
// follows whom. Reversing swaps the ends and the owner.
TEST_F(FrameTest, FusionConnectsOnlyEqualKindsOnce) {
    DefineClass("Two", [](TPNObjekt& o) {
        Published(o, "a");
        Published(o, "b");
    });
    TPNObjekt* two = root.AddChildObject("Two_1", "Two", 0, 0);
    TPNObjekt* t1 = Instance();
    TPNObjekt* t2 = Instance();
    TPlatz* pd = b.Place("pd");
    TPlatz* pd2 = b.Place("pd2");
    TPlatz* pc = b.Place("pc", 0, true);
    TInterfacePlace* level1 = Ip(*t1, "level");
    TInterfacePlace* flow1 = Ip(*t1, "flow");
    TInterfacePlace* flow2 = Ip(*t2, "flow");

    EXPECT_EQ(Connect(pc, level1), nullptr); // continuous to discrete
    TEdge* k1 = Connect(pd, level1);
    ASSERT_NE(k1, nullptr);
    EXPECT_EQ(k1->connectionKind, ConnectionKind::PlaceToInterface);
    ExpectSole(pd, k1, level1);
    TEdge* k5 = Connect(flow1, flow2);
    ASSERT_NE(k5, nullptr);
    EXPECT_EQ(k5->connectionKind, ConnectionKind::InterfaceToInterface);
    // Refused: a second incoming fusion; fusing the owner to its follower;
    // the same frame; a ring; two plain places.
    const std::pair<TGraphItem*, TGraphItem*> refused[] = {
        {pd2, level1}, {level1, pd}, {Ip(*two, "a"), Ip(*two, "b")}, {flow2, flow1}, {pd, pd2}};
    for (const auto& [from, to] : refused) EXPECT_EQ(Connect(from, to), nullptr);
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>(5, "Fusion not valid..."));

    root.ResolveFusion();
    EXPECT_EQ(std::make_tuple(level1->innerPlace->markingOwner, level1->innerPlace->rootFlag), std::make_tuple(pd, 0));
    pd->SetMarking(3);
    EXPECT_EQ(level1->innerPlace->Marking(), 3);
    EXPECT_EQ(flow2->innerPlace->markingOwner, flow1->innerPlace);
    EXPECT_EQ(Ip(*t2, "level")->innerPlace->markingOwner, Ip(*t2, "level")->innerPlace);

    ASSERT_TRUE(ReverseArc(*k5));
    EXPECT_EQ(std::make_tuple(k5->source, k5->target), std::make_tuple(flow2, flow1));
    ExpectSole(flow2, k5, flow1);
    root.ResolveFusion();
    EXPECT_EQ(std::make_tuple(flow1->innerPlace->markingOwner, flow2->innerPlace->markingOwner),
              std::make_tuple(flow2->innerPlace, flow2->innerPlace));
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
        ASSERT_NE(Connect(first == 1 ? static_cast<TGraphItem*>(outer2) : from1, follower), nullptr);
        const TPlatz* owner = followerPlace->markingOwner;
        ASSERT_NE(owner, followerPlace);
        platform.messages.Clear();
        EXPECT_EQ(Connect(second == 1 ? static_cast<TGraphItem*>(outer2) : from2, follower), nullptr);
        EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{"Fusion not valid..."});
        root.ResolveFusion();
        EXPECT_EQ(followerPlace->markingOwner, owner);
    }
}

TEST_F(FrameTest, TransitionArcsActOnTheInnerPlace) {
    TInterfacePlace* level = Ip(*Instance(), "level");
    TPlatz* inner = level->innerPlace;
    TTransition* tr = b.Trans();
    TEdge* k3 = Connect(tr, level);
    ASSERT_NE(k3, nullptr);
    EXPECT_EQ(std::make_tuple(k3->connectionKind, k3->target, k3->interfaceTarget, k3->DrawnTarget()),
              std::make_tuple(ConnectionKind::TransitionToInterface, inner, level, level));
    ExpectSole(tr, k3, level);
    EXPECT_TRUE(inner->InEdgeList.empty() || inner->InEdgeList.back() != k3);

    // Reversed twice: kind 4 from the inner place, then kind 3 again.
    ASSERT_TRUE(ReverseArc(*k3));
    EXPECT_EQ(std::make_tuple(k3->connectionKind, k3->source, k3->interfaceSource, k3->target),
              std::make_tuple(ConnectionKind::InterfaceToTransition, inner, level, tr));
    ExpectSole(level, k3, tr);
    EXPECT_TRUE(level->InEdgeList.empty() && tr->OutEdgeList.empty());
    ASSERT_TRUE(ReverseArc(*k3));
    EXPECT_EQ(std::make_tuple(k3->connectionKind, k3->interfaceTarget),
              std::make_tuple(ConnectionKind::TransitionToInterface, level));

    TPlatz* p = b.Place();
    TEdge* plain = Connect(p, tr);
    ASSERT_TRUE(ReverseArc(*plain));
    EXPECT_EQ(std::make_tuple(plain->source, tr->OutEdgeList.back()), std::make_tuple(tr, plain));
    EXPECT_EQ(p->InEdgeList, Arcs{plain});
    EXPECT_TRUE(p->OutEdgeList.empty());
}

TEST_F(FrameTest, ReversalMovesOwnershipOrIsRefusedOnConflict) {
    TPlatz* outer = b.Place("outer");
    TInterfacePlace* level1 = Ip(*Instance(), "level");
    TInterfacePlace* level2 = Ip(*Instance(), "level");
    TPlatz* inner1 = level1->innerPlace;
    TPlatz* inner2 = level2->innerPlace;

    TEdge* fusion = Connect(outer, level1);
    ASSERT_NE(fusion, nullptr);
    ASSERT_TRUE(ReverseArc(*fusion));
    EXPECT_EQ(std::make_tuple(fusion->connectionKind, fusion->source, fusion->target, outer->IncomingFusionArcs()),
              std::make_tuple(ConnectionKind::InterfaceToPlace, level1, outer, 1));
    root.ResolveFusion();
    EXPECT_EQ(std::make_tuple(outer->markingOwner, inner1->markingOwner, inner1->rootFlag), std::make_tuple(inner1, inner1, 1));
    inner1->SetMarking(6);
    EXPECT_EQ(outer->Marking(), 6);

    // A chain: inner2 follows outer, which follows inner1.
    TEdge* second = Connect(outer, level2);
    ASSERT_NE(second, nullptr);
    root.ResolveFusion();
    EXPECT_EQ(std::make_tuple(inner2->markingOwner, inner2->rootFlag, inner2->Marking()), std::make_tuple(inner1, 0, 6.0));

    // Reversing `second` would give outer a second owner.
    EXPECT_FALSE(ReverseArc(*second));
    EXPECT_EQ(platform.messages.Texts(),
              std::vector<std::string>{"This operation is not valid.\rThere would be a fusion conflict."});
    EXPECT_EQ(std::make_tuple(second->connectionKind, second->source), std::make_tuple(ConnectionKind::PlaceToInterface, outer));

    // Back to kind 1: inner1 follows outer again, and so does inner2.
    ASSERT_TRUE(ReverseArc(*fusion));
    root.ResolveFusion();
    EXPECT_EQ(std::make_tuple(inner1->markingOwner, inner2->markingOwner, outer->rootFlag), std::make_tuple(outer, outer, 1));
}

TEST_F(FrameTest, ValuesReachTheChainsRootAndDeletingFusionArcsUnfusesTheirFollowers) {
    TPNObjekt* t1 = Instance();
    TPNObjekt* t2 = Instance();
    TPlatz* outer = b.Place("outer");
    TEdge* k2 = Connect(Ip(*t1, "level"), outer); // outer follows inner1
    ASSERT_NE(Connect(outer, Ip(*t2, "level")), nullptr); // inner2 follows outer
    TEdge* k5 = Connect(Ip(*t1, "flow"), Ip(*t2, "flow"));
    ASSERT_TRUE(k2 && k5);
    Ip(*t2, "level")->SetValue(9);
    EXPECT_EQ(std::make_tuple(Ip(*t1, "level")->Value(), outer->InitialMarking()), std::make_tuple(9.0L, 9.0L));

    // Deleting the first fusion makes outer the root for inner2 at once.
    ASSERT_TRUE(Delete({k2, k5}));
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{"This deletes all selected arcs.."});
    EXPECT_EQ(outer->link, outer);
    EXPECT_TRUE(outer->InEdgeList.empty());
    outer->SetInitialMarking(4);
    EXPECT_EQ(std::make_tuple(Ip(*t2, "level")->Value(), Ip(*t1, "level")->Value()), std::make_tuple(4.0L, 9.0L));
    TPlatz* follower = Ip(*t2, "flow")->innerPlace;
    EXPECT_EQ(follower->link, follower);
    EXPECT_TRUE(Ip(*t1, "flow")->OutEdgeList.empty() && Ip(*t2, "flow")->InEdgeList.empty());
}

TEST_F(FrameTest, ConflictGroupsGatherFusedPlacesAndInterfaceReaders) {
    TInterfacePlace* level1 = Ip(*Instance(), "level");
    TPlatz* owner = b.Place("owner");
    TEdge* own = b.Arc(owner, b.Trans("Ta", "0", false, 1));
    Connect(owner, level1);
    TEdge* reader = Connect(level1, b.Trans("Tb", "0", false, 7)); // kind 4 on the inner place
    ASSERT_EQ(reader->connectionKind, ConnectionKind::InterfaceToTransition);
    TEdge* drain = level1->innerPlace->OutEdgeList.at(0);

    // Deleting the fusion arc gives the inner place its own group back.
    const struct {
        TPlatz* place;
        Arcs arcs;
    } rows[] = {{owner, {reader, drain, own}}, {level1->innerPlace, {reader, drain}}};
    for (const auto& r : rows) {
        if (r.place != owner) {
            ASSERT_TRUE(Delete({owner->OutEdgeList.back()}));
        }
        root.ResolveFusion();
        std::vector<ConflictGroup> groups;
        BuildConflictGroups(root, groups);
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(std::make_tuple(groups[0].place, groups[0].arcs, r.place->conflictArcs),
                  std::make_tuple(r.place, r.arcs, r.arcs));
    }
}

TEST_F(FrameTest, DeletingElementsResetsOnlyTheFusionsTheyCarried) {
    TPNObjekt* t2 = Instance();
    TInterfacePlace* flow1 = Ip(*Instance(), "flow");
    TPlatz* outer = b.Place("outer", 0, true);
    TPlatz* feeder = b.Place("feeder", 0, true);
    TTransition* tr = b.Trans("T", "1", true);
    Connect(outer, flow1);           // flow1's inner follows outer
    Connect(flow1, Ip(*t2, "flow")); // the second frame's inner follows flow1's inner
    Connect(tr, flow1);              // kind 3: no fusion
    TEdge* feed = Connect(feeder, tr);
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
    EXPECT_EQ(std::make_tuple(inner1->link, flow1->OutEdgeList.size(), root.Net().Children().size()),
              std::make_tuple(outer, 0u, 1u));

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
    EXPECT_EQ(std::make_tuple(root.Net().Count(), root.Net().At(0)), std::make_tuple(1u, &baseFrame));
}

using InterfaceLifetimeTest = FrameTest;

// Unpublishing and deleting a published place both take the parent's arcs
// at its interface place along.
TEST_F(InterfaceLifetimeTest, UnpublishingAPlaceRemovesTheParentsArcsAtIt) {
    TPNObjekt* t1 = Instance();
    TPlatz* own = Published(*t1, "own"); // added while the instance is open
    TPlatz* outer = b.Place("outer");
    TTransition* tr = b.Trans();
    const std::size_t before = root.Net().Count();
    for (bool unpublish : {true, false}) {
        SCOPED_TRACE(unpublish ? "unpublished" : "deleted");
        ASSERT_NE(Connect(outer, Ip(*t1, "own")), nullptr);
        ASSERT_NE(Connect(Ip(*t1, "own"), tr), nullptr);
        if (unpublish) {
            own->SetInterfaceFlag(0);
            EXPECT_EQ(Ip(*t1, "own"), nullptr);
            EXPECT_EQ(own->link, own) << "the place no longer follows the outer place";
            own->SetInterfaceFlag(1);
        } else {
            t1->Net().Remove(own);
        }
        EXPECT_EQ(root.Net().Count(), before);
        EXPECT_TRUE(outer->OutEdgeList.empty() && tr->InEdgeList.empty());
    }
}

TEST_F(InterfaceLifetimeTest, RebuildingKeepsArcsOfPlacesThatStayPublished) {
    TPNObjekt* t1 = Instance();
    TPlatz* outer = b.Place("outer");
    TTransition* tr = b.Trans();
    TEdge* fusion = Connect(outer, Ip(*t1, "level"));
    TEdge* reader = Connect(Ip(*t1, "flow"), tr);
    t1->Frame().RebuildInterface();
    EXPECT_EQ(fusion->target, Ip(*t1, "level"));
    EXPECT_EQ(Ip(*t1, "level")->InEdgeList, Arcs{fusion});
    EXPECT_EQ(reader->interfaceSource, Ip(*t1, "flow"));
    EXPECT_EQ(Ip(*t1, "flow")->OutEdgeList, Arcs{reader});

    // A new base takes the inherited interface places and their arcs along.
    DefineClass("Other", [](TPNObjekt& o) { Published(o, "x"); });
    ASSERT_TRUE(t1->SetInherited("Other"));
    EXPECT_TRUE(outer->OutEdgeList.empty() && tr->InEdgeList.empty());
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
        TTransition* t = nb.Trans();
        ConnectArc(doc.Net(), nb.Place("p"), Ip(*x, "a"));
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
