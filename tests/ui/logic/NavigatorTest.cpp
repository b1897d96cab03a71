#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "ScopedLibrary.h"
#include "editor/NavigatorView.h"
#include "editor/ProjectHierarchy.h"
#include "model/TPNObjekt.h"

namespace qz::ui {
namespace {

// A wide flat net in 200 x 120 is scaled by its width (1000 x 1,05 / 200), a
// tall narrow one in 200 x 100 by its height (1000 x 1,05 / 100); both centred.
const TRect kWide{100, 50, 1100, 150}, kTall{0, 0, 100, 1000};

TEST(NavigatorViewTest, ScaleOriginAndMark) {
    const struct {
        const char* what;
        TRect net;
        int width, height;
        DocumentViewport document;
        double scale;
        TPoint origin;
        TRect mark;
    } cases[] = {
        {"wide flat net", kWide, 200, 120, {{180, 0}, 420, 315, 1}, 5.25, {75, -215}, {20, 41, 100, 101}},
        {"tall narrow net", kTall, 200, 100, {{0, 0}, 210, 105, 1}, 10.5, {-1000, -25}, {95, 2, 115, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NavigatorView v = NavigatorViewOf(c.net, true, c.width, c.height, c.document);
        EXPECT_FALSE(v.empty);
        EXPECT_DOUBLE_EQ(v.scale, c.scale);
        EXPECT_EQ(v.origin, c.origin);
        EXPECT_EQ(v.mark, c.mark);
    }
    EXPECT_TRUE(NavigatorViewOf({}, false, 200, 120, {{0, 0}, 400, 300, 1}).empty);
}

TEST(NavigatorViewTest, DraggingTheMarkScrollsTheDocument) {
    // The document stands at (100, 30).
    const struct {
        const char* what;
        bool drawn;
        TPoint release;
        double documentScale;
        TPoint scroll;
    } cases[] = {
        {"10 pixels right: round(10 x 10,5)", true, {60, 50}, 1, {205, 30}},
        {"at twice the size, twice as far", true, {60, 50}, 0.5, {310, 30}},
        {"nothing drawn, nothing scrolled", false, {60, 70}, 1, {100, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NavigatorView v = NavigatorViewOf(c.drawn ? kTall : TRect{}, c.drawn, 200, 100, {});
        EXPECT_EQ(NavigatorDragScroll(v, {50, 50}, c.release, 100, 30, c.documentScale), c.scroll);
    }
}

TEST(ProjectHierarchyTest, ObjectsHangBelowTheirClassesOnceEachAndDocumentsBelowTheirBase) {
    test::ScopedPlatform platform;
    test::ScopedLibrary library;  // BigTank derives from Tank
    library.Define("Tank", [](TPNObjekt& o) { o.name = "Tank"; });
    library.Define("BigTank", [](TPNObjekt& o) {
        o.name = "BigTank";
        o.SetInherited("Tank");
    });
    const auto leaf = [](const char* text) { return ClassTreeNode{text, {}}; };
    TPNObjekt plant;
    plant.name = "Plant";
    for (const char* c : {"Tank", "BigTank", "Tank"}) plant.AddChildObject(plant.UniqueChildName(c), c, 0, 0);
    // Every instance loads its own Tank: the class still shows once.
    EXPECT_EQ(ProjectHierarchyTree(plant),
              (ClassTreeNode{"Empty Object", {leaf("Plant"),
                                              {"Tank", {{"BigTank", {leaf("BigTank_1")}}, leaf("Tank_1"),
                                                        leaf("Tank_2")}}}}));
    // The root comes first in the registry, before the classes it derives from.
    TPNObjekt mine;
    mine.name = "MyTank";
    ASSERT_TRUE(mine.SetInherited("BigTank"));
    EXPECT_EQ(ProjectHierarchyTree(mine), (ClassTreeNode{"Empty Object", {{"Tank", {{"BigTank", {leaf("MyTank")}}}}}}));
}

} // namespace
} // namespace qz::ui
