#include <gtest/gtest.h>

#include <tuple>

#include "NetFixtures.h"
#include "model/description/NetDescription.h"

namespace qz::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Where two files differ first, with the bytes around it; empty when equal.
std::string Difference(const Bytes& a, const Bytes& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (i == a.size() && i == b.size()) return std::string();
    std::string out = "first difference at " + std::to_string(i) + ":";
    for (const Bytes* v : {&a, &b}) {
        out += "\n ";
        for (std::size_t k = i < 8 ? 0 : i - 8; k < std::min(v->size(), i + 16); ++k) {
            out += " " + std::to_string((*v)[k]);
        }
    }
    return out;
}

TEdge* ArcOfKind(const TNetList& net, ConnectionKind connection, std::size_t nth = 0) {
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Arc && static_cast<TEdge*>(e)->connectionKind == connection) {
            if (nth-- == 0) return static_cast<TEdge*>(e);
        }
    }
    return nullptr;
}

class NetFileRoundTrip : public StorageTest {};

TEST_F(NetFileRoundTrip, EveryKindSurvivesAndSavesTheSameBytesAgain) {
    WriteTankClass();
    FullDocument doc;
    doc.root.enhancedFiringRule = 1;
    const Bytes first = SaveNet(doc.root);
    ToCorpus("full_document.pn", first);
    EXPECT_EQ(doc.root.fileVersion, "2,7");
    const NetFileHeader h = ReadNetHeader(first);
    EXPECT_EQ(std::tie(h.ok, h.name, h.baseName), std::make_tuple(true, std::string("Plant"), std::string("Tank")));

    TPNObjekt loaded;
    std::string status;
    ASSERT_TRUE(LoadNet(loaded, first, &status));
    EXPECT_TRUE(platform.messages.Texts().empty()) << platform.messages.Texts().front();
    EXPECT_EQ(status, "2,7");
    EXPECT_EQ(Difference(SaveNet(loaded), first), "");

    // The document settings and the object structure.
    using S = std::string;
    // The class file read on the way was saved with the rule off.
    EXPECT_EQ(std::tie(loaded.sampleTimeText, loaded.timeUnit, loaded.name, loaded.baseName, loaded.enhancedFiringRule),
              std::make_tuple(S("250"), 1, S("Plant"), S("Tank"), 1));
    EXPECT_DOUBLE_EQ(loaded.sampleTimeSeconds, 0.25);
    ASSERT_NE(loaded.Base(), nullptr);
    ASSERT_EQ(loaded.Net().Children().size(), 2u);
    TPNObjekt& tank1 = *loaded.Net().Children()[0];
    TPNObjekt& tank2 = *loaded.Net().Children()[1];
    EXPECT_EQ(std::tie(tank1.name, tank1.parentName), std::make_tuple(S("Tank_1"), S("Plant")));
    EXPECT_EQ(tank2.Frame().description, std::vector<S>{"Second tank"});
    EXPECT_EQ(loaded.Frame().description, (std::vector<S>{"The plant.", "Ä umlaut line"}));

    // Elements: the shapes lie at the back in their order, then the frames, then the rest.
    const TNetList& net = loaded.Net();
    const auto shapes = ElementsOf<TObjekt>(net, kind::Shape);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(std::make_tuple(net.At(0), net.At(1), shapes[0]->radius, shapes[1]->radius),
              std::make_tuple(static_cast<TGraphItem*>(shapes[0]), static_cast<TGraphItem*>(shapes[1]), 12, 13));
    EXPECT_EQ((std::vector<std::size_t>{ElementsOf(net, kind::Place).size(), ElementsOf(net, kind::Transition).size(),
                                        ElementsOf(net, kind::Arc).size(), ElementsOf(net, kind::Frame).size()}),
              (std::vector<std::size_t>{3, 2, 10, 3}));
    auto* p1 = ElementsOf<TPlatz>(net, kind::Place)[0];
    EXPECT_EQ(std::make_tuple(p1->name, p1->InitialMarking(), p1->capacity), std::make_tuple(S("P1"), 3.0L, 5.0L));
    EXPECT_EQ(ElementsOf<TPlatz>(net, kind::Place)[2]->interfaceFlag, 1);
    auto* t1 = ElementsOf<TTransition>(net, kind::Transition)[0];
    EXPECT_EQ(std::tie(t1->functionText, t1->priority, t1->reservation, t1->key), std::make_tuple(S("2,5"), 3, 1, 3));
    auto* t2 = ElementsOf<TTransition>(net, kind::Transition)[1];
    EXPECT_EQ(std::tie(t2->orientation, t2->isExpression), std::make_tuple(0, 1));
    auto* label = ElementsOf<TSchriftObjekt>(net, kind::Label)[0];
    EXPECT_EQ(label->Text(), "Plant|second line");
    EXPECT_EQ(std::tie(label->Font().name, label->Font().size, label->Font().color, label->Font().style),
              std::make_tuple(S("Courier New"), 12, RGB(0x12, 0x34, 0x56), 0b0101));

    // Every connection kind is resolved and registered at its ends.
    TEdge* a0 = ArcOfKind(net, ConnectionKind::Plain);
    EXPECT_EQ(std::tie(a0->source, a0->target), std::make_tuple(p1, t1));
    EXPECT_EQ(a0->bendPoints, (std::vector<TPunkt>{{150, 80}, {170, 90}}));
    EXPECT_NE(std::find(p1->OutEdgeList.begin(), p1->OutEdgeList.end(), a0), p1->OutEdgeList.end());
    EXPECT_EQ(ArcOfKind(net, ConnectionKind::Plain, 2)->arcKind, akInhibitor);
    EXPECT_EQ(ArcOfKind(net, ConnectionKind::Plain, 3)->arcKind, akTest);
    ASSERT_EQ(ArcOfKind(net, ConnectionKind::PlaceToInterface)->target, Interface(tank1, "level"));
    EXPECT_EQ(Interface(tank1, "level")->innerPlace->markingOwner, p1);
    EXPECT_EQ(ArcOfKind(net, ConnectionKind::InterfaceToPlace)->source, Interface(tank1, "flow"));
    EXPECT_EQ(ElementsOf<TPlatz>(net, kind::Place)[1]->link, Interface(tank1, "flow")->innerPlace);
    TEdge* a3 = ArcOfKind(net, ConnectionKind::TransitionToInterface);
    EXPECT_EQ(std::tie(a3->interfaceTarget, a3->target, a3->weightText),
              std::make_tuple(Interface(tank2, "level"), static_cast<TGraphItem*>(Interface(tank2, "level")->innerPlace),
                              S("1,5")));
    EXPECT_EQ(ArcOfKind(net, ConnectionKind::TransitionToInterface, 1)->interfaceTarget, Interface(*loaded.Base(), "level"));
    TEdge* a4 = ArcOfKind(net, ConnectionKind::InterfaceToTransition);
    EXPECT_EQ(std::tie(a4->interfaceSource, a4->target), std::make_tuple(Interface(tank2, "flow"), t2));
    EXPECT_EQ(Interface(tank2, "flow")->OutEdgeList.front(), a4);
    EXPECT_EQ(ArcOfKind(net, ConnectionKind::InterfaceToInterface)->source, Interface(tank1, "level"));
    EXPECT_EQ(Interface(tank2, "level")->innerPlace->link, Interface(tank1, "level")->innerPlace);

    // The frame keeps the order, side and value of its interface places.
    const auto& ips = tank1.Frame().interfacePlaces;
    ASSERT_EQ(ips.size(), 2u);
    EXPECT_EQ(std::tie(ips[0]->innerPlace->variableName, ips[1]->innerPlace->variableName, ips[1]->side),
              std::make_tuple(S("flow"), S("level"), 1));
    EXPECT_EQ(Interface(tank2, "flow")->Value(), 1.5L);
}

TEST_F(NetFileRoundTrip, AFrameWithPlacesOnBothSidesKeepsItsSize) {
    WriteTankClass();
    FullDocument doc;
    // Tank_1 has one interface place on each side: made as small as that
    // allows, it is smaller than its two places on one side would need.
    TObjectFrame& frame = doc.root.Net().Children()[0]->Frame();
    frame.bounds.bottom = frame.bounds.top + 1;
    frame.hit = frame.bounds;
    frame.SetInterfaceSizeClass(4);
    const TRect tight = frame.bounds;
    TPNObjekt loaded;
    ASSERT_TRUE(LoadNet(loaded, SaveNet(doc.root)));
    const TRect read = loaded.Net().Children()[0]->Frame().bounds;
    EXPECT_EQ(std::tie(read.left, read.top, read.right, read.bottom),
              std::tie(tight.left, tight.top, tight.right, tight.bottom));
}

TEST_F(NetFileRoundTrip, EmptyDocumentBytes) {
    TPNObjekt root;
    root.timeUnit = 1;
    const Bytes bytes = SaveNet(root);
    ToCorpus("empty_document.pn", bytes);
    auto str = [](const std::string& s) {
        Bytes b(2 + s.size(), 0x06);
        b[1] = static_cast<std::uint8_t>(s.size());
        std::copy(s.begin(), s.end(), b.begin() + 2);
        return b;
    };
    Bytes expected;
    for (const Bytes& part : {str("2,7"), str("100"), Bytes{0x02, 0x01, 0x02, 0x00}, str("Empty Object"), str("New Object"),
                              Bytes(4 + 20, 0), Bytes{0x02, 0x00}, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 120, 0, 0, 0, 90, 0, 0, 0},
                              Bytes{0, 0, 0, 0, 2, 0, 0, 0, 0}}) {
        expected.insert(expected.end(), part.begin(), part.end());
    }
    EXPECT_EQ(bytes, expected);

    TPNObjekt again;
    ASSERT_TRUE(LoadNet(again, bytes));
    EXPECT_EQ(SaveNet(again), bytes);
    EXPECT_TRUE(platform.messages.Texts().empty());
}

// A stored reservation byte on a transition that cannot reserve (immediate,
// stepwise or continuous) would swallow its input tokens for ever.
TEST_F(NetFileRoundTrip, ReservationOnlySurvivesWhereTheFiringTimeAllowsIt) {
    TPNObjekt root;
    TTransition* timed = AddTransition(root, "Timed", "5", 40, 40);
    TTransition* immediate = AddTransition(root, "Immediate", "0", 80, 40);
    TTransition* stepwise = AddTransition(root, "Stepwise", "-1", 120, 40);
    TTransition* flow = AddTransition(root, "Flow", "2", 160, 40, true);
    for (TTransition* t : {timed, immediate, stepwise, flow}) t->reservation = 1;
    TPNObjekt loaded;
    ASSERT_TRUE(LoadNet(loaded, SaveNet(root)));
    std::vector<int> reserving;
    for (TTransition* t : ElementsOf<TTransition>(loaded.Net(), kind::Transition)) reserving.push_back(t->reservation);
    EXPECT_EQ(reserving, (std::vector<int>{1, 0, 0, 0}));
}

} // namespace
} // namespace qz::test
