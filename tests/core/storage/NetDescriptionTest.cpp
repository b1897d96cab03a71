#include "model/description/NetDescription.h"

#include <gtest/gtest.h>

#include "NetFixtures.h"

namespace qz::test {
namespace {

// The fifteen lines of an empty document are pinned byte for byte by the
// describe command test.
class NetDescription : public StorageTest {};

TEST_F(NetDescription, ElementLines) {
    TPNObjekt root;
    TPlatz* p1 = AddPlace(root, "P1", "m1", 0, 0);
    TPlatz* c = AddPlace(root, "C", "level", 0, 50, true);
    c->SetInitialMarking(1.0L / 3);
    TTransition* t1 = AddTransition(root, "T1", "2,5", 50, 0);
    t1->priority = 3;
    TTransition* t2 = AddTransition(root, "T2", "m1*2", 50, 50, true);
    Connect(root, t1, p1);
    Connect(root, c, t2, "level/2")->arcKind = akInhibitor;

    std::vector<std::string> lines;
    DescribeNet(root.Net(), lines);
    const std::vector<std::string> expected{
        " ",
        "Places",
        "     Name: P1, typ: discrete, variable name: m1, initial marking: 0, capacity: -1, key: 0",
        "     Name: C, typ: continuous, variable name: level, initial marking: 0,333333333333333, key: 1",
        " ",
        "Transitions",
        "     name: T1, typ: discrete, firing time: 2,5, priority: 3, reservation: 0, key: 2",
        "     name: T2, typ: continuous, Speed function: m1*2, key: 3",
        " ",
        "Arcs",
        "     from T1 (key=2) to P1 (key=0), typ: normal, weight: 1",
        "     from C (key=1) to T2 (key=3), typ: inhibitor, weight: level/2"};
    EXPECT_EQ(lines, expected);
}

TEST_F(NetDescription, InterfaceEndsAndBaseLinesBeforeEveryChild) {
    WriteTankClass();
    TPNObjekt root;
    root.SetInherited("Tank");
    TPlatz* p = AddPlace(root, "P1", "m1", 0, 0);
    TTransition* t = AddTransition(root, "T1", "0", 60, 0);
    TPNObjekt* tank1 = root.AddChildObject("Tank_1", "Tank", 100, 0);
    root.AddChildObject("Tank_2", "Tank", 300, 0);
    Connect(root, p, Interface(*tank1, "level"));
    Connect(root, t, Interface(*root.Base(), "flow"), "2");

    const std::vector<std::string> lines = DescribeDocument(root);
    std::size_t tankHeadings = 0;
    for (const std::string& l : lines) tankHeadings += l == "     - Object name: Tank";
    EXPECT_EQ(tankHeadings, 2u);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "     from P1 (key=0) to Tank_1.level, typ: normal, weight: 1"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "     from T1 (key=1) to Tank.flow, typ: normal, weight: 2"),
              lines.end());

    std::vector<std::string> listing;
    StructureListing(root, listing);
    EXPECT_EQ(listing[1], "Objektname: New Object");
    EXPECT_EQ(listing[5], "Vererbt: Tank.pn, mit 2 Elementen");
    EXPECT_EQ(DescriptionFileText({"a", "Ä"}), "a\r\n\xC4\r\n");
}

} // namespace
} // namespace qz::test
