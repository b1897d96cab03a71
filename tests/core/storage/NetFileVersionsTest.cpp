// Files of the older versions, built byte by byte, and the reader's
// refusals and messages.
#include <gtest/gtest.h>

#include "NetFixtures.h"
#include "common/BinaryStream.h"

#include <tuple>

namespace qz::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct OldFile {
    BinaryWriter w;

    void Rect(int l, int t, int r, int b) { w.Rect({l, t, r, b}); }
    void Label(int x) {
        Rect(x, 0, x + 10, 10);
        w.U8(1);
        w.U8(0);
    }
    // Places of every layout: no capacity before 1.46, the interface flag
    // only from 1.48 on.
    void Place(const std::string& name, const std::string& var, long double marking,
               const std::string& layout, long double capacity = 7) {
        Rect(0, 0, 30, 30);
        w.TStr(name);
        w.TStr(var);
        w.U8(0);
        w.Ext(marking);
        w.U8(2);
        if (layout != "1" && layout != "1,44") w.Ext(capacity);
        w.I32(0);
        Rect(100, 100, 130, 130);
        Label(100);
        if (layout == "1,48") w.U8(0);
    }
    void Transition(const std::string& name, const std::string& text, const std::string& layout) {
        Rect(1, 1, 2, 2);
        if (layout == "1" || layout == "1,44") Rect(0, 0, 30, 12);
        w.TStr(name);
        w.U8(0);
        w.TStr(text);
        w.U8(2);
        w.I32(0);
        Rect(200, 200, 230, 212);
        w.U8(1);
        if (layout == "1,44") {
            w.I32(4);
            w.U8(0);
            w.U8(1);
        }
        Label(200);
        Label(240);
        if (layout == "1,46" || layout == "1,48") {
            w.I32(6);
            w.U8(1);
            w.U8(1);
        }
    }
    void KeyArc(std::int32_t from, std::int32_t to) {
        Rect(0, 0, 0, 0);
        w.U8(0);
        w.TStr("1");
        w.I32(from);
        w.I32(to);
        w.U8(0);
        w.U8(0);
        Rect(0, 0, 0, 0);
        w.I32(0);
    }
    const std::vector<std::uint8_t>& Data() const { return w.Bytes(); }
};

class OldVersions : public StorageTest {
protected:
    // Reads `f` into `root` without a message; the file's version becomes
    // the status and the document's file version.
    void Load(TPNObjekt& root, const OldFile& f, const char* version, const char* corpusName = nullptr) {
        if (corpusName) ToCorpus(corpusName, f.Data());
        std::string status;
        ASSERT_TRUE(LoadNet(root, f.Data(), &status));
        EXPECT_TRUE(platform.messages.Texts().empty());
        EXPECT_EQ(std::tie(status, root.fileVersion), std::make_tuple(std::string(version), std::string(version)));
    }
};

// 12 places: the first byte of the place count is the long string tag.
TEST_F(OldVersions, Version1HasNoLabelAndConnectsArcsByKey) {
    OldFile f;
    for (int n : {12, 1, 1}) f.w.I32(n); // places, transitions, arcs
    for (int i = 0; i < 12; ++i) f.Place("P" + std::to_string(i), "m" + std::to_string(i), i + 2, "1");
    f.Transition("T1", "-1", "1");
    f.KeyArc(0, 12);
    f.w.TStr("ignored");
    f.w.TInt(5);
    TPNObjekt root;
    ASSERT_NO_FATAL_FAILURE(Load(root, f, "1", "version1.pn"));
    ASSERT_EQ(root.Net().Count(), 14u);
    auto* p = static_cast<TPlatz*>(root.Net().At(0));
    auto* t = static_cast<TTransition*>(root.Net().At(12));
    auto* a = static_cast<TEdge*>(root.Net().At(13));
    EXPECT_EQ(std::make_tuple(p->capacity, p->Marking(), p->hit), std::make_tuple(-1.0L, 2.0, TRect{100, 100, 130, 130}));
    EXPECT_EQ(std::make_tuple(t->priority, int{t->orientation}), std::make_tuple(1, 1));
    EXPECT_EQ(std::make_tuple(a->source, a->target), std::make_tuple(static_cast<TGraphItem*>(p), static_cast<TGraphItem*>(t)));
    EXPECT_EQ(t->InEdgeList.front(), a);
    EXPECT_EQ(root.sampleTimeText, "100"); // the trailer is ignored
}

TEST_F(OldVersions, Version144WithPointLabelReadsBehaviourBeforeTheLabels) {
    OldFile f;
    f.w.TStr("1.44");
    for (int n : {1, 1, 0, 1, 1}) f.w.I32(n);
    f.Place("P1", "m1", 0, "1,44");
    f.Transition("T1", "3", "1,44");
    f.w.TStr("50");
    f.w.TInt(0);
    // A label and a shape.
    f.Rect(5, 5, 0, 0);
    f.w.TStr("Note");
    f.w.I32(10);
    f.w.TStr("Arial");
    f.w.I32(0xFF);
    f.w.U8(1);
    f.Rect(0, 0, 50, 50);
    f.w.I32(1);
    f.w.I32(20);
    f.w.U8(0);
    f.w.U8(12);
    f.w.U8(0);
    TPNObjekt root;
    ASSERT_NO_FATAL_FAILURE(Load(root, f, "1,44", "version144.pn"));
    EXPECT_EQ(std::make_tuple(root.sampleTimeText, root.timeUnit, root.sampleTimeSeconds), std::make_tuple("50", 0, 50.0));
    ASSERT_EQ(root.Net().Count(), 4u);
    EXPECT_EQ(root.Net().At(0)->Kind(), kind::Shape);
    auto* t = static_cast<TTransition*>(root.Net().At(2));
    EXPECT_EQ(std::tie(t->priority, t->timed, t->reservation), std::make_tuple(4, 0, 1));
    EXPECT_EQ(t->bounds, t->hit);
    EXPECT_EQ(t->GetCenter(), (TPoint{215, 206}));
    auto* label = static_cast<TSchriftObjekt*>(root.Net().At(3));
    EXPECT_EQ(std::make_tuple(label->Text(), label->Font().color), std::make_tuple("Note", 0xFFu));
}

TEST_F(OldVersions, Version146ReadsCapacityAndConnectsListElementsByKey) {
    OldFile f;
    f.w.TStr("1,46");
    for (int n : {2, 2, 1, 0, 0}) f.w.I32(n);
    f.Place("P1", "m1", 0, "1,46", 0); // capacity 0 means unlimited
    f.Place("P2", "m2", 0, "1,46", 4);
    f.Transition("T1", "0", "1,46");
    f.Transition("T2", "0", "1,46");
    f.KeyArc(0, 3);
    f.w.TStr("100");
    f.w.TInt(1);
    TPNObjekt root;
    ASSERT_NO_FATAL_FAILURE(Load(root, f, "1,46", "version146.pn"));
    ASSERT_EQ(root.Net().Count(), 5u);
    EXPECT_EQ(std::make_tuple(static_cast<TPlatz*>(root.Net().At(0))->capacity, static_cast<TPlatz*>(root.Net().At(1))->capacity),
              std::make_tuple(-1.0L, 4.0L));
    auto* t2 = static_cast<TTransition*>(root.Net().At(3));
    EXPECT_EQ(t2->priority, 6);
    auto* a = static_cast<TEdge*>(root.Net().At(4));
    EXPECT_EQ(std::make_tuple(a->source, a->target), std::make_tuple(root.Net().At(0), static_cast<TGraphItem*>(t2)));
}

TEST_F(OldVersions, Version148HasObjectRecordsButNoFiringRule) {
    OldFile f;
    f.w.TStr("1,48");
    f.w.TStr("20");
    f.w.TInt(1);
    f.w.TStr("Empty Object");
    f.w.TStr("Old");
    f.w.I32(0);
    for (int n : {1, 0, 0, 0, 0}) f.w.I32(n);
    f.Place("P1", "m1", 1, "1,48", 0);
    f.w.TInt(0);
    f.Rect(0, 0, 120, 90);
    f.w.I32(0);
    f.w.U8(2);
    f.w.I32(0);
    TPNObjekt root;
    root.enhancedFiringRule = 1;
    ASSERT_NO_FATAL_FAILURE(Load(root, f, "1,48", "version148.pn"));
    EXPECT_EQ(std::make_tuple(root.enhancedFiringRule, root.name), std::make_tuple(0, "Old"));
    EXPECT_DOUBLE_EQ(root.sampleTimeSeconds, 0.02);
    ASSERT_EQ(root.Net().Count(), 1u);
    EXPECT_EQ(static_cast<TPlatz*>(root.Net().At(0))->capacity, -1);
}

class Refusals : public StorageTest {};

TEST_F(Refusals, NewerVersionsAndVersionsWithoutReaderAreNotRead) {
    const char* unsupported = "This file format is not supported by this version of Quenzor";
    const std::pair<const char*, const char*> cases[] = {
        {"3,0", "This file (Version 3,0) is created by a newer version of Quenzor (3,0)."},
        {"2,0", unsupported},
        {"1,47", unsupported},
    };
    for (const auto& [label, message] : cases) {
        SCOPED_TRACE(label);
        BinaryWriter w;
        w.TStr(label);
        w.TStr("100");
        w.TInt(0);
        w.TStr("Empty Object");
        w.TStr("N");
        for (int i = 0; i < 6; ++i) w.I32(0);
        platform.messages.Clear();
        TPNObjekt root;
        root.fileVersion = "1,48";
        std::string status = "old";
        EXPECT_FALSE(LoadNet(root, w.Bytes(), &status));
        EXPECT_EQ(platform.messages.Texts(), std::vector<std::string>{message});
        EXPECT_EQ(root.Net().Count(), 0u);
        if (std::string(label) == "3,0") {
            EXPECT_EQ(status, "") << "a newer version is not taken over";
            EXPECT_EQ(root.fileVersion, "1,48");
        }
    }
}

TEST_F(Refusals, AStoredSampleTimeThatCannotBeRunWithGivesTheNewWindowDefault) {
    for (const char* stored : {"-100", "0", "1E400"}) {
        TPNObjekt saved;
        saved.sampleTimeText = stored;
        saved.timeUnit = 0;
        platform.messages.Clear();
        TPNObjekt root;
        ASSERT_TRUE(LoadNet(root, SaveNet(saved))) << stored;
        EXPECT_EQ(platform.messages.Texts(),
                  std::vector<std::string>{"The sample time \"" + std::string(stored) +
                                           "\" stored with this net is not a positive number.\r"
                                           "The net runs with a sample time of 100 milliseconds."});
        EXPECT_EQ(std::make_tuple(root.sampleTimeText, root.timeUnit, root.sampleTimeSeconds),
                  std::make_tuple(std::string("100"), 1, 0.1));
    }
}

TEST_F(Refusals, FileCutInsideAnArcKeepsWhatWasReadBefore) {
    TPNObjekt doc;
    TPlatz* p = AddPlace(doc, "P1", "m1", 0, 0);
    TTransition* t = AddTransition(doc, "T1", "0", 60, 0);
    Connect(doc, p, t);
    Bytes bytes = SaveNet(doc);
    // Cut in the middle of the arc record: after its bounds and kind byte.
    const std::size_t arcStart = [&] {
        BinaryWriter probe;
        probe.TStr("2,7");
        probe.TStr("100");
        probe.TInt(0);
        probe.TInt(0);
        probe.TStr("Empty Object");
        probe.TStr("New Object");
        probe.I32(0);
        for (int i = 0; i < 5; ++i) probe.I32(0);
        p->SaveToStream(probe);
        t->SaveToStream(probe);
        return probe.Size();
    }();
    bytes.resize(arcStart + 17);

    TPNObjekt root;
    EXPECT_TRUE(LoadNet(root, bytes)); // the root's net was read
    EXPECT_EQ(platform.messages.Texts(),
              (std::vector<std::string>{"Wrong file version. Wrong data elements become discarded.",
                                        "Error while reading file. The file will be closed now..."}));
    EXPECT_EQ(std::make_tuple(platform.messages.Shown()[0].kind, platform.messages.Shown()[0].buttons),
              std::make_tuple(MsgKind::Information, MsgButtons::Ok));
    ASSERT_EQ(root.Net().Count(), 2u);
    EXPECT_EQ(root.Net().At(1)->Kind(), kind::Transition);
}

TEST_F(Refusals, ArcToAnInterfacePlaceNoLongerPublishedDisappears) {
    WriteTankClass();
    TankUser user;
    const Bytes bytes = SaveNet(user.doc);

    WriteTankClass(/*publishLevel=*/false);
    TPNObjekt root;
    ASSERT_TRUE(LoadNet(root, bytes));
    EXPECT_TRUE(platform.messages.Texts().empty());
    std::size_t arcs = 0;
    for (TGraphItem* e : root.Net().Elements()) arcs += e->Kind() == kind::Arc;
    EXPECT_EQ(arcs, 1u);
    EXPECT_TRUE(static_cast<TPlatz*>(root.Net().At(1))->OutEdgeList.empty());
    ASSERT_EQ(root.Net().Children().size(), 1u);
    ASSERT_EQ(root.Net().Children()[0]->Frame().interfacePlaces.size(), 1u);
}

TEST_F(Refusals, HostileCountsAndNestingAreReadErrors) {
    auto header = [](BinaryWriter& w) {
        w.TStr("2,7");
        w.TStr("100");
        w.TInt(0);
        w.TInt(0);
    };
    // A child count far beyond the data.
    BinaryWriter huge;
    header(huge);
    huge.TStr("Empty Object");
    huge.TStr("N");
    huge.I32(0x7FFFFFFF);
    // Children nested as deep as the data allows, each opening the next.
    BinaryWriter deep;
    header(deep);
    for (int i = 0; i < 2000; ++i) {
        deep.TStr("Empty Object");
        deep.TStr("N");
        deep.I32(1);
    }
    deep.Bytes().resize(deep.Size() + 2000 * 60, 0);
    // A place count beyond the data and a bend point count beyond it.
    BinaryWriter places;
    header(places);
    places.TStr("Empty Object");
    places.TStr("N");
    places.I32(0);
    places.I32(100000);
    for (const auto& [what, w] : {std::pair{"child count", &huge}, {"nesting", &deep}, {"place count", &places}}) {
        SCOPED_TRACE(what);
        platform.messages.Clear();
        TPNObjekt root;
        LoadNet(root, w->Bytes());
        EXPECT_TRUE(platform.messages.AnyContains("Error while reading file") ||
                    platform.messages.AnyContains("Wrong file version"));
    }
}

TEST_F(Refusals, InterfacePlacesPublishedLaterFollowTheStoredOnes) {
    WriteTankClass(/*publishLevel=*/false);
    TPNObjekt doc;
    TPNObjekt* tank = doc.AddChildObject("Tank_1", "Tank", 0, 0);
    Interface(*tank, "flow")->side = 1;
    const std::vector<std::uint8_t> bytes = SaveNet(doc);

    WriteTankClass(/*publishLevel=*/true);
    TPNObjekt root;
    ASSERT_TRUE(LoadNet(root, bytes));
    const auto& ips = root.Net().Children()[0]->Frame().interfacePlaces;
    ASSERT_EQ(ips.size(), 2u);
    EXPECT_EQ(std::make_tuple(ips[0]->innerPlace->variableName, ips[0]->side), std::make_tuple("flow", 1));
    EXPECT_EQ(std::make_tuple(ips[1]->innerPlace->variableName, ips[1]->Value()), std::make_tuple("level", 2.0L)); // the class's start value
}

} // namespace
} // namespace qz::test
