#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "ScopedLibrary.h"
#include "editor/NavigatorView.h"
#include "editor/ProjectHierarchy.h"
#include "model/TPNObjekt.h"

namespace qz::ui {
namespace {

// A wide flat net in a 200 x 120 area is scaled by its width (1000 x 1,05
// / 200), a tall narrow one in 200 x 100 by its height (1000 x 1,05 / 100);
// both are centred.
const TRect kWide{100, 50, 1100, 150};
const TRect kTall{0, 0, 100, 1000};

struct ViewCase {
    const char* what;
    TRect net;
    bool hasElements;
    int width, height;
    DocumentViewport document;
    bool empty;
    double scale;
    TPoint origin;
    TRect mark;
};

TEST(NavigatorViewTest, ScaleOriginAndMark) {
    const ViewCase cases[] = {
        {"wide flat net by its width", kWide, true, 200, 120, {{180, 0}, 420, 315, 1}, false, 5.25, {75, -215},
         {20, 41, 100, 101}},
        {"tall narrow net by its height", kTall, true, 200, 100, {{0, 0}, 210, 105, 1}, false, 10.5, {-1000, -25},
         {95, 2, 115, 12}},
        {"empty net draws nothing", {}, false, 200, 120, {{0, 0}, 400, 300, 1}, true, 1, {}, {}},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.what);
        const NavigatorView v = NavigatorViewOf(c.net, c.hasElements, c.width, c.height, c.document);
        EXPECT_EQ(v.empty, c.empty);
        EXPECT_DOUBLE_EQ(v.scale, c.scale);
        EXPECT_EQ(v.origin, c.origin);
        EXPECT_EQ(v.mark, c.mark);
    }
}

struct DragCase {
    const char* what;
    TRect net;
    bool hasElements;
    TPoint press, release;
    double documentScale;
    TPoint scroll;
};

TEST(NavigatorViewTest, DraggingTheMarkScrollsTheDocument) {
    // The document stands at (100, 30).
    const DragCase cases[] = {
        {"10 pixels right: round(10 x 10,5)", kTall, true, {50, 50}, {60, 50}, 1, {205, 30}},
        {"at twice the size the document scrolls twice as far", kTall, true, {50, 50}, {60, 50}, 0.5, {310, 30}},
        {"nothing drawn, nothing scrolled", {}, false, {50, 50}, {60, 70}, 1, {100, 30}},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.what);
        const NavigatorView v = NavigatorViewOf(c.net, c.hasElements, 200, 100, {});
        EXPECT_EQ(NavigatorDragScroll(v, c.press, c.release, 100, 30, c.documentScale), c.scroll);
    }
}

// Tank and BigTank (derived from Tank) in the library.
class ProjectHierarchyTest : public ::testing::Test {
protected:
    ProjectHierarchyTest() {
        library.Define("Tank", [](TPNObjekt& o) { o.name = "Tank"; });
        library.Define("BigTank", [](TPNObjekt& o) {
            o.name = "BigTank";
            o.SetInherited("Tank");
        });
    }
    static ClassTreeNode Leaf(const char* text) { return {text, {}}; }

    test::ScopedPlatform platform;
    test::ScopedLibrary library;
};

TEST_F(ProjectHierarchyTest, ObjectsHangBelowTheirClassesOnceEachAndDocumentsBelowTheirBase) {
    TPNObjekt plant;
    plant.name = "Plant";
    for (const char* c : {"Tank", "BigTank", "Tank"}) plant.AddChildObject(plant.UniqueChildName(c), c, 0, 0);
    // Every instance loads its own Tank: the class still shows once.
    EXPECT_EQ(ProjectHierarchyTree(plant),
              (ClassTreeNode{"Empty Object",
                             {Leaf("Plant"),
                              {"Tank", {{"BigTank", {Leaf("BigTank_1")}}, Leaf("Tank_1"), Leaf("Tank_2")}}}}));
    // The root comes first in the registry, before the classes it derives from.
    TPNObjekt mine;
    mine.name = "MyTank";
    ASSERT_TRUE(mine.SetInherited("BigTank"));
    EXPECT_EQ(ProjectHierarchyTree(mine), (ClassTreeNode{"Empty Object", {{"Tank", {{"BigTank", {Leaf("MyTank")}}}}}}));
}

} // namespace
} // namespace qz::ui
