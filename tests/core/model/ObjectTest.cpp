// Hierarchical objects: child names, renaming, numbering, inheritance
// through the library, the combined element list and hierarchy order.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "formula/VariableTable.h"

namespace qz::test {
namespace {

class ObjectTest : public LibraryTest {
protected:
    ObjectTest() {
        DefineClass("Tank", [](TPNObjekt& o) {
            Published(o, "level", 5);
            NetBuilder b{o};
            b.Place("hidden");
            b.Trans("TankT");
        });
        DefineClass("Base", [](TPNObjekt& o) {
            NetBuilder b{o};
            b.Trans("BaseT");
            Published(o, "b1");
        });
        root.name = "Plant";
    }

    TPNObjekt* Place(const std::string& cls) {
        return root.AddChildObject(root.UniqueChildName(cls), cls, 10, 20);
    }

    TPNObjekt root;
};

TEST_F(ObjectTest, ChildNamesAreUniqueWithoutRegardToCase) {
    EXPECT_EQ(Place("Tank")->name, "Tank_1");
    EXPECT_EQ(Place("Tank")->name, "Tank_2");
    TPNObjekt* odd = root.AddChildObject("tank_3", "Tank", 0, 0);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(root.UniqueChildName("Tank"), "Tank_4");
    root.name = "Valve_1";
    EXPECT_EQ(root.UniqueChildName("Valve"), "Valve_2") << "the object's own name is taken too";
    EXPECT_EQ(root.UniqueChildName("Tank2"), "Tank2_1");
}

TEST_F(ObjectTest, RenamingRefusesParentAndSiblingNames) {
    TPNObjekt* a = Place("Tank");
    TPNObjekt* b = Place("Tank");
    EXPECT_FALSE(a->SetObjectName("PLANT"));
    EXPECT_FALSE(a->SetObjectName("tank_2"));
    EXPECT_EQ(a->name, "Tank_1");
    EXPECT_EQ(platform.messages.Texts(),
              (std::vector<std::string>{"This name already exists.", "This name already exists."}));
    EXPECT_TRUE(b->SetObjectName("Boiler"));
    EXPECT_EQ(std::tie(b->Frame().caption, b->Net().name, a->Frame().caption), std::make_tuple("Boiler", "Boiler", "Tank_1"));
    EXPECT_TRUE(root.SetObjectName("Tank_1")) << "a root is renamed without a check";
}

TEST_F(ObjectTest, ObjectNumbersReuseGaps) {
    EXPECT_EQ(root.Number(), 1);
    TPNObjekt* a = Place("Tank"); // the instance and its base object take numbers
    TPNObjekt* b = Place("Tank");
    const int freed = a->Number();
    const int freedBase = a->Base()->Number();
    EXPECT_NE(freed, b->Number());
    EXPECT_EQ(root.Registry().size(), 5u);
    root.Net().Remove(&a->Frame());
    EXPECT_EQ(root.Registry().size(), 3u);
    TPNObjekt* c = Place("Tank");
    EXPECT_EQ(std::make_tuple(c->Number(), c->Net().number, c->Base()->Number()),
              std::make_tuple(std::min(freed, freedBase), std::min(freed, freedBase), std::max(freed, freedBase)));
}

TEST_F(ObjectTest, UnknownClassIsReportedAndTheBaseKept) {
    ASSERT_TRUE(root.SetInherited("Base"));
    TPNObjekt* base = root.Base();
    EXPECT_FALSE(root.SetInherited("Nope"));
    EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{"Object Nope not found..."});
    EXPECT_EQ(std::make_tuple(root.Base(), root.baseName), std::make_tuple(base, "Base"));
    EXPECT_EQ(root.AddChildObject("X", "Nope", 0, 0), nullptr);
    EXPECT_TRUE(root.SetInherited("Empty Object"));
    EXPECT_EQ(root.Base(), nullptr);
    EXPECT_EQ(root.Net().Count(), 0u) << "the base frame leaves the own net";
}

TEST_F(ObjectTest, InstancesOfOneClassHaveTheirOwnMarkings) {
    TPNObjekt* a = Place("Tank");
    TPNObjekt* b = Place("Tank");
    TInterfacePlace* ia = Ip(*a, "level");
    TInterfacePlace* ib = Ip(*b, "level");
    ASSERT_TRUE(ia && ib);
    EXPECT_TRUE(ia->inherited);
    EXPECT_NE(ia->innerPlace, ib->innerPlace);
    EXPECT_EQ(std::make_tuple(a->parentName, a->Frame().bounds), std::make_tuple("Plant", TRect{10, 20, 130, 110}));
    ia->SetValue(8);
    EXPECT_EQ(std::make_tuple(ia->Value(), ia->innerPlace->Marking(), ib->Value(), ib->innerPlace->Marking()),
              std::make_tuple(8.0L, 8.0, 5.0L, 5.0));
}

TEST_F(ObjectTest, CombinedElementListAppendsTheBase) {
    EXPECT_EQ(root.CombinedCount(), 0u);
    NetBuilder b{root};
    TPlatz* own = b.Place("own");
    EXPECT_EQ(root.CombinedCount(), root.ElementCount()) << "no base: combined equals own";
    ASSERT_TRUE(root.SetInherited("Base"));
    ASSERT_EQ(root.ElementCount(), 2u); // the place and the base frame
    EXPECT_EQ(root.CombinedCount(), 4u);
    EXPECT_EQ(std::make_tuple(root.ElementAt(0), root.ElementAt(2), root.ElementAt(4)),
              std::make_tuple(own, root.Base()->Net().At(0), nullptr));
    EXPECT_EQ(std::make_tuple(root.ElementAt(1)->Kind(), root.ElementAt(3)->Kind()), std::make_tuple(kind::Frame, kind::Place));

    // The base's places count as taken variable names.
    TPlatz* fresh = b.Place("b1");
    root.Net().MakeUniqueVariableName(fresh);
    EXPECT_EQ(fresh->variableName, "b2");
}

TEST_F(ObjectTest, InterfacePlacesAreFoundByPath) {
    TPNObjekt* a = Place("Tank");
    ASSERT_TRUE(root.SetInherited("Base"));
    const std::pair<const char*, TInterfacePlace*> paths[] = {{"Tank_1.level", Ip(*a, "level")},
        {"Base.b1", Ip(*root.Base(), "b1")}, {"Tank_1.hidden", nullptr}, {"Tank_9.level", nullptr}, {"level", nullptr}};
    for (const auto& [path, found] : paths) EXPECT_EQ(root.FindInterfacePlaceByPath(path), found) << path;
    EXPECT_EQ(root.FindChildByName("Base"), root.Base());
}

TEST_F(ObjectTest, HierarchyOperationsRunOwnNetThenChildrenThenBase) {
    ASSERT_TRUE(root.SetInherited("Base"));
    NetBuilder b{root};
    TTransition* rootT = b.Trans("RootT");
    TPNObjekt* child = Place("Tank");
    SimulationLists lists;
    root.CollectSimulationLists(lists);
    ASSERT_EQ(lists.discrete.size(), 3u);
    EXPECT_EQ(std::make_tuple(lists.discrete[0], lists.discrete[1]->name, lists.discrete[2]->name),
              std::make_tuple(rootT, "TankT", "BaseT"));

    std::vector<TNetList*> nets;
    root.ForEachNet([&](TNetList& n) { nets.push_back(&n); });
    EXPECT_EQ(nets, (std::vector<TNetList*>{&root.Net(), &child->Net(), &child->Base()->Net(),
                                            &root.Base()->Net()}));
    // Elements: root (RootT, base frame, child frame) + child (its base frame)
    // + the child's base (3) + the root's base (2).
    EXPECT_EQ(root.TotalElementCount(), 3u + 1u + 3u + 2u);
}

TEST_F(ObjectTest, EachObjectRegistersOnlyItsOwnPlaces) {
    NetBuilder b{root};
    b.Place("Time"); // shadowed by the model time
    TPlatz* x = b.Place("x");
    b.Place("X"); // shadowed by x
    TPNObjekt* child = Place("Tank");
    root.modelTime = 12;
    root.RegisterVariables();
    const TVariableTable& vars = root.Variables();
    ASSERT_EQ(vars.Count(), 5u);
    EXPECT_EQ(std::make_tuple(vars.NameAt(0), vars.NameAt(1), *vars.Find("TIME")), std::make_tuple("Time", "STime", 12.0));
    EXPECT_EQ(std::make_tuple(vars.Find("x"), vars.Find("level")), std::make_tuple(x->MarkingRef(), nullptr));
    EXPECT_EQ(child->Variables().Count(), 2u) << "an instance adds no places of its own";
    const TVariableTable& baseVars = child->Base()->Variables();
    EXPECT_NE(baseVars.Find("level"), nullptr);
    EXPECT_EQ(baseVars.Find("Time"), &root.modelTime) << "the root's time everywhere";
}

} // namespace
} // namespace qz::test
