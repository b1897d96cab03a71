// Export then import gives the same net: every element kind, every
// connection kind, objects with frames and fusions, document settings.
#include <gtest/gtest.h>

#include <map>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "ScopedLibrary.h"
#include "PnmlExporter.h"
#include "PnmlImporter.h"
#include "TempHome.h"
#include "model/ExampleNets.h"
#include "model/ObjectLibrary.h"
#include "model/TEdge.h"
#include "model/TInterfacePlace.h"
#include "model/TNetList.h"
#include "model/TObjectFrame.h"
#include "model/TObjekt.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "model/storage/NetFile.h"

namespace qz::pnml {
namespace {

using examples::AddPlace;
using examples::AddTransition;
using examples::Connect;
using test::Interface;

// A library class made in memory, publishing `variables` ("flow" continuous).
test::ScopedLibrary::Filler Publishing(const char* name, std::vector<const char*> variables) {
    return [name, variables](TPNObjekt& into) {
        into.name = name;
        int y = 40;
        for (const char* v : variables) {
            AddPlace(into.Net(), 60, y += 40, v, v, 0, std::string(v) == "flow")->SetInterfaceFlag(1);
        }
    };
}

// A net with every element kind and connection kind.
void BuildShowcase(TPNObjekt& root) {
    root.sampleTimeText = "250";
    root.timeUnit = 1;
    root.enhancedFiringRule = 1;
    ASSERT_TRUE(root.SetInherited("Base"));
    root.SetObjectName("Plant <A&B>");
    root.Frame().description = {"Class description", "  indented \"line\"  ", ""};

    TNetList& net = root.Net();
    TPlatz* p1 = AddPlace(net, 100, 100, "Source", "src", 3);
    p1->capacity = 10;
    p1->SetSizeClass(1);
    p1->nameLabel->bounds = {10, 20, 60, 34};
    p1->nameLabel->userPositioned = 1;
    p1->SetInterfaceFlag(1);
    TPlatz* c1 = AddPlace(net, 300, 100, "Level", "lvl", 0, true);
    c1->SetInitialMarking(0.1L);
    c1->SetMarking(0.1);
    TPlatz* p2 = AddPlace(net, 500, 100, "Sink", "snk");

    TTransition* t1 = AddTransition(net, 200, 100, "Timed", "2,5");
    t1->priority = 3;
    t1->reservation = 1;
    TTransition* t2 = AddTransition(net, 400, 100, "Flow", "src*0.5", true);
    t2->SetSizeClass(4);
    t2->SetOrientation(0);
    TTransition* t3 = AddTransition(net, 200, 300, "Step", "-1");
    t3->valueLabel->visible = 0;

    Connect(net, p1, t1, akNormal, "2")->bendPoints = {{150, 60}, {180, 60}};
    Connect(net, p1, t3, akInhibitor, "4");
    Connect(net, c1, t2, akTest, "src/2");
    Connect(net, t2, p2, akNormal, "1.5");

    auto label = std::make_unique<TSchriftObjekt>();
    label->bounds = {20, 400, 0, 0};
    label->SetFont(TFont{"Courier New", 12, 0x0000FF, 3});
    label->SetText("Hello|<World> & \"you\"");
    label->visible = 1;
    net.Add(std::move(label));
    auto shape = std::make_unique<TObjekt>();
    shape->lineWidth = 3;
    shape->radius = 7;
    shape->shapeKind = skVerticalLine;
    shape->penMode = 4;
    shape->penStyle = 2;
    shape->SetBounds({5, 6, 7, 300});
    net.Add(std::move(shape));
    net.SendToBack(net.At(net.Count() - 1));

    TPNObjekt* tank1 = root.AddChildObject("Tank_1", "Tank", 600, 50);
    TPNObjekt* tank2 = root.AddChildObject("Tank_2", "Tank", 600, 250);
    ASSERT_TRUE(tank1 && tank2);
    tank1->Frame().description = {"first tank"};
    tank1->Frame().interfacePlaces[1]->side = 1;
    std::swap(tank2->Frame().interfacePlaces[0], tank2->Frame().interfacePlaces[3]);
    tank2->Frame().LayoutInterface();
    Interface(*tank2, "y")->SetValue(7);

    // 1: place -> interface place; 2: interface place -> place; 3 and 4:
    // transition arcs on inner places; 5: interface place -> interface place.
    Connect(net, p1, Interface(*tank1, "level"));
    Connect(net, Interface(*tank2, "level"), p2);
    Connect(net, t2, Interface(*tank1, "flow"));
    Connect(net, Interface(*tank2, "flow"), t2);
    Connect(net, Interface(*tank1, "x"), Interface(*tank2, "x"));
    // And one on the base class's frame.
    TInterfacePlace* baseLevel = root.Base()->Frame().FindInterfacePlace("level");
    ASSERT_NE(baseLevel, nullptr);
    Connect(net, t3, baseLevel);
}

struct PnmlRoundTrip : ::testing::Test {
    PnmlRoundTrip() {
        library.Define("Tank", Publishing("Tank", {"level", "flow", "x", "y"}));
        library.Define("Base", Publishing("Base", {"level"}));
    }
    test::ScopedPlatform platform;
    test::ScopedLibrary library;
    TPNObjekt original;
    std::string ShowcaseText() {
        BuildShowcase(original);
        return PnmlExporter::ExportText(original);
    }
};

TEST_F(PnmlRoundTrip, EveryElementAndConnectionKindComesBackTheSame) {
    const std::string first = ShowcaseText();

    TPNObjekt copy;
    const ImportResult r = PnmlImporter::ImportText(copy, first);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.quenzorData);
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_TRUE(platform.messages.Shown().empty());
    // Everything the format holds (names, the firing rule, frames, sides,
    // values, descriptions) reads back unchanged; element by element the net
    // file test below compares the bytes. Then the links rebuilt from it.
    EXPECT_EQ(PnmlExporter::ExportText(copy), first);
    EXPECT_EQ(copy.sampleTimeSeconds, 0.25);
    ASSERT_EQ(copy.Net().Children().size(), 2u);
    TPNObjekt& tank1 = *copy.Net().Children()[0];
    TPNObjekt& tank2 = *copy.Net().Children()[1];

    // Fusions: the source side owns the marking.
    copy.ResolveFusion();
    std::map<std::string, TPlatz*> places;
    for (TPlatz* p : test::ElementsOf<TPlatz>(copy.Net(), kind::Place)) places[p->name] = p;
    TPlatz *p1 = places["Source"], *p2 = places["Sink"];
    ASSERT_TRUE(p1 && p2);
    EXPECT_EQ(Interface(tank1, "level")->innerPlace->markingOwner, p1);
    EXPECT_EQ(p2->markingOwner, Interface(tank2, "level")->innerPlace);
    EXPECT_EQ(Interface(tank2, "x")->innerPlace->markingOwner, Interface(tank1, "x")->innerPlace);
    // Kinds 3 and 4 hang on the inner places and are drawn at the interface places.
    for (TEdge* a : test::ElementsOf<TEdge>(copy.Net(), kind::Arc)) {
        if (a->connectionKind == ConnectionKind::TransitionToInterface) {
            ASSERT_NE(a->interfaceTarget, nullptr);
            EXPECT_EQ(a->target, a->interfaceTarget->innerPlace);
        }
        if (a->connectionKind == ConnectionKind::InterfaceToTransition) {
            ASSERT_NE(a->interfaceSource, nullptr);
            EXPECT_EQ(a->source, a->interfaceSource->innerPlace);
        }
    }
}

// Objects stored without their frame entries still publish their places:
// nothing is dropped, and the second round gives the first one's text.
TEST_F(PnmlRoundTrip, ObjectsWithoutStoredFramesRebuildTheirInterface) {
    std::string text = ShowcaseText();
    for (std::size_t at; (at = text.find("<qz:frame ")) != std::string::npos;) {
        const std::size_t tagEnd = text.find('>', at);
        const bool empty = text[tagEnd - 1] == '/';
        const std::size_t end = empty ? tagEnd + 1 : text.find("</qz:frame>", at) + 11;
        text.erase(at, end - at);
    }
    TPNObjekt once, twice;
    const ImportResult r = PnmlImporter::ImportText(once, text);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings.front();
    EXPECT_EQ(once.Net().Count(), original.Net().Count());
    const std::string first = PnmlExporter::ExportText(once);
    ASSERT_TRUE(PnmlImporter::ImportText(twice, first).ok);
    EXPECT_EQ(PnmlExporter::ExportText(twice), first);
}

TEST_F(PnmlRoundTrip, ArcsToInterfacePlacesThatAreGoneAreDroppedWithAWarning) {
    const std::string text = ShowcaseText();
    // The class no longer publishes "x".
    TObjectLibrary& lib = ObjectLibrary();
    auto full = lib.loadClass;
    lib.loadClass = [full](TPNObjekt& into, const std::string& file) {
        full(into, file);
        if (TInterfacePlace* ip = into.Frame().FindInterfacePlace("x")) ip->innerPlace->SetInterfaceFlag(0);
        return true;
    };
    TPNObjekt copy;
    const ImportResult r = PnmlImporter::ImportText(copy, text);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.warnings, std::vector<std::string>{"arcs to interface places that no longer exist dropped (Tank_1.x)"});
    EXPECT_EQ(copy.Net().Count(), original.Net().Count() - 1);
}

TEST_F(PnmlRoundTrip, AMissingClassIsReportedAndTheRestIsRead) {
    const std::string text = ShowcaseText();
    ObjectLibrary().names = {"Base"};
    ObjectLibrary().files = {"Base.pn"};
    TPNObjekt copy;
    const ImportResult r = PnmlImporter::ImportText(copy, text);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(platform.messages.AnyContains("Object Tank not found..."));
    EXPECT_EQ(r.warnings.front(), "object class \"Tank\" could not be loaded from the library (2 times)");
    EXPECT_EQ(copy.Net().Children().size(), 2u);
}

// .pn -> PNML -> .pn gives the same file.
TEST_F(PnmlRoundTrip, NetFileThroughPnmlGivesTheSameNetFile) {
    BuildShowcase(original);
    TPNObjekt loaded;
    ASSERT_TRUE(LoadNet(loaded, SaveNet(original)));
    const std::vector<std::uint8_t> before = SaveNet(loaded);

    TPNObjekt imported;
    const ImportResult r = PnmlImporter::ImportText(imported, PnmlExporter::ExportText(loaded));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(SaveNet(imported), before);
    EXPECT_TRUE(platform.messages.Shown().empty());
}

} // namespace
} // namespace qz::pnml
