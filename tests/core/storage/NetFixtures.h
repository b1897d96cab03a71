#pragma once
// Nets for the storage tests: a small class library in a temporary home and
// a document that uses every element kind and every connection kind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FakePlatform.h"
#include "NetBuilder.h"
#include "TempHome.h"
#include "common/FileSystem.h"
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
#include "settings/ProgramSettings.h"

namespace qz::test {

// Seeds of the fuzzers in fuzz/corpus/SUBDIR, written when QZ_WRITE_FUZZ_CORPUS is set.
inline void WriteSeed(const std::string& subdir, const std::string& name, const std::string& bytes) {
    if (!std::getenv("QZ_WRITE_FUZZ_CORPUS")) return;
    const std::string dir = std::string(QZ_SOURCE_DIR) + "/fuzz/corpus/" + subdir + "/";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(fs::WriteFileAtomically(dir + name, bytes));
}
inline std::string AsText(const std::vector<std::uint8_t>& b) { return {b.begin(), b.end()}; }
inline void ToCorpus(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    WriteSeed("netfile", name, AsText(bytes));
}
// A seed of the library fuzzer (fuzz/LibraryFuzz.cpp): both index files
// listing the classes, the class files and the document.
inline void ToLibraryCorpus(const std::string& name,
                            const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& classes,
                            const std::vector<std::uint8_t>& document) {
    const std::string separator = "\x1e\x1e\x1e";
    std::string names, files, parts;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        names += classes[i].first + "\r\n";
        files += std::to_string(i) + ".pn\r\n";
        parts += AsText(classes[i].second) + separator;
    }
    WriteSeed("library", name, names + separator + files + separator + parts + AsText(document));
}

// Adds `e` to the object's net and moves it by (x, y).
template <class T>
T* AddMoved(TPNObjekt& o, std::unique_ptr<T> e, int x, int y) {
    T* raw = e.get();
    o.Net().Add(std::move(e));
    raw->MoveBy(x, y, nullptr);
    return raw;
}

inline TPlatz* AddPlace(TPNObjekt& o, const std::string& name, const std::string& var, int x, int y,
                        bool continuous = false) {
    auto p = std::make_unique<TPlatz>();
    p->continuous = continuous ? 1 : 0;
    p->SetName(name);
    p->variableName = var;
    return AddMoved(o, std::move(p), x, y);
}

inline TTransition* AddTransition(TPNObjekt& o, const std::string& name, const std::string& text,
                                  int x, int y, bool continuous = false) {
    auto t = std::make_unique<TTransition>(&o.Variables());
    t->continuous = continuous ? 1 : 0;
    t->SetName(name);
    t->SetFunctionText(text);
    return AddMoved(o, std::move(t), x, y);
}

// An arc between the elements it is drawn between, joined (and fused) as
// the editor joins it.
inline TEdge* Connect(TPNObjekt& o, TGraphItem* from, TGraphItem* to, const std::string& weight = "1") {
    return NetBuilder(o).Arc(from, to, weight);
}

// Writes the class "Tank" (publishing the places "level" and "flow"; with
// `publishLevel` false only "flow") into the library directory of the
// temporary home and rebuilds the library.
inline void WriteTankClass(bool publishLevel = true) {
    TPNObjekt tank;
    tank.SetObjectName("Tank");
    TPlatz* level = AddPlace(tank, "Level", "level", 40, 40);
    TPlatz* flow = AddPlace(tank, "Flow", "flow", 40, 120, true);
    level->SetInitialMarking(2);
    level->SetInterfaceFlag(publishLevel ? 1 : 0);
    flow->SetInterfaceFlag(1);
    tank.Frame().description = {"A tank.", "Holds a level."};
    std::filesystem::create_directories(LibraryDirectory());
    ASSERT_TRUE(SaveNetFile(tank, LibraryDirectory() + "Tank.pn"));
    ObjectLibrary().Rebuild();
}

// A document whose P1 is fused to the level of a placed Tank_1 and
// whose T1 acts on its flow (kind 3); the class must be in the library.
struct TankUser {
    TPNObjekt doc;
    TPNObjekt* tank = nullptr;

    TankUser() {
        TPlatz* p = AddPlace(doc, "P1", "m1", 0, 0);
        TTransition* t = AddTransition(doc, "T1", "0", 60, 0);
        tank = doc.AddChildObject("Tank_1", "Tank", 100, 0);
        Connect(doc, p, Interface(*tank, "level"));
        Connect(doc, t, Interface(*tank, "flow"));
    }
};

// A document with every element kind and every connection kind: it
// inherits from Tank and places two Tank instances.
struct FullDocument {
    TPNObjekt root;
    TPlatz *p1 = nullptr, *p2 = nullptr, *p3 = nullptr;
    TTransition *t1 = nullptr, *t2 = nullptr;

    FullDocument() {
        root.timeUnit = 1;
        root.sampleTimeText = "250";
        root.SetObjectName("Plant");
        root.SetInherited("Tank");
        p1 = AddPlace(root, "P1", "m1", 100, 100);
        p1->SetInitialMarking(3);
        p1->SetMarking(3);
        p1->capacity = 5;
        p2 = AddPlace(root, "P2", "m2", 300, 100, true);
        p2->SetInitialMarking(0.25L);
        p3 = AddPlace(root, "P3", "m3", 500, 300);
        p3->SetInterfaceFlag(1);
        t1 = AddTransition(root, "T1", "2,5", 200, 100);
        t1->priority = 3;
        t1->reservation = 1;
        t2 = AddTransition(root, "T2", "m2*2", 200, 300, true);
        t2->SetOrientation(0);

        TPNObjekt* tank1 = root.AddChildObject("Tank_1", "Tank", 400, 200);
        TPNObjekt* tank2 = root.AddChildObject("Tank_2", "Tank", 600, 200);
        tank1->Frame().interfacePlaces.front()->selected = 1;
        tank1->Frame().ToggleSideOfSelected();
        tank1->Frame().MoveSelectedDown();
        Interface(*tank2, "flow")->SetValue(1.5L);
        tank2->Frame().description = {"Second tank"};

        TEdge* a = Connect(root, p1, t1, "2");
        a->bendPoints = {{150, 80}, {170, 90}};
        Connect(root, t1, p2);
        Connect(root, p3, t1)->arcKind = akInhibitor;
        Connect(root, p2, t2, "m2")->arcKind = akTest;
        Connect(root, p1, Interface(*tank1, "level"));
        Connect(root, Interface(*tank1, "flow"), p2);
        Connect(root, t1, Interface(*tank2, "level"), "1,5");
        Connect(root, Interface(*tank2, "flow"), t2);
        Connect(root, Interface(*tank1, "level"), Interface(*tank2, "level"));
        // The inherited frame's interface place, named by the base class name.
        Connect(root, t2, Interface(*root.Base(), "level"));

        auto label = std::make_unique<TSchriftObjekt>();
        label->SetFont(TFont{"Courier New", 12, RGB(0x12, 0x34, 0x56), 0b0101});
        label->SetText("Plant|second line");
        label->visible = 1;
        AddMoved(root, std::move(label), 20, 500);

        auto shape = std::make_unique<TObjekt>();
        shape->SetBounds({10, 10, 200, 150});
        shape->lineWidth = 2;
        shape->radius = 12;
        shape->penMode = 4;
        shape->penStyle = 1;
        root.Net().Add(std::move(shape));
        root.Net().SendToBack(root.Net().At(root.Net().Count() - 1));
        // A second shape in front of everything: read back behind the first.
        auto front = std::make_unique<TObjekt>();
        front->radius = 13;
        root.Net().Add(std::move(front));

        root.Frame().description = {"The plant.", "Ä umlaut line"};
        root.Frame().RebuildInterface();
        // Large enough for its three interface places: reading applies the
        // size class, which grows a frame they do not fit in.
        root.Frame().SetBounds({0, 0, 160, 140});
    }
};

// Program state every storage test starts from: scripted messages, a
// temporary home with an empty library, no grid.
class StorageTest : public ::testing::Test {
protected:
    static void ClearLibrary() {
        TObjectLibrary& library = ObjectLibrary();
        library.names.clear();
        library.files.clear();
        library.hierarchy.clear();
    }
    void SetUp() override {
        Settings() = ProgramSettings{};
        Settings().alignToGrid = false;
        ClearLibrary();
    }
    void TearDown() override {
        ClearLibrary();
        Settings() = ProgramSettings{};
    }

    ScopedPlatform platform;
    TempHome home;
};

} // namespace qz::test
