// Placing a class in a net must not make a class contain itself.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/ClassPlacement.h"

namespace qz::test {
namespace {

TEST(ClassPlacementTest, AClassMayNotBePlacedInItselfNorInAClassItDerivesFrom) {
    // Tank <- Tank2 <- Tank3; Valve stands alone; Loop1 and Loop2 name each
    // other as base (a damaged library); entries carry stray blanks.
    const std::vector<std::string> hierarchy{"Tank;Empty Object", " Tank2 ; Tank", "Tank3;Tank2",
                                             "Valve;Empty Object", "Loop1;Loop2", "Loop2;Loop1"};
    struct Case {
        const char* document;
        const char* placed;
        bool refused;
    };
    const Case cases[] = {
        {"Tank", "Tank", true},    {"Tank", "Tank2", true},   {"Tank", "Tank3", true},
        {"Tank", "Valve", false},  {"Tank2", "Tank", false},  {"Tank3", "Tank2", false},
        {"tank", "Tank", false},   {"Tank", "Unknown", false}, {"Tank", "Loop1", false},
        {"Loop2", "Loop1", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WouldContainItself(c.document, c.placed, hierarchy), c.refused) << c.document << " <- " << c.placed;
    }
    EXPECT_EQ(ContainsItselfText("Tank2"), "The class Tank2 cannot be placed here: it would contain itself.");
}

class ClassUseTest : public LibraryTest {};

TEST_F(ClassUseTest, AnInstanceUsesTheClassesPlacedInItsClassAndItsBases) {
    DefineClass("Tank", [](TPNObjekt& o) { Published(o, "level"); });
    DefineClass("Pump", [](TPNObjekt&) {});
    DefineClass("Plant", [](TPNObjekt& o) { o.AddChildObject("Tank_1", "Tank", 0, 0); });
    DefineClass("BigPlant", [](TPNObjekt& o) { o.SetInherited("Plant"); });
    TPNObjekt root;
    root.name = "Tank";
    TPNObjekt* big = root.AddChildObject("BigPlant_1", "BigPlant", 0, 0);
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(UsesClass(*big, "Tank")) << "Tank is placed in the base class Plant";
    EXPECT_TRUE(UsesClass(*big, "Plant"));
    EXPECT_FALSE(UsesClass(*big, "Pump"));
}

} // namespace
} // namespace qz::test
